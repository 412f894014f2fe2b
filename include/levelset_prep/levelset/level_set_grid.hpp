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

// What reading a grid file noticed without failing.
struct LevelSetFileNotes {
    bool more_values = false;  // text: a number follows the last one the grid needs
    // A NIfTI-1 file whose header places its voxels elsewhere than the
    // grid's points: that in words (without the file name), else empty.
    std::string geometry;
};

// Fills the grid's values from its file, giving up once `stop` is set. A
// name ending in .nii or .nii.gz is a NIfTI-1 single file (plain or
// gzip-compressed) whose dims 1 to 3 are the grid's, holding one volume of
// finite values, scaled where its scl_slope asks for it; any other name is
// text, numbers separated by any white space (errors as read_level_set's).
textio::MaybeError read_level_set_file(const std::string& file_name, LevelSetGrid& grid,
                                       const std::atomic<bool>* stop = nullptr,
                                       LevelSetFileNotes* notes = nullptr);

}  // namespace levelset_prep::levelset
