// SPDX-License-Identifier: MIT
// In-place selection of the k-th smallest value: Hoare's FIND in the form
// that Wirth gives it.
#pragma once

#include <cstdint>

namespace levelset_prep::volume {

// Moves the k-th smallest (0-based, 0 <= k < count) to values[k] and returns
// it. NaNs make the result meaningless but never leave the range.
float select_kth_smallest(float* values, std::int32_t count, std::int32_t k);

}  // namespace levelset_prep::volume
