// read_nodes: node coordinates into the node array.
#include <levelset_prep/mesh/mesh_files.hpp>
#include <levelset_prep/textio/input_file.hpp>

#include "mesh_text.hpp"

namespace levelset_prep::mesh {

textio::MaybeError read_nodes(double* nodes, const std::string& node_file, std::int16_t level,
                              RunParameters param) {
    return textio::scan_text_file(node_file, "node file", [&](textio::TokenScanner& text) {
        return read_nodes(nodes, text, node_file, level, param);
    });
}

textio::MaybeError read_nodes(double* nodes, textio::TokenScanner& text,
                              const std::string& node_file, std::int16_t level,
                              RunParameters param) {
    MeshText numbers(text, node_file);
    const std::int32_t allocated = param.nodes_number[level];
    std::int32_t& count = param.nodes_number[level];  // the reader's own copy
    double skipped = 0;
    if (!numbers.read_count(count, {"node count"}) || !numbers.read(skipped, {"dimension"})) {
        return numbers.take_error();
    }
    if (!numbers.check_unchanged(count, allocated, "node count")) return numbers.take_error();
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

}  // namespace levelset_prep::mesh
