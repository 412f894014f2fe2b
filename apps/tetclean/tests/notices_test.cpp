// SPDX-License-Identifier: MIT
// The notices of a run that succeeds, the outputs refused because they name
// an input, and --threshold.
#include <filesystem>
#include <sstream>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "test_files.hpp"

namespace {

namespace fs = std::filesystem;
using testing_support::read_file;
using testing_support::RunResult;
using testing_support::TempDir;
using testing_support::write_file;

const std::string program = TETCLEAN_PATH;
const fs::path examples = EXAMPLES_DIR;

// The bundled example, with a file or two replaced.
struct Case {
    const char* what;
    std::string nodes = read_file(examples / "mesh.node");
    std::string tets = read_file(examples / "mesh.ele");
    std::string params = read_file(examples / "params.txt");
    std::string err;  // the notices expected
};

std::string shifted_in_x(const std::string& nodes, double by) {
    std::istringstream in(nodes);
    std::string header, line, out;
    std::getline(in, header);
    out = header + "\n";
    while (std::getline(in, line)) {
        std::istringstream fields(line);
        double number = 0, x = 0, y = 0, z = 0;
        if (!(fields >> number >> x >> y >> z)) continue;
        out += std::to_string(static_cast<int>(number)) + " " + std::to_string(x + by) + " " +
               std::to_string(y) + " " + std::to_string(z) + "\n";
    }
    return out;
}

std::string regions_plus_one(const std::string& tets) {
    std::istringstream in(tets);
    std::string header, out;
    std::getline(in, header);
    out = header + "\n";
    long fields[6];
    while (in >> fields[0] >> fields[1] >> fields[2] >> fields[3] >> fields[4] >> fields[5]) {
        for (int f = 0; f < 5; ++f) out += std::to_string(fields[f]) + " ";
        out += std::to_string(fields[5] + 1) + "\n";
    }
    return out;
}

TEST(TetcleanNotices, OneLineOnStandardErrorStatusAndOutputsUnchanged) {
    std::vector<Case> cases(4);
    cases[0].what = "the bundled example says nothing";
    cases[1].what = "a mesh beside its grid";
    cases[1].nodes = shifted_in_x(cases[1].nodes, 100);
    cases[1].err =
        "tetclean: in.node: 729 of 729 nodes lie outside the level-set grid (x, y and z from "
        "-1.5 to 26); they read as 800 and are never near\n";
    cases[2].what = "a parameter file for a smaller grid";
    cases[2].params = "8 8 8 0.1 10 1 1 1 1 1 1 1 1 1 1 1\n";
    cases[2].err =
        "tetclean: ls.txt: holds more values than the 110592 the grid needs (48 x 48 x 48); the "
        "rest is not read: do the parameter file's extents belong to this grid?\n";
    cases[3].what = "no region 0";
    cases[3].tets = regions_plus_one(cases[3].tets);
    cases[3].err =
        "tetclean: in.ele: no tetrahedron has region 0, so none was removed (regions 1 to 3)\n";
    for (const Case& c : cases) {
        for (const char* quiet : {"--threads=1", "-q"}) {
            SCOPED_TRACE(std::string(c.what) + " " + quiet);
            TempDir dir;
            write_file(dir / "in.node", c.nodes);
            write_file(dir / "in.ele", c.tets);
            write_file(dir / "params.txt", c.params);
            fs::copy_file(examples / "levelset.txt", dir / "ls.txt");
            const RunResult result = testing_support::run_program(
                dir.path(), program,
                {quiet, "in.node", "in.ele", "out.node", "out.ele", "ls.txt", "params.txt"});
            EXPECT_EQ(result.status, 0);
            EXPECT_EQ(result.err, c.err);
            EXPECT_TRUE(fs::exists(dir / "out.node") && fs::exists(dir / "out.ele"));
        }
    }
}

TEST(TetcleanNotices, OutputsNamingAnInputAreRefusedBeforeReading) {
    struct Refusal {
        std::vector<std::string> args;  // after the options
        std::string err;
    };
    const std::string in[] = {"in.node", "in.ele", "ls.txt", "params.txt"};
    const Refusal refusals[] = {
        {{"in.node", "in.ele", "o.node", "ls.txt", "ls.txt", "params.txt"},
         "ls.txt: ele_file_out names the same file as the input level_set_file (ls.txt)"},
        {{"in.node", "in.ele", "in.ele", "o.ele", "ls.txt", "params.txt"},
         "in.ele: node_file_out names the same file as the input ele_file_in (in.ele)"},
        {{"in.node", "in.ele", "o.node", "in.node", "ls.txt", "params.txt"},
         "in.node: ele_file_out names the same file as the input node_file_in (in.node)"},
        {{"in.node", "in.ele", "params.txt", "o.ele", "ls.txt", "params.txt"},
         "params.txt: node_file_out names the same file as the input parameters_file "
         "(params.txt)"},
        {{"--node-map", "./link", "in.node", "in.ele", "o.node", "o.ele", "ls.txt", "params.txt"},
         "./link: --node-map names the same file as the input node_file_in (in.node)"},
        {{"--vtu", "in.node", "in.node", "in.ele", "o.node", "o.ele", "ls.txt", "params.txt"},
         "in.node: --vtu names the same file as the input node_file_in (in.node)"},
        {{"in.node", "in.ele", "o.node", "o.ele", "ls.txt", "params.txt", "--report", "./ls.txt"},
         "./ls.txt: --report names the same file as the input level_set_file (ls.txt)"},
    };
    for (const Refusal& r : refusals) {
        SCOPED_TRACE(r.err);
        TempDir dir;
        for (const std::string& name : in) write_file(dir / name, name + " holds this\n");
        fs::create_symlink("in.node", dir / "link");
        const RunResult result = testing_support::run_program(dir.path(), program, r.args);
        EXPECT_EQ(result.status, 1);
        EXPECT_EQ(result.out, "started\n");
        EXPECT_EQ(result.err, "tetclean: " + r.err + "\n");
        for (const std::string& name : in) EXPECT_EQ(read_file(dir / name), name + " holds this\n");
        EXPECT_FALSE(fs::exists(dir / "o.node") || fs::exists(dir / "o.ele"));
    }
}

// The count of tetrahedra kept: the first number of the element output.
long kept_tetrahedra(const fs::path& ele) { return std::stol(read_file(ele)); }

TEST(TetcleanThreshold, MovesTheSurfaceBandOrIsRefusedBeforeReading) {
    TempDir dir;
    for (const char* name : {"mesh.node", "mesh.ele", "levelset.txt", "params.txt"}) {
        fs::copy_file(examples / name, dir / name);
    }
    const std::vector<std::string> files = {"mesh.node", "mesh.ele",     "o.node",
                                            "o.ele",     "levelset.txt", "params.txt"};
    auto run = [&](const std::vector<std::string>& options) {
        fs::remove(dir / "o.ele");
        std::vector<std::string> args = options;
        args.insert(args.end(), files.begin(), files.end());
        return testing_support::run_program(dir.path(), program, args);
    };
    ASSERT_EQ(run({}).status, 0);
    const std::string by_default = read_file(dir / "o.ele");
    long others = 0;  // the tetrahedra outside region 0, always kept
    std::istringstream tets(read_file(examples / "mesh.ele"));
    std::string line;
    std::getline(tets, line);
    while (std::getline(tets, line)) others += line.substr(line.rfind(' ') + 1) != "0";

    ASSERT_EQ(run({"--threshold=6"}).status, 0);
    EXPECT_EQ(read_file(dir / "o.ele"), by_default);
    ASSERT_EQ(run({"--threshold", "1e30"}).status, 0);
    EXPECT_EQ(kept_tetrahedra(dir / "o.ele"), 3072);
    ASSERT_EQ(run({"--threshold", "-1e30", "-q"}).status, 0);
    EXPECT_EQ(kept_tetrahedra(dir / "o.ele"), others);
    ASSERT_EQ(run({"--threshold", "2.5"}).status, 0);
    EXPECT_LT(kept_tetrahedra(dir / "o.ele"), std::stol(by_default));
    EXPECT_GT(kept_tetrahedra(dir / "o.ele"), others);

    for (const char* bad : {"nan", "inf", "-inf", "1e39", "6x", ""}) {
        SCOPED_TRACE(bad);
        const RunResult result = run({"--threshold", bad});
        EXPECT_EQ(result.status, 1);
        EXPECT_EQ(result.out, "");
        EXPECT_EQ(result.err, "tetclean: option '--threshold' takes a finite number, not '" +
                                  std::string(bad) +
                                  "'\nTry 'tetclean --help' for more information.\n");
        EXPECT_FALSE(fs::exists(dir / "o.ele"));
    }
}

}  // namespace
