// SPDX-License-Identifier: MIT
#include <levelset_prep/levelset/clean_up.hpp>
#include <levelset_prep/textio/large_array.hpp>

#include "removal.hpp"

namespace levelset_prep::levelset {

textio::MaybeError clean_in_place(const LevelSetGrid& grid, const CleanOptions& options,
                                  const std::function<void()>& on_cast, CleanResult& result) {
    mesh::TetMesh& mesh = result.mesh;
    result.nodes_read = mesh.node_count();
    result.tets_read = mesh.tet_count();
    const auto nodes = static_cast<std::size_t>(mesh.node_count());
    if (!result.node_map) result.node_map = textio::allocate_large<std::int32_t>(nodes);
    if (options.keep_level_set) result.level_set = textio::allocate_large<float>(nodes);
    if (!result.node_map || (options.keep_level_set && !result.level_set)) {
        return textio::file_error({}, "cannot allocate the working tables for " +
                                          std::to_string(mesh.node_count()) + " nodes and " +
                                          std::to_string(mesh.tet_count()) + " tetrahedra");
    }
    const Removal removal{.nodes_in = mesh.node_data(),
                          .nodes_out = mesh.node_data(),
                          .tets_in = mesh.tet_data(),
                          .tets_out = mesh.tet_data(),
                          .node_count = mesh.node_count(),
                          .tet_count = mesh.tet_count(),
                          .grid = grid.values.get(),
                          .grid_param = grid.parameters(),
                          .threshold = options.threshold,
                          .threads = options.threads,
                          .new_index = result.node_map.get(),
                          .values = result.level_set.get(),
                          .on_cast = on_cast};
    RemovalCounts counts;
    if (auto error = remove_zeros(removal, counts)) return error;
    mesh.shrink(counts.kept_nodes, counts.kept_tets);
    result.regions = std::move(counts.regions);
    result.nodes_outside_grid = counts.outside;
    return std::nullopt;
}

textio::Result<CleanResult> clean_mesh(mesh::TetMesh mesh, const LevelSetGrid& grid,
                                       const CleanOptions& options) {
    textio::Result<CleanResult> cleaned;
    if (!grid.values && grid.shape.points() > 0) {
        cleaned.error = textio::file_error({}, "the level-set grid holds no values");
        return cleaned;
    }
    cleaned.value.mesh = std::move(mesh);
    cleaned.error = clean_in_place(grid, options, {}, cleaned.value);
    return cleaned;
}

std::unique_ptr<std::int32_t[]> input_node_numbers(const std::int32_t* node_map,
                                                   std::int32_t nodes_read, std::int32_t kept) {
    auto numbers = textio::allocate_large<std::int32_t>(static_cast<std::size_t>(kept));
    if (!numbers) return numbers;
    for (std::int32_t i = 0; i < nodes_read; ++i) {
        if (node_map[i] >= 0) numbers[node_map[i]] = i + 1;
    }
    return numbers;
}

}  // namespace levelset_prep::levelset
