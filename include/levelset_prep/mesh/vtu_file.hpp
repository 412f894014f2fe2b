// SPDX-License-Identifier: MIT
// The mesh as a VTK XML UnstructuredGrid file (.vtu), for ParaView, VTK and
// meshio.
//
// The arrays are binary, little-endian, each behind a UInt64 byte count
// (header_type="UInt64", so arrays over 4 GiB work): Points Float64 (the
// coordinates as held), connectivity and offsets Int64 (VTK's own id
// type), types UInt8 (10, tetrahedra), CellData "region" Int32, and, where
// given, PointData "level_set" Float32 and "input_node" Int32. Appended raw
// data follows the XML head at the end of the file; inline base64 keeps the
// file plain XML at a third more bytes and several times the time.
#pragma once

#include <cstdint>

#include <levelset_prep/mesh/tet_mesh.hpp>
#include <levelset_prep/textio/output_set.hpp>

namespace levelset_prep::mesh {

enum class VtuEncoding { appended_raw, inline_base64 };

// What a .vtu file holds besides the mesh: per node of the mesh, each
// array null for none.
struct VtuPointData {
    const float* level_set = nullptr;
    const std::int32_t* input_node = nullptr;  // the node's 1-based number in its input file
};

// The file's bytes in slices for an output set. The mesh and the arrays
// must outlive the writing.
textio::TextSlices vtu_file_text(const TetMesh& mesh, const VtuPointData& point_data = {},
                                 VtuEncoding encoding = VtuEncoding::appended_raw);

}  // namespace levelset_prep::mesh
