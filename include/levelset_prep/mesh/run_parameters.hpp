// SPDX-License-Identifier: MIT
// The record of a tetclean run: the grid extents of the parameter file,
// the grid dimensions of the three levels (1 the finest) derived from them,
// and the per-level counts the readers and zero removal fill in (index 0
// and 4 unused).
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

    // Sixteen numbers, of which only the first three, the grid extents
    // (whole numbers), are read. Clears every count, rounds each extent up
    // to a multiple of 4 and derives the levels: 2*size + 32 points per
    // axis at level 1, 2*(size/2) + 32 at 2, 2*(size/4) + 32 at 3, each
    // count 8 times its points. Refuses a missing or malformed extent, a
    // grid with no points and counts beyond 32 bits, leaving the record.
    textio::MaybeError read_parameter_file(const std::string& file_name);
    // The same from text already open; `file_name` only names it in errors.
    textio::MaybeError read_parameters(textio::TokenScanner& text, const std::string& file_name);
};

// A level's grid points along each axis; the kernel samples count / 8.
struct GridShape {
    std::int32_t nx = 0, ny = 0, nz = 0;
    std::int64_t points() const { return std::int64_t{nx} * ny * nz; }
};
GridShape grid_shape(const RunParameters& param, std::int16_t level);

}  // namespace levelset_prep::mesh
