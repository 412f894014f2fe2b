// SPDX-License-Identifier: MIT
// write_nodes_and_tets and the text of its files in pieces: the cleaned
// mesh as a node file and an element file, in the layout the readers take,
// so one run's output is the next one's input, and the node map.
#include <algorithm>
#include <vector>

#include <levelset_prep/mesh/mesh_files.hpp>
#include <levelset_prep/textio/output_file.hpp>
#include <levelset_prep/textio/output_set.hpp>

namespace levelset_prep::mesh {
namespace {

// One record each, written through a local pointer that the compiler can
// keep in a register (see OutputFile::reserve): "i x y z\n" and
// "j n1 n2 n3 n4 region\n", with the record numbers and node numbers
// counted from 1. `format` writes one coordinate: 6 significant digits or
// all of them.
template <char* (*format)(char*, double)>
char* node_record(char* text, std::int64_t i, const double* node) {
    text = textio::format_int(text, i + 1);
    for (int axis = 0; axis < 3; ++axis) {
        *text++ = ' ';
        text = format(text, node[axis]);
    }
    *text++ = '\n';
    return text;
}

char* element_record(char* text, std::int64_t j, const std::int32_t* tet) {
    text = textio::format_int(text, j + 1);
    for (int corner = 0; corner < 4; ++corner) {
        *text++ = ' ';
        text = textio::format_int(text, std::int64_t{tet[corner]} + 1);
    }
    *text++ = ' ';
    text = textio::format_int(text, tet[4]);
    *text++ = '\n';
    return text;
}

// One line per input node: its new number, or 0 (index -1 + 1) when dropped.
char* node_map_line(char* text, std::int32_t new_index) {
    text = textio::format_int(text, std::int64_t{new_index} + 1);
    *text++ = '\n';
    return text;
}

// A slice is the records of 4096 nodes or tetrahedra (or node map lines);
// the first slice of a mesh file begins with its header.
constexpr std::int64_t slice_records = 4096;
constexpr std::size_t slice_bytes =
    slice_records * record_text_bytes + textio::max_number_chars + 8;

std::int64_t slice_count(std::int64_t records) {
    return records == 0 ? 1 : (records + slice_records - 1) / slice_records;
}
std::int64_t slice_end(std::int64_t slice, std::int64_t records) {
    return std::min(records, (slice + 1) * slice_records);
}

}  // namespace

char* node_header_text(char* text, std::int32_t count, Layout layout) {
    text = textio::format_int(text, count);
    if (layout == Layout::tetgen) return std::char_traits<char>::copy(text, " 3 0 0\n", 7) + 7;
    return std::char_traits<char>::copy(text, " 3\n", 3) + 3;
}

char* element_header_text(char* text, std::int32_t count) {
    text = textio::format_int(text, count);
    return std::char_traits<char>::copy(text, " 4 1\n", 5) + 5;
}

char* node_records_text(char* text, const double* nodes, std::int64_t first, std::int64_t last,
                        bool full_precision) {
    for (std::int64_t i = first; i < last; ++i) {
        text = full_precision ? node_record<textio::format_shortest>(text, i, nodes + 3 * i)
                              : node_record<textio::format_general>(text, i, nodes + 3 * i);
    }
    return text;
}

char* element_records_text(char* text, const std::int32_t* tets, std::int64_t first,
                           std::int64_t last) {
    for (std::int64_t j = first; j < last; ++j) text = element_record(text, j, tets + 5 * j);
    return text;
}

char* node_map_text(char* text, const std::int32_t* new_index, std::int64_t first,
                    std::int64_t last) {
    for (std::int64_t i = first; i < last; ++i) text = node_map_line(text, new_index[i]);
    return text;
}

textio::TextSlices node_file_text(const double* nodes, std::int32_t count, bool full_precision,
                                  Layout layout) {
    return {slice_count(count), slice_bytes, [=](char* text, std::int64_t k) {
                if (k == 0) text = node_header_text(text, count, layout);
                return node_records_text(text, nodes, k * slice_records, slice_end(k, count),
                                         full_precision);
            }};
}

textio::TextSlices element_file_text(const std::int32_t* tets, std::int32_t count) {
    return {slice_count(count), slice_bytes, [=](char* text, std::int64_t k) {
                if (k == 0) text = element_header_text(text, count);
                return element_records_text(text, tets, k * slice_records, slice_end(k, count));
            }};
}

textio::TextSlices node_map_text(const std::int32_t* new_index, std::int32_t count) {
    return {slice_count(count), slice_bytes, [=](char* text, std::int64_t k) {
                return node_map_text(text, new_index, k * slice_records, slice_end(k, count));
            }};
}

textio::MaybeError write_nodes_and_tets(const double* nodes, const std::int32_t* tets,
                                        RunParameters param, std::int16_t level,
                                        const std::string& node_file_out,
                                        const std::string& ele_file_out,
                                        std::span<const std::string> inputs,
                                        const MeshOutputOptions& options) {
    // Built one by one: g++ 12 -O3 sees uninitialised strings in a braced
    // list of them.
    std::vector<textio::Output> outputs(options.node_map_file.empty() ? 2 : 3);
    outputs[0].name = {"node_file_out", node_file_out};
    outputs[0].text = node_file_text(nodes, param.nodes_number_out[level], options.full_precision);
    outputs[1].name = {"ele_file_out", ele_file_out};
    outputs[1].text = element_file_text(tets, param.tets_number_out[level]);
    if (outputs.size() == 3) {
        outputs[2].name = {"--node-map", options.node_map_file};
        outputs[2].text = node_map_text(options.new_index, param.nodes_number[level]);
    }
    return textio::write_outputs(outputs, inputs, 1);
}

}  // namespace levelset_prep::mesh
