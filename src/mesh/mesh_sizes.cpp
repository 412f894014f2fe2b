// read_mesh_sizes: the counts at the head of the node and element files.
#include <cstdint>

#include <levelset_prep/mesh/mesh_files.hpp>
#include <levelset_prep/textio/input_file.hpp>

#include "mesh_text.hpp"

namespace levelset_prep::mesh {
namespace {

// The fewest bytes one record can take: its numbers, one character each,
// and a separator behind each. A count above size / this cannot be real,
// and must not size an allocation.
constexpr std::uint64_t min_node_record_bytes = 8;
constexpr std::uint64_t min_element_record_bytes = 12;

textio::MaybeError read_count(const std::string& file_name, const char* what, const Place& place,
                              std::uint64_t min_record_bytes, std::int32_t& count) {
    textio::Result<textio::InputFile> file = textio::open_input(file_name, what);
    if (!file) return std::move(file.error);
    // A pipe has no size to hold a count against, and could not be read a
    // second time for its records anyway.
    const auto size = textio::regular_file_size(file.value.get());
    if (!size) {
        return textio::file_error(file_name, std::string("not a regular file: the ") + what +
                                                 " is read twice, once for its count");
    }
    textio::TokenScanner text(file.value.get(), 4096);
    MeshText numbers(text, file_name);
    if (!numbers.read_count(count, place)) return numbers.take_error();
    if (static_cast<std::uint64_t>(count) * min_record_bytes > *size) {
        return textio::file_error(file_name, place.describe() + " " + std::to_string(count) +
                                                 " is more than the file's " +
                                                 std::to_string(*size) +
                                                 (*size == 1 ? " byte" : " bytes") + " can hold");
    }
    return std::nullopt;
}

}  // namespace

textio::MaybeError read_mesh_sizes(const std::string& node_file, const std::string& ele_file,
                                   std::int16_t level, RunParameters& param) {
    std::int32_t nodes = 0;
    std::int32_t tets = 0;
    if (auto problem =
            read_count(node_file, "node file", {"node count"}, min_node_record_bytes, nodes)) {
        return problem;
    }
    if (auto problem = read_count(ele_file, "element file", {"element count"},
                                  min_element_record_bytes, tets)) {
        return problem;
    }
    param.nodes_number[level] = nodes;
    param.tets_number[level] = tets;
    return std::nullopt;
}

}  // namespace levelset_prep::mesh
