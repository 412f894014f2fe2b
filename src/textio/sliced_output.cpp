// SPDX-License-Identifier: MIT
#include <atomic>
#include <condition_variable>
#include <memory>
#include <mutex>
#include <new>
#include <optional>
#include <string_view>
#include <vector>

#include <levelset_prep/textio/side_thread.hpp>
#include <levelset_prep/textio/sliced_output.hpp>

namespace levelset_prep::textio {
namespace {

class SliceWriter {
public:
    explicit SliceWriter(std::span<const SlicedText> texts)
        : texts_(texts), written_(texts.size(), 0) {}

    // Takes, lays out and writes slices until none is left.
    void run(char* buffer) {
        for (;;) {
            std::int64_t k = taken_.fetch_add(1);
            std::size_t t = 0;
            while (t < texts_.size() && k >= texts_[t].slices) k -= texts_[t++].slices;
            if (t == texts_.size()) return;
            const SlicedText& text = texts_[t];
            char* end = text.format(buffer, k);
            const std::string_view laid_out(buffer, static_cast<std::size_t>(end - buffer));
            std::unique_lock<std::mutex> lock(turn_mutex_);
            turn_changed_.wait(lock, [&] { return written_[t] == k; });
            // A regular file takes the slice at its place while the next
            // slices are placed and written by other threads; anything else
            // takes it in turn.
            const std::optional<std::uint64_t> place = text.out->claim_block(laid_out.size());
            if (!place) text.out->put_block(laid_out);
            ++written_[t];
            lock.unlock();
            turn_changed_.notify_all();
            if (place) text.out->put_block_at(*place, laid_out);
        }
    }

private:
    const std::span<const SlicedText> texts_;
    std::atomic<std::int64_t> taken_{0};  // slices handed out, counted over all texts
    std::mutex turn_mutex_;
    std::condition_variable turn_changed_;
    std::vector<std::int64_t> written_;  // per text, the slices written; guarded by turn_mutex_
};

}  // namespace

bool write_in_slices(std::span<const SlicedText> texts, std::size_t slice_bytes, int threads) {
    std::vector<std::unique_ptr<char[]>> buffers;
    while (buffers.size() < static_cast<std::size_t>(threads < 1 ? 1 : threads)) {
        std::unique_ptr<char[]> buffer(new (std::nothrow) char[slice_bytes]);
        if (!buffer) break;  // fewer threads, then
        buffers.push_back(std::move(buffer));
    }
    if (buffers.empty()) return false;

    SliceWriter writer(texts);
    std::vector<std::unique_ptr<SideThread<bool>>> helpers;
    for (std::size_t t = 1; t < buffers.size(); ++t) {
        char* buffer = buffers[t].get();
        helpers.push_back(std::make_unique<SideThread<bool>>([&writer, buffer] {
            writer.run(buffer);
            return true;
        }));
    }
    writer.run(buffers[0].get());
    for (auto& helper : helpers) helper->take();
    return true;
}

}  // namespace levelset_prep::textio
