// SPDX-License-Identifier: MIT
#include <algorithm>

#include <levelset_prep/mesh/tet_mesh.hpp>
#include <levelset_prep/textio/large_array.hpp>

namespace levelset_prep::mesh {

bool TetMesh::allocate(std::int32_t nodes, std::int32_t tets, const char** failed) {
    *this = TetMesh();
    const auto size = [](std::int32_t count, int stride) {
        return static_cast<std::size_t>(std::max(count, 0)) * static_cast<std::size_t>(stride);
    };
    auto node_array = textio::allocate_large<double>(size(nodes, node_stride));
    if (!node_array) {
        if (failed != nullptr) *failed = "node array";
        return false;
    }
    auto tet_array = textio::allocate_large<std::int32_t>(size(tets, tet_stride));
    if (!tet_array) {
        if (failed != nullptr) *failed = "element array";
        return false;
    }
    nodes_ = std::move(node_array);
    tets_ = std::move(tet_array);
    node_count_ = std::max(nodes, 0);
    tet_count_ = std::max(tets, 0);
    return true;
}

void TetMesh::shrink(std::int32_t nodes, std::int32_t tets) {
    node_count_ = std::clamp(nodes, 0, node_count_);
    tet_count_ = std::clamp(tets, 0, tet_count_);
}

}  // namespace levelset_prep::mesh
