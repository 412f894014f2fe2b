// SPDX-License-Identifier: MIT
// A mesh's node and element files read into a TetMesh, on one thread or two.
//
// read_mesh_files reads the counts and layouts (read_mesh_sizes), asks for
// the mesh's storage and reads the nodes and then the elements; with two
// threads the elements are read on a second thread beside the nodes. The
// errors are the ones the one-thread order meets first, and each names its
// file: "cannot allocate the node array (N values)" and the like where the
// storage cannot be had, "cannot allocate memory" where a step runs out.
#pragma once

#include <atomic>
#include <functional>
#include <string>

#include <levelset_prep/mesh/mesh_files.hpp>
#include <levelset_prep/mesh/run_parameters.hpp>
#include <levelset_prep/mesh/tet_mesh.hpp>
#include <levelset_prep/textio/error.hpp>

namespace levelset_prep::mesh {

struct MeshReadSteps {
    // Each step's line once it is done, on the calling thread:
    // "old sizes found: nodes N tets T", "nodes loaded", "tets loaded".
    std::function<void(const char* line)> progress;
    // Two threads only: the caller's own work, on the calling thread once
    // the nodes are read, beside the element read; `stop` is set when that
    // read fails.
    std::function<void(const std::atomic<bool>& stop)> beside_elements;
    // After the elements, on one thread or two; its error is the read's.
    std::function<textio::MaybeError()> after_elements;
};

// Fills nodes_number[1] and tets_number[1] of `param`, `layout` and `mesh`.
textio::MaybeError read_mesh_files(const std::string& node_file, const std::string& ele_file,
                                   int threads, RunParameters& param, MeshLayout& layout,
                                   TetMesh& mesh, const MeshReadSteps& steps = {});

// The error of `step`, or "<file>: cannot allocate memory" when it runs out.
template <typename Step>
textio::MaybeError naming_memory(const std::string& file, Step&& step) {
    try {
        return step();
    } catch (const std::bad_alloc&) {
        return textio::file_error(file, "cannot allocate memory");
    }
}

}  // namespace levelset_prep::mesh
