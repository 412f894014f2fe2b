#include <cstdio>
#include <string>
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
    return mesh::read_nodes(nodes.data(), scanner, "in.node", 1, with_counts(count, 0));
}

textio::MaybeError tets_from(const std::string& text, std::int32_t nodes, std::int32_t count,
                             std::vector<std::int32_t>& tets) {
    tets.assign(5 * static_cast<std::size_t>(count), -99);
    textio::TokenScanner scanner(text);
    return mesh::read_elements(tets.data(), scanner, "in.ele", 1, with_counts(nodes, count));
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

TEST(ReadMeshSizes, TakesTheFirstNumberOfEachFile) {
    TempDir dir;
    write_file(dir / "a.node", "4 3\n1 0 0 0\n2 1 0 0\n3 0 1 0\n4 0 0 1\n");
    write_file(dir / "a.ele", "1 4 1\n1 1 2 3 4 0\n");
    RunParameters param;
    ASSERT_FALSE(
        mesh::read_mesh_sizes((dir / "a.node").string(), (dir / "a.ele").string(), 1, param));
    EXPECT_EQ(param.nodes_number[1], 4);
    EXPECT_EQ(param.tets_number[1], 1);
}

TEST(ReadMeshSizes, RefusesCountsTheFileCannotHold) {
    TempDir dir;
    write_file(dir / "a.node", "2147483647 3\n1 0 0 0\n");
    write_file(dir / "a.ele", "1 4 1\n1 1 2 3 4 0\n");
    RunParameters param;
    const auto error =
        mesh::read_mesh_sizes((dir / "a.node").string(), (dir / "a.ele").string(), 1, param);
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
    const auto error = mesh::read_mesh_sizes(name, (dir / "a.ele").string(), 1, param);
    ::pclose(pipe);
    ASSERT_TRUE(error);
    EXPECT_EQ(error->message(),
              name + ": not a regular file: the node file is read twice, once for its count");
    EXPECT_EQ(param.nodes_number[1], 0);
}

TEST(ReadMeshSizes, MissingFilesAreOpenFailuresNodeFileFirst) {
    TempDir dir;
    RunParameters param;
    auto error =
        mesh::read_mesh_sizes((dir / "no.node").string(), (dir / "no.ele").string(), 1, param);
    ASSERT_TRUE(error);
    EXPECT_TRUE(error->cannot_open);
    EXPECT_NE(error->message().find("no.node: cannot open node file: No such file or directory"),
              std::string::npos);
    write_file(dir / "no.node", "0 3\n");
    error = mesh::read_mesh_sizes((dir / "no.node").string(), (dir / "no.ele").string(), 1, param);
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
    return {read_file(dir / "o.node"), read_file(dir / "o.ele")};
}

TEST(WriteNodesAndTets, FormatsLikeADefaultStream) {
    const WrittenMesh mesh =
        write_mesh({0, 0.5, 1.25, 123.456789, 0.0001, 0.00001, 200000, 2500000, -3},
                   {0, 1, 2, 3, 7, 2, 1, 0, 1, -4});
    EXPECT_EQ(mesh.nodes, "3 3\n1 0 0.5 1.25\n2 123.457 0.0001 1e-05\n3 200000 2.5e+06 -3\n");
    EXPECT_EQ(mesh.tets, "2 4 1\n1 1 2 3 4 7\n2 3 2 1 2 -4\n");
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
