// SPDX-License-Identifier: MIT
#include <string>

#include <gtest/gtest.h>

#include <levelset_prep/mesh/mesh_files.hpp>

#include "test_files.hpp"

using namespace levelset_prep;

namespace {

using testing_support::TempDir;
using testing_support::write_file;

mesh::NodeLayout node_layout(const std::string& text) {
    textio::TokenScanner scanner(text);
    return mesh::read_node_layout(scanner);
}

mesh::ElementLayout element_layout(const std::string& text) {
    textio::TokenScanner scanner(text);
    return mesh::read_element_layout(scanner);
}

// The boundaries of the rule: TetGen's layout only where the header line
// and the first record line say so together.
TEST(ReadNodeLayout, TetGenOnlyWhereHeaderAndFirstRecordLineAgree) {
    struct Case {
        const char* text;
        bool tetgen;
        std::int32_t attributes, markers;
        int first_number;  // -1: none
    };
    // clang-format off
    const Case cases[] = {
        {"5 3\n1 0 0 0\n", false, 0, 0, -1},                          // as this tool writes it
        {"5 3 0 0\n1 0 0 0\n", true, 0, 0, 1},                        // TetGen -B
        {"5 3 0 1\n1 0 0 0 7\n", true, 0, 1, 1},                      // markers
        {"5 3 2 1\n0 0 0 0 0.5 -1 7\n", true, 2, 1, 0},               // attributes, zero-based
        {"# meshio\n5  3  0  0 # N d A B\n\n#\n0 1 2 3 # first\n", true, 0, 0, 0},
        {"5 3 0 1\n1 0 0 0\n", false, 0, 0, -1},                      // a line short of the marker
        {"5 3 0 0\n1 0 0 0 7\n", false, 0, 0, -1},                    // a number more
        {"5 3 0 2\n1 0 0 0 7 7\n", false, 0, 0, -1},                  // two markers: no such layout
        {"5 3 0 0 1\n0 0\n", false, 0, 0, -1},                        // records share the header line
        {"5 3 1 0\n0 0\n", false, 0, 0, -1},                          // a record split over lines
        {"5 3 0.0 0\n1 0 0 0\n", false, 0, 0, -1},
        {"-5 3 0 0\n1 0 0 0\n", false, 0, 0, -1},
        {"0 3 0 0\n", false, 0, 0, -1},                               // no record line
        {"5 3 0 0\nx 0 0 0\n", true, 0, 0, -1},                       // the reader refuses 'x'
    };
    // clang-format on
    for (const Case& c : cases) {
        const mesh::NodeLayout layout = node_layout(c.text);
        EXPECT_EQ(layout.kind == mesh::Layout::tetgen, c.tetgen) << c.text;
        EXPECT_EQ(layout.attributes, c.attributes) << c.text;
        EXPECT_EQ(layout.markers, c.markers) << c.text;
        EXPECT_EQ(layout.first_number.value_or(-1), c.first_number) << c.text;
        EXPECT_EQ(layout.base(), c.first_number == 0 ? 0 : 1) << c.text;
    }
    // A dimension other than 3 is TetGen's layout, refused later.
    EXPECT_EQ(node_layout("5 2 0 0\n1 0 0\n").dimension, 2);
}

TEST(ReadElementLayout, TetGenOnlyWhereItReadsDifferently) {
    struct Case {
        const char* text;
        bool tetgen;
        std::int32_t corners, attributes;
        int first_number;  // -1: none
    };
    // clang-format off
    const Case cases[] = {
        {"2 4 1\n1 1 2 3 4 0\n", false, 4, 1, 1},                     // both layouts alike
        {"2 4 1\n0 0 1 2 3 1.0\n", false, 4, 1, 0},                   // TetGen -A -z
        {"2 4 0\n1 1 2 3 4\n", true, 4, 0, 1},                        // TetGen without -A
        {"2 4 0\n1 1 2 3 4 0\n", false, 4, 1, 1},                     // ambiguous: the present layout
        {"2 10 1\n1 1 2 3 4 5 6 7 8 9 10 1\n", true, 10, 1, 1},       // -o2
        {"2 4 2\n0 0 1 2 3 1 0.5\n", true, 4, 2, 0},
        {"2 4 1 1 1 2 3 4 0 2 1 2 3 4 0", false, 4, 1, 1},            // one line
        {"2 4\n1\n7 2 3 4 0\n", false, 4, 1, 7},                      // a header over two lines
        {"# c\n2 4 0 # T P A\n1 1 2 3 4 # tet\n", true, 4, 0, 1},
        {"2 4 0\n", false, 4, 1, -1},
    };
    // clang-format on
    for (const Case& c : cases) {
        const mesh::ElementLayout layout = element_layout(c.text);
        EXPECT_EQ(layout.kind == mesh::Layout::tetgen, c.tetgen) << c.text;
        EXPECT_EQ(layout.nodes_per_element, c.corners) << c.text;
        EXPECT_EQ(layout.attributes, c.attributes) << c.text;
        EXPECT_EQ(layout.first_number.value_or(-1), c.first_number) << c.text;
    }
}

// Layouts the readers refuse are refused with the counts, before anything
// is allocated; a disagreement on the base names both files.
TEST(ReadMeshSizes, RefusesLayoutsTheReadersCannotUse) {
    const std::string node_1 = "2 3 0 1\n1 0 0 0 1\n2 1 0 0 1\n";
    const std::string node_0 = "2 3 0 1\n0 0 0 0 1\n1 1 0 0 1\n";
    const std::string ele_1 = "1 4 1\n1 1 2 1 2 1\n";
    struct Case {
        std::string nodes, elements;
        const char* message;  // empty: accepted
    };
    // clang-format off
    const Case cases[] = {
        {node_1, ele_1, ""},
        {node_0, "1 4 1\n0 0 1 0 1 1\n", ""},
        {"2 3\n0 0 0 0\n1 1 0 0\n", "1 4 1\n0 1 2 1 2 1\n", ""},      // the present layout, as before
        {"2 3\n1 0 0 0\n2 1 0 0\n", "1 4 2\n1 1 2 1 2 1 0\n", ""},
        {"2 2 0 0\n1 0 0\n2 1 0\n", ele_1, "a.node: dimension 2: only three-dimensional meshes can be read"},
        {"2 3 0 0\n5 0 0 0\n6 1 0 0\n", ele_1, "a.node: node record 1: node number 5 is neither 0 nor 1"},
        {node_1, "1 10 1\n1 1 2 1 2 1 2 1 2 1 2 1\n",
         "a.ele: 10 nodes per element: second-order tetrahedra cannot be read; mesh without TetGen's -o2"},
        {node_1, "1 8 1\n1 1 2 1 2 1 2 1 2 1\n", "a.ele: 8 nodes per element: only tetrahedra of 4 nodes can be read"},
        {node_1, "1 4 0\n1 1 2 1 2\n",
         "a.ele: no attributes per element, so no regions: mesh with TetGen's region option (-A)"},
        {node_0, ele_1, "a.ele: element numbers start at 1, node numbers in DIR/a.node at 0"},
        {node_1, "1 4 1\n0 0 1 0 1 1\n", "a.ele: element numbers start at 0, node numbers in DIR/a.node at 1"},
        {"2 3\n1 0 0 0\n2 1 0 0\n", "1 4 2\n0 0 1 0 1 1 0\n", "a.ele: element numbers start at 0, node numbers in DIR/a.node at 1"},
    };
    // clang-format on
    for (const Case& c : cases) {
        TempDir dir;
        write_file(dir / "a.node", c.nodes);
        write_file(dir / "a.ele", c.elements);
        mesh::RunParameters param;
        mesh::MeshLayout layout;
        const auto error = mesh::read_mesh_sizes((dir / "a.node").string(),
                                                 (dir / "a.ele").string(), 1, param, layout);
        std::string expected = c.message;
        if (const auto at = expected.find("DIR"); at != std::string::npos) {
            expected.replace(at, 3, dir.path().string());
        }
        if (expected.empty()) {
            EXPECT_FALSE(error) << error->message();
            EXPECT_EQ(param.nodes_number[1], 2) << c.nodes;
            continue;
        }
        ASSERT_TRUE(error) << c.message;
        EXPECT_EQ(error->message(), (dir.path() / expected).string());
        EXPECT_EQ(param.nodes_number[1], 0);
    }
}

}  // namespace
