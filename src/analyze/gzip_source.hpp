// SPDX-License-Identifier: MIT
// gzip-compressed bytes (a .nii.gz file, a pair's .img.gz) inflated a chunk
// at a time with zlib, as a ByteSource: the samples go straight from the
// stream into the float volume, and no more than a chunk of the file and a
// chunk of scratch space is held besides.
//
// The data may hold several gzip members one after the other, as gzip
// itself allows, and zero bytes after the last one (tape padding); any other
// byte after a member is a fault. Every member's length and CRC-32 are
// checked when it ends, so a stream is known to be intact only once it has
// been inflated to its end (drain).
#pragma once

#include <cstdint>
#include <cstdio>
#include <memory>
#include <optional>
#include <span>
#include <string>

#include "sample_conversion.hpp"

namespace levelset_prep::analyze::detail {

class GzipSource final : public ByteSource {
public:
    enum class Fault {
        none,
        corrupt,        // not gzip data, or a damaged stream (zlib's reason in problem())
        truncated,      // the file ends (or cannot be read) inside a member
        trailing_data,  // bytes that are neither zeros nor a member follow a member
        no_memory,      // zlib's state or the buffers cannot be had
    };

    GzipSource();
    ~GzipSource();
    GzipSource(const GzipSource&) = delete;
    GzipSource& operator=(const GzipSource&) = delete;

    // Starts on `file`, from which the bytes `already_read` have been taken
    // (they are inflated first). False, with fault() no_memory, when the
    // buffers cannot be had.
    bool start(std::FILE* file, std::span<const unsigned char> already_read);

    // Inflates whole samples into `out` (see ByteSource).
    std::size_t read(void* out, std::size_t size, std::size_t count) override;

    // Inflates and drops `bytes`; false when the data ends first.
    bool skip(std::uint64_t bytes);

    // Inflates the rest of the data and drops it, but stops as soon as more
    // than `limit` bytes have come; returns how many came (limit + 1 at
    // most). The data is intact when the result is at most `limit` and
    // fault() is none.
    std::uint64_t drain(std::uint64_t limit);

    // The most bytes the data not yet inflated could give (deflate gives at
    // most 1032 bytes for a compressed byte), or nothing when the file's
    // size is unknown (a pipe).
    std::optional<std::uint64_t> most_left() const;

    Fault fault() const { return fault_; }
    // The fault in words: "compressed data is corrupt (invalid block type)".
    std::string problem() const;

private:
    std::size_t inflate_into(unsigned char* out, std::size_t bytes);
    bool refill();
    void next_member();
    bool have_scratch();

    struct Stream;
    std::unique_ptr<Stream> stream_;
    std::FILE* file_ = nullptr;
    std::unique_ptr<unsigned char[]> input_;
    std::unique_ptr<unsigned char[]> scratch_;
    std::optional<std::uint64_t> file_left_;  // compressed bytes not yet read from the file
    bool ended_ = false;
    Fault fault_ = Fault::none;
    std::string zlib_reason_;
};

}  // namespace levelset_prep::analyze::detail
