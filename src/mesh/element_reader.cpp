// read_elements: tetrahedra (four 0-based node indices and an attribute)
// into the element array.
#include <levelset_prep/mesh/mesh_files.hpp>
#include <levelset_prep/textio/input_file.hpp>

#include "mesh_text.hpp"

namespace levelset_prep::mesh {

textio::MaybeError read_elements(std::int32_t* tets, const std::string& ele_file,
                                 std::int16_t level, RunParameters param) {
    return textio::scan_text_file(ele_file, "element file", [&](textio::TokenScanner& text) {
        return read_elements(tets, text, ele_file, level, param);
    });
}

textio::MaybeError read_elements(std::int32_t* tets, textio::TokenScanner& text,
                                 const std::string& ele_file, std::int16_t level,
                                 RunParameters param) {
    static const char* const corner_names[4] = {"first node number", "second node number",
                                                "third node number", "fourth node number"};
    MeshText numbers(text, ele_file);
    const std::int32_t allocated = param.tets_number[level];
    const std::int32_t node_count = param.nodes_number[level];
    std::int32_t& count = param.tets_number[level];  // the reader's own copy
    std::int32_t skipped = 0;
    if (!numbers.read_count(count, {"element count"}) ||
        !numbers.read(skipped, {"nodes per element"}) ||
        !numbers.read(skipped, {"attributes per element"})) {
        return numbers.take_error();
    }
    if (!numbers.check_unchanged(count, allocated, "element count")) return numbers.take_error();
    for (std::int32_t j = 0; j < count; ++j) {
        std::int32_t* tet = tets + 5 * std::int64_t{j};
        const std::int64_t record = std::int64_t{j} + 1;
        if (!numbers.read(skipped, {"element number", "element", record})) {
            return numbers.take_error();
        }
        for (int corner = 0; corner < 4; ++corner) {
            std::int32_t node = 0;
            if (!numbers.read(node, {corner_names[corner], "element", record})) {
                return numbers.take_error();
            }
            // Zero removal indexes the node array with these.
            if (node < 1 || node > node_count) {
                return textio::file_error(
                    ele_file, Place{corner_names[corner], "element", record}.describe() + " " +
                                  std::to_string(node) + " is outside 1 to " +
                                  std::to_string(node_count));
            }
            tet[corner] = node - 1;
        }
        if (!numbers.read(tet[4], {"attribute", "element", record})) return numbers.take_error();
    }
    return std::nullopt;
}

}  // namespace levelset_prep::mesh
