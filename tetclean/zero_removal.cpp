#include "zero_removal.hpp"

#include <algorithm>

#include "large_array.hpp"
#include "level_set.hpp"

namespace tetclean {
namespace {

// One byte per node: whether its level-set value is below the threshold.
// The value depends on the node's coordinates alone, so each node is sampled
// once, in node order: that walks the node array from front to back, and the
// grid in the order the mesher numbered the nodes, instead of jumping with
// the tetrahedra. Sampling a node that no tetrahedron uses changes nothing.
void sample_nodes(const double* nodes, std::int64_t node_count, const float* grid,
                  const RunParameters& param, std::uint8_t* near) {
    for (std::int64_t i = 0; i < node_count; ++i) {
        const double* p = nodes + 3 * i;
        const float value = interpolate_sd(static_cast<float>(p[0]), static_cast<float>(p[1]),
                                           static_cast<float>(p[2]), grid, param, 1);
        near[i] = value < near_surface_threshold ? 1 : 0;
    }
}

bool near_tet(const std::uint8_t* near, const std::int32_t* tet) {
    return (near[tet[0]] | near[tet[1]] | near[tet[2]] | near[tet[3]]) != 0;
}

void mark(std::int16_t* keep_flags, const std::int32_t* tet) {
    for (int slot = 0; slot < 4; ++slot) keep_flags[tet[slot]] = 1;
}

}  // namespace

common::MaybeError remove_zeros(const double* nodes_z1, double* nodes_z1_out,
                                const std::int32_t* tets_z1, std::int32_t* tets_z1_out,
                                const float* ls1, std::int16_t* keep_flags, RunParameters& param,
                                const std::function<void()>& on_cast) {
    const std::int64_t node_count = param.nodes_number[1];
    const std::int64_t tet_count = param.tets_number[1];

    auto renumbering = common::allocate_large<std::int32_t>(static_cast<std::size_t>(node_count));
    auto near = common::allocate_large<std::uint8_t>(static_cast<std::size_t>(node_count));
    if ((!renumbering || !near) && node_count != 0) {
        return common::Error{"cannot allocate the renumbering table for " +
                             std::to_string(node_count) + " nodes"};
    }

    // Region pass: every node of a tetrahedron with a non-zero attribute stays.
    std::fill(keep_flags, keep_flags + node_count, std::int16_t{0});
    for (std::int64_t j = 0; j < tet_count; ++j) {
        const std::int32_t* tet = tets_z1 + 5 * j;
        if (tet[4] != 0) mark(keep_flags, tet);
    }
    if (on_cast) on_cast();

    // Cast pass: every node of a tetrahedron near the surface stays.
    sample_nodes(nodes_z1, node_count, ls1, param, near.get());
    for (std::int64_t j = 0; j < tet_count; ++j) {
        const std::int32_t* tet = tets_z1 + 5 * j;
        if (near_tet(near.get(), tet)) mark(keep_flags, tet);
    }

    // Renumber and copy the surviving nodes in their old order.
    std::int32_t kept_nodes = 0;
    for (std::int64_t i = 0; i < node_count; ++i) {
        if (keep_flags[i] == 0) {
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

    // Rewrite the surviving tetrahedra with the new numbers; the decision is
    // taken again from each tetrahedron's own attribute and nodes.
    std::int32_t kept_tets = 0;
    for (std::int64_t j = 0; j < tet_count; ++j) {
        const std::int32_t* tet = tets_z1 + 5 * j;
        if (tet[4] == 0 && !near_tet(near.get(), tet)) continue;
        std::int32_t* out = tets_z1_out + 5 * std::int64_t{kept_tets++};
        for (int slot = 0; slot < 4; ++slot) out[slot] = renumbering[tet[slot]];
        out[4] = tet[4];
    }

    param.nodes_number_out[1] = kept_nodes;
    param.tets_number_out[1] = kept_tets;

    // Pack the flags into the new node order.
    std::int64_t packed = 0;
    for (std::int64_t i = 0; i < node_count; ++i) {
        if (keep_flags[i] != 0) keep_flags[packed++] = keep_flags[i];
    }
    return std::nullopt;
}

}  // namespace tetclean
