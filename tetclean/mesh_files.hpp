// The mesh as text files: a node file and an element file.
//
// Node file:    N 3                    then per node:    number x y z
// Element file: T 4 1                  then per element: number n1 n2 n3 n4 attribute
//
// Numbers are separated by any white space; line ends mean nothing. The
// record numbers in the files are skipped on reading and written afresh
// (1, 2, 3, ...) on writing; node numbers count from 1 in files and from 0
// in memory. Data after the last counted record is ignored.
//
// In memory, node i holds x, y, z at 3i..3i+2 (doubles) and element j holds
// its four 0-based node indices and then its attribute at 5j..5j+4.
//
// Every reader checks what it reads: a count that is negative or not a whole
// number, a number that cannot be read as its type, fewer records than the
// count, and (elements) a node number outside 1..N are errors that name the
// file and, where it applies, the record (counted from 1) and the value.
#pragma once

#include <cstdint>
#include <span>
#include <string>

#include "error.hpp"
#include "run_parameters.hpp"
#include "token_scanner.hpp"

namespace tetclean {

// Reads the first number of each file: nodes_number[level] and
// tets_number[level] of `param`. A count that the file could not possibly
// hold (fewer bytes than its records need) is refused here, before anything
// is allocated from it, and so is a file that is not a regular file (a
// pipe), whose size cannot vouch for its count.
common::MaybeError read_mesh_sizes(const std::string& node_file, const std::string& ele_file,
                                   std::int16_t level, RunParameters& param);

// Fills 3 * nodes_number[level] doubles of `nodes`. The file's own count must
// still be the one read_mesh_sizes saw.
common::MaybeError read_nodes(double* nodes, const std::string& node_file, std::int16_t level,
                              RunParameters param);
common::MaybeError read_nodes(double* nodes, common::TokenScanner& text,
                              const std::string& node_file, std::int16_t level,
                              RunParameters param);

// Fills 5 * tets_number[level] integers of `tets`; node numbers must lie in
// 1..nodes_number[level].
common::MaybeError read_elements(std::int32_t* tets, const std::string& ele_file,
                                 std::int16_t level, RunParameters param);
common::MaybeError read_elements(std::int32_t* tets, common::TokenScanner& text,
                                 const std::string& ele_file, std::int16_t level,
                                 RunParameters param);

// Writes nodes_number_out[level] nodes and tets_number_out[level] elements
// in the layout above (coordinates with 6 significant digits, one space
// between fields, a line end after every line). Both files are replaced
// only once both are complete, both or neither (output_set.hpp); an output
// that replaces one of `inputs` is flushed to disk first. The two names
// must not name one file (check_output_names).
common::MaybeError write_nodes_and_tets(const double* nodes, const std::int32_t* tets,
                                        RunParameters param, std::int16_t level,
                                        const std::string& node_file_out,
                                        const std::string& ele_file_out,
                                        std::span<const std::string> inputs = {});

// Node tbd files list the tbd nodes of one level, each with two references
// that count from 1 in files and from 0 in memory.
//
// As read:    count                  then per entry: index first second
// As written: count                  then per entry: index first second mark
//
// The written entry carries a fourth column (the node's mark) and its index
// runs from base + 1, base being the next level's node count, so a written
// file is not meant to be read back by read_node_tbd_file.

// Reads the leading count of a tbd file into tbd_size[level] of `param`;
// nothing else of the file is read.
common::MaybeError read_tbd_size(const std::string& tbd_file, RunParameters& param,
                                 std::int16_t level);

// Fills tbd_size[level] entries of `first` and `second` (the file's own
// count is skipped) with 0-based references. Fails when the file cannot be
// opened, or ends or holds a non-integer before the last entry; a reference
// of -2147483648, which has no 0-based form, is refused too.
common::MaybeError read_node_tbd_file(const std::string& tbd_file, std::int32_t* first,
                                      std::int32_t* second, std::int16_t level,
                                      RunParameters param);

// Writes tbd_size_out[level] entries: index base+i+1, first[i]+1,
// second[i]+1 and marks[base+i], with base = nodes_number_out[level+1].
// `marks` must hold base + tbd_size_out[level] entries. The file replaces
// its target only when it is complete.
common::MaybeError write_node_tbd_file(const std::int32_t* first, const std::int32_t* second,
                                       const std::string& tbd_file, std::int16_t level,
                                       const std::int16_t* marks, RunParameters param);

}  // namespace tetclean
