// SPDX-License-Identifier: MIT
// Hostile and broken inputs through the built tetclean, in addition to the
// failures that tetclean/tests/end_to_end_test.cpp already runs: every case
// states its exit status and the file that the error line names, and a
// failed run leaves the folder as it was (see bad_input.hpp).
#include "bad_input.hpp"

#include <string>

#include <gtest/gtest.h>

namespace {

using bad_input::Case;
using bad_input::Content;

const std::string program = TETCLEAN_PATH;

// Five nodes, two tetrahedra, an 8 x 8 x 8 grid (extents -12).
std::string grid(const std::string& first = "") {
    std::string text = first;
    for (int v = 0; v < 512; ++v) text += v % 8 == 7 ? "10\n" : "10 ";
    return text;
}
// clang-format off
const bad_input::Files good = {
    {"in.node", "5 3\n1 0 0 0\n2 0.5 0 0\n3 1 0 0\n4 1.5 0 0\n5 2 0 0\n"},
    {"in.ele", "2 4 1\n1 1 2 3 4 0\n2 2 3 4 5 2\n"},
    {"ls.txt", grid()},
    {"params.txt", "-12 -12 -12 0.1 10 1 1 1 1 1 1 1 1 1 1 1\n"},
};
// clang-format on
const std::vector<std::string> usual = {"in.node", "in.ele", "out.node",
                                        "out.ele", "ls.txt", "params.txt"};

void run_cases(const std::vector<Case>& cases) {
    for (const Case& c : cases) bad_input::check(program, "tetclean", good, usual, c);
    // Nothing here may cost more than the inputs justify.
    EXPECT_LT(bad_input::peak_child_kilobytes(), 256 * 1024);
}

TEST(TetcleanBadInput, NodeFile) {
    const char* n = "in.node";
    // clang-format off
    run_cases({
        {"the good inputs", {}, {}, 0, "", ""},
        {"empty", {{n, ""}}, {}, 1, n, "file ends before the node count"},
        {"ends after the count", {{n, "0"}}, {}, 1, n, "file ends before the dimension"},
        {"ends after the header", {{n, "1 3.0000000\n"}}, {}, 1, n, "file ends in node record 1, before its node number"},
        {"ends before x", {{n, "1 3\n1.000000"}}, {}, 1, n, "before its x coordinate"},
        {"ends before y", {{n, "1 3\n1 0.0000"}}, {}, 1, n, "before its y coordinate"},
        {"count one more than its records", {{n, "6 3\n1 0 0 0\n2 0.5 0 0\n3 1 0 0\n4 1.5 0 0\n5 2 0 0\n"}}, {}, 1, n,
         "file ends in node record 6"},
        {"count one less: node 5 is unknown", {{n, "4 3\n1 0 0 0\n2 0.5 0 0\n3 1 0 0\n4 1.5 0 0\n5 2 0 0\n"}}, {}, 1,
         "in.ele", "fourth node number 5 is outside 1 to 4"},
        {"count not a number", {{n, "five 3\n"}}, {}, 1, n, "node count 'five' is not a whole number"},
        {"count with a fraction", {{n, "5.0 3\n1 0 0 0\n2 0.5 0 0\n3 1 0 0\n4 1.5 0 0\n5 2 0 0\n"}}, {}, 1, n,
         "node count '5.0' is not a whole number"},
        {"count 2147483647", {{n, "2147483647 3\n1 0 0 0\n"}}, {}, 1, n, "is more than the file's 21 bytes can hold"},
        {"count 2147483648", {{n, "2147483648 3\n"}}, {}, 1, n, "node count '2147483648' is out of range"},
        {"count -2147483648", {{n, "-2147483648 3\n"}}, {}, 1, n, "node count -2147483648 is negative"},
        // The count is read in a block of 4 KiB; the error said 1 MiB.
        {"count token longer than a block", {{n, std::string(5000, '0') + "5 3\n" + std::string(40, ' ')}}, {}, 1, n,
         "a token longer than 4 KiB before the node count"},
        {"dimension not a number", {{n, "0 three\n"}}, {}, 1, n, "dimension 'three' is not a number"},
        {"coordinate not a number", {{n, "1 3\n1 0 abc 0\n"}}, {}, 1, n, "node record 1: y coordinate 'abc' is not a number"},
        {"NaN coordinate", {{n, "1 3\n1 nan 0 0\n"}}, {}, 1, n, "x coordinate 'nan' is not a number"},
        {"infinite coordinate", {{n, "1 3\n1 0 -Infinity 0\n"}}, {}, 1, n, "y coordinate '-Infinity' is not a number"},
        {"coordinate beyond a double", {{n, "1 3\n1 0 0 1e999\n"}}, {}, 1, n, "z coordinate '1e999' is out of range"},
        {"hexadecimal coordinate", {{n, "1 3\n1 0x1p3 0 0\n"}}, {}, 1, n, "x coordinate '0x1p3' is not a number"},
        {"a folder", {{n, Content::folder}}, {}, 1, n, "cannot read the file to its end (node count)"},
    });
    // clang-format on
}

TEST(TetcleanBadInput, ElementFile) {
    const char* e = "in.ele";
    // clang-format off
    run_cases({
        {"empty", {{e, ""}}, {}, 1, e, "file ends before the element count"},
        {"ends after the count", {{e, "0"}}, {}, 1, e, "file ends before the nodes per element"},
        {"ends in the header", {{e, "0 4"}}, {}, 1, e, "file ends before the attributes per element"},
        {"ends before a corner", {{e, "1 4 1\n1 1 2 3"}}, {}, 1, e, "element record 1, before its fourth node number"},
        {"ends before the attribute", {{e, "1 4 1\n1 1 2 3 4"}}, {}, 1, e, "before its attribute"},
        {"count one more than its records", {{e, "3 4 1\n1 1 2 3 4 0\n2 2 3 4 5 2\n"}}, {}, 1, e,
         "element count 3 is more than the file's 30 bytes can hold"},
        {"count 2147483648", {{e, "2147483648 4 1\n"}}, {}, 1, e, "element count '2147483648' is out of range"},
        {"count negative", {{e, "-2 4 1\n1 1 2 3 4 0\n2 2 3 4 5 2\n"}}, {}, 1, e, "element count -2 is negative"},
        {"corner not a number", {{e, "1 4 1\n1 1 x 3 4 0\n"}}, {}, 1, e, "second node number 'x' is not a whole number"},
        {"corner with a fraction", {{e, "1 4 1\n1 1 2.5 3 4 0\n"}}, {}, 1, e, "'2.5' is not a whole number"},
        {"corner -1", {{e, "1 4 1\n1 1 2 -1 4 0\n"}}, {}, 1, e, "third node number -1 is outside 1 to 5"},
        {"corner -2147483648", {{e, "1 4 1\n1 -2147483648 2 3 4 0\n"}}, {}, 1, e, "-2147483648 is outside 1 to 5"},
        {"corner 2147483647", {{e, "1 4 1\n1 1 2 3 2147483647 0\n"}}, {}, 1, e, "2147483647 is outside 1 to 5"},
        {"attribute not a number", {{e, "1 4 1\n1 1 2 3 4 zero\n"}}, {}, 1, e, "attribute 'zero' is not a whole number"},
    });
    // clang-format on
}

// TetGen's layouts that cannot be cleaned, and faults in its records. The
// good nodes in TetGen's layout, one-based and zero-based.
TEST(TetcleanBadInput, TetGenLayouts) {
    const char *n = "in.node", *e = "in.ele";
    const std::string nodes_1 =
        "5 3 0 1\n1 0 0 0 1\n2 0.5 0 0 0\n3 1 0 0 0\n4 1.5 0 0 0\n5 2 0 0 1\n";
    const std::string nodes_0 =
        "5 3 0 1\n0 0 0 0 1\n1 0.5 0 0 0\n2 1 0 0 0\n3 1.5 0 0 0\n4 2 0 0 1\n";
    // clang-format off
    run_cases({
        {"TetGen's nodes", {{n, nodes_1}}, {}, 0, "", ""},
        {"zero-based", {{n, nodes_0}, {e, "2 4 1\n0 0 1 2 3 0\n1 1 2 3 4 2\n"}}, {}, 0, "", ""},
        {"zero-based elements, one-based nodes", {{n, nodes_1}, {e, "2 4 1\n0 0 1 2 3 0\n1 1 2 3 4 2\n"}}, {}, 1, e,
         "element numbers start at 0, node numbers in in.node at 1"},
        {"one-based elements, zero-based nodes", {{n, nodes_0}}, {}, 1, e, "element numbers start at 1, node numbers in in.node at 0"},
        {"two-dimensional", {{n, "5 2 0 0\n1 0 0\n2 0.5 0\n3 1 0\n4 1.5 0\n5 2 0\n"}}, {}, 1, n,
         "dimension 2: only three-dimensional meshes can be read"},
        {"first node number 2", {{n, "5 3 0 0\n2 0 0 0\n3 0.5 0 0\n4 1 0 0\n5 1.5 0 0\n6 2 0 0\n"}}, {}, 1, n,
         "node record 1: node number 2 is neither 0 nor 1"},
        {"second-order", {{e, "2 10 1\n1 1 2 3 4 1 1 1 1 1 1 0\n2 2 3 4 5 1 1 1 1 1 1 2\n"}}, {}, 1, e,
         "10 nodes per element: second-order tetrahedra cannot be read; mesh without TetGen's -o2"},
        {"no region", {{e, "2 4 0\n1 1 2 3 4\n2 2 3 4 5\n"}}, {}, 1, e, "mesh with TetGen's region option (-A)"},
        {"a marker short", {{n, "5 3 0 1\n1 0 0 0 1\n2 0.5 0 0\n3 1 0 0 0\n4 1.5 0 0 0\n5 2 0 0 1\n"}}, {}, 1, n,
         "node record 2 is not one line of 5 numbers, as the header declares"},
        {"an attribute too many", {{e, "2 4 2\n1 1 2 3 4 0 0\n2 2 3 4 5 2 0 9\n"}}, {}, 1, e,
         "element record 2 is not one line of 7 numbers"},
    });
    // clang-format on
}

TEST(TetcleanBadInput, GridAndParameters) {
    const char* p = "params.txt";
    // clang-format off
    run_cases({
        {"grid value not a number", {{"ls.txt", "10 10 ten " + grid()}}, {}, 1, "ls.txt",
         "holds 2 values before 'ten', which is not a number; the grid needs 512 (8 x 8 x 8)"},
        {"NaN in the grid", {{"ls.txt", grid("nan ")}}, {}, 1, "ls.txt", "holds 0 values before 'nan'"},
        {"grid file a folder", {{"ls.txt", Content::folder}}, {}, 1, "ls.txt", "holds 0 values before a read error"},
        {"parameter file empty", {{p, ""}}, {}, 1, p, "the first grid extent is missing"},
        {"parameter file ends early", {{p, "-12 -12"}}, {}, 1, p, "the third grid extent is missing"},
        {"parameter file a folder", {{p, Content::folder}}, {}, 1, p, "cannot read the parameter file"},
        {"extents beyond 32 bits", {{p, "99999999999 0 0"}}, {}, 1, p, "'99999999999' is not a whole number"},
        {"largest extents", {{p, "2147483647 2147483647 2147483647"}}, {}, 1, p, "too large for 2147483647 values"},
        {"extents whose count overflows 64 bits", {{p, "777777777 773777777 50"}}, {}, 1, p, "too large"},
        {"most negative extents", {{p, "-2147483648 -2147483648 -2147483648"}}, {}, 1, p, "give a level-set grid with no points"},
    });
    // clang-format on
}

TEST(TetcleanBadInput, Outputs) {
    // clang-format off
    run_cases({
        {"output is a folder", {{"out.ele", Content::folder}}, {}, 1, "out.ele", "cannot create output file: Is a directory"},
        {"input as output, then a bad grid", {{"ls.txt", "1 2 3"}},
         {"in.node", "in.ele", "in.node", "in.ele", "ls.txt", "params.txt"}, 1, "ls.txt", "holds 3 values"},
        {"input as node output, element output full", {},
         {"in.node", "in.ele", "in.node", "/dev/full", "ls.txt", "params.txt"}, 1, "/dev/full",
         "cannot write output file: No space left on device"},
    });
    // clang-format on
}

std::vector<std::string> outputs(const std::string& node_out, const std::string& ele_out) {
    return {"in.node", "in.ele", node_out, ele_out, "ls.txt", "params.txt"};
}

std::vector<std::string> with_options(std::vector<std::string> files,
                                      const std::vector<std::string>& options) {
    files.insert(files.begin(), options.begin(), options.end());
    return files;
}

// Output names are checked before anything is read: one file named twice is
// refused, whatever the names; files that are not regular may repeat.
TEST(TetcleanBadInput, OutputNames) {
    const std::string same = "ele_file_out names the same file as node_file_out ";
    // clang-format off
    run_cases({
        {"one name twice", {}, outputs("same", "same"), 1, "same", same + "(same)"},
        {"one name written two ways", {}, outputs("out.node", "./out.node"), 1, "./out.node", same + "(out.node)"},
        {"an input named twice", {}, outputs("in.node", "in.node"), 1, "in.node", same + "(in.node)"},
        {"two hard links of one file", {{"out.node", "old"}, {"other", {Content::hard_link, "out.node"}}},
         outputs("out.node", "other"), 1, "other", same + "(out.node)"},
        {"a link to the other output", {{"out.node", "old"}, {"link", {Content::symbolic_link, "out.node"}}},
         outputs("link", "out.node"), 1, "out.node", same + "(link)"},
        {"a dangling link to the other output's name", {{"link", {Content::symbolic_link, "new.node"}}},
         outputs("new.node", "link"), 1, "link", same + "(new.node)"},
        {"an unset variable for the node output", {}, outputs("", "out.ele"), 1, "node_file_out",
         "output file name is empty"},
        {"an unset variable for the element output", {}, outputs("out.node", ""), 1, "ele_file_out",
         "output file name is empty"},
        {"the .vtu file as the node output", {}, with_options(outputs("out.node", "out.ele"), {"--vtu", "out.node"}),
         1, "out.node", "--vtu names the same file as node_file_out (out.node)"},
        {"the report as the .vtu file", {}, with_options(outputs("out.node", "out.ele"), {"--vtu", "o.vtu", "--report", "./o.vtu"}),
         1, "./o.vtu", "--report names the same file as --vtu (o.vtu)"},
        {"the report as the node map", {}, with_options(outputs("out.node", "out.ele"), {"--report", "m", "--node-map", "m"}),
         1, "m", "--report names the same file as --node-map (m)"},
        {"an empty .vtu name", {}, with_options(outputs("out.node", "out.ele"), {"--vtu="}), 1, "--vtu",
         "output file name is empty"},
        {"an empty report name", {}, with_options(outputs("out.node", "out.ele"), {"--report", ""}), 1, "--report",
         "output file name is empty"},
        {"/dev/null for both", {}, outputs("/dev/null", "/dev/null"), 0, "", ""},
        {"one name in two folders", {{"sub", Content::folder}}, outputs("out.node", "sub/out.node"), 0, "", ""},
    });
    // clang-format on
}

// Names and tokens are shown with their control bytes spelt out; readers
// say what stopped them.
TEST(TetcleanBadInput, Messages) {
    const char* n = "in.node";
    const char* g = "ls.txt";
    const char* p = "params.txt";
    const std::string endless =
        "holds 0 values before a token longer than 1 MiB; the grid needs 512";
    // clang-format off
    run_cases({
        {"a NUL in a grid value", {{g, std::string("10 1\0 ", 6) + grid()}}, {}, 1, g,
         "holds 1 values before '1\\x00', which is not a number"},
        {"an escape sequence as a grid value", {{g, "\x1b[2J " + grid()}}, {}, 1, g, "before '\\x1b[2J'"},
        {"a byte order mark before the node count", {{n, "\xef\xbb\xbf" "5 3\n"}}, {}, 1, n,
         "node count '\\xef\\xbb\\xbf5' is not a whole number"},
        {"a grid value too large for a float", {{g, "10 1e39 " + grid()}}, {}, 1, g,
         "holds 1 values before '1e39', which is out of range; the grid needs 512"},
        {"a grid token longer than a block", {{g, "10 " + std::string(std::size_t{1} << 21, '7')}}, {}, 1, g,
         "holds 1 values before a token longer than 1 MiB; the grid needs 512"},
        {"an endless grid token", {}, {"in.node", "in.ele", "out.node", "out.ele", "/dev/zero", p}, 1, "/dev/zero",
         endless},
        {"a parameter token longer than a block", {{p, std::string(std::size_t{1} << 21, '1')}}, {}, 1, p,
         "a token longer than 1 MiB before the first grid extent"},
        {"an endless parameter token", {}, {"in.node", "in.ele", "out.node", "out.ele", g, "/dev/zero"}, 1,
         "/dev/zero", "a token longer than 1 MiB before the first grid extent"},
        {"node file a folder", {{n, Content::folder}}, {}, 1, n, "cannot read the file to its end (node count): Is a directory"},
        {"grid file a folder", {{g, Content::folder}}, {}, 1, g, "holds 0 values before a read error (Is a directory)"},
        {"parameter file a folder", {{p, Content::folder}}, {}, 1, p, "cannot read the parameter file: Is a directory"},
        {"control bytes in a name", {}, {"in\x01\n.node", "in.ele", "out.node", "out.ele", g, p}, 1,
         "in\\x01\\n.node", "cannot open node file: No such file or directory"},
        {"a UTF-8 name stays readable", {}, {"Gehirn_\xc3\xb6.node", "in.ele", "out.node", "out.ele", g, p}, 1,
         "Gehirn_\xc3\xb6.node", "cannot open node file"},
    });
    // clang-format on
}

// A folder that no one may create files in: /sys (see bad_input.hpp).
TEST(TetcleanBadInput, ReadOnlyFolder) {
    if (!bad_input::sys_refuses_new_files()) GTEST_SKIP() << "/sys accepts new files here";
    // clang-format off
    run_cases({{"node output in /sys", {}, {"in.node", "in.ele", "/sys/out.node", "out.ele", "ls.txt", "params.txt"},
                1, "/sys/out.node", "cannot create output file: Permission denied"}});
    // clang-format on
}

}  // namespace
