// SPDX-License-Identifier: MIT
#include <levelset_prep/volume/volume_utilities.hpp>

#include "volume_checks.hpp"
#include "volume_walk.hpp"

namespace levelset_prep::volume {

namespace {

constexpr std::int32_t search_radius = 11;  // a cube of 23 voxels a side

}  // namespace

bool find_nearest_above(const analyze_image& image, std::int32_t x0, std::int32_t y0,
                        std::int32_t z0, std::int32_t& x, std::int32_t& y, std::int32_t& z,
                        float threshold) {
    x = x0;
    y = y0;
    z = z0;
    // The start is read without a bounds test, so it must lie inside; this
    // also keeps start plus offset inside 32 bits.
    if (!is_usable(image) || !is_inside(image.header, x0, y0, z0)) return false;
    if (voxel_at(image, x0, y0, z0) > threshold) return true;

    const float extent =
        static_cast<float>(image.header.dim[1] + image.header.dim[2] + image.header.dim[3]);
    float best = extent * extent;
    bool found = false;
    // Only a strictly smaller distance wins, so ties keep the first offset.
    for_each_offset(
        search_radius, search_radius, search_radius,
        [&](std::int32_t i, std::int32_t j, std::int32_t k) {
            const float distance = static_cast<float>(i * i + j * j + k * k);
            if (voxel_value(image, x0 + i, y0 + j, z0 + k) > threshold && distance < best) {
                best = distance;
                x = x0 + i;
                y = y0 + j;
                z = z0 + k;
                found = true;
            }
        });
    return found;
}

}  // namespace levelset_prep::volume
