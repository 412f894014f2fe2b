// SPDX-License-Identifier: MIT
// Byte order: sizeof_hdr reads 348 only in the order the header was written
// in. Swaps use shifts on values, never misaligned pointers.
#pragma once

#include <bit>
#include <cstdint>

#include <levelset_prep/analyze/analyze_image.hpp>

namespace levelset_prep::analyze {

inline void swap_bytes_16(std::uint16_t& value) {
    value = static_cast<std::uint16_t>((value >> 8) | (value << 8));
}

inline void swap_bytes_16(std::int16_t& value) {
    auto bits = static_cast<std::uint16_t>(value);
    swap_bytes_16(bits);
    value = static_cast<std::int16_t>(bits);
}

inline void swap_bytes_32(std::uint32_t& value) {
    value =
        (value >> 24) | ((value >> 8) & 0x0000ff00u) | ((value << 8) & 0x00ff0000u) | (value << 24);
}

inline void swap_bytes_32(std::int32_t& value) {
    auto bits = static_cast<std::uint32_t>(value);
    swap_bytes_32(bits);
    value = static_cast<std::int32_t>(bits);
}

inline void swap_bytes_32(float& value) {
    auto bits = std::bit_cast<std::uint32_t>(value);
    swap_bytes_32(bits);
    value = std::bit_cast<float>(bits);
}

bool header_needs_swap(const analyze_header& header);

// Only sizeof_hdr, extents, dim[0..4], datatype, bitpix, pixdim[1..6],
// glmax and glmin.
void swap_header(analyze_header& header);

}  // namespace levelset_prep::analyze
