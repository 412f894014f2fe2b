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

#include <levelset_prep/mesh/run_parameters.hpp>
#include <levelset_prep/textio/error.hpp>
#include <levelset_prep/textio/token_scanner.hpp>

namespace levelset_prep::mesh {

// Reads the first number of each file: nodes_number[level] and
// tets_number[level] of `param`. A count that the file could not possibly
// hold (fewer bytes than its records need) is refused here, before anything
// is allocated from it, and so is a file that is not a regular file (a
// pipe), whose size cannot vouch for its count.
textio::MaybeError read_mesh_sizes(const std::string& node_file, const std::string& ele_file,
                                   std::int16_t level, RunParameters& param);

// Fills 3 * nodes_number[level] doubles of `nodes`. The file's own count must
// still be the one read_mesh_sizes saw.
textio::MaybeError read_nodes(double* nodes, const std::string& node_file, std::int16_t level,
                              RunParameters param);
textio::MaybeError read_nodes(double* nodes, textio::TokenScanner& text,
                              const std::string& node_file, std::int16_t level,
                              RunParameters param);

// Fills 5 * tets_number[level] integers of `tets`; node numbers must lie in
// 1..nodes_number[level].
textio::MaybeError read_elements(std::int32_t* tets, const std::string& ele_file,
                                 std::int16_t level, RunParameters param);
textio::MaybeError read_elements(std::int32_t* tets, textio::TokenScanner& text,
                                 const std::string& ele_file, std::int16_t level,
                                 RunParameters param);

// Writes nodes_number_out[level] nodes and tets_number_out[level] elements
// in the layout above (coordinates with 6 significant digits, one space
// between fields, a line end after every line). Both files are replaced
// only once both are complete, both or neither (output_set.hpp); an output
// that replaces one of `inputs` is flushed to disk first. The two names
// must not name one file (check_output_names).
textio::MaybeError write_nodes_and_tets(const double* nodes, const std::int32_t* tets,
                                        RunParameters param, std::int16_t level,
                                        const std::string& node_file_out,
                                        const std::string& ele_file_out,
                                        std::span<const std::string> inputs = {});

}  // namespace levelset_prep::mesh
