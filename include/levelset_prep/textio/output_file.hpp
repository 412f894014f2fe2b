// SPDX-License-Identifier: MIT
// An output file written through a large buffer into a temporary beside the
// target (a short hidden name, so the longest target names still work,
// owner-only), put in place only by commit(): a failed run never leaves a
// half-written file or destroys an input the name points to. An abandoned
// temporary is removed, on a signal too. A symbolic link stays and its file
// is replaced. A target that exists and is not a regular file (a pipe,
// /dev/full) gets the bytes directly. Errors name the target and the reason.
#pragma once

#include <atomic>
#include <cstddef>
#include <cstdint>
#include <memory>
#include <optional>
#include <span>
#include <string>
#include <string_view>

#include <levelset_prep/textio/error.hpp>
#include <levelset_prep/textio/number_format.hpp>
#include <levelset_prep/textio/temporary_files.hpp>

namespace levelset_prep::textio {

class OutputFile {
public:
    // The most put(), reserve() and a slice written in turn hold at once.
    static constexpr std::size_t buffer_size = std::size_t{1} << 20;

    OutputFile() = default;
    OutputFile(const OutputFile&) = delete;
    OutputFile& operator=(const OutputFile&) = delete;
    ~OutputFile();

    MaybeError open(std::string target);

    void put(std::string_view text) {
        if (text.size() > static_cast<std::size_t>(limit_ - cursor_)) {
            put_slow(text);
            return;
        }
        std::char_traits<char>::copy(cursor_, text.data(), text.size());
        cursor_ += text.size();
    }
    void put(char c) {
        if (cursor_ == limit_) flush_buffer();
        *cursor_++ = c;
    }
    void put_int(std::int64_t value) {
        make_room(max_number_chars);
        cursor_ = format_int(cursor_, value);
    }
    void put_general(double value) {
        make_room(max_number_chars);
        cursor_ = format_general(cursor_, value);
    }

    // As put(), but a block that would fill the buffer is written from where
    // it lies instead of being copied first.
    void put_block(std::string_view text);

    // For slices written by several threads: claim_block(), called in the
    // slices' order, gives the offset of the next `size` bytes, and
    // put_block_at() writes them there from any thread. Nothing for a pipe
    // or a device, whose slices must be put in order with put_block().
    std::optional<std::uint64_t> claim_block(std::size_t size);
    void put_block_at(std::uint64_t offset, std::string_view text);

    // reserve() gives room for `bytes` (far below buffer_size); a loop writes
    // through its own pointer, which stays in a register, and hands back the
    // end with advance().
    char* reserve(std::size_t bytes) {
        make_room(bytes);
        return cursor_;
    }
    void advance(char* end) { cursor_ = end; }

    // Reports any write that did not go through.
    MaybeError finish();
    MaybeError commit();

    const std::string& target() const { return target_; }

private:
    friend struct OutputCommit;  // output_set.cpp

    void make_room(std::size_t bytes) {
        if (static_cast<std::size_t>(limit_ - cursor_) < bytes) flush_buffer();
    }
    void put_slow(std::string_view text);
    void flush_buffer();
    void write_bytes(const char* data, std::size_t size);
    void discard();
    void close_file();

    std::string target_;
    int fd_ = -1;
    // The destination's folder, or -1 when the bytes go straight to the target.
    int folder_fd_ = -1;
    std::string leaf_;                          // the destination's name in that folder
    char temporary_[temporary_name_size] = {};  // the temporary file's name there
    int temporary_entry_ = -1;                  // its entry in the signal handler's list
    bool temporary_exists_ = false;
    std::unique_ptr<char[]> buffer_;
    char* cursor_ = nullptr;
    char* limit_ = nullptr;
    int write_errno_ = 0;  // first failed write, 0 when all went through
    // Positioned writes may fail on several threads at once.
    std::atomic<int> block_errno_{0};
    bool finished_ = false;
    bool committed_ = false;
};

}  // namespace levelset_prep::textio
