// SPDX-License-Identifier: MIT
#include "image_file_bytes.hpp"

#include <algorithm>
#include <cstring>
#include <new>

#include <levelset_prep/textio/input_file.hpp>

namespace levelset_prep::analyze {
namespace {

constexpr std::uint64_t first_capacity = std::uint64_t{1} << 20;

}  // namespace

std::optional<std::uint64_t> bytes_left(std::FILE* file) {
    const long here = std::ftell(file);
    if (here < 0) return std::nullopt;
    const auto end = textio::regular_file_size(file);
    if (!end) return std::nullopt;
    const auto start = static_cast<std::uint64_t>(here);
    return *end > start ? *end - start : 0;
}

ReadStatus read_growing(std::FILE* file, std::uint64_t needed,
                        std::unique_ptr<unsigned char[]>& buffer) {
    std::uint64_t capacity = std::min(needed, first_capacity);
    buffer.reset(new (std::nothrow) unsigned char[capacity]);
    if (!buffer) return ReadStatus::no_sample_buffer;
    std::uint64_t got = 0;
    for (;;) {
        got += std::fread(buffer.get() + got, 1, capacity - got, file);
        if (got == needed) return ReadStatus::ok;
        if (got < capacity) return ReadStatus::image_too_short;  // end of file or a read error
        // Full, and more is wanted: the file has shown this many bytes, so
        // twice as many may be asked for.
        const std::uint64_t larger = std::min(needed, 2 * capacity);
        std::unique_ptr<unsigned char[]> grown(new (std::nothrow) unsigned char[larger]);
        if (!grown) return ReadStatus::no_sample_buffer;
        std::memcpy(grown.get(), buffer.get(), got);
        buffer = std::move(grown);
        capacity = larger;
    }
}

}  // namespace levelset_prep::analyze
