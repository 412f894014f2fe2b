// SPDX-License-Identifier: MIT
// Argument checks that keep the volume operations inside their buffers.
#pragma once

#include <cstdint>

#include <levelset_prep/volume/volume_utilities.hpp>

namespace levelset_prep::volume {

bool has_positive_dimensions(const analyze_header& header);

bool is_inside(const analyze_header& header, std::int32_t x, std::int32_t y, std::int32_t z);

bool same_dimensions(const analyze_header& a, const analyze_header& b);

bool is_usable(const analyze_image& image);
bool is_usable(const analyze_byte_image& image);

bool is_usable_with_mask(const analyze_image& image, const analyze_byte_image& mask);

// -1 when a radius is negative or the count exceeds 2^31-1, which also keeps
// every neighbour coordinate inside 32 bits.
std::int64_t box_voxel_count(std::int32_t rx, std::int32_t ry, std::int32_t rz);

}  // namespace levelset_prep::volume
