// SPDX-License-Identifier: MIT
#include <limits>
#include <memory>
#include <new>

#include <levelset_prep/volume/volume_utilities.hpp>

#include "selection.hpp"
#include "volume_checks.hpp"

namespace levelset_prep::volume {

namespace {

std::int64_t count_selected(const analyze_byte_image& mask) {
    const std::int64_t n = voxel_count(mask.header);
    std::int64_t count = 0;
    for (std::int64_t i = 0; i < n; ++i)
        if (mask.data[i] != 0) ++count;
    return count;
}

// -1 when k is no position. The NaN and range tests come before the
// conversion, which would be undefined for them.
std::int32_t quantile_position(std::int32_t count, float fraction) {
    if (count == 0 || !(fraction >= 0.0f)) return -1;
    const float product = static_cast<float>(count) * fraction;
    if (!(product < static_cast<float>(count))) return -1;  // fraction 1 and above
    return static_cast<std::int32_t>(product);
}

}  // namespace

float masked_quantile(const analyze_image& image, const analyze_byte_image& mask, float fraction) {
    if (!is_usable_with_mask(image, mask)) return 0.0f;
    // Positions are 32-bit; a larger selection is refused rather than wrapped.
    const std::int64_t selected_count = count_selected(mask);
    if (selected_count > std::numeric_limits<std::int32_t>::max()) return 0.0f;
    const auto count = static_cast<std::int32_t>(selected_count);
    const std::int32_t k = quantile_position(count, fraction);
    if (k < 0) return 0.0f;
    const std::unique_ptr<float[]> selected(new (std::nothrow) float[count]);
    if (!selected) return 0.0f;
    const std::int64_t n = voxel_count(image.header);
    std::int32_t filled = 0;
    for (std::int64_t i = 0; i < n; ++i)
        if (mask.data[i] != 0) selected[filled++] = image.data[i];
    return select_kth_smallest(selected.get(), count, k);
}

}  // namespace levelset_prep::volume
