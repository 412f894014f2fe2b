// SPDX-License-Identifier: MIT
// Zero removal with everything a clean-up reports: the threshold, the
// level-set value of each kept node, the counts per region and the nodes
// outside the grid. remove_zeros and clean_mesh both run it.
#pragma once

#include <cstdint>
#include <functional>
#include <vector>

#include <levelset_prep/levelset/clean_up.hpp>
#include <levelset_prep/mesh/run_parameters.hpp>
#include <levelset_prep/textio/error.hpp>

namespace levelset_prep::levelset {

struct Removal {
    const double* nodes_in = nullptr;
    double* nodes_out = nullptr;  // may be nodes_in: the survivors move to the front
    const std::int32_t* tets_in = nullptr;
    std::int32_t* tets_out = nullptr;  // may be tets_in
    std::int32_t node_count = 0, tet_count = 0;
    const float* grid = nullptr;
    mesh::RunParameters grid_param;  // the grid's level-1 dimensions
    float threshold = near_surface_threshold;
    int threads = 1;
    std::int32_t* new_index = nullptr;  // node_count entries; a table of its own when null
    float* values = nullptr;            // node_count entries, left holding the kept nodes'
    std::function<void()> on_cast;      // once the tables are had, before the grid is sampled
};

struct RemovalCounts {
    std::int32_t kept_nodes = 0, kept_tets = 0;
    std::int64_t outside = 0;
    std::vector<RegionCount> regions;
};

// Fails only when its working tables cannot be had.
textio::MaybeError remove_zeros(const Removal& removal, RemovalCounts& counts);

}  // namespace levelset_prep::levelset

namespace levelset_prep::levelset {

// clean_mesh on result.mesh, in place. A node map the caller has already
// had (result.node_map) is used as it is; `on_cast` as in Removal.
textio::MaybeError clean_in_place(const LevelSetGrid& grid, const CleanOptions& options,
                                  const std::function<void()>& on_cast, CleanResult& result);

}  // namespace levelset_prep::levelset
