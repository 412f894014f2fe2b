// SPDX-License-Identifier: MIT
// interpolate_sd that also tells whether the point lies outside the grid,
// which its value alone cannot (a grid may hold 800 itself).
#pragma once

#include <cstdint>

#include <levelset_prep/mesh/run_parameters.hpp>

namespace levelset_prep::levelset {

float sample_grid(float x, float y, float z, const float* grid, const mesh::RunParameters& param,
                  std::int16_t level, bool& outside);

}  // namespace levelset_prep::levelset
