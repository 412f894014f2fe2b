// SPDX-License-Identifier: MIT
// These sit on the filters' inner loops, so only debug builds test bounds.
#include <cassert>
#include <cstddef>

#include <levelset_prep/volume/volume_utilities.hpp>

#include "volume_checks.hpp"

namespace levelset_prep::volume {

namespace {

// x + nx*(y + ny*z) in 64 bits: the largest volume has more than 2^31 voxels.
std::ptrdiff_t sample_index(const analyze_header& header, std::int32_t x, std::int32_t y,
                            std::int32_t z) {
    const std::ptrdiff_t nx = header.dim[1], ny = header.dim[2];
    return x + nx * (y + ny * z);
}

}  // namespace

float voxel_at(const analyze_image& image, std::int32_t x, std::int32_t y, std::int32_t z) {
    assert(image.data != nullptr && is_inside(image.header, x, y, z));
    return image.data[sample_index(image.header, x, y, z)];
}

void set_voxel_at(analyze_image& image, std::int32_t x, std::int32_t y, std::int32_t z,
                  float value) {
    assert(image.data != nullptr && is_inside(image.header, x, y, z));
    image.data[sample_index(image.header, x, y, z)] = value;
}

std::uint8_t mask_at(const analyze_byte_image& image, std::int32_t x, std::int32_t y,
                     std::int32_t z) {
    assert(image.data != nullptr && is_inside(image.header, x, y, z));
    return image.data[sample_index(image.header, x, y, z)];
}

std::int8_t index_of_max(const float* values, std::int32_t count) {
    // The position is a signed byte, so at most 128 entries can be told apart.
    assert(count >= 1 && count <= 128);
    std::int32_t best = 0;
    for (std::int32_t i = 1; i < count; ++i)
        if (values[i] > values[best]) best = i;
    return static_cast<std::int8_t>(best);
}

}  // namespace levelset_prep::volume
