// SPDX-License-Identifier: MIT
// The level-set grid in memory, and its file.
//
// A grid of nx by ny by nz values, x fastest, then y, then z: point
// (i, j, k) at i + j*nx + k*nx*ny, at mesh coordinates ((i - 3)/2,
// (j - 3)/2, (k - 3)/2). Its shape comes from the parameter file
// (grid_shape at level 1).
#pragma once

#include <atomic>
#include <memory>
#include <string>

#include <levelset_prep/mesh/run_parameters.hpp>
#include <levelset_prep/textio/error.hpp>

namespace levelset_prep::levelset {

struct LevelSetGrid {
    mesh::GridShape shape;
    std::unique_ptr<float[]> values;  // shape.points() values

    // Room for the values, untouched; false when it cannot be had.
    bool allocate(const mesh::GridShape& grid_shape);
    // The record interpolate_sd samples this grid with, at level 1.
    mesh::RunParameters parameters() const;
};

// Fills the grid's values from its file (text: numbers separated by any
// white space), giving up once `stop` is set. Errors as read_level_set's.
textio::MaybeError read_level_set_file(const std::string& file_name, LevelSetGrid& grid,
                                       const std::atomic<bool>* stop = nullptr);

}  // namespace levelset_prep::levelset
