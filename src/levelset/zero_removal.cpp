// SPDX-License-Identifier: MIT
#include <algorithm>
#include <memory>

#include <levelset_prep/levelset/level_set.hpp>
#include <levelset_prep/levelset/zero_removal.hpp>
#include <levelset_prep/textio/large_array.hpp>

namespace levelset_prep::levelset {

using mesh::RunParameters;
namespace {

// Per node, one byte of state: whether its level-set value is below the
// threshold, and whether a surviving tetrahedron uses it. One byte table is
// the only memory the sweep over the tetrahedra (in no useful order) touches
// at random, so it stays in the cache longer than 16-bit flags would.
constexpr std::uint8_t near_bit = 1, kept_bit = 2;

// The value depends on the node's coordinates alone, so each node is sampled
// once, in node order: that walks the node array from front to back, and the
// grid in the order the mesher numbered the nodes, instead of jumping with
// the tetrahedra. Sampling a node that no tetrahedron uses changes nothing.
void sample_nodes(const double* nodes, std::int64_t node_count, const float* grid,
                  const RunParameters& param, std::uint8_t* state) {
    for (std::int64_t i = 0; i < node_count; ++i) {
        const double* p = nodes + 3 * i;
        const float value = interpolate_sd(static_cast<float>(p[0]), static_cast<float>(p[1]),
                                           static_cast<float>(p[2]), grid, param, 1);
        state[i] = value < near_surface_threshold ? near_bit : 0;
    }
}

// The region and cast passes in one sweep: a tetrahedron survives when its
// attribute is not 0 or one of its nodes is near, and then all four of its
// nodes are kept. Marks only ever go from 0 to 1, so the order of the two
// tests does not matter. The decision is kept in one bit per tetrahedron
// for the rewrite.
void mark_survivors(const std::int32_t* tets, std::int64_t tet_count, std::uint8_t* state,
                    std::uint64_t* survives) {
    for (std::int64_t first = 0; first < tet_count; first += 64) {
        const std::int64_t last = std::min(tet_count, first + 64);
        std::uint64_t bits = 0;
        for (std::int64_t j = first; j < last; ++j) {
            const std::int32_t* tet = tets + 5 * j;
            const bool near =
                ((state[tet[0]] | state[tet[1]] | state[tet[2]] | state[tet[3]]) & near_bit) != 0;
            if (tet[4] == 0 && !near) continue;
            for (int slot = 0; slot < 4; ++slot) state[tet[slot]] |= kept_bit;
            bits |= std::uint64_t{1} << (j - first);
        }
        survives[first / 64] = bits;
    }
}

}  // namespace

textio::MaybeError remove_zeros(const double* nodes_z1, double* nodes_z1_out,
                                const std::int32_t* tets_z1, std::int32_t* tets_z1_out,
                                const float* ls1, RunParameters& param,
                                const std::function<void()>& on_cast, std::int32_t* new_index) {
    const std::int64_t node_count = param.nodes_number[1];
    const std::int64_t tet_count = param.tets_number[1];

    // The caller's table, where it wants the renumbering, serves as this one.
    std::unique_ptr<std::int32_t[]> own_renumbering;
    if (new_index == nullptr) {
        own_renumbering =
            textio::allocate_large<std::int32_t>(static_cast<std::size_t>(node_count));
    }
    std::int32_t* renumbering = new_index != nullptr ? new_index : own_renumbering.get();
    auto state = textio::allocate_large<std::uint8_t>(static_cast<std::size_t>(node_count));
    auto survives =
        textio::allocate_large<std::uint64_t>(static_cast<std::size_t>(tet_count + 63) / 64);
    if (((renumbering == nullptr || !state) && node_count != 0) || (!survives && tet_count != 0)) {
        return textio::file_error({}, "cannot allocate the working tables for " +
                                          std::to_string(node_count) + " nodes and " +
                                          std::to_string(tet_count) + " tetrahedra");
    }

    if (on_cast) on_cast();
    sample_nodes(nodes_z1, node_count, ls1, param, state.get());
    mark_survivors(tets_z1, tet_count, state.get(), survives.get());

    // Renumber and copy the surviving nodes in their old order. A survivor
    // never moves back past an unread one, so the copies are safe in place
    // (the output arrays may be the input ones).
    std::int32_t kept_nodes = 0;
    for (std::int64_t i = 0; i < node_count; ++i) {
        if ((state[i] & kept_bit) == 0) {
            renumbering[i] = -1;
            continue;
        }
        double* out = nodes_z1_out + 3 * std::int64_t{kept_nodes};
        const double* in = nodes_z1 + 3 * i;
        out[0] = in[0];
        out[1] = in[1];
        out[2] = in[2];
        renumbering[i] = kept_nodes++;
    }

    // Rewrite the surviving tetrahedra with the new numbers.
    std::int32_t kept_tets = 0;
    for (std::int64_t j = 0; j < tet_count; ++j) {
        if (((survives[j / 64] >> (j % 64)) & 1) == 0) continue;
        const std::int32_t* tet = tets_z1 + 5 * j;
        std::int32_t* out = tets_z1_out + 5 * std::int64_t{kept_tets++};
        for (int slot = 0; slot < 4; ++slot) out[slot] = renumbering[tet[slot]];
        out[4] = tet[4];
    }

    param.nodes_number_out[1] = kept_nodes;
    param.tets_number_out[1] = kept_tets;
    return std::nullopt;
}

}  // namespace levelset_prep::levelset
