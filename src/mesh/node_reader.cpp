// SPDX-License-Identifier: MIT
// read_nodes: node coordinates into the node array, from a node file in
// either layout.
#include <levelset_prep/mesh/mesh_files.hpp>
#include <levelset_prep/textio/input_file.hpp>

#include "mesh_layout.hpp"
#include "number_reader.hpp"

namespace levelset_prep::mesh {
namespace {

// The header after the count: `N 3` in the present layout (the dimension
// is not used), `N d A B` as read_node_layout found it in TetGen's.
bool read_header_rest(NumberReader& numbers, const NodeLayout& layout) {
    if (layout.kind != Layout::tetgen) {
        double skipped = 0;
        return numbers.read(skipped, {"dimension"});
    }
    std::int32_t dimension = 0, attributes = 0, markers = 0;
    return numbers.read(dimension, {"dimension"}) &&
           numbers.check_unchanged(dimension, layout.dimension, "dimension") &&
           numbers.read(attributes, {"attributes per node"}) &&
           numbers.check_unchanged(attributes, layout.attributes, "attributes per node") &&
           numbers.read(markers, {"boundary markers"}) &&
           numbers.check_unchanged(markers, layout.markers, "boundary markers");
}

// `number x y z` per node, anywhere on its lines.
textio::MaybeError read_present_records(NumberReader& numbers, double* nodes, std::int32_t count) {
    double skipped = 0;
    for (std::int32_t i = 0; i < count; ++i) {
        double* node = nodes + 3 * std::int64_t{i};
        const std::int64_t record = std::int64_t{i} + 1;
        if (!numbers.read(skipped, {"node number", "node", record}) ||
            !numbers.read(node[0], {"x coordinate", "node", record}) ||
            !numbers.read(node[1], {"y coordinate", "node", record}) ||
            !numbers.read(node[2], {"z coordinate", "node", record})) {
            return numbers.take_error();
        }
    }
    return std::nullopt;
}

// `number x y z a1 .. aA [marker]`, one node a line.
textio::MaybeError read_tetgen_records(NumberReader& numbers, double* nodes, std::int32_t count,
                                       const NodeLayout& layout) {
    const std::int64_t per_record = std::int64_t{4} + layout.attributes + layout.markers;
    for (std::int32_t i = 0; i < count; ++i) {
        double* node = nodes + 3 * std::int64_t{i};
        const std::int64_t record = std::int64_t{i} + 1;
        std::int32_t number = 0;
        if (!numbers.read(number, {"node number", "node", record}) ||
            !numbers.read(node[0], {"x coordinate", "node", record}) ||
            !numbers.read(node[1], {"y coordinate", "node", record}) ||
            !numbers.read(node[2], {"z coordinate", "node", record})) {
            return numbers.take_error();
        }
        double attribute = 0;
        for (std::int32_t a = 0; a < layout.attributes; ++a) {
            if (!numbers.read(attribute, {"attribute", "node", record})) {
                return numbers.take_error();
            }
        }
        std::int32_t marker = 0;
        if ((layout.markers != 0 &&
             !numbers.read_whole(marker, {"boundary marker", "node", record})) ||
            !numbers.check_line_end("node", record, per_record)) {
            return numbers.take_error();
        }
    }
    return std::nullopt;
}

}  // namespace

textio::MaybeError read_nodes(double* nodes, const std::string& node_file, std::int16_t level,
                              RunParameters param, const NodeLayout& layout) {
    return textio::scan_text_file(node_file, "node file", [&](textio::TokenScanner& text) {
        return read_nodes(nodes, text, node_file, level, param, layout);
    });
}

textio::MaybeError read_nodes(double* nodes, textio::TokenScanner& text,
                              const std::string& node_file, std::int16_t level, RunParameters param,
                              const NodeLayout& layout) {
    if (auto problem = node_layout_problem(layout)) return textio::file_error(node_file, *problem);
    text.set_comments(true);
    NumberReader numbers(text, node_file);
    const std::int32_t allocated = param.nodes_number[level];
    std::int32_t& count = param.nodes_number[level];  // the reader's own copy
    if (!numbers.read_count(count, {"node count"}) || !read_header_rest(numbers, layout) ||
        !numbers.check_unchanged(count, allocated, "node count")) {
        return numbers.take_error();
    }
    return layout.kind == Layout::tetgen ? read_tetgen_records(numbers, nodes, count, layout)
                                         : read_present_records(numbers, nodes, count);
}

}  // namespace levelset_prep::mesh
