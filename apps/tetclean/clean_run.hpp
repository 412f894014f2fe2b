// SPDX-License-Identifier: MIT
// A whole tetclean run over named files, step by step as the program makes
// it: the parameter file, the mesh counts, the node and element files, the
// level-set grid, zero removal and the two output files. The program's main
// checks its arguments, calls this and prints what it reports; tests and the
// pipeline fuzzer call the same code.
#pragma once

#include <functional>
#include <string>

#include <levelset_prep/textio/error.hpp>

namespace levelset_prep::tetclean {

struct CleanRunFiles {
    std::string node_in, ele_in;    // the mesh to clean
    std::string node_out, ele_out;  // the cleaned mesh; may name the inputs
    std::string level_set;          // the level-1 grid
    std::string parameters;         // the grid extents
};

// What the options add to a run.
struct CleanRunOptions {
    std::string node_map;         // --node-map: each input node's new number; empty for none
    bool full_precision = false;  // --full-precision: coordinates in full
    // --threads: with more than 1, the element file is read on a second
    // thread while the node and level-set files are read on the calling
    // one, and the output files are laid out in slices on both
    // (sliced_output.hpp). The progress lines, the error (of several, the
    // one the one-thread order meets first) and the output bytes are the
    // same as with 1, and `progress` is called on the calling thread only.
    int threads = 1;
};

// Runs every step on mesh level 1 and calls `progress` with each progress
// line (without its line end) once its step is done:
//   old sizes found: nodes N tets T / nodes loaded / tets loaded /
//   signed dist functions loaded  / nodes tbd loaded / making cast /
//   removed 0s from nodes and tets / output nodes and tets
// Returns the first error; no output file (the node map included) is then
// created or changed (the outputs are put in place together, see
// output_set.hpp). The output names must have passed check_output_names
// (output_target.hpp). Every array is sized from counts that the readers
// have checked against their files, and the grid from the parameter file's
// extents.
textio::MaybeError clean_mesh_files(const CleanRunFiles& files,
                                    const std::function<void(const char*)>& progress,
                                    const CleanRunOptions& options = {});

}  // namespace levelset_prep::tetclean
