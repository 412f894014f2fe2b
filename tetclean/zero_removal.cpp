#include "zero_removal.hpp"

#include <memory>
#include <new>

#include "level_set.hpp"

namespace tetclean {
namespace {

// The level-set value of a node depends on its coordinates alone, so each
// node is sampled at most once, the first time a tetrahedron asks.
class NearNodes {
public:
    NearNodes(const double* nodes, const float* grid, const RunParameters& param,
              std::uint8_t* state)
        : nodes_(nodes), grid_(grid), param_(param), state_(state) {}

    bool near(std::int32_t node) {
        std::uint8_t& known = state_[node];
        if (known == unknown) {
            const double* p = nodes_ + 3 * std::int64_t{node};
            const float value =
                interpolate_sd(static_cast<float>(p[0]), static_cast<float>(p[1]),
                               static_cast<float>(p[2]), grid_, param_, 1);
            known = value < near_surface_threshold ? is_near : is_far;
        }
        return known == is_near;
    }

    // Every slot is sampled, even after a hit, as the cast pass does.
    bool near_tet(const std::int32_t* tet) {
        bool any = false;
        for (int slot = 0; slot < 4; ++slot) any |= near(tet[slot]);
        return any;
    }

    static constexpr std::uint8_t unknown = 0, is_near = 1, is_far = 2;

private:
    const double* nodes_;
    const float* grid_;
    const RunParameters& param_;
    std::uint8_t* state_;
};

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

    std::unique_ptr<std::int32_t[]> renumbering(new (std::nothrow) std::int32_t[node_count]);
    std::unique_ptr<std::uint8_t[]> near_state(new (std::nothrow) std::uint8_t[node_count]());
    if ((!renumbering || !near_state) && node_count != 0) {
        return common::Error{"cannot allocate the renumbering table for " +
                             std::to_string(node_count) + " nodes"};
    }
    NearNodes sampled(nodes_z1, ls1, param, near_state.get());

    // Region pass: every node of a tetrahedron with a non-zero attribute stays.
    for (std::int64_t i = 0; i < node_count; ++i) keep_flags[i] = 0;
    for (std::int64_t j = 0; j < tet_count; ++j) {
        const std::int32_t* tet = tets_z1 + 5 * j;
        if (tet[4] != 0) mark(keep_flags, tet);
    }
    if (on_cast) on_cast();

    // Cast pass: every node of a tetrahedron near the surface stays.
    for (std::int64_t j = 0; j < tet_count; ++j) {
        const std::int32_t* tet = tets_z1 + 5 * j;
        if (sampled.near_tet(tet)) mark(keep_flags, tet);
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
        if (tet[4] == 0 && !sampled.near_tet(tet)) continue;
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
