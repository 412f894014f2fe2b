// SPDX-License-Identifier: MIT
// The clean-up over named files: the parameter file, the mesh, the
// level-set grid in; the cleaned mesh and the other outputs out.
//
// clean_mesh_files checks the output names, reads every input (the element
// file on a second thread where two are asked for), cleans (clean_up.hpp)
// and writes the outputs as one output set (output_set.hpp): all of them or
// none. `progress` gets each step's line once the step is done:
//   old sizes found: nodes N tets T / nodes loaded / tets loaded /
//   signed dist functions loaded  / nodes tbd loaded / making cast /
//   removed 0s from nodes and tets / output nodes and tets
// The error is the one the one-thread order meets first; it names the file.
// The .vtu file holds each kept node's level-set value and input number,
// the report the counts and names (clean_report.hpp).
// Before anything is read, outputs that name one file, and outputs that name
// an input (but for node_out naming node_in and ele_out naming ele_in), are
// refused. A run that succeeds reports, besides its counts, what its user
// should hear about (`notices`): a level-set file with more values than the
// grid needs, nodes outside the grid, a mesh with no tetrahedron of region 0.
#pragma once

#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <vector>

#include <levelset_prep/levelset/clean_up.hpp>
#include <levelset_prep/mesh/mesh_files.hpp>
#include <levelset_prep/textio/error.hpp>

namespace levelset_prep::levelset {

struct CleanFiles {
    std::string node_in, ele_in;    // the mesh to clean
    std::string node_out, ele_out;  // the cleaned mesh; may name the inputs
    std::string level_set;
    std::string parameters;
};

struct CleanFileOptions {
    std::string node_map;  // each input node's new number, one a line; empty for none
    // The cleaned mesh as a .vtu file (vtu_file.hpp), and the run's counts
    // as JSON (clean_report.hpp), where named; an empty name is refused.
    std::optional<std::string> vtu, report;
    mesh::Layout layout = mesh::Layout::plain;  // of the node file written
    bool full_precision = false;
    float threshold = near_surface_threshold;
    int threads = 1;  // 2: the element file read and the outputs written beside
};

// What a run found, for the caller to report.
struct CleanReport {
    std::int32_t nodes_read = 0, nodes_kept = 0;
    std::int32_t tets_read = 0, tets_kept = 0;
    std::int64_t nodes_outside_grid = 0;
    std::vector<RegionCount> regions;
    std::vector<textio::Error> notices;
};

textio::Result<CleanReport> clean_mesh_files(
    const CleanFiles& files, const CleanFileOptions& options,
    const std::function<void(const char* line)>& progress = {});

}  // namespace levelset_prep::levelset
