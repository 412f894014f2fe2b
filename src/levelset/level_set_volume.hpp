// SPDX-License-Identifier: MIT
// The level-set grid from a NIfTI-1 single file (.nii, .nii.gz): its first
// three dims must be the grid's, it holds one volume, and its samples are
// converted (scaled where scl_slope asks for it, 16-bit ones signed) straight
// into the grid's values. Every value must be finite, as in a text grid.
// A header whose transforms place the voxels elsewhere than the grid's
// points is read all the same, with a notice (volume_geometry.hpp).
#pragma once

#include <atomic>
#include <string>

#include <levelset_prep/analyze/nifti_volume.hpp>
#include <levelset_prep/levelset/level_set_grid.hpp>

namespace levelset_prep::levelset::detail {

textio::MaybeError read_level_set_volume(const std::string& file_name, LevelSetGrid& grid,
                                         const std::atomic<bool>* stop, LevelSetFileNotes* notes);

// The notice for a header whose transforms do not put voxel (i, j, k) at
// the grid's point (-1.5 + i/2, -1.5 + j/2, -1.5 + k/2): the sform's when it
// is set and differs, else the qform's; empty when neither differs (or
// neither is set). Without the file name.
std::string geometry_notice(const analyze::NiftiTransforms& transforms);

}  // namespace levelset_prep::levelset::detail
