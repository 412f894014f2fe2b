// SPDX-License-Identifier: MIT
// mesh: the tetrahedral mesh files of levelset_prep.
//
// Owns the run's record with its grid levels (run_parameters.hpp), the node
// and element files read and written (mesh_files.hpp) and the node tbd
// files (tbd_files.hpp), and the mesh as a .vtu file (vtu_file.hpp).
#pragma once

#include <levelset_prep/mesh/mesh_files.hpp>
#include <levelset_prep/mesh/mesh_reading.hpp>
#include <levelset_prep/mesh/run_parameters.hpp>
#include <levelset_prep/mesh/tbd_files.hpp>
#include <levelset_prep/mesh/tet_mesh.hpp>
#include <levelset_prep/mesh/vtu_file.hpp>
