// SPDX-License-Identifier: MIT
// The level-set (signed distance) grid: reading it from text, and sampling
// it at a mesh point.
//
// The grid file holds plain numbers separated by any white space, with no
// header: the dimensions come from the parameter file. Value v (from 0) is
// grid index v, x varying fastest, then y, then z: point (i, j, k) of a level
// with nx by ny by nz points is at i + j*nx + k*nx*ny.
#pragma once

#include <cstdint>
#include <string>

#include <levelset_prep/mesh/run_parameters.hpp>
#include <levelset_prep/textio/error.hpp>
#include <levelset_prep/textio/token_scanner.hpp>

namespace levelset_prep::levelset {

// Fills grid[0 .. nx*ny*nz) of the level from the file. The buffer is the
// level's count (8 times the points) in size; the values after the sampled
// points are never used, so they are neither read nor touched. Fails when
// the file cannot be opened, or holds fewer numbers than the grid has points
// (counted up to its end or its first token that is not a number).
textio::MaybeError read_level_set(const std::string& file_name, float* grid,
                                  mesh::RunParameters param, std::int16_t level);
textio::MaybeError read_level_set(textio::TokenScanner& text, const std::string& file_name,
                                  float* grid, const mesh::RunParameters& param,
                                  std::int16_t level);

// The grid value at mesh point (x, y, z), interpolated trilinearly between
// the eight grid points around it, in 32-bit float arithmetic step by step.
// Level 1 maps a mesh coordinate c to grid coordinate 2c + 3 (spacing 0.5,
// point 0 at -1.5), level 2 to c + 9, level 3 to c/2 + 12. A point outside
// the grid (or not a number) reads as out_of_grid_value. Levels other than
// 1 to 3 have no grid: every point is outside.
inline constexpr float out_of_grid_value = 800.0f;
float interpolate_sd(float x, float y, float z, const float* grid, const mesh::RunParameters& param,
                     std::int16_t level);

}  // namespace levelset_prep::levelset
