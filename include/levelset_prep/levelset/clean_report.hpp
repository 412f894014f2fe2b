// SPDX-License-Identifier: MIT
// What a clean-up did, as the JSON object tetclean's --report writes.
//
// clean_report_json gives one object, keys in this order: program, version,
// the four input names (node_file_in, ele_file_in, level_set_file,
// parameters_file), threshold (the float's shortest text), nodes_read,
// nodes_kept, nodes_dropped, nodes_outside_grid, tetrahedra_read,
// tetrahedra_kept, tetrahedra_removed, and regions: [{region, read, kept,
// removed}] in ascending region. Bytes of a name that are not UTF-8 become
// U+FFFD. The text ends in a line end.
#pragma once

#include <string>
#include <string_view>

#include <levelset_prep/levelset/clean_files.hpp>

namespace levelset_prep::levelset {

std::string clean_report_json(const CleanReport& report, const CleanFiles& files, float threshold,
                              std::string_view version);

}  // namespace levelset_prep::levelset
