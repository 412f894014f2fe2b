// SPDX-License-Identifier: MIT
// Zero removal on raw arrays, as a run at mesh level 1 sees them.
//
// A tetrahedron is near when one of its nodes has a level-set value
// (interpolate_sd at level 1, coordinates narrowed to float) below
// near_surface_threshold (6.0 itself is not). It survives when its region
// is not 0 or it is near; a node survives when a surviving tetrahedron uses
// it. The survivors keep their order, the nodes are numbered densely, and
// the counts go to nodes_number_out[1] and tets_number_out[1].
#pragma once

#include <cstdint>
#include <functional>

#include <levelset_prep/mesh/run_parameters.hpp>
#include <levelset_prep/textio/error.hpp>

namespace levelset_prep::levelset {

inline constexpr float near_surface_threshold = 6.0f;

// The arrays hold nodes_number[1] nodes and tets_number[1] tetrahedra; the
// output arrays may be the input ones (the survivors move to the front).
// `on_cast` runs once before the grid is sampled. `new_index`, where given,
// is left holding each input node's output index or -1. Fails only when
// its working tables cannot be had.
textio::MaybeError remove_zeros(const double* nodes_in, double* nodes_out,
                                const std::int32_t* tets_in, std::int32_t* tets_out,
                                const float* grid, mesh::RunParameters& param,
                                const std::function<void()>& on_cast = {},
                                std::int32_t* new_index = nullptr);

}  // namespace levelset_prep::levelset
