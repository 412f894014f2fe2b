// SPDX-License-Identifier: MIT
// write_nodes_and_tets: the cleaned mesh as a node file and an element file,
// in the layout the readers take, so one run's output is the next one's
// input.
#include <levelset_prep/mesh/mesh_files.hpp>
#include <levelset_prep/textio/output_file.hpp>
#include <levelset_prep/textio/output_set.hpp>

namespace levelset_prep::mesh {
namespace {

// Room for the longest record: six numbers, each with the character after
// it. A record is written through a local pointer (see OutputFile::reserve).
constexpr std::size_t record_room = 6 * (textio::max_number_chars + 1);

// `format` writes one coordinate: 6 significant digits or all of them.
template <char* (*format)(char*, double)>
void write_nodes(textio::OutputFile& out, const double* nodes, std::int32_t count) {
    out.put_int(count);
    out.put(" 3\n");
    for (std::int64_t i = 0; i < count; ++i) {
        const double* node = nodes + 3 * i;
        char* text = out.reserve(record_room);
        text = textio::format_int(text, i + 1);
        for (int axis = 0; axis < 3; ++axis) {
            *text++ = ' ';
            text = format(text, node[axis]);
        }
        *text++ = '\n';
        out.advance(text);
    }
}

void write_tets(textio::OutputFile& out, const std::int32_t* tets, std::int32_t count) {
    out.put_int(count);
    out.put(" 4 1\n");
    for (std::int64_t j = 0; j < count; ++j) {
        const std::int32_t* tet = tets + 5 * j;
        char* text = out.reserve(record_room);
        text = textio::format_int(text, j + 1);
        for (int corner = 0; corner < 4; ++corner) {
            *text++ = ' ';
            text = textio::format_int(text, std::int64_t{tet[corner]} + 1);
        }
        *text++ = ' ';
        text = textio::format_int(text, tet[4]);
        *text++ = '\n';
        out.advance(text);
    }
}

// One line per input node: its new number, or 0 (index -1 + 1) when dropped.
void write_node_map(textio::OutputFile& out, const std::int32_t* new_index, std::int32_t count) {
    for (std::int64_t i = 0; i < count; ++i) {
        char* text = out.reserve(textio::max_number_chars + 1);
        text = textio::format_int(text, std::int64_t{new_index[i]} + 1);
        *text++ = '\n';
        out.advance(text);
    }
}

}  // namespace

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
