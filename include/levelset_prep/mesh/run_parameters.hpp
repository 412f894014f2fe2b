// SPDX-License-Identifier: MIT
// The one record of a tetclean run: the grid extent from the parameter file,
// the level-set grid dimensions derived from it for the three levels, and the
// per-level node, element and tbd counts that the readers and zero removal
// fill in. Levels run from 1 (finest grid) to 3; index 0 (and 4) of the
// count arrays is never used.
#pragma once

#include <array>
#include <cstdint>
#include <string>

#include <levelset_prep/textio/error.hpp>
#include <levelset_prep/textio/token_scanner.hpp>

namespace levelset_prep::mesh {

struct RunParameters {
    std::array<std::int32_t, 5> nodes_number{};
    std::array<std::int32_t, 5> tets_number{};
    std::array<std::int32_t, 5> nodes_number_out{};
    std::array<std::int32_t, 5> tets_number_out{};
    std::array<std::int32_t, 4> tbd_size{};
    std::array<std::int32_t, 4> tbd_size_out{};
    std::int16_t reserved_short = 0;
    std::int32_t size_x = 0, size_y = 0, size_z = 0;
    std::int32_t grid3_nx = 0, grid3_ny = 0, grid3_nz = 0, grid3_count = 0;
    std::int32_t grid2_nx = 0, grid2_ny = 0, grid2_nz = 0, grid2_count = 0;
    std::int32_t grid1_nx = 0, grid1_ny = 0, grid1_nz = 0, grid1_count = 0;
    bool reserved_flag = false;

    // Reads the parameter file: sixteen numbers, of which the first three
    // (whole numbers) are the grid extents and the rest are the simulation's
    // own and go nowhere. Clears every count, rounds each extent up to a
    // multiple of 4 (a negative one stays as it is) and derives the three
    // grid levels:
    //   level 1: 2*size + 32 points per axis, level 2: 2*(size/2) + 32,
    //   level 3: 2*(size/4) + 32; each count is 8 times its point count.
    // Fails when the file cannot be opened, when one of the first three
    // values is missing or not a whole number, when a level-1 dimension
    // would be below 1, or when a count would not fit in 32 bits; the record
    // is then left as it was.
    textio::MaybeError read_parameter_file(const std::string& file_name);
    // The same from text already open; `file_name` only names it in errors.
    textio::MaybeError read_parameters(textio::TokenScanner& text, const std::string& file_name);
};

// Grid points of a level along one axis, and the points the kernel samples
// (the first third of the level's count: count / 8).
struct GridShape {
    std::int32_t nx = 0, ny = 0, nz = 0;
    std::int64_t points() const { return std::int64_t{nx} * ny * nz; }
};
GridShape grid_shape(const RunParameters& param, std::int16_t level);

}  // namespace levelset_prep::mesh
