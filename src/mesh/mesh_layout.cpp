// SPDX-License-Identifier: MIT
// read_node_layout and read_element_layout: which layout a mesh file has,
// from its header line and the line after it.
#include "mesh_layout.hpp"

#include <levelset_prep/textio/number_scan.hpp>

namespace levelset_prep::mesh {
namespace {

std::optional<std::int32_t> whole_number(std::string_view token) {
    std::int32_t value = 0;
    if (textio::scan_number(token, value) != textio::ScanStatus::ok) return std::nullopt;
    return value;
}

// The head of a mesh file as the layout rule sees it.
template <int header_size>
struct Head {
    // The header line's tokens, counted up to header_size + 1, and their
    // values where all header_size of them are whole numbers.
    int header_tokens = 0;
    bool header_whole = true;
    std::int32_t header[header_size] = {};
    // The token after the header's numbers, whatever line it stands on,
    // where it is a whole number: the first record's number.
    std::optional<std::int32_t> first_number;
    // Tokens on the next line that holds one, counted up to the limit the
    // header gives plus one; only where the header qualifies.
    std::int64_t record_tokens = -1;
};

// Reads the head of `text`. `record_numbers(header)` is how many numbers a
// record line holds in TetGen's layout, or -1 when the header does not
// declare that layout.
template <int header_size, typename RecordNumbers>
Head<header_size> read_head(textio::TokenScanner& text, RecordNumbers record_numbers) {
    text.set_comments(true);
    Head<header_size> head;
    std::string_view token = text.next();
    for (; !token.empty() && (head.header_tokens == 0 || !text.line_began()); token = text.next()) {
        if (head.header_tokens == header_size) {
            // More numbers on the header line: the present layout, whose
            // records may share it.
            head.first_number = whole_number(token);
            ++head.header_tokens;
            return head;
        }
        const auto value = whole_number(token);
        head.header_whole = head.header_whole && value.has_value();
        if (value) head.header[head.header_tokens] = *value;
        ++head.header_tokens;
    }
    if (token.empty()) return head;
    if (head.header_tokens < header_size) {
        // A header split over lines: the present layout. Its first record's
        // number is further on.
        for (int index = head.header_tokens; index < header_size && !token.empty(); ++index)
            token = text.next();
        if (!token.empty()) head.first_number = whole_number(token);
        return head;
    }
    head.first_number = whole_number(token);
    const std::int64_t expected = head.header_whole ? record_numbers(head.header) : -1;
    if (expected < 0) return head;
    head.record_tokens = 1;
    while (head.record_tokens <= expected) {
        token = text.next();
        if (token.empty() || text.line_began()) break;
        ++head.record_tokens;
    }
    return head;
}

}  // namespace

NodeLayout read_node_layout(textio::TokenScanner& text) {
    const Head<4> head = read_head<4>(text, [](const std::int32_t(&header)[4]) -> std::int64_t {
        const auto [count, dimension, attributes, markers] = header;
        if (count < 0 || dimension < 1 || attributes < 0 || (markers != 0 && markers != 1)) {
            return -1;
        }
        return std::int64_t{1} + dimension + attributes + markers;
    });
    NodeLayout layout;
    if (head.header_tokens != 4 || head.record_tokens < 0) return layout;
    const auto [count, dimension, attributes, markers] = head.header;
    if (head.record_tokens != std::int64_t{1} + dimension + attributes + markers) return layout;
    static_cast<void>(count);
    layout.kind = Layout::tetgen;
    layout.dimension = dimension;
    layout.attributes = attributes;
    layout.markers = markers;
    layout.first_number = head.first_number;
    return layout;
}

ElementLayout read_element_layout(textio::TokenScanner& text) {
    const Head<3> head = read_head<3>(text, [](const std::int32_t(&header)[3]) -> std::int64_t {
        const auto [count, corners, attributes] = header;
        if (count < 0 || corners < 1 || attributes < 0) return -1;
        return std::int64_t{1} + corners + attributes;
    });
    ElementLayout layout;
    layout.first_number = head.first_number;
    if (head.header_tokens != 3 || head.record_tokens < 0) return layout;
    const auto [count, corners, attributes] = head.header;
    static_cast<void>(count);
    if (head.record_tokens != std::int64_t{1} + corners + attributes) return layout;
    if (corners == 4 && attributes == 1) return layout;  // both layouts read it alike
    layout.kind = Layout::tetgen;
    layout.nodes_per_element = corners;
    layout.attributes = attributes;
    return layout;
}

std::optional<std::string> node_layout_problem(const NodeLayout& layout) {
    if (layout.kind != Layout::tetgen) return std::nullopt;
    if (layout.dimension != 3) {
        return "dimension " + std::to_string(layout.dimension) +
               ": only three-dimensional meshes can be read";
    }
    if (layout.first_number && *layout.first_number != 0 && *layout.first_number != 1) {
        return "node record 1: node number " + std::to_string(*layout.first_number) +
               " is neither 0 nor 1";
    }
    return std::nullopt;
}

std::optional<std::string> element_layout_problem(const ElementLayout& layout) {
    if (layout.kind != Layout::tetgen) return std::nullopt;
    if (layout.nodes_per_element == 10) {
        return "10 nodes per element: second-order tetrahedra cannot be read; mesh without "
               "TetGen's -o2";
    }
    if (layout.nodes_per_element != 4) {
        return std::to_string(layout.nodes_per_element) +
               " nodes per element: only tetrahedra of 4 nodes can be read";
    }
    if (layout.attributes == 0) {
        return "no attributes per element, so no regions: mesh with TetGen's region option "
               "(-A)";
    }
    return std::nullopt;
}

}  // namespace levelset_prep::mesh
