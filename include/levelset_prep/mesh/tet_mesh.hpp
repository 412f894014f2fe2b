// SPDX-License-Identifier: MIT
// A tetrahedral mesh in memory: nodes of three coordinates, tetrahedra of
// four zero-based node indices and a region.
//
// Readers fill it and writers take it. allocate() asks for the storage
// without touching it, so pages are mapped only where a reader writes;
// shrink() keeps the first nodes and tetrahedra after a compaction in place.
// The storage is interleaved (node_stride doubles a node, tet_stride
// integers a tetrahedron, the region last), which readers, writers and
// bindings may use through the data() pointers.
#pragma once

#include <cstdint>
#include <memory>

namespace levelset_prep::mesh {

class TetMesh {
public:
    static constexpr int node_stride = 3;
    static constexpr int tet_stride = 5;

    // Room for `nodes` nodes and `tets` tetrahedra, both counted as filled;
    // false (and the mesh left empty) when the memory cannot be had, with
    // `failed` naming the array: "node array" or "element array".
    bool allocate(std::int32_t nodes, std::int32_t tets, const char** failed = nullptr);
    void shrink(std::int32_t nodes, std::int32_t tets);

    std::int32_t node_count() const { return node_count_; }
    std::int32_t tet_count() const { return tet_count_; }

    const double* node(std::int64_t i) const { return nodes_.get() + node_stride * i; }
    double* node(std::int64_t i) { return nodes_.get() + node_stride * i; }
    const std::int32_t* corners(std::int64_t j) const { return tets_.get() + tet_stride * j; }
    std::int32_t* corners(std::int64_t j) { return tets_.get() + tet_stride * j; }
    std::int32_t region(std::int64_t j) const { return corners(j)[4]; }
    std::int32_t& region(std::int64_t j) { return corners(j)[4]; }

    const double* node_data() const { return nodes_.get(); }
    double* node_data() { return nodes_.get(); }
    const std::int32_t* tet_data() const { return tets_.get(); }
    std::int32_t* tet_data() { return tets_.get(); }

private:
    std::unique_ptr<double[]> nodes_;
    std::unique_ptr<std::int32_t[]> tets_;
    std::int32_t node_count_ = 0;
    std::int32_t tet_count_ = 0;
};

}  // namespace levelset_prep::mesh
