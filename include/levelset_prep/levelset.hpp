// SPDX-License-Identifier: MIT
// levelset: the level-set grid of levelset_prep.
//
// Owns the grid file and the trilinear kernel that samples it
// (level_set.hpp), and zero removal, the clean-up that drops region-0
// tetrahedra away from the surface (zero_removal.hpp).
#pragma once

#include <levelset_prep/levelset/level_set.hpp>
#include <levelset_prep/levelset/zero_removal.hpp>
