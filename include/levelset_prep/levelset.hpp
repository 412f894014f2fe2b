// SPDX-License-Identifier: MIT
// levelset: the level-set grid of levelset_prep.
//
// Owns the grid and its file (level_set_grid.hpp, level_set.hpp), the
// trilinear kernel that samples it, zero removal (zero_removal.hpp), and
// the clean-up as one operation in memory (clean_up.hpp) and over files
// (clean_files.hpp), and its report as JSON (clean_report.hpp).
#pragma once

#include <levelset_prep/levelset/clean_files.hpp>
#include <levelset_prep/levelset/clean_report.hpp>
#include <levelset_prep/levelset/clean_up.hpp>
#include <levelset_prep/levelset/level_set.hpp>
#include <levelset_prep/levelset/level_set_grid.hpp>
#include <levelset_prep/levelset/zero_removal.hpp>
