// SPDX-License-Identifier: MIT
#include <algorithm>
#include <array>
#include <map>
#include <memory>

#include <levelset_prep/levelset/level_set.hpp>
#include <levelset_prep/levelset/zero_removal.hpp>
#include <levelset_prep/textio/large_array.hpp>
#include <levelset_prep/textio/side_thread.hpp>

#include "grid_sampling.hpp"
#include "removal.hpp"

namespace levelset_prep::levelset {

using mesh::RunParameters;
namespace {

// Per node, one byte of state: whether its level-set value is below the
// threshold, and whether a surviving tetrahedron uses it. One byte table is
// the only memory the sweep over the tetrahedra (in no useful order) touches
// at random, so it stays in the cache longer than wider flags would.
constexpr std::uint8_t near_bit = 1, kept_bit = 2;

// The value depends on the node's coordinates alone, so each node is sampled
// once, in node order: that walks the node array from front to back, and the
// grid in the order the mesher numbered the nodes, instead of jumping with
// the tetrahedra. Returns how many of them lie outside the grid.
std::int64_t sample_nodes(const Removal& removal, std::int64_t first, std::int64_t last,
                          std::uint8_t* state) {
    std::int64_t outside_count = 0;
    for (std::int64_t i = first; i < last; ++i) {
        const double* p = removal.nodes_in + 3 * i;
        bool outside = false;
        const float value =
            sample_grid(static_cast<float>(p[0]), static_cast<float>(p[1]),
                        static_cast<float>(p[2]), removal.grid, removal.grid_param, 1, outside);
        state[i] = value < removal.threshold ? near_bit : 0;
        if (removal.values != nullptr) removal.values[i] = value;
        outside_count += outside ? 1 : 0;
    }
    return outside_count;
}

// The nodes in two halves where a second thread is asked for.
std::int64_t sample_all_nodes(const Removal& removal, std::uint8_t* state) {
    const std::int64_t count = removal.node_count;
    if (removal.threads < 2 || count < 65536) return sample_nodes(removal, 0, count, state);
    const std::int64_t half = count / 2;
    textio::SideThread<std::int64_t> second(
        [&] { return sample_nodes(removal, half, count, state); });
    const std::int64_t first = sample_nodes(removal, 0, half, state);
    return first + second.take();
}

// Tetrahedra read per region: small regions in a table, any other in a map.
class RegionTally {
public:
    void count(std::int32_t region) {
        if (static_cast<std::uint32_t>(region) < small_.size()) {
            ++small_[static_cast<std::size_t>(region)];
        } else {
            ++other_[region];
        }
    }
    // Every region but 0 is kept whole; of region 0, `dropped` went.
    std::vector<RegionCount> take(std::int64_t dropped) const {
        std::vector<RegionCount> regions;
        for (const auto& [region, read] : other_) {
            if (region < 0) regions.push_back({region, read, read});
        }
        for (std::size_t r = 0; r < small_.size(); ++r) {
            if (small_[r] == 0) continue;
            const std::int64_t read = small_[r];
            regions.push_back({static_cast<std::int32_t>(r), read, r == 0 ? read - dropped : read});
        }
        for (const auto& [region, read] : other_) {
            if (region >= 0) regions.push_back({region, read, read});
        }
        return regions;
    }

private:
    std::array<std::int64_t, 256> small_{};
    std::map<std::int32_t, std::int64_t> other_;
};

// The region and cast passes in one sweep: a tetrahedron survives when its
// region is not 0 or one of its nodes is near, and then all four of its
// nodes are kept. Marks only ever go from 0 to 1, so the order of the two
// tests does not matter. The decision is kept in one bit per tetrahedron
// for the rewrite. Returns the region-0 tetrahedra dropped.
std::int64_t mark_survivors(const std::int32_t* tets, std::int64_t tet_count, std::uint8_t* state,
                            std::uint64_t* survives, RegionTally& tally) {
    std::int64_t dropped = 0;
    for (std::int64_t first = 0; first < tet_count; first += 64) {
        const std::int64_t last = std::min(tet_count, first + 64);
        std::uint64_t bits = 0;
        for (std::int64_t j = first; j < last; ++j) {
            const std::int32_t* tet = tets + 5 * j;
            tally.count(tet[4]);
            const bool near =
                ((state[tet[0]] | state[tet[1]] | state[tet[2]] | state[tet[3]]) & near_bit) != 0;
            if (tet[4] == 0 && !near) {
                ++dropped;
                continue;
            }
            for (int slot = 0; slot < 4; ++slot) state[tet[slot]] |= kept_bit;
            bits |= std::uint64_t{1} << (j - first);
        }
        survives[first / 64] = bits;
    }
    return dropped;
}

// Renumbers and copies the surviving nodes (and their values) in their old
// order. A survivor never moves back past an unread one, so the copies are
// safe in place.
std::int32_t compact_nodes(const Removal& removal, const std::uint8_t* state,
                           std::int32_t* renumbering) {
    std::int32_t kept = 0;
    for (std::int64_t i = 0; i < removal.node_count; ++i) {
        if ((state[i] & kept_bit) == 0) {
            renumbering[i] = -1;
            continue;
        }
        double* out = removal.nodes_out + 3 * std::int64_t{kept};
        const double* in = removal.nodes_in + 3 * i;
        out[0] = in[0];
        out[1] = in[1];
        out[2] = in[2];
        if (removal.values != nullptr) removal.values[kept] = removal.values[i];
        renumbering[i] = kept++;
    }
    return kept;
}

// Rewrites the surviving tetrahedra with the new numbers.
std::int32_t compact_tets(const Removal& removal, const std::uint64_t* survives,
                          const std::int32_t* renumbering) {
    std::int32_t kept = 0;
    for (std::int64_t j = 0; j < removal.tet_count; ++j) {
        if (((survives[j / 64] >> (j % 64)) & 1) == 0) continue;
        const std::int32_t* tet = removal.tets_in + 5 * j;
        std::int32_t* out = removal.tets_out + 5 * std::int64_t{kept++};
        for (int slot = 0; slot < 4; ++slot) out[slot] = renumbering[tet[slot]];
        out[4] = tet[4];
    }
    return kept;
}

}  // namespace

textio::MaybeError remove_zeros(const Removal& removal, RemovalCounts& counts) {
    const auto node_count = static_cast<std::size_t>(std::max(removal.node_count, 0));
    const auto tet_count = static_cast<std::size_t>(std::max(removal.tet_count, 0));
    // The caller's table, where it wants the renumbering, serves as this one.
    std::unique_ptr<std::int32_t[]> own_renumbering;
    if (removal.new_index == nullptr) {
        own_renumbering = textio::allocate_large<std::int32_t>(node_count);
    }
    std::int32_t* renumbering =
        removal.new_index != nullptr ? removal.new_index : own_renumbering.get();
    auto state = textio::allocate_large<std::uint8_t>(node_count);
    auto survives = textio::allocate_large<std::uint64_t>((tet_count + 63) / 64);
    if (((renumbering == nullptr || !state) && node_count != 0) || (!survives && tet_count != 0)) {
        return textio::file_error({}, "cannot allocate the working tables for " +
                                          std::to_string(node_count) + " nodes and " +
                                          std::to_string(tet_count) + " tetrahedra");
    }

    if (removal.on_cast) removal.on_cast();
    counts.outside = sample_all_nodes(removal, state.get());
    RegionTally tally;
    const std::int64_t dropped =
        mark_survivors(removal.tets_in, removal.tet_count, state.get(), survives.get(), tally);
    counts.regions = tally.take(dropped);
    counts.kept_nodes = compact_nodes(removal, state.get(), renumbering);
    counts.kept_tets = compact_tets(removal, survives.get(), renumbering);
    return std::nullopt;
}

textio::MaybeError remove_zeros(const double* nodes_in, double* nodes_out,
                                const std::int32_t* tets_in, std::int32_t* tets_out,
                                const float* grid, RunParameters& param,
                                const std::function<void()>& on_cast, std::int32_t* new_index) {
    const Removal removal{.nodes_in = nodes_in,
                          .nodes_out = nodes_out,
                          .tets_in = tets_in,
                          .tets_out = tets_out,
                          .node_count = param.nodes_number[1],
                          .tet_count = param.tets_number[1],
                          .grid = grid,
                          .grid_param = param,
                          .threshold = near_surface_threshold,
                          .threads = 1,
                          .new_index = new_index,
                          .values = nullptr,
                          .on_cast = on_cast};
    RemovalCounts counts;
    if (auto error = remove_zeros(removal, counts)) return error;
    param.nodes_number_out[1] = counts.kept_nodes;
    param.tets_number_out[1] = counts.kept_tets;
    return std::nullopt;
}

}  // namespace levelset_prep::levelset
