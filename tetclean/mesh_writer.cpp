// write_nodes_and_tets: the cleaned mesh as a node file and an element file,
// in the layout the readers take, so one run's output is the next one's
// input.
#include "mesh_files.hpp"
#include "output_file.hpp"

namespace tetclean {
namespace {

void write_nodes(common::OutputFile& out, const double* nodes, std::int32_t count) {
    out.put_int(count);
    out.put(" 3\n");
    for (std::int64_t i = 0; i < count; ++i) {
        const double* node = nodes + 3 * i;
        out.put_int(i + 1);
        for (int axis = 0; axis < 3; ++axis) {
            out.put(' ');
            out.put_general(node[axis]);
        }
        out.put('\n');
    }
}

void write_tets(common::OutputFile& out, const std::int32_t* tets, std::int32_t count) {
    out.put_int(count);
    out.put(" 4 1\n");
    for (std::int64_t j = 0; j < count; ++j) {
        const std::int32_t* tet = tets + 5 * j;
        out.put_int(j + 1);
        for (int corner = 0; corner < 4; ++corner) {
            out.put(' ');
            out.put_int(std::int64_t{tet[corner]} + 1);
        }
        out.put(' ');
        out.put_int(tet[4]);
        out.put('\n');
    }
}

}  // namespace

common::MaybeError write_nodes_and_tets(const double* nodes, const std::int32_t* tets,
                                        RunParameters param, std::int16_t level,
                                        const std::string& node_file_out,
                                        const std::string& ele_file_out) {
    // Both files are finished before either replaces its target, so a
    // failure leaves the old files (possibly the inputs) as they were.
    common::OutputFile node_out;
    if (auto problem = node_out.open(node_file_out)) return problem;
    write_nodes(node_out, nodes, param.nodes_number_out[level]);
    if (auto problem = node_out.finish()) return problem;

    common::OutputFile ele_out;
    if (auto problem = ele_out.open(ele_file_out)) return problem;
    write_tets(ele_out, tets, param.tets_number_out[level]);
    if (auto problem = ele_out.finish()) return problem;

    if (auto problem = node_out.commit()) return problem;
    return ele_out.commit();
}

}  // namespace tetclean
