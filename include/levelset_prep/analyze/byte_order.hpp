// SPDX-License-Identifier: MIT
// Byte order of headers and samples.
//
// A pair written on a machine of the other byte order is recognised by its
// header: sizeof_hdr reads 348 only in the order the header was written in.
// swap_header then brings the fields that the module uses into the machine's
// order, and every 16-bit and 32-bit sample of the image must be swapped too.
//
// The swaps work on values with shifts, never through misaligned pointers;
// the 32-bit form serves integers and floats alike.
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

// True when sizeof_hdr does not read 348: the header (and its samples) are
// in the other byte order.
bool header_needs_swap(const analyze_header& header);

// Swaps, in this order: sizeof_hdr, extents, dim[0..4], datatype, bitpix,
// pixdim[1..6], glmax, glmin. No other byte is touched.
void swap_header(analyze_header& header);

}  // namespace levelset_prep::analyze
