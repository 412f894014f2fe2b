// SPDX-License-Identifier: MIT
// The clean-up as one operation on a mesh in memory.
//
// clean_mesh drops the region-0 tetrahedra that have no node whose
// level-set value lies below `threshold`, then the nodes no kept
// tetrahedron uses, and renumbers (zero_removal.hpp has the rule; it is
// the same operation on raw arrays). The mesh is cleaned in place and comes
// back in the result with the node map, each kept node's level-set value
// and the counts. It fails only when its tables cannot be had.
#pragma once

#include <cstdint>
#include <memory>
#include <vector>

#include <levelset_prep/levelset/level_set_grid.hpp>
#include <levelset_prep/levelset/zero_removal.hpp>
#include <levelset_prep/mesh/tet_mesh.hpp>
#include <levelset_prep/textio/error.hpp>

namespace levelset_prep::levelset {

struct CleanOptions {
    float threshold = near_surface_threshold;
    int threads = 1;
    // Each kept node's value in CleanResult::level_set; a run that writes
    // no such value spares the memory.
    bool keep_level_set = true;
};

struct RegionCount {
    std::int32_t region = 0;
    std::int64_t read = 0;
    std::int64_t kept = 0;
    bool operator==(const RegionCount&) const = default;
};

struct CleanResult {
    mesh::TetMesh mesh;
    std::int32_t nodes_read = 0;
    std::int32_t tets_read = 0;
    // nodes_read entries: each input node's index in `mesh`, or -1.
    std::unique_ptr<std::int32_t[]> node_map;
    // mesh.node_count() entries, where asked for: the value the clean-up
    // sampled (out_of_grid_value outside the grid).
    std::unique_ptr<float[]> level_set;
    std::vector<RegionCount> regions;  // in ascending region, those read
    std::int64_t nodes_outside_grid = 0;
};

textio::Result<CleanResult> clean_mesh(mesh::TetMesh mesh, const LevelSetGrid& grid,
                                       const CleanOptions& options = {});

// The inverse of a node map: for each of the `kept` nodes its 1-based number
// in the input (what a .vtu file's input_node holds); null when the memory
// cannot be had.
std::unique_ptr<std::int32_t[]> input_node_numbers(const std::int32_t* node_map,
                                                   std::int32_t nodes_read, std::int32_t kept);

}  // namespace levelset_prep::levelset
