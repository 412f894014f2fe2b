// SPDX-License-Identifier: MIT
// read_elements: tetrahedra (four 0-based node indices and a region) into
// the element array, from an element file in either layout.
#include <levelset_prep/mesh/mesh_files.hpp>
#include <levelset_prep/textio/input_file.hpp>

#include "mesh_layout.hpp"
#include "number_reader.hpp"

namespace levelset_prep::mesh {
namespace {

const char* const corner_names[4] = {"first node number", "second node number", "third node number",
                                     "fourth node number"};

// The header after the count: `T 4 1` in the present layout (neither
// number is used), `T P A` as read_element_layout found it in TetGen's.
bool read_header_rest(NumberReader& numbers, const ElementLayout& layout) {
    std::int32_t corners = 0, attributes = 0;
    if (!numbers.read(corners, {"nodes per element"}) ||
        (layout.kind == Layout::tetgen &&
         !numbers.check_unchanged(corners, layout.nodes_per_element, "nodes per element")) ||
        !numbers.read(attributes, {"attributes per element"})) {
        return false;
    }
    return layout.kind != Layout::tetgen ||
           numbers.check_unchanged(attributes, layout.attributes, "attributes per element");
}

// A corner outside base .. base + node_count - 1, kept out of the loop.
[[gnu::cold, gnu::noinline]] void fail_corner(NumberReader& numbers, int corner,
                                              std::int64_t record, std::int32_t node,
                                              std::int32_t base, std::int32_t node_count) {
    numbers.fail(Place{corner_names[corner], "element", record}.describe() + " " +
                 std::to_string(node) + " is outside " + std::to_string(base) + " to " +
                 std::to_string(std::int64_t{node_count} - 1 + base));
}

// The record's number (not used), its four corners as 0-based indices, and
// its region. Zero removal indexes the node array with the corners, which
// must lie below `limit`: node_count, or 0 for a negative count (possible
// in a record made by hand).
[[gnu::always_inline]] inline bool read_tetrahedron(NumberReader& numbers, std::int32_t* tet,
                                                    std::int64_t record, std::int32_t base,
                                                    std::uint32_t limit, std::int32_t node_count) {
    std::int32_t skipped = 0;
    if (!numbers.read(skipped, {"element number", "element", record})) return false;
    for (int corner = 0; corner < 4; ++corner) {
        std::int32_t node = 0;
        if (!numbers.read(node, {corner_names[corner], "element", record})) return false;
        // One comparison: a node below the base wraps round to a large index.
        const std::uint32_t index =
            static_cast<std::uint32_t>(node) - static_cast<std::uint32_t>(base);
        if (index >= limit) {
            fail_corner(numbers, corner, record, node, base, node_count);
            return false;
        }
        tet[corner] = static_cast<std::int32_t>(index);
    }
    // The region is the first attribute; the present layout names it so.
    return numbers.read_whole(tet[4], {"attribute", "element", record});
}

}  // namespace

textio::MaybeError read_elements(std::int32_t* tets, const std::string& ele_file,
                                 std::int16_t level, RunParameters param,
                                 const MeshLayout& layout) {
    return textio::scan_text_file(ele_file, "element file", [&](textio::TokenScanner& text) {
        return read_elements(tets, text, ele_file, level, param, layout);
    });
}

textio::MaybeError read_elements(std::int32_t* tets, textio::TokenScanner& text,
                                 const std::string& ele_file, std::int16_t level,
                                 RunParameters param, const MeshLayout& layout) {
    const ElementLayout& form = layout.elements;
    if (auto problem = element_layout_problem(form)) return textio::file_error(ele_file, *problem);
    text.set_comments(true);
    NumberReader numbers(text, ele_file);
    const std::int32_t allocated = param.tets_number[level];
    const std::int32_t node_count = param.nodes_number[level];
    const std::int32_t base = layout.nodes.base();
    const auto limit = static_cast<std::uint32_t>(node_count < 0 ? 0 : node_count);
    std::int32_t& count = param.tets_number[level];  // the reader's own copy
    if (!numbers.read_count(count, {"element count"}) || !read_header_rest(numbers, form) ||
        !numbers.check_unchanged(count, allocated, "element count")) {
        return numbers.take_error();
    }
    if (form.kind != Layout::tetgen) {
        for (std::int32_t j = 0; j < count; ++j) {
            if (!read_tetrahedron(numbers, tets + 5 * std::int64_t{j}, std::int64_t{j} + 1, base,
                                  limit, node_count)) {
                return numbers.take_error();
            }
        }
        return std::nullopt;
    }
    // TetGen's layout: the attributes after the region, then the line's end.
    const std::int64_t per_record = std::int64_t{5} + form.attributes;
    for (std::int32_t j = 0; j < count; ++j) {
        const std::int64_t record = std::int64_t{j} + 1;
        if (!read_tetrahedron(numbers, tets + 5 * std::int64_t{j}, record, base, limit,
                              node_count)) {
            return numbers.take_error();
        }
        double attribute = 0;
        for (std::int32_t a = 1; a < form.attributes; ++a) {
            if (!numbers.read(attribute, {"attribute", "element", record})) {
                return numbers.take_error();
            }
        }
        if (!numbers.check_line_end("element", record, per_record)) return numbers.take_error();
    }
    return std::nullopt;
}

}  // namespace levelset_prep::mesh
