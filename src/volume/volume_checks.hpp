// SPDX-License-Identifier: MIT
// Argument checks shared by the volume operations: whether a volume can be
// read or changed without leaving its buffer, whether two volumes match, and
// how many voxels a neighbourhood box holds.
#pragma once

#include <cstdint>

#include <levelset_prep/volume/volume_utilities.hpp>

namespace levelset_prep::volume {

// dim[1], dim[2] and dim[3] are all at least 1.
bool has_positive_dimensions(const analyze_header& header);

// (x, y, z) lies inside the header's volume.
bool is_inside(const analyze_header& header, std::int32_t x, std::int32_t y, std::int32_t z);

// dim[1..3] of the two headers are equal.
bool same_dimensions(const analyze_header& a, const analyze_header& b);

// Positive dimensions and samples attached: every voxel can be addressed.
bool is_usable(const analyze_image& image);
bool is_usable(const analyze_byte_image& image);

// A usable image with a usable mask of the same dimensions.
bool is_usable_with_mask(const analyze_image& image, const analyze_byte_image& mask);

// (2rx+1)(2ry+1)(2rz+1), or -1 when a radius is negative or the count does
// not fit a 32-bit signed integer (which also keeps every neighbour
// coordinate inside 32 bits).
std::int64_t box_voxel_count(std::int32_t rx, std::int32_t ry, std::int32_t rz);

}  // namespace levelset_prep::volume
