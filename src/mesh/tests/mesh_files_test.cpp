// SPDX-License-Identifier: MIT
#include <algorithm>
#include <cmath>
#include <cstdio>
#include <string>
#include <utility>
#include <vector>

#include <gtest/gtest.h>

#include <levelset_prep/mesh/mesh_files.hpp>

#include "test_files.hpp"

using namespace levelset_prep;

namespace {

using mesh::RunParameters;
using testing_support::read_file;
using testing_support::TempDir;
using testing_support::write_file;

RunParameters with_counts(std::int32_t nodes, std::int32_t tets) {
    RunParameters param;
    param.nodes_number[1] = nodes;
    param.tets_number[1] = tets;
    return param;
}

textio::MaybeError nodes_from(const std::string& text, std::int32_t count,
                              std::vector<double>& nodes) {
    nodes.assign(3 * static_cast<std::size_t>(count), -1.0);
    textio::TokenScanner scanner(text);
    return mesh::read_nodes(nodes.data(), scanner, "in.node", 1, with_counts(count, 0), {});
}

textio::MaybeError tets_from(const std::string& text, std::int32_t nodes, std::int32_t count,
                             std::vector<std::int32_t>& tets) {
    tets.assign(5 * static_cast<std::size_t>(count), -99);
    textio::TokenScanner scanner(text);
    return mesh::read_elements(tets.data(), scanner, "in.ele", 1, with_counts(nodes, count), {});
}

TEST(ReadNodes, LayoutsThatReadTheSame) {
    const std::vector<double> expected = {0, 0, 0, 1, 0, 0, 0, 1, 0, 0, 0, 1.5e-3};
    // clang-format off
    const char* const texts[] = {
        "4 3\n1 0.0 0.0 0.0\n2 1.0 0.0 0.0\n3 0.0 1.0 0.0\n4 0.0 0.0 1.5e-3\n",
        "4 3 1 0 0 0 2 1 0 0 3 0 1 0 4 0 0 .0015",               // all on one line
        "4\n3\n7\n0\n0\n0\n\n9 +1. 0 0\r\n3 0 1 0 1 0 0 1.5E-03 extra 5 6",  // split, renumbered, trailing data
    };
    // clang-format on
    for (const char* text : texts) {
        std::vector<double> nodes;
        ASSERT_FALSE(nodes_from(text, 4, nodes)) << text;
        EXPECT_EQ(nodes, expected) << text;
    }
}

TEST(ReadElements, ShiftsNodeNumbersAndKeepsAttributes) {
    std::vector<std::int32_t> tets;
    ASSERT_FALSE(tets_from("2 4 1\n1 1 2 3 4 0\n2 5 4 3 2 -7\n", 5, 2, tets));
    EXPECT_EQ(tets, (std::vector<std::int32_t>{0, 1, 2, 3, 0, 4, 3, 2, 1, -7}));
    ASSERT_FALSE(tets_from("0 4 1 1 2 3 4 5 6", 5, 0, tets));  // count 0 reads no record
    // A negative node count (a record made by hand, as the fuzzer makes it)
    // admits no corner.
    EXPECT_TRUE(tets_from("1 4 1\n1 1 2 3 4 0\n", INT32_MIN, 1, tets));
}

TEST(ReadNodes, BadInputNamesFileRecordAndValue) {
    struct Case {
        const char* text;
        std::int32_t count;
        const char* message;
    };
    // clang-format off
    const Case cases[] = {
        {"", 0, "in.node: file ends before the node count"},
        {"x 3", 0, "node count 'x' is not a whole number"},
        {"2.5 3", 2, "node count '2.5' is not a whole number"},
        {"-2 3", 2, "node count -2 is negative"},
        {"2 3 1 0 0 0 2 0 abc 0", 2, "node record 2: y coordinate 'abc' is not a number"},
        {"2 3 1 0 0 0 2 0 nan 0", 2, "node record 2: y coordinate 'nan' is not a number"},
        {"2 3 1 0 0 0 2 0 1e999 0", 2, "node record 2: y coordinate '1e999' is out of range"},
        {"2 3 1 0 0 0 2 0", 2, "file ends in node record 2, before its y coordinate"},
        {"3 3 1 0 0 0", 2, "node count changed from 2 to 3"},
    };
    // clang-format on
    for (const Case& c : cases) {
        std::vector<double> nodes;
        const auto error = nodes_from(c.text, c.count, nodes);
        ASSERT_TRUE(error) << c.text;
        EXPECT_NE(error->message().find(c.message), std::string::npos) << error->message();
    }
}

TEST(ReadElements, BadInputNamesFileRecordAndValue) {
    struct Case {
        const char* text;
        const char* message;
    };
    // clang-format off
    const Case cases[] = {
        {"1 4 1\n1 0 2 3 4 0", "in.ele: element record 1: first node number 0 is outside 1 to 4"},
        {"1 4 1\n1 1 2 3 5 0", "element record 1: fourth node number 5 is outside 1 to 4"},
        {"1 4 1\n1 1 2 -3 4 0", "third node number -3 is outside 1 to 4"},
        {"1 4 1\n1 1 2 3 4 1.5", "element record 1: attribute '1.5' is not a whole number"},
        {"1 4\n", "file ends before the attributes per element"},
        {"1 4 1\n1 1 2 3", "file ends in element record 1, before its fourth node number"},
    };
    // clang-format on
    for (const Case& c : cases) {
        std::vector<std::int32_t> tets;
        const auto error = tets_from(c.text, 4, 1, tets);
        ASSERT_TRUE(error) << c.text;
        EXPECT_NE(error->message().find(c.message), std::string::npos) << error->message();
    }
}

// Nodes and elements read in the layout their texts declare, as tetclean
// reads them; elements against nodes of base `base`.
textio::MaybeError tetgen_nodes_from(const std::string& text, std::int32_t count,
                                     std::vector<double>& nodes) {
    textio::TokenScanner head(text);
    const mesh::NodeLayout layout = mesh::read_node_layout(head);
    nodes.assign(3 * static_cast<std::size_t>(count), -1.0);
    textio::TokenScanner scanner(text);
    return mesh::read_nodes(nodes.data(), scanner, "in.node", 1, with_counts(count, 0), layout);
}

textio::MaybeError tetgen_tets_from(const std::string& text, std::int32_t base, std::int32_t count,
                                    std::vector<std::int32_t>& tets) {
    textio::TokenScanner head(text);
    mesh::MeshLayout layout;
    layout.elements = mesh::read_element_layout(head);
    layout.nodes.kind = mesh::Layout::tetgen;
    layout.nodes.first_number = base;
    tets.assign(5 * static_cast<std::size_t>(count), -99);
    textio::TokenScanner scanner(text);
    return mesh::read_elements(tets.data(), scanner, "in.ele", 1, with_counts(5, count), layout);
}

TEST(ReadNodes, TetGenLayoutSkipsAttributesAndMarkers) {
    const std::vector<double> expected = {0, 0, 0, 12, 0, 0, 11.012923172151728, 9.75, -1e-3};
    // clang-format off
    const char* const texts[] = {
        "3 3 0 0\n1 0 0 0\n2 12 0 0\n3 11.012923172151728 9.75 -1e-3\n",
        "3  3  0  1\n   1    0  0  0    0\n   2    12  0  0    5\n 3 11.012923172151728 9.75 -0.001 -1\n# Generated by tetgen\n",
        "# meshio\r\n3 3 2 1\r\n0 0 0 0 0.5 1e300 0\r\n\r\n1 12 0 0 0 0 1 # here\r\n2 11.012923172151728 9.75 -1e-3 2 2 2",
        // meshio reads every node number as a float and writes its markers so.
        "# meshio\n3 3 1 1\n0 0.0e+00 0 0 2.5 5.0\n1 12 0 0 -0.0 -1.0\n2 11.012923172151728 9.75 -1e-3 1e300 2e0\n",
    };
    // clang-format on
    for (const char* text : texts) {
        std::vector<double> nodes;
        const auto error = tetgen_nodes_from(text, 3, nodes);
        ASSERT_FALSE(error) << error->message();
        EXPECT_EQ(nodes, expected) << text;
    }
}

TEST(ReadElements, TetGenLayoutTakesTheFirstAttributeAsRegion) {
    struct Case {
        const char* text;
        std::int32_t base;
        std::vector<std::int32_t> tets;
    };
    // clang-format off
    const Case cases[] = {
        {"2 4 1\n1 1 2 3 4 1\n2 5 4 3 2 -2\n# Generated by tetgen\n", 1, {0, 1, 2, 3, 1, 4, 3, 2, 1, -2}},
        {"2 4 1\n0 0 1 2 3 1\n1 4 3 2 1 0\n", 0, {0, 1, 2, 3, 1, 4, 3, 2, 1, 0}},
        {"2 4 2\n0 0 1 2 3 1.0 0.25\n1 4 3 2 1 2e0 7 # two\n", 0, {0, 1, 2, 3, 1, 4, 3, 2, 1, 2}},
        {"2 4 1\n1 1 2 3 4 -0.0 2 5 4 3 2 7.\n", 1, {0, 1, 2, 3, 0, 4, 3, 2, 1, 7}},
    };
    // clang-format on
    for (const Case& c : cases) {
        std::vector<std::int32_t> tets;
        const auto error = tetgen_tets_from(c.text, c.base, 2, tets);
        ASSERT_FALSE(error) << error->message();
        EXPECT_EQ(tets, c.tets) << c.text;
    }
}

TEST(ReadNodesAndElements, TetGenLayoutBadInput) {
    struct Case {
        const char* text;
        bool nodes;  // else elements, base 0
        const char* message;
    };
    // clang-format off
    const Case cases[] = {
        {"2 3 0 1\n1 0 0 0 1\n2 1 0 0 1 9\n", true, "in.node: node record 2 is not one line of 5 numbers, as the header declares"},
        {"2 3 0 1\n1 0 0 0 1\n2 1 0 0\n3 0 0 0 1\n", true, "node record 2 is not one line of 5 numbers"},
        {"2 3 0 1\n1 0 0 0 1\n2 1 0 0 1.5\n", true, "node record 2: boundary marker '1.5' is not a whole number"},
        {"2 3 0 1\n1 0 0 0 1\n2 1 0 0 3e9\n", true, "node record 2: boundary marker '3e9' is not a whole number"},
        {"2 3 0 1\n1 0 0 0 nan\n", true, "node record 1: boundary marker 'nan' is not a whole number"},
        {"2 3 1 0\n1 0 0 0 1\n2 1 0 0 x\n", true, "node record 2: attribute 'x' is not a number"},
        {"2 3 0 0\n1.0 0 0 0\n2 1 0 0\n", true, "node record 1: node number '1.0' is not a whole number"},
        {"2 3 0 0\n1 0 0 0\n", true, "file ends in node record 2, before its node number"},
        {"2 4 2\n0 0 1 2 3 1 0\n1 0 1 2 3 1\n", false, "in.ele: file ends in element record 2, before its attribute"},
        {"2 4 2\n0 0 1 2 3 1 0\n1 0 1 2 3 1 0 0\n", false, "element record 2 is not one line of 7 numbers, as the header declares"},
        {"2 4 2\n0 0 1 2 3 1.5 0\n", false, "element record 1: attribute '1.5' is not a whole number"},
        {"2 4 2\n0 0 1 2 5 1 0\n", false, "element record 1: fourth node number 5 is outside 0 to 4"},
        {"2 4 1\n0 0 1 2 3 3e9\n", false, "element record 1: attribute '3e9' is not a whole number"},
        {"2 4 0\n0 0 1 2 3\n", false, "in.ele: no attributes per element, so no regions"},
    };
    // clang-format on
    for (const Case& c : cases) {
        std::vector<double> nodes;
        std::vector<std::int32_t> tets;
        const auto error =
            c.nodes ? tetgen_nodes_from(c.text, 2, nodes) : tetgen_tets_from(c.text, 0, 2, tets);
        ASSERT_TRUE(error) << c.text;
        EXPECT_NE(error->message().find(c.message), std::string::npos) << error->message();
    }
}

TEST(ReadMeshSizes, TakesTheFirstNumberOfEachFile) {
    TempDir dir;
    write_file(dir / "a.node", "4 3\n1 0 0 0\n2 1 0 0\n3 0 1 0\n4 0 0 1\n");
    write_file(dir / "a.ele", "1 4 1\n1 1 2 3 4 0\n");
    RunParameters param;
    mesh::MeshLayout layout;
    ASSERT_FALSE(mesh::read_mesh_sizes((dir / "a.node").string(), (dir / "a.ele").string(), 1,
                                       param, layout));
    EXPECT_EQ(param.nodes_number[1], 4);
    EXPECT_EQ(param.tets_number[1], 1);
}

TEST(ReadMeshSizes, RefusesCountsTheFileCannotHold) {
    TempDir dir;
    write_file(dir / "a.node", "2147483647 3\n1 0 0 0\n");
    write_file(dir / "a.ele", "1 4 1\n1 1 2 3 4 0\n");
    RunParameters param;
    mesh::MeshLayout layout;
    const auto error = mesh::read_mesh_sizes((dir / "a.node").string(), (dir / "a.ele").string(), 1,
                                             param, layout);
    ASSERT_TRUE(error);
    EXPECT_NE(
        error->message().find("node count 2147483647 is more than the file's 21 bytes can hold"),
        std::string::npos)
        << error->message();
    EXPECT_EQ(param.nodes_number[1], 0);
}

// A count read from a pipe was taken on trust and sized the arrays.
TEST(ReadMeshSizes, RefusesAPipe) {
    TempDir dir;
    write_file(dir / "a.ele", "1 4 1\n1 1 2 3 4 0\n");
    std::FILE* pipe = ::popen("echo 200000000 3", "r");
    ASSERT_NE(pipe, nullptr);
    const std::string name = "/dev/fd/" + std::to_string(::fileno(pipe));
    RunParameters param;
    mesh::MeshLayout layout;
    const auto error = mesh::read_mesh_sizes(name, (dir / "a.ele").string(), 1, param, layout);
    ::pclose(pipe);
    ASSERT_TRUE(error);
    EXPECT_EQ(error->message(),
              name + ": not a regular file: the node file is read twice, once for its count");
    EXPECT_EQ(param.nodes_number[1], 0);
}

TEST(ReadMeshSizes, MissingFilesAreOpenFailuresNodeFileFirst) {
    TempDir dir;
    RunParameters param;
    mesh::MeshLayout layout;
    auto error = mesh::read_mesh_sizes((dir / "no.node").string(), (dir / "no.ele").string(), 1,
                                       param, layout);
    ASSERT_TRUE(error);
    EXPECT_TRUE(error->cannot_open);
    EXPECT_NE(error->message().find("no.node: cannot open node file: No such file or directory"),
              std::string::npos);
    write_file(dir / "no.node", "0 3\n");
    error = mesh::read_mesh_sizes((dir / "no.node").string(), (dir / "no.ele").string(), 1, param,
                                  layout);
    ASSERT_TRUE(error);
    EXPECT_NE(error->message().find("no.ele: cannot open element file"), std::string::npos);
}

struct WrittenMesh {
    std::string nodes, tets;
};

WrittenMesh write_mesh(const std::vector<double>& nodes, const std::vector<std::int32_t>& tets) {
    TempDir dir;
    RunParameters param;
    param.nodes_number_out[1] = static_cast<std::int32_t>(nodes.size() / 3);
    param.tets_number_out[1] = static_cast<std::int32_t>(tets.size() / 5);
    const auto error = mesh::write_nodes_and_tets(
        nodes.data(), tets.data(), param, 1, (dir / "o.node").string(), (dir / "o.ele").string());
    EXPECT_FALSE(error);
    const WrittenMesh written{read_file(dir / "o.node"), read_file(dir / "o.ele")};

    // The same text from the pieces, records cut after the first and the
    // third, as slices laid out on several threads cut them.
    const std::int64_t node_count = param.nodes_number_out[1], tet_count = param.tets_number_out[1];
    std::vector<char> text(64 + mesh::record_text_bytes *
                                    static_cast<std::size_t>(std::max(node_count, tet_count)));
    std::string node_text, tet_text;
    char* end = mesh::node_header_text(text.data(), param.nodes_number_out[1]);
    node_text.assign(text.data(), end);
    end = mesh::element_header_text(text.data(), param.tets_number_out[1]);
    tet_text.assign(text.data(), end);
    for (auto [first, last] : {std::pair<std::int64_t, std::int64_t>{0, 1}, {1, 3}, {3, 1 << 30}}) {
        end = mesh::node_records_text(text.data(), nodes.data(), std::min(first, node_count),
                                      std::min(last, node_count), false);
        node_text.append(text.data(), end);
        end = mesh::element_records_text(text.data(), tets.data(), std::min(first, tet_count),
                                         std::min(last, tet_count));
        tet_text.append(text.data(), end);
    }
    EXPECT_EQ(node_text, written.nodes);
    EXPECT_EQ(tet_text, written.tets);
    return written;
}

TEST(WriteNodesAndTets, FormatsLikeADefaultStream) {
    const WrittenMesh mesh =
        write_mesh({0, 0.5, 1.25, 123.456789, 0.0001, 0.00001, 200000, 2500000, -3},
                   {0, 1, 2, 3, 7, 2, 1, 0, 1, -4});
    EXPECT_EQ(mesh.nodes, "3 3\n1 0 0.5 1.25\n2 123.457 0.0001 1e-05\n3 200000 2.5e+06 -3\n");
    EXPECT_EQ(mesh.tets, "2 4 1\n1 1 2 3 4 7\n2 3 2 1 2 -4\n");
}

// TetGen's layout changes the node header alone.
TEST(WriteNodesAndTets, NodeHeaderPerLayout) {
    struct Case {
        mesh::Layout layout;
        std::int32_t count;
        const char* header;
    };
    const Case cases[] = {{mesh::Layout::plain, 0, "0 3\n"},
                          {mesh::Layout::plain, 12, "12 3\n"},
                          {mesh::Layout::tetgen, 0, "0 3 0 0\n"},
                          {mesh::Layout::tetgen, 2147483647, "2147483647 3 0 0\n"}};
    for (const Case& c : cases) {
        char text[64];
        EXPECT_EQ(std::string(text, mesh::node_header_text(text, c.count, c.layout)), c.header);
    }
    const double nodes[] = {1.5, -2, 0.25};
    const auto text = mesh::node_file_text(nodes, 1, false, mesh::Layout::tetgen);
    std::vector<char> buffer(text.slice_bytes);
    ASSERT_EQ(text.slices, 1);
    EXPECT_EQ(std::string(buffer.data(), text.format(buffer.data(), 0)),
              "1 3 0 0\n1 1.5 -2 0.25\n");
}

// Every double read back exactly, in the fewest digits; the node map gives
// each input node's new number, 0 for a dropped one.
TEST(WriteNodesAndTets, FullPrecisionAndNodeMap) {
    TempDir dir;
    const std::vector<double> nodes = {0.1, 11.012923172151728, -1e-05, 1e22, 5e-324, -0.0};
    const std::vector<std::int32_t> tets = {0, 1, 0, 1, 3};
    const std::vector<std::int32_t> new_index = {-1, 0, -1, 1};
    RunParameters param;
    param.nodes_number[1] = 4;
    param.nodes_number_out[1] = 2;
    param.tets_number_out[1] = 1;
    const mesh::MeshOutputOptions options{true, (dir / "o.map").string(), new_index.data()};
    ASSERT_FALSE(mesh::write_nodes_and_tets(nodes.data(), tets.data(), param, 1,
                                            (dir / "o.node").string(), (dir / "o.ele").string(), {},
                                            options));
    EXPECT_EQ(read_file(dir / "o.node"),
              "2 3\n1 0.1 11.012923172151728 -1e-05\n2 1e+22 5e-324 -0\n");
    EXPECT_EQ(read_file(dir / "o.ele"), "1 4 1\n1 1 2 1 2 3\n");
    EXPECT_EQ(read_file(dir / "o.map"), "0\n1\n0\n2\n");

    // The same from the pieces, the coordinates in full.
    std::vector<char> text(4 * mesh::record_text_bytes);
    char* end = mesh::node_header_text(text.data(), 2);
    end = mesh::node_records_text(end, nodes.data(), 0, 1, true);
    end = mesh::node_records_text(end, nodes.data(), 1, 2, true);
    EXPECT_EQ(std::string(text.data(), end), read_file(dir / "o.node"));
    end = mesh::node_map_text(text.data(), new_index.data(), 0, 3);
    end = mesh::node_map_text(end, new_index.data(), 3, 4);
    EXPECT_EQ(std::string(text.data(), end), read_file(dir / "o.map"));

    std::vector<double> back;
    ASSERT_FALSE(nodes_from(read_file(dir / "o.node"), 2, back));
    EXPECT_EQ(back, nodes);
    EXPECT_TRUE(std::signbit(back[5]));

    // A map that cannot be written leaves all three targets as they were.
    write_file(dir / "o.node", "old");
    const mesh::MeshOutputOptions failing{false, (dir / "no" / "o.map").string(), new_index.data()};
    const auto error =
        mesh::write_nodes_and_tets(nodes.data(), tets.data(), param, 1, (dir / "o.node").string(),
                                   (dir / "o.ele").string(), {}, failing);
    ASSERT_TRUE(error);
    EXPECT_NE(error->message().find("no/o.map: cannot create output file"), std::string::npos);
    EXPECT_EQ(read_file(dir / "o.node"), "old");
    EXPECT_EQ(read_file(dir / "o.map"), "0\n1\n0\n2\n");
}

TEST(WriteNodesAndTets, EmptyMeshIsJustTheHeaders) {
    const WrittenMesh mesh = write_mesh({}, {});
    EXPECT_EQ(mesh.nodes, "0 3\n");
    EXPECT_EQ(mesh.tets, "0 4 1\n");
}

TEST(WriteNodesAndTets, FailedElementFileLeavesBothTargetsUnchanged) {
    TempDir dir;
    write_file(dir / "o.node", "old nodes");
    const std::vector<double> nodes = {1, 2, 3};
    const std::vector<std::int32_t> tets = {0, 0, 0, 0, 1};
    RunParameters param;
    param.nodes_number_out[1] = 1;
    param.tets_number_out[1] = 1;
    const auto error =
        mesh::write_nodes_and_tets(nodes.data(), tets.data(), param, 1, (dir / "o.node").string(),
                                   (dir / "missing" / "o.ele").string());
    ASSERT_TRUE(error);
    EXPECT_NE(error->message().find("missing/o.ele: cannot create output file"), std::string::npos);
    EXPECT_EQ(read_file(dir / "o.node"), "old nodes");
    EXPECT_EQ(std::distance(std::filesystem::directory_iterator(dir.path()),
                            std::filesystem::directory_iterator{}),
              1);
}

}  // namespace
