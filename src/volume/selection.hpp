// SPDX-License-Identifier: MIT
// In-place selection of the k-th smallest value: Hoare's FIND in the form
// that Wirth gives it.
#pragma once

#include <cstdint>

namespace levelset_prep::volume {

// Rearranges values[0..count-1] so that values[k] holds the k-th smallest
// (0-based) and returns it. Requires 0 <= k < count. Never reads or writes
// outside the range, NaNs included (they only make the result meaningless).
float select_kth_smallest(float* values, std::int32_t count, std::int32_t k);

}  // namespace levelset_prep::volume
