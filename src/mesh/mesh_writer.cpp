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

void write_nodes(textio::OutputFile& out, const double* nodes, std::int32_t count) {
    out.put_int(count);
    out.put(" 3\n");
    for (std::int64_t i = 0; i < count; ++i) {
        const double* node = nodes + 3 * i;
        char* text = out.reserve(record_room);
        text = textio::format_int(text, i + 1);
        for (int axis = 0; axis < 3; ++axis) {
            *text++ = ' ';
            text = textio::format_general(text, node[axis]);
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

}  // namespace

textio::MaybeError write_nodes_and_tets(const double* nodes, const std::int32_t* tets,
                                        RunParameters param, std::int16_t level,
                                        const std::string& node_file_out,
                                        const std::string& ele_file_out,
                                        std::span<const std::string> inputs) {
    // Both files are finished before either replaces its target, so a
    // failure leaves the old files (possibly the inputs) as they were.
    textio::OutputFile node_out;
    if (auto problem = node_out.open(node_file_out)) return problem;
    write_nodes(node_out, nodes, param.nodes_number_out[level]);
    if (auto problem = node_out.finish()) return problem;

    textio::OutputFile ele_out;
    if (auto problem = ele_out.open(ele_file_out)) return problem;
    write_tets(ele_out, tets, param.tets_number_out[level]);
    if (auto problem = ele_out.finish()) return problem;

    textio::OutputFile* const both[] = {&node_out, &ele_out};
    return textio::commit_outputs(both, inputs);
}

}  // namespace levelset_prep::mesh
