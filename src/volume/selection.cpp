// SPDX-License-Identifier: MIT
#include "selection.hpp"

#include <cassert>
#include <utility>

namespace levelset_prep::volume {

namespace {

// The pivot's own position stops both scans on the first pass, and each
// exchange leaves a stopper behind, so neither scan leaves the range.
void partition(float* values, float pivot, std::int32_t& i, std::int32_t& j) {
    do {
        while (values[i] < pivot) ++i;
        while (pivot < values[j]) --j;
        if (i <= j) {
            std::swap(values[i], values[j]);
            ++i;
            --j;
        }
    } while (i <= j);
}

}  // namespace

float select_kth_smallest(float* values, std::int32_t count, std::int32_t k) {
    assert(k >= 0 && k < count);
    std::int32_t left = 0;
    std::int32_t right = count - 1;
    while (left < right) {
        std::int32_t i = left;
        std::int32_t j = right;
        partition(values, values[k], i, j);
        if (j < k) left = i;
        if (k < i) right = j;
    }
    return values[k];
}

}  // namespace levelset_prep::volume
