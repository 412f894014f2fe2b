// SPDX-License-Identifier: MIT
// What the node and element readers refuse in a layout, shared by
// read_mesh_sizes (which refuses it before anything is allocated) and the
// readers themselves (which may be handed any layout).
#pragma once

#include <optional>
#include <string>

#include <levelset_prep/mesh/mesh_files.hpp>

namespace levelset_prep::mesh {

// The problem, as an error on the node file states it, or nothing.
std::optional<std::string> node_layout_problem(const NodeLayout& layout);

// The problem, as an error on the element file states it, or nothing.
std::optional<std::string> element_layout_problem(const ElementLayout& layout);

}  // namespace levelset_prep::mesh
