// SPDX-License-Identifier: MIT
// tetclean on meshes that the TetGen program makes (Debian package tetgen;
// skipped where it is not installed). Each mesh is either cleaned exactly
// as the same mesh rewritten into the present layout, or refused with its
// error line.
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <sstream>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "test_files.hpp"

namespace {

namespace fs = std::filesystem;
using testing_support::read_file;
using testing_support::run_program;
using testing_support::RunResult;
using testing_support::TempDir;
using testing_support::write_file;

const std::string program = TETCLEAN_PATH;

// Extents 0 0 0 (a 32^3 grid from -1.5, spacing 0.5): the distance to a
// sphere of radius 2 about the centre, so that region 0 near the outer
// corners lies further than 6 from it and goes.
std::string sphere_level_set() {
    std::string text;
    char value[32];
    for (int k = 0; k < 32; ++k) {
        for (int j = 0; j < 32; ++j) {
            for (int i = 0; i < 32; ++i) {
                const double x = (i - 3) / 2.0 - 6, y = (j - 3) / 2.0 - 6, z = (k - 3) / 2.0 - 6;
                std::snprintf(value, sizeof value, "%g%c", std::sqrt(x * x + y * y + z * z) - 2,
                              i == 31 ? '\n' : ' ');
                text += value;
            }
        }
    }
    return text;
}

// The numbers of each line that holds any, comments dropped, as text.
std::vector<std::vector<std::string>> number_lines(const std::string& text) {
    std::vector<std::vector<std::string>> lines;
    std::istringstream in(text);
    for (std::string line; std::getline(in, line);) {
        std::istringstream words(line.substr(0, line.find('#')));
        std::vector<std::string> numbers;
        for (std::string word; words >> word;) numbers.push_back(word);
        if (!numbers.empty()) lines.push_back(numbers);
    }
    return lines;
}

// TetGen's node and element files in the present layout: `N 3`, `i x y z`
// and `T 4 1`, `j n1 n2 n3 n4 region`, numbered from 1; the coordinates
// and regions as TetGen wrote them. The text is appended piece by piece:
// g++ 12 at -O3 warns falsely (-Wrestrict) on "literal" + std::string.
std::string present_nodes(const std::string& tetgen) {
    const auto lines = number_lines(tetgen);
    std::string text = lines[0][0] + " 3\n";
    for (std::size_t i = 1; i < lines.size(); ++i) {
        text.append(std::to_string(i));
        for (int axis = 1; axis <= 3; ++axis) text.append(" ").append(lines[i][axis]);
        text.append("\n");
    }
    return text;
}

std::string present_elements(const std::string& tetgen, int base) {
    const auto lines = number_lines(tetgen);
    std::string text = lines[0][0] + " 4 1\n";
    for (std::size_t j = 1; j < lines.size(); ++j) {
        text.append(std::to_string(j));
        for (int corner = 1; corner <= 4; ++corner)
            text.append(" ").append(std::to_string(std::stoi(lines[j][corner]) - base + 1));
        text.append(" ").append(lines[j][5]).append("\n");
    }
    return text;
}

struct Outputs {
    RunResult run;
    std::string nodes, elements, map;
};

Outputs clean(const fs::path& dir, const std::string& nodes, const std::string& elements,
              const std::vector<std::string>& options = {}) {
    std::vector<std::string> args = {"--node-map", "out.map"};
    args.insert(args.end(), options.begin(), options.end());
    args.insert(args.end(), {nodes, elements, "out.node", "out.ele", "ls.txt", "params.txt"});
    Outputs outputs{run_program(dir, program, args), read_file(dir / "out.node"),
                    read_file(dir / "out.ele"), read_file(dir / "out.map")};
    for (const char* name : {"out.node", "out.ele", "out.map"}) fs::remove(dir / name);
    return outputs;
}

TEST(TetcleanOnTetGenMeshes, CleansAsThePresentLayoutOrRefuses) {
    if (std::system("command -v tetgen >/dev/null 2>&1") != 0) {
        GTEST_SKIP() << "tetgen is not installed (Debian package tetgen)";
    }
    TempDir dir;
    // Two nested cubes, 0..12 and 4..8, with a boundary marker per facet and
    // an attribute per point: region 0 between them, region 2 inside.
    fs::copy_file(fs::path(EXAMPLES_DIR) / "two_cubes.poly", dir / "box.poly");
    write_file(dir / "ls.txt", sphere_level_set());
    write_file(dir / "params.txt", "0 0 0 0.1 10 1 1 1 1 1 1 1 1 1 1 1\n");

    struct Case {
        const char* switches;  // after -pq1.4a3
        int base;
        std::string error;  // empty: cleaned as the present layout
    };
    // clang-format off
    const Case cases[] = {
        {"A", 1, ""},           // point attributes and boundary markers
        {"Az", 0, ""},          // zero-based
        {"AB", 1, ""},          // no boundary markers
        {"", 1, "tetclean: box.1.ele: no attributes per element, so no regions: mesh with TetGen's region option (-A)\n"},
        {"Ao2", 1, "tetclean: box.1.ele: 10 nodes per element: second-order tetrahedra cannot be read; mesh without TetGen's -o2\n"},
    };
    // clang-format on
    for (const Case& c : cases) {
        SCOPED_TRACE(c.switches);
        const RunResult meshed =
            run_program(dir.path(), "tetgen", {std::string("-pq1.4a3Q") + c.switches, "box.poly"});
        ASSERT_EQ(meshed.status, 0) << meshed.out << meshed.err;
        const std::string nodes = read_file(dir / "box.1.node");
        const std::string elements = read_file(dir / "box.1.ele");
        // As meshio writes them: a comment on top.
        write_file(dir / "commented.node", "# written by meshio\n" + nodes);
        write_file(dir / "commented.ele", "# written by meshio\n" + elements);

        const Outputs direct = clean(dir.path(), "box.1.node", "box.1.ele");
        const Outputs commented = clean(dir.path(), "commented.node", "commented.ele");
        if (!c.error.empty()) {
            EXPECT_EQ(direct.run.status, 1);
            EXPECT_EQ(direct.run.err, c.error);
            EXPECT_EQ(direct.nodes + direct.elements + direct.map, "");
            EXPECT_EQ(commented.run.status, 1);
            continue;
        }
        write_file(dir / "present.node", present_nodes(nodes));
        write_file(dir / "present.ele", present_elements(elements, c.base));
        const Outputs present = clean(dir.path(), "present.node", "present.ele");
        ASSERT_EQ(present.run.status, 0) << present.run.err;
        for (const Outputs* outputs : {&direct, &commented}) {
            EXPECT_EQ(outputs->run.status, 0) << outputs->run.err;
            EXPECT_EQ(outputs->run.out, present.run.out);
            EXPECT_EQ(outputs->nodes, present.nodes);
            EXPECT_EQ(outputs->elements, present.elements);
            EXPECT_EQ(outputs->map, present.map);
        }
        // Something was removed, and the map says what.
        const auto old_count = std::stoi(nodes), new_count = std::stoi(direct.nodes);
        EXPECT_LT(new_count, old_count);
        EXPECT_EQ(number_lines(direct.map).size(), static_cast<std::size_t>(old_count));

        // In full precision every kept node is where TetGen put it.
        const Outputs full = clean(dir.path(), "box.1.node", "box.1.ele", {"--full-precision"});
        ASSERT_EQ(full.run.status, 0) << full.run.err;
        const auto in = number_lines(nodes), out = number_lines(full.nodes),
                   map = number_lines(full.map);
        for (std::size_t i = 0; i < map.size(); ++i) {
            const int kept = std::stoi(map[i][0]);
            if (kept == 0) continue;
            for (int axis = 1; axis <= 3; ++axis) {
                ASSERT_EQ(std::stod(out[kept][axis]), std::stod(in[i + 1][axis])) << i;
            }
        }
    }
}

}  // namespace
