// SPDX-License-Identifier: MIT
#include <array>
#include <cmath>
#include <cstddef>
#include <memory>
#include <new>

#include <levelset_prep/volume/volume_utilities.hpp>

#include "selection.hpp"
#include "volume_checks.hpp"
#include "volume_walk.hpp"

namespace levelset_prep::volume {

namespace {

constexpr std::int32_t smoothing_radius = 3;
// The divisor stays 343 at the border, where outside voxels add 0.
constexpr float smoothing_divisor = 343.0f;
constexpr std::int32_t max_nearest_count = 128;  // positions come from index_of_max

float box_mean_343(const analyze_image& image, std::int32_t x, std::int32_t y, std::int32_t z) {
    float sum = 0.0f;
    for_each_offset(smoothing_radius, smoothing_radius, smoothing_radius,
                    [&](std::int32_t i, std::int32_t j, std::int32_t k) {
                        sum += voxel_value(image, x + i, y + j, z + k);
                    });
    return sum / smoothing_divisor;
}

float box_median(const analyze_image& image, std::int32_t x, std::int32_t y, std::int32_t z,
                 std::int32_t rx, std::int32_t ry, std::int32_t rz, float* box, std::int32_t size) {
    std::int32_t filled = 0;
    for_each_offset(rx, ry, rz, [&](std::int32_t i, std::int32_t j, std::int32_t k) {
        box[filled++] = voxel_value(image, x + i, y + j, z + k);
    });
    return select_kth_smallest(box, size, (size - 1) / 2);
}

float nearest_mean(const analyze_image& image, std::int32_t x, std::int32_t y, std::int32_t z,
                   std::int32_t rx, std::int32_t ry, std::int32_t rz, std::int32_t k) {
    const float c = voxel_at(image, x, y, z);
    std::array<float, max_nearest_count> kept{};
    std::array<float, max_nearest_count> distance{};
    std::int32_t held = 0;
    for_each_offset(rx, ry, rz, [&](std::int32_t i, std::int32_t j, std::int32_t l) {
        const float v = voxel_value(image, x + i, y + j, z + l);
        const float d = std::fabs(v - c);
        if (held < k) {
            kept[held] = v;
            distance[held] = d;
            ++held;
            return;
        }
        const std::int8_t farthest = index_of_max(distance.data(), k);
        if (distance[farthest] > d) {
            kept[farthest] = v;
            distance[farthest] = d;
        }
    });
    float sum = 0.0f;
    for (std::int32_t s = 0; s < k; ++s) sum += kept[s];
    return sum / static_cast<float>(k);
}

}  // namespace

bool smooth_below(analyze_image& image, const analyze_image& reference, float threshold,
                  std::int32_t iterations) {
    if (!is_usable(image) || !is_usable(reference) ||
        !same_dimensions(image.header, reference.header))
        return false;
    for (std::int32_t pass = 0; pass < iterations; ++pass)
        for_each_voxel(image.header, [&](std::int32_t x, std::int32_t y, std::int32_t z) {
            if (voxel_at(reference, x, y, z) < threshold)
                set_voxel_at(image, x, y, z, box_mean_343(image, x, y, z));
        });
    return true;
}

bool masked_median_filter(analyze_image& image, const analyze_byte_image& mask, std::int32_t rx,
                          std::int32_t ry, std::int32_t rz) {
    const std::int64_t size = box_voxel_count(rx, ry, rz);
    if (size < 0 || !is_usable_with_mask(image, mask)) return false;
    const std::unique_ptr<float[]> box(new (std::nothrow) float[static_cast<std::size_t>(size)]);
    if (!box) return false;
    for_each_voxel(image.header, [&](std::int32_t x, std::int32_t y, std::int32_t z) {
        if (mask_at(mask, x, y, z) != 0)
            set_voxel_at(
                image, x, y, z,
                box_median(image, x, y, z, rx, ry, rz, box.get(), static_cast<std::int32_t>(size)));
    });
    return true;
}

bool masked_nearest_mean_filter(analyze_image& image, const analyze_byte_image& mask,
                                std::int32_t rx, std::int32_t ry, std::int32_t rz, std::int32_t k) {
    if (k < 1 || k > max_nearest_count) return false;
    if (box_voxel_count(rx, ry, rz) < k || !is_usable_with_mask(image, mask)) return false;
    for_each_voxel(image.header, [&](std::int32_t x, std::int32_t y, std::int32_t z) {
        if (mask_at(mask, x, y, z) != 0)
            set_voxel_at(image, x, y, z, nearest_mean(image, x, y, z, rx, ry, rz, k));
    });
    return true;
}

}  // namespace levelset_prep::volume
