// SPDX-License-Identifier: MIT
#include "volume_checks.hpp"

#include <limits>

namespace levelset_prep::volume {

bool has_positive_dimensions(const analyze_header& header) {
    return header.dim[1] > 0 && header.dim[2] > 0 && header.dim[3] > 0;
}

bool is_inside(const analyze_header& header, std::int32_t x, std::int32_t y, std::int32_t z) {
    return x >= 0 && y >= 0 && z >= 0 && x < header.dim[1] && y < header.dim[2] &&
           z < header.dim[3];
}

bool same_dimensions(const analyze_header& a, const analyze_header& b) {
    return a.dim[1] == b.dim[1] && a.dim[2] == b.dim[2] && a.dim[3] == b.dim[3];
}

bool is_usable(const analyze_image& image) {
    return has_positive_dimensions(image.header) && image.data != nullptr;
}

bool is_usable(const analyze_byte_image& image) {
    return has_positive_dimensions(image.header) && image.data != nullptr;
}

bool is_usable_with_mask(const analyze_image& image, const analyze_byte_image& mask) {
    return is_usable(image) && is_usable(mask) && same_dimensions(image.header, mask.header);
}

std::int64_t box_voxel_count(std::int32_t rx, std::int32_t ry, std::int32_t rz) {
    if (rx < 0 || ry < 0 || rz < 0) return -1;
    constexpr std::int64_t limit = std::numeric_limits<std::int32_t>::max();
    // A side is below 2^32 and the count so far below 2^31, so no product
    // leaves 64 bits before it is tested.
    std::int64_t count = 1;
    for (const std::int64_t side :
         {2 * std::int64_t{rx} + 1, 2 * std::int64_t{ry} + 1, 2 * std::int64_t{rz} + 1}) {
        count *= side;
        if (count > limit) return -1;
    }
    return count;
}

}  // namespace levelset_prep::volume
