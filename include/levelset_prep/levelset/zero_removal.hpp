// SPDX-License-Identifier: MIT
// Zero removal: the clean-up that tetclean runs for.
//
// A tetrahedron is near when at least one of its four nodes has a level-set
// value (interpolate_sd at level 1, coordinates narrowed to float) below
// near_surface_threshold; exactly 6.0 is not near. It survives when its
// attribute is not 0 or it is near. A node survives when a surviving
// tetrahedron uses it. Surviving nodes are numbered densely in their old
// order and copied to nodes_z1_out unchanged; surviving tetrahedra are
// written in their old order to tets_z1_out with the new node numbers and
// their attribute. The cleaned counts go to nodes_number_out[1] and
// tets_number_out[1] of `param`.
#pragma once

#include <cstdint>
#include <functional>

#include <levelset_prep/mesh/run_parameters.hpp>
#include <levelset_prep/textio/error.hpp>

namespace levelset_prep::levelset {

inline constexpr float near_surface_threshold = 6.0f;

// The input arrays hold nodes_number[1] nodes and tets_number[1] tetrahedra
// whose node indices lie in 0 .. nodes_number[1]-1; the output arrays have
// the same capacity, and may be the input arrays themselves: the survivors
// are then moved to the front in place, which spares a run the memory of a
// second copy of the mesh. `on_cast` is called once,
// before the level set is sampled (tetclean prints "making cast" there); the
// region and cast passes then run as one sweep over the tetrahedra. Where
// `new_index` is given (nodes_number[1] entries), it is left holding each
// input node's index in the output, or -1 for a dropped node. Fails only
// when its working tables cannot be allocated.
textio::MaybeError remove_zeros(const double* nodes_in, double* nodes_out,
                                const std::int32_t* tets_in, std::int32_t* tets_out,
                                const float* grid, mesh::RunParameters& param,
                                const std::function<void()>& on_cast = {},
                                std::int32_t* new_index = nullptr);

}  // namespace levelset_prep::levelset
