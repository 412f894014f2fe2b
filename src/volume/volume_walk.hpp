// SPDX-License-Identifier: MIT
// The voxel and neighbourhood orders, x outermost and z innermost. This is
// not the storage order (x fastest), and in-place filters make the
// difference visible, so every operation walks through these templates.
#pragma once

#include <cstdint>

#include <levelset_prep/volume/volume_utilities.hpp>

namespace levelset_prep::volume {

// dim[1..3] must be positive.
template <typename Visit>
void for_each_voxel(const analyze_header& header, Visit&& visit) {
    const std::int32_t nx = header.dim[1], ny = header.dim[2], nz = header.dim[3];
    for (std::int32_t x = 0; x < nx; ++x)
        for (std::int32_t y = 0; y < ny; ++y)
            for (std::int32_t z = 0; z < nz; ++z) visit(x, y, z);
}

// Radii as accepted by box_voxel_count.
template <typename Visit>
void for_each_offset(std::int32_t rx, std::int32_t ry, std::int32_t rz, Visit&& visit) {
    for (std::int32_t i = -rx; i <= rx; ++i)
        for (std::int32_t j = -ry; j <= ry; ++j)
            for (std::int32_t k = -rz; k <= rz; ++k) visit(i, j, k);
}

}  // namespace levelset_prep::volume
