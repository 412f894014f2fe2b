// SPDX-License-Identifier: MIT
// gzip data inflated a chunk at a time with zlib, straight into the volume.
// Several members may follow one another, and zero bytes may follow the
// last (tape padding). Lengths and CRC-32s are checked as members end, so
// data is known intact only once drained.
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

    // `already_read` holds bytes taken from `file` before; they come first.
    bool start(std::FILE* file, std::span<const unsigned char> already_read);

    std::size_t read(void* out, std::size_t size, std::size_t count) override;

    bool skip(std::uint64_t bytes);

    // Inflates and drops the rest, stopping past `limit`: returns limit + 1 at most.
    std::uint64_t drain(std::uint64_t limit);

    // Deflate gives at most 1032 bytes per compressed byte; nothing for a pipe.
    std::optional<std::uint64_t> most_left() const;

    Fault fault() const { return fault_; }
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
