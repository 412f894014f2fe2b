// SPDX-License-Identifier: MIT
// write_nodes_and_tets and the text of its files in pieces: the cleaned
// mesh as a node file and an element file, in the layout the readers take,
// so one run's output is the next one's input, and the node map.
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

template <char* (*format)(char*, double)>
void write_nodes(textio::OutputFile& out, const double* nodes, std::int32_t count) {
    out.put_int(count);
    out.put(" 3\n");
    for (std::int64_t i = 0; i < count; ++i) {
        out.advance(node_record<format>(out.reserve(record_text_bytes), i, nodes + 3 * i));
    }
}

void write_tets(textio::OutputFile& out, const std::int32_t* tets, std::int32_t count) {
    out.put_int(count);
    out.put(" 4 1\n");
    for (std::int64_t j = 0; j < count; ++j) {
        out.advance(element_record(out.reserve(record_text_bytes), j, tets + 5 * j));
    }
}

void write_node_map(textio::OutputFile& out, const std::int32_t* new_index, std::int32_t count) {
    for (std::int64_t i = 0; i < count; ++i) {
        out.advance(node_map_line(out.reserve(textio::max_number_chars + 1), new_index[i]));
    }
}

}  // namespace

char* node_header_text(char* text, std::int32_t count) {
    text = textio::format_int(text, count);
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

textio::MaybeError write_nodes_and_tets(const double* nodes, const std::int32_t* tets,
                                        RunParameters param, std::int16_t level,
                                        const std::string& node_file_out,
                                        const std::string& ele_file_out,
                                        std::span<const std::string> inputs,
                                        const MeshOutputOptions& options) {
    // Every file is finished before any replaces its target, so a failure
    // leaves the old files (possibly the inputs) as they were.
    textio::OutputFile node_out;
    if (auto problem = node_out.open(node_file_out)) return problem;
    if (options.full_precision) {
        write_nodes<textio::format_shortest>(node_out, nodes, param.nodes_number_out[level]);
    } else {
        write_nodes<textio::format_general>(node_out, nodes, param.nodes_number_out[level]);
    }
    if (auto problem = node_out.finish()) return problem;

    textio::OutputFile ele_out;
    if (auto problem = ele_out.open(ele_file_out)) return problem;
    write_tets(ele_out, tets, param.tets_number_out[level]);
    if (auto problem = ele_out.finish()) return problem;

    textio::OutputFile map_out;
    const bool with_map = !options.node_map_file.empty();
    if (with_map) {
        if (auto problem = map_out.open(options.node_map_file)) return problem;
        write_node_map(map_out, options.new_index, param.nodes_number[level]);
        if (auto problem = map_out.finish()) return problem;
    }

    textio::OutputFile* const all[] = {&node_out, &ele_out, &map_out};
    return textio::commit_outputs(std::span(all, with_map ? 3 : 2), inputs);
}

}  // namespace levelset_prep::mesh
