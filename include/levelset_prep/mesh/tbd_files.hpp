// SPDX-License-Identifier: MIT
// Node tbd files: the tbd nodes of one mesh level, each with two
// references that count from 1 in files and from 0 in memory.
//
// As read:    count                  then per entry: index first second
// As written: count                  then per entry: index first second mark
//
// The written entry carries a fourth column (the node's mark) and its index
// runs from base + 1, base being the next level's node count, so a written
// file is not meant to be read back by read_node_tbd_file.
#pragma once

#include <cstdint>
#include <string>

#include <levelset_prep/mesh/run_parameters.hpp>
#include <levelset_prep/textio/error.hpp>

namespace levelset_prep::mesh {

// Reads the leading count of a tbd file into tbd_size[level] of `param`;
// nothing else. A negative or malformed count is refused, and (by all three
// functions) a level other than 1 to 3.
textio::MaybeError read_tbd_size(const std::string& tbd_file, RunParameters& param,
                                 std::int16_t level);

// Fills tbd_size[level] entries of `first` and `second` (the file's own
// count is skipped) with 0-based references. Refuses a file that cannot be
// opened, ends early or holds a malformed number, and a reference of
// -2147483648, which has no 0-based form.
textio::MaybeError read_node_tbd_file(const std::string& tbd_file, std::int32_t* first,
                                      std::int32_t* second, std::int16_t level,
                                      RunParameters param);

// Writes tbd_size_out[level] entries: index base+i+1, first[i]+1,
// second[i]+1 and marks[base+i], with base = nodes_number_out[level+1].
// `marks` must hold base + tbd_size_out[level] entries. The file replaces
// its target only when it is complete.
textio::MaybeError write_node_tbd_file(const std::int32_t* first, const std::int32_t* second,
                                       const std::string& tbd_file, std::int16_t level,
                                       const std::int16_t* marks, RunParameters param);

}  // namespace levelset_prep::mesh
