// SPDX-License-Identifier: MIT
// The mesh as a node file and an element file, in the plain layout or
// TetGen's, read into and written from the arrays of a TetMesh.
//
//   plain    N 3, then per node "i x y z"; T 4 1, then per element
//            "j n1 n2 n3 n4 region"; numbers apart by any white space
//   TetGen   N 3 A B, then per node a line "i x y z a1..aA [marker]";
//            T P A, then per element a line "j n1..nP a1..aA", a1 the region
//
// A file's layout is read from its first lines; '#' starts a comment to the
// end of its line. Node numbers count from 1 (or TetGen's first node
// number) in files and from 0 in memory. Readers refuse negative or
// malformed counts, numbers that do not read as their type, short files,
// corners outside the mesh and TetGen records that are not one line; the
// errors name the file and, where it applies, the record and the value.
#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <span>
#include <string>

#include <levelset_prep/mesh/run_parameters.hpp>
#include <levelset_prep/mesh/tet_mesh.hpp>
#include <levelset_prep/textio/error.hpp>
#include <levelset_prep/textio/number_format.hpp>
#include <levelset_prep/textio/output_set.hpp>
#include <levelset_prep/textio/token_scanner.hpp>

namespace levelset_prep::mesh {

// The layouts a mesh file may have: the plain one tetclean writes, and
// TetGen's.
enum class Layout { plain, tetgen };

struct NodeLayout {
    Layout kind = Layout::plain;
    std::int32_t dimension = 3;
    std::int32_t attributes = 0;               // per node, skipped
    std::int32_t markers = 0;                  // 0, or 1 boundary marker after the attributes
    std::optional<std::int32_t> first_number;  // TetGen's numbering base

    // 0 for a zero-based file in TetGen's layout, else 1.
    std::int32_t base() const { return kind == Layout::tetgen && first_number == 0 ? 0 : 1; }
};

// An element file's layout: TetGen's only where it reads differently from
// the plain one (`T 4 1` with six numbers a record is both).
struct ElementLayout {
    Layout kind = Layout::plain;
    std::int32_t nodes_per_element = 4;
    std::int32_t attributes = 1;               // the first is the region
    std::optional<std::int32_t> first_number;  // the first element record's number
};

struct MeshLayout {
    NodeLayout nodes;
    ElementLayout elements;
};

// TetGen's layout when the first line holding numbers is "N d A B" (N >= 0,
// d >= 1, A >= 0, B 0 or 1) and the next holds 1 + d + A + B numbers; else
// the plain one. Reads on from the start of `text`, with comments on.
NodeLayout read_node_layout(textio::TokenScanner& text);

// TetGen's layout when the first line is "T P A" (T >= 0, P >= 1, A >= 0,
// P A not 4 1) and the next holds 1 + P + A numbers; else the plain one.
ElementLayout read_element_layout(textio::TokenScanner& text);

// The counts (into nodes_number[level], tets_number[level]) and layouts at
// the heads of both files, before anything is allocated from them. Refuses
// a count the file's size cannot hold, a file that is not regular, and a
// layout the readers refuse (a dimension other than 3, a first node number
// other than 0 or 1, elements that are not tetrahedra with a region, an
// element base that is not the node file's).
textio::MaybeError read_mesh_sizes(const std::string& node_file, const std::string& ele_file,
                                   std::int16_t level, RunParameters& param, MeshLayout& layout);

// Fills 3 * nodes_number[level] doubles; the file's count must still be
// the one read_mesh_sizes saw.
textio::MaybeError read_nodes(double* nodes, const std::string& node_file, std::int16_t level,
                              RunParameters param, const NodeLayout& layout);
textio::MaybeError read_nodes(double* nodes, textio::TokenScanner& text,
                              const std::string& node_file, std::int16_t level, RunParameters param,
                              const NodeLayout& layout);

// Fills 5 * tets_number[level] integers; corners must lie in base to
// base + nodes_number[level] - 1. A region may carry a zero fraction (1.0).
textio::MaybeError read_elements(std::int32_t* tets, const std::string& ele_file,
                                 std::int16_t level, RunParameters param, const MeshLayout& layout);
textio::MaybeError read_elements(std::int32_t* tets, textio::TokenScanner& text,
                                 const std::string& ele_file, std::int16_t level,
                                 RunParameters param, const MeshLayout& layout);

// What a writer adds to the two mesh files.
struct MeshOutputOptions {
    bool full_precision = false;  // shortest exact coordinates, not 6 digits
    // Where named, one line per input node: its new number, or 0 when
    // dropped; new_index holds nodes_number[level] 0-based indices or -1.
    std::string node_map_file;
    const std::int32_t* new_index = nullptr;
};

// Writes nodes_number_out[level] nodes and tets_number_out[level] elements
// in the plain layout, and the node map where asked, all or none
// (output_set.hpp); an output that replaces one of `inputs` is flushed to
// disk first. No two of the names may name one file (check_output_names).
textio::MaybeError write_nodes_and_tets(const double* nodes, const std::int32_t* tets,
                                        RunParameters param, std::int16_t level,
                                        const std::string& node_file_out,
                                        const std::string& ele_file_out,
                                        std::span<const std::string> inputs = {},
                                        const MeshOutputOptions& options = {});

// The files' texts in slices for an output set, byte for byte what
// write_nodes_and_tets writes: a header line ("N 3", "T 4 1") and the
// records numbered from 1, one a line, single blanks between fields; the
// node map is its lines alone. In TetGen's layout the node header is
// "N 3 0 0" (no attributes, no boundary markers); nothing else changes.
textio::TextSlices node_file_text(const double* nodes, std::int32_t count, bool full_precision,
                                  Layout layout = Layout::plain);
textio::TextSlices element_file_text(const std::int32_t* tets, std::int32_t count);
textio::TextSlices node_map_text(const std::int32_t* new_index, std::int32_t count);
inline textio::TextSlices node_file_text(const TetMesh& mesh, bool full_precision,
                                         Layout layout = Layout::plain) {
    return node_file_text(mesh.node_data(), mesh.node_count(), full_precision, layout);
}
inline textio::TextSlices element_file_text(const TetMesh& mesh) {
    return element_file_text(mesh.tet_data(), mesh.tet_count());
}

// The same text in pieces, for tests and callers that lay out their own:
// each writes at `text` and returns the end; records first .. last-1, each
// in at most record_text_bytes.
inline constexpr std::size_t record_text_bytes = 6 * (textio::max_number_chars + 1);
char* node_header_text(char* text, std::int32_t count, Layout layout = Layout::plain);
char* element_header_text(char* text, std::int32_t count);
char* node_records_text(char* text, const double* nodes, std::int64_t first, std::int64_t last,
                        bool full_precision);
char* element_records_text(char* text, const std::int32_t* tets, std::int64_t first,
                           std::int64_t last);
char* node_map_text(char* text, const std::int32_t* new_index, std::int64_t first,
                    std::int64_t last);

}  // namespace levelset_prep::mesh
