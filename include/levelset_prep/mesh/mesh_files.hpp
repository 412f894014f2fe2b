// SPDX-License-Identifier: MIT
// The mesh as text files: a node file and an element file, in either of two
// layouts.
//
// The present layout (the one write_nodes_and_tets writes):
//   Node file:    N 3                    then per node:    number x y z
//   Element file: T 4 1                  then per element: number n1 n2 n3 n4 region
// Numbers are separated by any white space; line ends mean nothing. The
// record numbers and the "3" and "4 1" are read but not used; node numbers
// count from 1.
//
// TetGen's layout, one record a line:
//   Node file:    N 3 A B                then per node:    number x y z a1..aA [marker]
//   Element file: T P A                  then per element: number n1..nP a1..aA
// The coordinates, the corners and the first attribute (the region) are
// used; the other attributes and the boundary marker are read and skipped.
// Node numbers count from the first node record's number (0 or 1).
//
// Which layout a file has is decided from its own first lines (see
// read_node_layout and read_element_layout); everything that is not plainly
// TetGen's layout reads as the present one. In both, '#' starts a comment
// that runs to the end of its line, and data after the last counted record
// is ignored. Node numbers count from 0 in memory.
//
// In memory, node i holds x, y, z at 3i..3i+2 (doubles) and element j holds
// its four 0-based node indices and then its region at 5j..5j+4.
//
// Every reader checks what it reads: a count that is negative or not a whole
// number, a number that cannot be read as its type, fewer records than the
// count, (elements) a node number outside the mesh, and (TetGen's layout) a
// record that is not one line are errors that name the file and, where it
// applies, the record (counted from 1) and the value.
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

// A node file's layout. The defaults are the plain layout.
struct NodeLayout {
    Layout kind = Layout::plain;
    std::int32_t dimension = 3;
    std::int32_t attributes = 0;  // per node, skipped
    std::int32_t markers = 0;     // 0, or 1 boundary marker after the attributes
    // The first node record's number where it is a whole number: in
    // TetGen's layout the numbering's base.
    std::optional<std::int32_t> first_number;

    // The number of the first node: 0 for a zero-based file in TetGen's
    // layout, else 1.
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

// The layout of a node file, from the start of `text` (which it reads on):
// TetGen's when the header line (the first line holding a number) holds
// exactly four whole numbers N d A B with N >= 0, d >= 1, A >= 0 and B 0 or
// 1, and the next line holding a number holds exactly 1 + d + A + B of them.
// Anything else is the present layout. Turns comments on in `text`.
NodeLayout read_node_layout(textio::TokenScanner& text);

// The layout of an element file: TetGen's when the header line holds
// exactly three whole numbers T P A with T >= 0, P >= 1 and A >= 0, the
// next line holding a number holds exactly 1 + P + A of them, and P A is not
// 4 1. Anything else is the present layout.
ElementLayout read_element_layout(textio::TokenScanner& text);

// Reads the count and the layout at the head of each file:
// nodes_number[level] and tets_number[level] of `param`, and `layout`. A
// count that the file could not possibly hold (fewer bytes than its records
// need) is refused here, before anything is allocated from it, and so is a
// file that is not a regular file (a pipe), whose size cannot vouch for its
// count. So is a layout the readers refuse: a dimension other than 3, a
// first node number other than 0 or 1, elements that are not four-node
// tetrahedra or carry no region, and (where either file is in TetGen's
// layout) an element file whose first record number is not the node file's
// base; that error names both files.
textio::MaybeError read_mesh_sizes(const std::string& node_file, const std::string& ele_file,
                                   std::int16_t level, RunParameters& param, MeshLayout& layout);

// Fills 3 * nodes_number[level] doubles of `nodes` from a file in `layout`.
// The file's own count must still be the one read_mesh_sizes saw.
textio::MaybeError read_nodes(double* nodes, const std::string& node_file, std::int16_t level,
                              RunParameters param, const NodeLayout& layout);
textio::MaybeError read_nodes(double* nodes, textio::TokenScanner& text,
                              const std::string& node_file, std::int16_t level, RunParameters param,
                              const NodeLayout& layout);

// Fills 5 * tets_number[level] integers of `tets` from a file in
// layout.elements; node numbers must lie in base .. base + N - 1, where base
// is layout.nodes.base() and N is nodes_number[level]. A region may be
// written with a zero fraction (1.0).
textio::MaybeError read_elements(std::int32_t* tets, const std::string& ele_file,
                                 std::int16_t level, RunParameters param, const MeshLayout& layout);
textio::MaybeError read_elements(std::int32_t* tets, textio::TokenScanner& text,
                                 const std::string& ele_file, std::int16_t level,
                                 RunParameters param, const MeshLayout& layout);

// What a writer adds to the two mesh files.
struct MeshOutputOptions {
    // Coordinates in the shortest form that reads back to the same double,
    // instead of 6 significant digits.
    bool full_precision = false;
    // A third file, where named: one line per input node, in input order,
    // with its new number (from 1) or 0 when it was dropped. `new_index`
    // holds nodes_number[level] entries: each input node's 0-based index in
    // the output, or -1.
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
// node map is its lines alone.
textio::TextSlices node_file_text(const double* nodes, std::int32_t count, bool full_precision);
textio::TextSlices element_file_text(const std::int32_t* tets, std::int32_t count);
textio::TextSlices node_map_text(const std::int32_t* new_index, std::int32_t count);
inline textio::TextSlices node_file_text(const TetMesh& mesh, bool full_precision) {
    return node_file_text(mesh.node_data(), mesh.node_count(), full_precision);
}
inline textio::TextSlices element_file_text(const TetMesh& mesh) {
    return element_file_text(mesh.tet_data(), mesh.tet_count());
}

// The same text in pieces, for tests and callers that lay out their own:
// each writes at `text` and returns the end; records first .. last-1, each
// in at most record_text_bytes.
inline constexpr std::size_t record_text_bytes = 6 * (textio::max_number_chars + 1);
char* node_header_text(char* text, std::int32_t count);
char* element_header_text(char* text, std::int32_t count);
char* node_records_text(char* text, const double* nodes, std::int64_t first, std::int64_t last,
                        bool full_precision);
char* element_records_text(char* text, const std::int32_t* tets, std::int64_t first,
                           std::int64_t last);
char* node_map_text(char* text, const std::int32_t* new_index, std::int64_t first,
                    std::int64_t last);

}  // namespace levelset_prep::mesh
