// SPDX-License-Identifier: MIT
#include "volume_samples.hpp"

#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <array>
#include <cstring>
#include <limits>
#include <memory>
#include <new>
#include <system_error>
#include <thread>

#include <levelset_prep/textio/large_array.hpp>
#include <levelset_prep/textio/temporary_files.hpp>

#include "image_file_bytes.hpp"

namespace levelset_prep::analyze::detail {
namespace {

constexpr std::uint64_t saturated = std::numeric_limits<std::uint64_t>::max();

std::uint64_t product(std::uint64_t a, std::uint64_t b) {
    std::uint64_t result;
    return __builtin_mul_overflow(a, b, &result) ? saturated : result;
}

std::uint64_t sum(std::uint64_t a, std::uint64_t b) {
    std::uint64_t result;
    return __builtin_add_overflow(a, b, &result) ? saturated : result;
}

std::uint64_t volume_bytes(const SamplePlan& plan) {
    return std::uint64_t{plan.count} * sample_size(plan.type);
}

class FileSource final : public ByteSource {
public:
    explicit FileSource(std::FILE* file) : file_(file) {}
    std::size_t read(void* out, std::size_t size, std::size_t count) override {
        return std::fread(out, size, count, file_);
    }

private:
    std::FILE* file_;
};

// Reads at its own offset, leaving the file's position alone, so that pieces
// of one file can be read at once.
class PieceSource final : public ByteSource {
public:
    PieceSource(int descriptor, std::uint64_t at) : descriptor_(descriptor), at_(at) {}
    std::size_t read(void* out, std::size_t size, std::size_t count) override {
        auto* bytes = static_cast<unsigned char*>(out);
        const std::size_t wanted = size * count;
        std::size_t got = 0;
        while (got < wanted) {
            const ssize_t n = pread(descriptor_, bytes + got, wanted - got,
                                    static_cast<off_t>(at_ + got));  // at_ is inside the file
            if (n <= 0) break;
            got += static_cast<std::size_t>(n);
        }
        at_ += got;
        return got / size;
    }

private:
    int descriptor_;
    std::uint64_t at_;
};

class MemorySource final : public ByteSource {
public:
    MemorySource(const unsigned char* bytes, std::size_t left) : bytes_(bytes), left_(left) {}
    std::size_t read(void* out, std::size_t size, std::size_t count) override {
        const std::size_t whole = std::min(count, left_ / size);
        if (whole != 0) std::memcpy(out, bytes_, whole * size);
        bytes_ += whole * size;
        left_ -= whole * size;
        return whole;
    }

private:
    const unsigned char* bytes_;
    std::size_t left_;
};

// Another source's bytes until `stop` is set, then none.
class StoppingSource final : public ByteSource {
public:
    StoppingSource(ByteSource& source, const std::atomic<bool>* stop)
        : source_(source), stop_(stop) {}
    std::size_t read(void* out, std::size_t size, std::size_t count) override {
        if (stop_ != nullptr && stop_->load(std::memory_order_relaxed)) return 0;
        return source_.read(out, size, count);
    }

private:
    ByteSource& source_;
    const std::atomic<bool>* stop_;
};

// Seeks only where the file is known to hold the bytes, so that only bytes
// that arrive count.
bool pass_over(std::FILE* file, std::uint64_t bytes) {
    const auto left = bytes_left(file);
    if (left && *left >= bytes &&
        fseeko(file, static_cast<off_t>(bytes), SEEK_CUR) == 0) {  // *left fits off_t
        return true;
    }
    constexpr std::size_t part = std::size_t{1} << 16;
    std::unique_ptr<unsigned char[]> dropped(new (std::nothrow) unsigned char[part]);
    if (!dropped) return false;
    while (bytes != 0) {
        const auto wanted = static_cast<std::size_t>(std::min<std::uint64_t>(bytes, part));
        const std::size_t got = std::fread(dropped.get(), 1, wanted, file);
        if (got == 0) return false;
        bytes -= got;
    }
    return true;
}

void attach(analyze_image& image, const SampleRange& range) {
    image.min_intensity = range.min;
    image.max_intensity = range.max;
}

ReadStatus stopped(const GzipSource& source) {
    switch (source.fault()) {
        case GzipSource::Fault::none:
            return ReadStatus::image_too_short;  // it ended cleanly
        case GzipSource::Fault::no_memory:
            return ReadStatus::no_sample_buffer;
        default:
            return ReadStatus::corrupt_compressed_data;
    }
}

// Data of unknown size: the buffer doubles while samples keep arriving.
ReadStatus read_growing_volume(GzipSource& source, const SamplePlan& plan, analyze_image& image,
                               SampleRange& range) {
    std::size_t capacity = std::min<std::size_t>(plan.count, std::size_t{1} << 20);
    image.data = textio::allocate_large<float>(capacity);
    if (!image.data) return ReadStatus::no_sample_buffer;
    std::size_t done = 0;
    for (;;) {
        const ReadStatus status = convert_samples(source, plan.type, plan.swap, capacity - done,
                                                  image.data.get() + done, range);
        if (status != ReadStatus::ok) return status;
        done = capacity;
        if (done == plan.count) return ReadStatus::ok;
        const std::size_t larger = std::min(plan.count, 2 * capacity);
        std::unique_ptr<float[]> grown = textio::allocate_large<float>(larger);
        if (!grown) return ReadStatus::no_sample_buffer;
        std::memcpy(grown.get(), image.data.get(), done * sizeof(float));
        image.data = std::move(grown);
        capacity = larger;
    }
}

// A piece smaller than this reads faster on the thread that has the file
// open than a new thread starts.
constexpr std::size_t least_piece = std::size_t{1} << 16;  // samples
constexpr int most_pieces = 16;

struct Piece {
    std::size_t first = 0, count = 0;
    SampleRange range;
    ReadStatus status = ReadStatus::ok;
};

int piece_count(std::size_t count, int threads) {
    const std::size_t most = std::min<std::size_t>(
        count / least_piece, static_cast<std::size_t>(std::clamp(threads, 1, most_pieces)));
    return static_cast<int>(std::max<std::size_t>(most, 1));
}

// Ranges are joined with one thread's strict tests, so the first of equal
// extremes (a -0.0 before a 0.0) is kept; a missing buffer is reported
// before a short read, as one thread would.
ReadStatus read_in_pieces(int descriptor, std::uint64_t start, const SamplePlan& plan, float* out,
                          SampleRange& range, int pieces) {
    std::array<Piece, most_pieces> piece;
    const std::size_t each = plan.count / static_cast<std::size_t>(pieces);
    const std::size_t longer = plan.count % static_cast<std::size_t>(pieces);
    std::size_t first = 0;
    for (std::size_t k = 0; k < static_cast<std::size_t>(pieces); ++k) {
        piece[k].first = first;
        piece[k].count = each + (k < longer ? 1 : 0);
        first += piece[k].count;
    }
    const std::size_t size = sample_size(plan.type);
    const auto read_piece = [&](Piece& p) {
        PieceSource source(descriptor, start + p.first * size);
        p.status = convert_samples(source, plan.type, plan.swap, p.count, out + p.first, p.range);
    };

    std::array<std::thread, most_pieces> helpers;
    {
        // A new thread starts with its creator's signal mask: the handler
        // that removes temporary files stays on the main thread.
        const textio::SignalBlock block;
        for (int k = 1; k < pieces; ++k) {
            try {
                helpers[static_cast<std::size_t>(k)] =
                    std::thread(read_piece, std::ref(piece[static_cast<std::size_t>(k)]));
            } catch (const std::system_error&) {
                // No thread to be had: the piece is read below.
            }
        }
    }
    read_piece(piece[0]);
    ReadStatus status = piece[0].status;
    range = piece[0].range;
    for (std::size_t k = 1; k < static_cast<std::size_t>(pieces); ++k) {
        if (helpers[k].joinable()) {
            helpers[k].join();
        } else {
            read_piece(piece[k]);
        }
        const SampleRange& seen = piece[k].range;
        range.max = seen.max > range.max ? seen.max : range.max;
        range.min = seen.min < range.min ? seen.min : range.min;
        if (piece[k].status == ReadStatus::no_sample_buffer || status == ReadStatus::ok) {
            status = piece[k].status;
        }
    }
    return status;
}

int regular_descriptor(std::FILE* file) {
    const int descriptor = fileno(file);
    struct stat status {};
    if (descriptor < 0 || fstat(descriptor, &status) != 0 || !S_ISREG(status.st_mode)) return -1;
    return descriptor;
}

}  // namespace

ReadStatus plan_volume(SamplePlan& plan, std::int64_t volume, std::int64_t volumes,
                       std::uint64_t first_at) {
    if (volume < 1 || volume > volumes) return ReadStatus::no_such_volume;
    const std::uint64_t each = volume_bytes(plan);
    plan.skip = sum(first_at, product(static_cast<std::uint64_t>(volume - 1), each));
    plan.after = product(static_cast<std::uint64_t>(volumes - volume), each);
    return ReadStatus::ok;
}

std::uint64_t announced_bytes(const SamplePlan& plan) {
    return sum(sum(plan.skip, volume_bytes(plan)), plan.after);
}

ReadStatus read_plain_samples(std::FILE* file, const SamplePlan& plan, analyze_image& image,
                              int threads) {
    image.data.reset();
    if (plan.skip != 0 && !pass_over(file, plan.skip)) return ReadStatus::image_too_short;
    const std::uint64_t needed = volume_bytes(plan);
    FileSource from_file(file);
    std::unique_ptr<unsigned char[]> held;  // the file's bytes, when read ahead
    MemorySource from_memory(nullptr, 0);
    ByteSource* source = &from_file;
    const auto left = bytes_left(file);
    const int pieces = piece_count(plan.count, threads);
    const int descriptor = pieces > 1 && left && *left >= needed ? regular_descriptor(file) : -1;
    const off_t start = descriptor >= 0 ? ftello(file) : -1;
    if (start >= 0) {
        image.data = textio::allocate_large<float>(plan.count);
        if (!image.data) return ReadStatus::no_sample_buffer;
        SampleRange range;
        const auto from = static_cast<std::uint64_t>(start);
        const ReadStatus status =
            read_in_pieces(descriptor, from, plan, image.data.get(), range, pieces);
        if (status != ReadStatus::ok) {
            image.data.reset();
            return status;
        }
        fseeko(file, static_cast<off_t>(from + needed), SEEK_SET);
        attach(image, range);
        return ReadStatus::ok;
    }
    if (!left || *left < needed) {
        if (const ReadStatus status = read_growing(file, needed, held); status != ReadStatus::ok) {
            return status;
        }
        from_memory = MemorySource(held.get(), static_cast<std::size_t>(needed));
        source = &from_memory;
    }
    image.data = textio::allocate_large<float>(plan.count);
    if (!image.data) return ReadStatus::no_sample_buffer;
    SampleRange range;
    const ReadStatus status =
        convert_samples(*source, plan.type, plan.swap, plan.count, image.data.get(), range);
    if (status != ReadStatus::ok) {
        // The file shrank while it was read; a partial volume is not kept.
        image.data.reset();
        return status;
    }
    attach(image, range);
    return ReadStatus::ok;
}

namespace {

// Inflates up to the volume's first sample: ok, or the status of data that
// cannot hold the volume.
ReadStatus reach_compressed_volume(GzipSource& source, const SamplePlan& plan) {
    const std::uint64_t through_volume = sum(plan.skip, volume_bytes(plan));
    const std::optional<std::uint64_t> most = source.most_left();
    if (most && through_volume > *most) {
        // The data cannot hold the samples; inflating it (no further than
        // it could go) tells a clean end from a damaged stream.
        source.drain(through_volume);
        return stopped(source);
    }
    return source.skip(plan.skip) ? ReadStatus::ok : stopped(source);
}

// After the samples were read with `status`: the rest of the data checked.
ReadStatus finish_compressed(GzipSource& source, const SamplePlan& plan, ReadStatus status) {
    if (status == ReadStatus::ok) {
        if (source.drain(plan.after) > plan.after) return ReadStatus::excess_compressed_data;
        if (source.fault() != GzipSource::Fault::none) return stopped(source);
    } else if (status == ReadStatus::image_too_short) {
        return stopped(source);
    }
    return status;
}

}  // namespace

ReadStatus read_compressed_samples(GzipSource& source, const SamplePlan& plan,
                                   analyze_image& image) {
    image.data.reset();
    const bool size_known = source.most_left().has_value();
    if (const ReadStatus status = reach_compressed_volume(source, plan); status != ReadStatus::ok) {
        return status;
    }
    SampleRange range;
    ReadStatus status = ReadStatus::ok;
    if (size_known) {
        image.data = textio::allocate_large<float>(plan.count);
        if (!image.data) return ReadStatus::no_sample_buffer;
        status = convert_samples(source, plan.type, plan.swap, plan.count, image.data.get(), range);
    } else {
        status = read_growing_volume(source, plan, image, range);
    }
    status = finish_compressed(source, plan, status);
    if (status != ReadStatus::ok) {
        image.data.reset();
        return status;
    }
    attach(image, range);
    return ReadStatus::ok;
}

ReadStatus read_plain_samples_into(std::FILE* file, const SamplePlan& plan, float* out,
                                   const IntoOptions& options) {
    if (plan.skip != 0 && !pass_over(file, plan.skip)) return ReadStatus::image_too_short;
    FileSource from_file(file);
    StoppingSource source(from_file, options.stop);
    SampleRange range;
    return convert_samples(source, plan.type, plan.swap, plan.count, out, range, options.scaling);
}

ReadStatus read_compressed_samples_into(GzipSource& source, const SamplePlan& plan, float* out,
                                        const IntoOptions& options) {
    if (const ReadStatus status = reach_compressed_volume(source, plan); status != ReadStatus::ok) {
        return status;
    }
    StoppingSource stopping(source, options.stop);
    SampleRange range;
    const ReadStatus status =
        convert_samples(stopping, plan.type, plan.swap, plan.count, out, range, options.scaling);
    if (options.stop != nullptr && options.stop->load(std::memory_order_relaxed)) return status;
    return finish_compressed(source, plan, status);
}

}  // namespace levelset_prep::analyze::detail
