// SPDX-License-Identifier: MIT
// read_mesh_sizes: the counts and layouts at the head of the node and
// element files.
#include <cstdint>

#include <levelset_prep/mesh/mesh_files.hpp>
#include <levelset_prep/textio/input_file.hpp>

#include "mesh_layout.hpp"
#include "number_reader.hpp"

namespace levelset_prep::mesh {
namespace {

// The fewest bytes one record can take: its numbers, one character each,
// and a separator behind each. A count above size / this cannot be real,
// and must not size an allocation.
constexpr std::uint64_t min_node_record_bytes = 8;
constexpr std::uint64_t min_element_record_bytes = 12;

// Reads the count at the head of the file, then the file's layout from the
// start again.
template <typename Layout, typename ReadLayout>
textio::MaybeError read_head(const std::string& file_name, const char* what, const Place& place,
                             std::uint64_t min_record_bytes, std::int32_t& count, Layout& layout,
                             ReadLayout read_layout) {
    textio::Result<textio::InputFile> file = textio::open_input(file_name, what);
    if (!file) return std::move(file.error);
    // A pipe has no size to hold a count against, and could not be read a
    // second time for its records anyway.
    const auto size = textio::regular_file_size(file.value.get());
    if (!size) {
        return textio::file_error(file_name, std::string("not a regular file: the ") + what +
                                                 " is read twice, once for its count");
    }
    {
        textio::TokenScanner text(file.value.get(), 4096);
        text.set_comments(true);
        NumberReader numbers(text, file_name);
        if (!numbers.read_count(count, place)) return numbers.take_error();
    }
    if (static_cast<std::uint64_t>(count) * min_record_bytes > *size) {
        return textio::file_error(file_name, place.describe() + " " + std::to_string(count) +
                                                 " is more than the file's " +
                                                 std::to_string(*size) +
                                                 (*size == 1 ? " byte" : " bytes") + " can hold");
    }
    // Its blocks are as large as the readers' own, so that it sees the
    // tokens they can read. A read error leaves the present layout, and the
    // reader reports it.
    std::rewind(file.value.get());
    textio::TokenScanner text(file.value.get());
    layout = read_layout(text);
    return std::nullopt;
}

}  // namespace

textio::MaybeError read_mesh_sizes(const std::string& node_file, const std::string& ele_file,
                                   std::int16_t level, RunParameters& param, MeshLayout& layout) {
    std::int32_t nodes = 0;
    std::int32_t tets = 0;
    MeshLayout found;
    if (auto problem = read_head(node_file, "node file", {"node count"}, min_node_record_bytes,
                                 nodes, found.nodes, read_node_layout)) {
        return problem;
    }
    if (auto problem = node_layout_problem(found.nodes)) {
        return textio::file_error(node_file, *problem);
    }
    if (auto problem =
            read_head(ele_file, "element file", {"element count"}, min_element_record_bytes, tets,
                      found.elements, read_element_layout)) {
        return problem;
    }
    if (auto problem = element_layout_problem(found.elements)) {
        return textio::file_error(ele_file, *problem);
    }
    // A file in TetGen's layout declares its numbering's base; a mismatch
    // would shift every corner by one node. Two files in the present
    // layout are read as before, their record numbers unused.
    // A node file whose base is unreadable fails in its own reader first.
    const std::int32_t base = found.nodes.base();
    const auto& first_element = found.elements.first_number;
    const bool declared = found.nodes.kind == Layout::tetgen
                              ? found.nodes.first_number.has_value()
                              : found.elements.kind == Layout::tetgen;
    if (declared && first_element && *first_element != base) {
        return textio::file_error(
            ele_file, "element numbers start at " + std::to_string(*first_element) +
                          ", node numbers in " + node_file + " at " + std::to_string(base));
    }
    param.nodes_number[level] = nodes;
    param.tets_number[level] = tets;
    layout = found;
    return std::nullopt;
}

}  // namespace levelset_prep::mesh
