// SPDX-License-Identifier: MIT
// tetclean's --summary: what a run removed, as a table for standard output.
//
// One row per region read (tetrahedra read, kept, removed), a row for all
// tetrahedra, one for all nodes (read, kept, dropped) and the count of
// nodes outside the grid; numbers right-aligned in columns as wide as the
// widest.
#pragma once

#include <string>

#include <levelset_prep/levelset/clean_files.hpp>

namespace levelset_prep::tetclean {

std::string summary_table(const levelset::CleanReport& report);

}  // namespace levelset_prep::tetclean
