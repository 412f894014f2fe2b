// SPDX-License-Identifier: MIT
// The two orders in which the volume operations walk voxels.
//
// Visiting order (filters and smoothing): x from 0 to nx-1 outermost, then y,
// then z innermost. This is not the storage order (x fastest), and in-place
// filters make the difference visible, so every operation walks through
// these two templates.
//
// Neighbourhood order: x offset outermost, then y, then z, each from its
// negative radius to its positive radius.
#pragma once

#include <cstdint>

#include <levelset_prep/volume/volume_utilities.hpp>

namespace levelset_prep::volume {

// Calls visit(x, y, z) for every voxel of the header's volume in visiting
// order. dim[1..3] must be positive.
template <typename Visit>
void for_each_voxel(const analyze_header& header, Visit&& visit) {
    const std::int32_t nx = header.dim[1], ny = header.dim[2], nz = header.dim[3];
    for (std::int32_t x = 0; x < nx; ++x)
        for (std::int32_t y = 0; y < ny; ++y)
            for (std::int32_t z = 0; z < nz; ++z) visit(x, y, z);
}

// Calls visit(i, j, k) for every offset of the box -rx..rx, -ry..ry, -rz..rz
// in neighbourhood order. The radii must be non-negative and small enough
// that coordinate plus offset stays inside 32 bits (see box_voxel_count).
template <typename Visit>
void for_each_offset(std::int32_t rx, std::int32_t ry, std::int32_t rz, Visit&& visit) {
    for (std::int32_t i = -rx; i <= rx; ++i)
        for (std::int32_t j = -ry; j <= ry; ++j)
            for (std::int32_t k = -rz; k <= rz; ++k) visit(i, j, k);
}

}  // namespace levelset_prep::volume
