// SPDX-License-Identifier: MIT
#include "gzip_source.hpp"

#include <zlib.h>

#include <algorithm>
#include <cstring>
#include <limits>
#include <new>

#include "image_file_bytes.hpp"

namespace levelset_prep::analyze::detail {
namespace {

constexpr std::size_t input_bytes = std::size_t{1} << 18;
constexpr std::size_t scratch_bytes = std::size_t{1} << 16;
// Deflate codes at most 258 bytes in two bits; the margin covers a match
// that zlib holds half copied.
constexpr std::uint64_t most_per_byte = 1032;
constexpr std::uint64_t margin = 1024;

}  // namespace

struct GzipSource::Stream {
    z_stream z{};
    bool initialised = false;
    ~Stream() {
        if (initialised) inflateEnd(&z);
    }
};

GzipSource::GzipSource() = default;
GzipSource::~GzipSource() = default;

bool GzipSource::start(std::FILE* file, std::span<const unsigned char> already_read) {
    file_ = file;
    stream_.reset(new (std::nothrow) Stream);
    input_.reset(new (std::nothrow) unsigned char[input_bytes]);
    if (!stream_ || !input_) {
        fault_ = Fault::no_memory;
        return false;
    }
    // 16 + 15: a gzip wrapper around a deflate stream with a 32 KiB window.
    if (inflateInit2(&stream_->z, 16 + MAX_WBITS) != Z_OK) {
        fault_ = Fault::no_memory;
        return false;
    }
    stream_->initialised = true;
    const std::size_t first = std::min(already_read.size(), input_bytes);
    if (first != 0) std::memcpy(input_.get(), already_read.data(), first);
    stream_->z.next_in = input_.get();
    stream_->z.avail_in = static_cast<uInt>(first);
    file_left_ = bytes_left(file);
    // A seeking device may report 0 bytes; only a regular file's size is
    // taken as a bound.
    if (file_left_ && *file_left_ == 0) file_left_.reset();
    return true;
}

bool GzipSource::refill() {
    const std::size_t got = std::fread(input_.get(), 1, input_bytes, file_);
    stream_->z.next_in = input_.get();
    stream_->z.avail_in = static_cast<uInt>(got);
    if (file_left_) *file_left_ -= std::min<std::uint64_t>(*file_left_, got);
    return got != 0;
}

// After a member's end: zero bytes are skipped; the data ends, or another
// member starts.
void GzipSource::next_member() {
    z_stream& z = stream_->z;
    for (;;) {
        if (z.avail_in == 0 && !refill()) {
            ended_ = true;
            return;
        }
        while (z.avail_in != 0 && *z.next_in == 0) {
            ++z.next_in;
            --z.avail_in;
        }
        if (z.avail_in != 0) break;
    }
    if (*z.next_in != 0x1f) {
        fault_ = Fault::trailing_data;
        return;
    }
    inflateReset(&z);
}

std::size_t GzipSource::inflate_into(unsigned char* out, std::size_t bytes) {
    if (!stream_ || !stream_->initialised) return 0;
    z_stream& z = stream_->z;
    std::size_t produced = 0;
    while (produced < bytes && !ended_ && fault_ == Fault::none) {
        if (z.avail_in == 0 && !refill()) {
            fault_ = Fault::truncated;
            break;
        }
        const std::size_t room =
            std::min<std::size_t>(bytes - produced, std::numeric_limits<uInt>::max());
        z.next_out = out + produced;
        z.avail_out = static_cast<uInt>(room);
        const int result = inflate(&z, Z_NO_FLUSH);
        produced += room - z.avail_out;
        switch (result) {
            case Z_OK:
                break;
            case Z_STREAM_END:
                next_member();
                break;
            case Z_BUF_ERROR:  // no progress: more input is needed
                if (z.avail_in != 0) fault_ = Fault::corrupt;
                break;
            case Z_MEM_ERROR:
                fault_ = Fault::no_memory;
                break;
            default:  // Z_DATA_ERROR, Z_NEED_DICT, Z_STREAM_ERROR
                fault_ = Fault::corrupt;
                zlib_reason_ = z.msg != nullptr ? z.msg : "";
                break;
        }
    }
    return produced;
}

std::size_t GzipSource::read(void* out, std::size_t size, std::size_t count) {
    return inflate_into(static_cast<unsigned char*>(out), size * count) / size;
}

bool GzipSource::have_scratch() {
    if (!scratch_) scratch_.reset(new (std::nothrow) unsigned char[scratch_bytes]);
    if (!scratch_) fault_ = Fault::no_memory;
    return scratch_ != nullptr;
}

bool GzipSource::skip(std::uint64_t bytes) {
    if (!have_scratch()) return false;
    while (bytes != 0) {
        const auto part = static_cast<std::size_t>(std::min<std::uint64_t>(bytes, scratch_bytes));
        const std::size_t got = inflate_into(scratch_.get(), part);
        bytes -= got;
        if (got < part) return false;
    }
    return true;
}

std::uint64_t GzipSource::drain(std::uint64_t limit) {
    if (!have_scratch()) return 0;
    std::uint64_t total = 0;
    while (total <= limit && !ended_ && fault_ == Fault::none) {
        // Never more than one byte past the limit: that byte is the proof.
        const std::uint64_t room = limit - total;
        const std::size_t part =
            room < scratch_bytes ? static_cast<std::size_t>(room) + 1 : scratch_bytes;
        total += inflate_into(scratch_.get(), part);
    }
    return total;
}

std::optional<std::uint64_t> GzipSource::most_left() const {
    if (!file_left_ || !stream_) return std::nullopt;
    const std::uint64_t compressed = *file_left_ + stream_->z.avail_in;
    return compressed * most_per_byte + margin;
}

std::string GzipSource::problem() const {
    switch (fault_) {
        case Fault::none:
            break;
        case Fault::corrupt:
            return zlib_reason_.empty() ? "compressed data is corrupt"
                                        : "compressed data is corrupt (" + zlib_reason_ + ")";
        case Fault::truncated:
            return "compressed data is truncated";
        case Fault::trailing_data:
            return "bytes that are not compressed data follow the compressed data";
        case Fault::no_memory:
            return "cannot allocate the buffers to inflate the compressed data";
    }
    return "";
}

}  // namespace levelset_prep::analyze::detail
