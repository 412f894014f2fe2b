// SPDX-License-Identifier: MIT
// Runs the built tetclean on files in a temporary folder and checks its
// console lines, exit status and output bytes.
#include <unistd.h>

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <filesystem>
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
const std::string usage =
    "Usage: " + program +
    " node_file_in  ele_file_in  node_file_out  ele_file_out  level_set_file  parameters_file\n";
const std::string full_run =
    "started\nold sizes found: nodes 5 tets 2\nnodes loaded\ntets loaded\n"
    "signed dist functions loaded \nnodes tbd loaded\nmaking cast\n"
    "removed 0s from nodes and tets\noutput nodes and tets\n";

// Extents 0 0 0: a 32^3 grid. Every value is 10 (far from the surface)
// except the ones a test sets; grid point (i, 3, 3) sits at mesh x = (i-3)/2.
std::string level_set(const std::vector<std::pair<int, std::string>>& set = {}) {
    std::vector<std::string> values(32 * 32 * 32, "10");
    for (const auto& [index, value] : set) values[index] = value;
    std::string text;
    for (std::size_t v = 0; v < values.size(); ++v) text += values[v] + (v % 32 == 31 ? "\n" : " ");
    return text;
}
int on_x_axis(int i) { return i + 3 * 32 + 3 * 32 * 32; }

// The five-node mesh: a region-0 tetrahedron away from the surface and a
// region-2 one that shares three of its nodes.
struct Inputs {
    std::string nodes = "5 3\n1 0 0 0\n2 0.5 0 0\n3 1 0 0\n4 1.5 0 0\n5 2 0 0\n";
    std::string tets = "2 4 1\n1 1 2 3 4 0\n2 2 3 4 5 2\n";
    std::string grid = level_set();
    std::string params = "0 0 0 0.1 10 1 1 1 1 1 1 1 1 1 1 1\n";
};

class TetcleanRun : public ::testing::Test {
protected:
    void write(const Inputs& in) {
        write_file(dir / "in.node", in.nodes);
        write_file(dir / "in.ele", in.tets);
        write_file(dir / "ls.txt", in.grid);
        write_file(dir / "params.txt", in.params);
    }
    RunResult run(const std::string& node_out = "out.node", const std::string& ele_out = "out.ele",
                  std::vector<std::string> options = {}) {
        options.insert(options.end(),
                       {"in.node", "in.ele", node_out, ele_out, "ls.txt", "params.txt"});
        return testing_support::run_program(dir.path(), program, options);
    }
    std::vector<std::string> files() const {
        std::vector<std::string> names;
        for (const auto& entry : fs::directory_iterator(dir.path()))
            names.push_back(entry.path().filename());
        std::sort(names.begin(), names.end());
        return names;
    }
    const std::vector<std::string> inputs_only = {"in.ele", "in.node", "ls.txt", "params.txt"};
    TempDir dir;
};

TEST_F(TetcleanRun, FiveNodeExample) {
    write(Inputs{});
    const RunResult result = run();
    EXPECT_EQ(result.status, 0);
    EXPECT_EQ(result.out, full_run);
    EXPECT_EQ(result.err, "");
    EXPECT_EQ(read_file(dir / "out.node"), "4 3\n1 0.5 0 0\n2 1 0 0\n3 1.5 0 0\n4 2 0 0\n");
    EXPECT_EQ(read_file(dir / "out.ele"), "1 4 1\n1 1 2 3 4 2\n");
}

TEST_F(TetcleanRun, OutputIsInputForTheNextRunInPlace) {
    write(Inputs{});
    ASSERT_EQ(run("in.node", "in.ele").status, 0);
    const std::string nodes = read_file(dir / "in.node");
    const std::string tets = read_file(dir / "in.ele");
    EXPECT_EQ(nodes, "4 3\n1 0.5 0 0\n2 1 0 0\n3 1.5 0 0\n4 2 0 0\n");
    ASSERT_EQ(run("in.node", "in.ele").status, 0);
    EXPECT_EQ(read_file(dir / "in.node"), nodes);
    EXPECT_EQ(read_file(dir / "in.ele"), tets);
    EXPECT_EQ(files(), inputs_only);
}

TEST_F(TetcleanRun, EmptyMeshes) {
    Inputs in;
    in.nodes = "0 3\n";
    in.tets = "0 4 1\n";
    write(in);
    const RunResult result = run();
    EXPECT_EQ(result.status, 0);
    EXPECT_NE(result.out.find("old sizes found: nodes 0 tets 0\n"), std::string::npos);
    EXPECT_EQ(read_file(dir / "out.node"), "0 3\n");
    EXPECT_EQ(read_file(dir / "out.ele"), "0 4 1\n");
}

// A region-0 tetrahedron whose first node sits on a grid point that the
// case sets; it survives only when that node is near the surface.
TEST_F(TetcleanRun, NearnessAtGridPointsAndBounds) {
    struct Case {
        const char* what;
        std::string x;      // mesh x of node 1
        int grid_point;     // grid x index node 1 samples
        std::string value;  // level-set value there
        bool kept;
    };
    // clang-format off
    const Case cases[] = {
        {"value exactly 6 is not near", "0", 3, "6.0", false},
        {"next float below 6 is near", "0", 3, "5.9999995", true},
        {"X = 0 is inside", "-1.5", 0, "-2", true},
        {"X = nx-1 is inside", "14", 31, "0", true},
        {"just outside is never near", "-1.5000001", 0, "-2", false},
    };
    // clang-format on
    for (const Case& c : cases) {
        Inputs in;
        in.nodes = "4 3\n1 " + c.x + " 0 0\n2 5 5 5\n3 6 5 5\n4 5 6 5\n";
        in.tets = "1 4 1\n1 1 2 3 4 0\n";
        in.grid = level_set({{on_x_axis(c.grid_point), c.value}});
        write(in);
        const RunResult result = run();
        ASSERT_EQ(result.status, 0) << c.what << result.err;
        EXPECT_EQ(read_file(dir / "out.ele"), c.kept ? "1 4 1\n1 1 2 3 4 0\n" : "0 4 1\n")
            << c.what;
    }
}

TEST_F(TetcleanRun, ArgumentCounts) {
    const std::vector<std::vector<std::string>> short_lines = {
        {}, {"a"}, {"a", "b"}, {"a", "b", "c"}, {"a", "b", "c", "d"}, {"a", "b", "c", "d", "e"}};
    for (const auto& args : short_lines) {
        std::string command = "cd '" + dir.path().string() + "' && '" + program + "'";
        for (const auto& arg : args) command += " " + arg;
        command += " >.out 2>.err";
        const int raw = std::system(command.c_str());
        EXPECT_EQ(WEXITSTATUS(raw), 1) << args.size();
        EXPECT_EQ(read_file(dir / ".out"), "");
        EXPECT_EQ(read_file(dir / ".err"), "Missing Parameters \n" + usage);
    }
    write(Inputs{});
    const RunResult seven = testing_support::run_program(
        dir.path(), program,
        {"in.node", "in.ele", "o.node", "o.ele", "ls.txt", "params.txt", "extra"});
    EXPECT_EQ(seven.status, 0);
    EXPECT_EQ(seven.out, full_run);
}

TEST_F(TetcleanRun, HelpAndVersion) {
    for (const char* flag : {"--help", "-h"}) {
        const RunResult result = testing_support::run_program(dir.path(), program, {flag});
        EXPECT_EQ(result.status, 0);
        EXPECT_EQ(result.out.substr(0, result.out.find('\n') + 1),
                  "Usage: " + program +
                      " [OPTION]... node_file_in  ele_file_in  node_file_out  ele_file_out  "
                      "level_set_file  parameters_file\n");
        for (const char* word : {"\n  node_file_in ", "\n  parameters_file ", "\n  -q, --quiet ",
                                 "\n      --version ", "man tetclean\n"}) {
            EXPECT_NE(result.out.find(word), std::string::npos) << word;
        }
    }
    const RunResult version = testing_support::run_program(dir.path(), program, {"--version"});
    EXPECT_EQ(version.status, 0);
    EXPECT_EQ(version.out.rfind("tetclean (levelset_prep) " TETCLEAN_VERSION "\nCopyright", 0), 0u)
        << version.out;
    EXPECT_NE(version.out.find("\nLicense MIT"), std::string::npos);
}

TEST_F(TetcleanRun, OptionsComeBeforeTheFiles) {
    write(Inputs{});
    const std::vector<std::string> files = {"in.node", "in.ele", "out.node",
                                            "out.ele", "ls.txt", "params.txt"};
    ASSERT_EQ(testing_support::run_program(dir.path(), program, files).status, 0);
    const std::string node = read_file(dir / "out.node"), ele = read_file(dir / "out.ele");
    const std::string hint = "Try 'tetclean --help' for more information.\n";
    const std::string not_a_count = "' is not a thread count (a whole number, 1 or more)\n";
    struct Case {
        std::vector<std::string> options;
        int status;
        std::string out, err;
        std::vector<std::string> environment = {};
    };
    // clang-format off
    const Case cases[] = {
        {{"-q"}, 0, "", ""},
        {{"--quiet"}, 0, "", ""},
        {{"--"}, 0, full_run, ""},
        {{"--bogus"}, 1, "", "tetclean: unrecognised option '--bogus'\n" + hint},
        {{"-q", "-x"}, 1, "", "tetclean: unrecognised option '-x'\n" + hint},
        {{"--quiet=yes"}, 1, "", "tetclean: option '--quiet' takes no value\n" + hint},
        {{"--threads", "1"}, 0, full_run, ""},
        {{"--threads=2"}, 0, full_run, ""},
        {{"--threads", "64"}, 0, full_run, ""},  // more than a run can use
        {{"--threads", "0"}, 1, "", "tetclean: --threads: '0" + not_a_count + hint},
        {{"--threads", "-2"}, 1, "", "tetclean: --threads: '-2" + not_a_count + hint},
        {{"--threads=1.5"}, 1, "", "tetclean: --threads: '1.5" + not_a_count + hint},
        {{"--threads", "two"}, 1, "", "tetclean: --threads: 'two" + not_a_count + hint},
        {{"--threads="}, 1, "", "tetclean: --threads: '" + not_a_count + hint},
        {{"--"}, 0, full_run, "", {"LEVELSET_PREP_THREADS=2"}},
        {{"--"}, 0, full_run, "", {"LEVELSET_PREP_THREADS="}},  // empty is not set
        {{"--"}, 1, "", "tetclean: LEVELSET_PREP_THREADS: 'many" + not_a_count, {"LEVELSET_PREP_THREADS=many"}},
        {{"--"}, 1, "", "tetclean: LEVELSET_PREP_THREADS: '0" + not_a_count, {"LEVELSET_PREP_THREADS=0"}},
        // The option wins; the variable is then not looked at.
        {{"--threads", "1"}, 0, full_run, "", {"LEVELSET_PREP_THREADS=many"}},
    };
    // clang-format on
    for (const Case& c : cases) {
        SCOPED_TRACE(c.options.back() + (c.environment.empty() ? "" : " " + c.environment[0]));
        fs::remove(dir / "out.node");
        fs::remove(dir / "out.ele");
        std::vector<std::string> args = c.options;
        args.insert(args.end(), files.begin(), files.end());
        const RunResult result =
            testing_support::run_program(dir.path(), program, args, c.environment);
        EXPECT_EQ(result.status, c.status);
        EXPECT_EQ(result.out, c.out);
        EXPECT_EQ(result.err, c.err);
        EXPECT_EQ(read_file(dir / "out.node"), c.status == 0 ? node : "");
        EXPECT_EQ(read_file(dir / "out.ele"), c.status == 0 ? ele : "");
    }
    // Quiet silences progress, never errors.
    const RunResult failed = testing_support::run_program(
        dir.path(), program,
        {"-q", "none.node", "in.ele", "o.node", "o.ele", "ls.txt", "params.txt"});
    EXPECT_EQ(failed.status, 1);
    EXPECT_EQ(failed.out, "");
    EXPECT_EQ(failed.err,
              "tetclean: none.node: cannot open node file: No such file or directory\n");
}

// --node-map and --full-precision add to the outputs and change nothing
// else; a map that cannot be written leaves no output at all.
TEST_F(TetcleanRun, NodeMapAndFullPrecision) {
    Inputs in;
    in.nodes = "5 3\n1 0 0 0\n2 0.1 0 0\n3 1 0 0\n4 1.2345678901 0 0\n5 2e-7 0 1e22\n";
    write(in);
    const std::vector<std::string> names = {"in.node", "in.ele", "out.node",
                                            "out.ele", "ls.txt", "params.txt"};
    ASSERT_EQ(testing_support::run_program(dir.path(), program, names).status, 0);
    const std::string tets = read_file(dir / "out.ele");
    const std::string six_digits = "4 3\n1 0.1 0 0\n2 1 0 0\n3 1.23457 0 0\n4 2e-07 0 1e+22\n";
    const std::string in_full = "4 3\n1 0.1 0 0\n2 1 0 0\n3 1.2345678901 0 0\n4 2e-07 0 1e+22\n";
    EXPECT_EQ(read_file(dir / "out.node"), six_digits);
    struct Case {
        std::vector<std::string> options;
        std::string nodes;
        bool map;
    };
    // clang-format off
    const Case cases[] = {
        {{"--node-map", "map.txt"}, six_digits, true},
        {{"--node-map=map.txt", "-q"}, six_digits, true},
        {{"--full-precision"}, in_full, false},
        {{"--full-precision", "--node-map", "map.txt"}, in_full, true},
    };
    // clang-format on
    for (const Case& c : cases) {
        SCOPED_TRACE(c.options.front());
        fs::remove(dir / "map.txt");
        std::vector<std::string> args = c.options;
        args.insert(args.end(), names.begin(), names.end());
        const RunResult result = testing_support::run_program(dir.path(), program, args);
        EXPECT_EQ(result.status, 0);
        // The node at z = 1e22 is the one outside the grid.
        EXPECT_EQ(result.err,
                  "tetclean: in.node: 1 of 5 nodes lie outside the level-set grid "
                  "(x, y and z from -1.5 to 14); they read as 800 and are never near\n");
        EXPECT_EQ(read_file(dir / "out.node"), c.nodes);
        EXPECT_EQ(read_file(dir / "out.ele"), tets);
        EXPECT_EQ(fs::exists(dir / "map.txt"), c.map);
        EXPECT_EQ(read_file(dir / "map.txt"), c.map ? "0\n1\n2\n3\n4\n" : "");
    }

    const std::string to_removal = full_run.substr(0, full_run.find("output nodes and tets"));
    fs::remove(dir / "out.node");
    fs::remove(dir / "out.ele");
    fs::remove(dir / "map.txt");
    std::vector<std::string> args = {"--node-map", "no/map.txt"};
    args.insert(args.end(), names.begin(), names.end());
    RunResult failed = testing_support::run_program(dir.path(), program, args);
    EXPECT_EQ(failed.status, 1);
    EXPECT_EQ(failed.out, to_removal);
    EXPECT_EQ(failed.err,
              "tetclean: no/map.txt: cannot create output file: No such file or directory\n");
    EXPECT_EQ(files(), inputs_only);

    args[1] = "out.node";
    failed = testing_support::run_program(dir.path(), program, args);
    EXPECT_EQ(failed.status, 1);
    EXPECT_EQ(failed.out, "started\n");
    EXPECT_EQ(failed.err,
              "tetclean: out.node: --node-map names the same file as node_file_out (out.node)\n");
    EXPECT_EQ(files(), inputs_only);

    failed = testing_support::run_program(dir.path(), program, {"--node-map"});
    EXPECT_EQ(failed.status, 1);
    EXPECT_EQ(failed.err,
              "tetclean: option '--node-map' needs a value (FILE)\n"
              "Try 'tetclean --help' for more information.\n");
    args[1] = std::string(4000, 'm');
    failed = testing_support::run_program(dir.path(), program, args);
    EXPECT_EQ(failed.status, 1);
    EXPECT_EQ(failed.out, "started\n");
    EXPECT_EQ(failed.err, "tetclean: " + std::string(60, 'm') +
                              "...: file name is longer than 3999 characters\n");
}

// Options may come after or between the file names, abbreviated and
// bundled; after "--" they are ignored like any other argument after the
// sixth.
TEST_F(TetcleanRun, OptionsAnywhere) {
    Inputs in;
    in.nodes = "5 3\n1 0 0 0\n2 0.1 0 0\n3 1 0 0\n4 1.2345678901 0 0\n5 2e-7 0 1e22\n";
    write(in);
    const std::string six_digits = "4 3\n1 0.1 0 0\n2 1 0 0\n3 1.23457 0 0\n4 2e-07 0 1e+22\n";
    const std::string in_full = "4 3\n1 0.1 0 0\n2 1 0 0\n3 1.2345678901 0 0\n4 2e-07 0 1e+22\n";
    const std::string hint = "Try 'tetclean --help' for more information.\n";
    const std::string far =
        "tetclean: in.node: 1 of 5 nodes lie outside the level-set grid "
        "(x, y and z from -1.5 to 14); they read as 800 and are never near\n";
    struct Case {
        std::vector<std::string> args;
        int status;
        std::string out, err, nodes;
        bool map;
    };
    const std::vector<std::string> f = {"in.node", "in.ele", "out.node",
                                        "out.ele", "ls.txt", "params.txt"};
    // clang-format off
    const Case cases[] = {
        {{f[0], f[1], f[2], f[3], f[4], f[5], "--full-precision"}, 0, full_run, far, in_full, false},
        {{f[0], f[1], f[2], f[3], f[4], f[5], "--node-map", "map.txt"}, 0, full_run, far, six_digits, true},
        {{f[0], f[1], "--node-map=map.txt", f[2], f[3], f[4], f[5], "-q"}, 0, "", far, six_digits, true},
        {{"--full", f[0], f[1], f[2], f[3], f[4], f[5], "--node", "map.txt"}, 0, full_run, far, in_full, true},
        {{f[0], f[1], f[2], f[3], f[4], f[5], "extra", "--full-precision"}, 0, full_run, far, in_full, false},
        {{f[0], f[1], f[2], f[3], f[4], f[5], "--", "--node-map", "map.txt"}, 0, full_run, far, six_digits, false},
        {{f[0], f[1], f[2], f[3], f[4], f[5], "-qx"}, 1, "", "tetclean: unrecognised option '-x' in '-qx'\n" + hint, "", false},
        {{f[0], f[1], f[2], f[3], f[4], f[5], "--threads"}, 1, "", "tetclean: option '--threads' needs a value (N)\n" + hint, "", false},
    };
    // clang-format on
    for (const Case& c : cases) {
        SCOPED_TRACE(c.args.back());
        for (const char* name : {"out.node", "out.ele", "map.txt"}) fs::remove(dir / name);
        const RunResult result = testing_support::run_program(dir.path(), program, c.args);
        EXPECT_EQ(result.status, c.status);
        EXPECT_EQ(result.out, c.out);
        EXPECT_EQ(result.err, c.err);
        EXPECT_EQ(read_file(dir / "out.node"), c.nodes);
        EXPECT_EQ(fs::exists(dir / "map.txt"), c.map);
    }
    const RunResult help = testing_support::run_program(
        dir.path(), program, {f[0], f[1], f[2], f[3], f[4], f[5], "--help"});
    EXPECT_EQ(help.status, 0);
    EXPECT_EQ(help.out.rfind("Usage: ", 0), 0u);
    EXPECT_FALSE(fs::exists(dir / "out.node"));
}

// Every failure: status 1, the progress lines up to the failing step, one
// error line naming the file, and no output file.
TEST_F(TetcleanRun, InputFailures) {
    const std::string opened = "Input file opening failed\n";
    const std::string to_tets =
        "started\nold sizes found: nodes 5 tets 2\nnodes loaded\ntets loaded\n";
    struct Case {
        const char* what;
        void (*change)(Inputs&, const fs::path&);
        std::string out;
        std::string err;
    };
    // clang-format off
    const Case cases[] = {
        {"missing parameter file", [](Inputs&, const fs::path& d) { fs::remove(d / "params.txt"); },
         "started\n" + opened, "tetclean: params.txt: cannot open parameter file: No such file or directory\n"},
        {"missing node file", [](Inputs&, const fs::path& d) { fs::remove(d / "in.node"); },
         "started\n" + opened, "tetclean: in.node: cannot open node file: No such file or directory\n"},
        {"missing element file", [](Inputs&, const fs::path& d) { fs::remove(d / "in.ele"); },
         "started\n" + opened, "tetclean: in.ele: cannot open element file: No such file or directory\n"},
        {"missing level-set file", [](Inputs&, const fs::path& d) { fs::remove(d / "ls.txt"); },
         to_tets + opened, "tetclean: ls.txt: cannot open level-set file: No such file or directory\n"},
        {"fractional extent", [](Inputs& in, const fs::path&) { in.params = "0 0.5 0"; },
         "started\n", "tetclean: params.txt: the second grid extent '0.5' is not a whole number\n"},
        {"extents too large", [](Inputs& in, const fs::path&) { in.params = "4000 4000 4000"; },
         "started\n",
         "tetclean: params.txt: grid extents 4000 4000 4000 give a level-set grid too large for 2147483647 values\n"},
        {"negative node count", [](Inputs& in, const fs::path&) { in.nodes = "-5 3\n"; },
         "started\n", "tetclean: in.node: node count -5 is negative\n"},
        {"huge element count", [](Inputs& in, const fs::path&) { in.tets = "2147483647 4 1\n1 1 2 3 4 0\n"; },
         "started\n", "tetclean: in.ele: element count 2147483647 is more than the file's 27 bytes can hold\n"},
        {"short node file", [](Inputs& in, const fs::path&) { in.nodes = "5 3\n1 0 0 0\n2 0.5 0 0\n3 1 0 0\n4 1.5 0 0 5 2 0\n"; },
         "started\nold sizes found: nodes 5 tets 2\n",
         "tetclean: in.node: file ends in node record 5, before its z coordinate\n"},
        {"node number N+1", [](Inputs& in, const fs::path&) { in.tets = "2 4 1\n1 1 2 3 4 0\n2 2 3 4 6 2\n"; },
         "started\nold sizes found: nodes 5 tets 2\nnodes loaded\n",
         "tetclean: in.ele: element record 2: fourth node number 6 is outside 1 to 5\n"},
        {"node number 0", [](Inputs& in, const fs::path&) { in.tets = "2 4 1\n1 0 2 3 4 0\n2 2 3 4 5 2\n"; },
         "started\nold sizes found: nodes 5 tets 2\nnodes loaded\n",
         "tetclean: in.ele: element record 1: first node number 0 is outside 1 to 5\n"},
        {"short level-set file", [](Inputs& in, const fs::path&) { in.grid = "1 2 3\n"; },
         to_tets, "tetclean: ls.txt: holds 3 values; the grid needs 32768 (32 x 32 x 32)\n"},
    };
    // clang-format on
    for (const Case& c : cases) {
        for (const char* threads : {"1", "2"}) {
            SCOPED_TRACE(std::string(c.what) + ", threads " + threads);
            Inputs in;
            write(in);
            c.change(in, dir.path());
            if (fs::exists(dir / "params.txt")) write_file(dir / "params.txt", in.params);
            if (fs::exists(dir / "in.node")) write_file(dir / "in.node", in.nodes);
            if (fs::exists(dir / "in.ele")) write_file(dir / "in.ele", in.tets);
            if (fs::exists(dir / "ls.txt")) write_file(dir / "ls.txt", in.grid);
            const RunResult result = run("out.node", "out.ele", {"--threads", threads});
            EXPECT_EQ(result.status, 1);
            EXPECT_EQ(result.out, c.out);
            EXPECT_EQ(result.err, c.err);
            EXPECT_FALSE(fs::exists(dir / "out.node"));
            EXPECT_FALSE(fs::exists(dir / "out.ele"));
        }
    }
}

// The element file is read beside the node and level-set files. Whichever
// read ends first, the lines and the error are those of reading in turn:
// the first bad file in the order node, element, level-set file. The long
// element file (some 1.6 MB, more than one block) fails at its end, so the
// other reads fail long before it.
TEST_F(TetcleanRun, SeveralBadInputsReportTheFirstInTurn) {
    std::string long_tets = "100000 4 1\n";
    for (int j = 1; j < 100000; ++j) long_tets += std::to_string(j) + " 1 2 3 4 0\n";
    const std::string bad_long_tets = long_tets + "100000 1 2 3 9 0\n";
    const std::string bad_nodes = "5 3\n1 0 0 0\n2 0.5 zero 0\n3 1 0 0\n4 1.5 0 0\n5 2 0 0\n";
    const std::string sizes = "started\nold sizes found: nodes 5 tets 100000\n";
    const std::string node_error =
        "tetclean: in.node: node record 2: y coordinate 'zero' is not a number\n";
    const std::string element_error =
        "tetclean: in.ele: element record 100000: fourth node number 9 is outside 1 to 5\n";
    struct Case {
        const char* what;
        bool bad_nodes, bad_tets;
        const char* grid;  // null: the good grid; "-": no file; "/": a folder
        std::string out, err;
    };
    // clang-format off
    const Case cases[] = {
        {"node and element files", true, true, nullptr, sizes, node_error},
        {"all three", true, true, "1 2 3", sizes, node_error},
        {"node file, level-set file missing", true, false, "-", sizes, node_error},
        {"element and level-set files", false, true, "1 2 x", sizes + "nodes loaded\n", element_error},
        {"element file, level-set file missing", false, true, "-", sizes + "nodes loaded\n", element_error},
        {"element file, level-set file a folder", false, true, "/", sizes + "nodes loaded\n", element_error},
        {"level-set file alone", false, false, "1 2 x", sizes + "nodes loaded\ntets loaded\n",
         "tetclean: ls.txt: holds 2 values before 'x', which is not a number; the grid needs 32768 (32 x 32 x 32)\n"},
        {"level-set file a folder", false, false, "/", sizes + "nodes loaded\ntets loaded\n",
         "tetclean: ls.txt: holds 0 values before a read error (Is a directory); the grid needs 32768 (32 x 32 x 32)\n"},
    };
    // clang-format on
    for (const Case& c : cases) {
        for (const char* threads : {"1", "2"}) {
            SCOPED_TRACE(std::string(c.what) + ", threads " + threads);
            Inputs in;
            if (c.bad_nodes) in.nodes = bad_nodes;
            in.tets = c.bad_tets ? bad_long_tets : long_tets + "100000 1 2 3 4 0\n";
            if (c.grid != nullptr) in.grid = c.grid;
            write(in);
            if (c.grid != nullptr && c.grid[0] == '-') fs::remove(dir / "ls.txt");
            if (c.grid != nullptr && c.grid[0] == '/') {
                fs::remove(dir / "ls.txt");
                fs::create_directory(dir / "ls.txt");
            }
            const RunResult result = run("out.node", "out.ele", {"--threads", threads});
            EXPECT_EQ(result.status, 1);
            EXPECT_EQ(result.out, c.out);
            EXPECT_EQ(result.err, c.err);
            EXPECT_FALSE(fs::exists(dir / "out.node"));
            fs::remove_all(dir / "ls.txt");
        }
    }
}

TEST_F(TetcleanRun, OutputFailuresLeaveNoFileAndKeepInputs) {
    const std::string to_removal = full_run.substr(0, full_run.find("output nodes and tets"));
    struct Case {
        const char* what;
        std::string node_out, ele_out;
        const char* err;
        std::vector<std::string> options = {};
    };
    // clang-format off
    const Case cases[] = {
        {"missing folder", "no/such/out.node", "out.ele", "tetclean: no/such/out.node: cannot create output file: No such file or directory\n"},
        // A .vtu file or a report that cannot be made leaves no output at all.
        {".vtu file in a missing folder", "out.node", "out.ele",
         "tetclean: no/out.vtu: cannot create output file: No such file or directory\n", {"--vtu", "no/out.vtu", "--report", "out.json"}},
        {"report in a missing folder", "out.node", "out.ele",
         "tetclean: no/out.json: cannot create output file: No such file or directory\n", {"--vtu", "out.vtu", "--report", "no/out.json"}},
        {"report on a full device, inputs as outputs", "in.node", "in.ele",
         "tetclean: /dev/full: cannot write output file: No space left on device\n", {"--vtu", "out.vtu", "--report", "/dev/full"}},
        {".vtu file on a full device", "out.node", "out.ele",
         "tetclean: /dev/full: cannot write output file: No space left on device\n", {"--vtu", "/dev/full", "--node-map", "out.map"}},
        {"element file in missing folder, input as node output", "in.node", "no/out.ele",
         "tetclean: no/out.ele: cannot create output file: No such file or directory\n"},
        {"full device", "/dev/full", "out.ele", "tetclean: /dev/full: cannot write output file: No space left on device\n"},
        {"element file on a full device", "out.node", "/dev/full", "tetclean: /dev/full: cannot write output file: No space left on device\n"},
        // Two outputs fail: the node file's error comes first, as in turn,
        // though the element file's open fails before the node file is written.
        {"node file full, element file in a missing folder", "/dev/full", "no/out.ele",
         "tetclean: /dev/full: cannot write output file: No space left on device\n"},
    };
    // clang-format on
    for (const Case& c : cases) {
        for (const char* threads : {"1", "2"}) {
            SCOPED_TRACE(std::string(c.what) + ", threads " + threads);
            write(Inputs{});
            std::vector<std::string> options = c.options;
            options.insert(options.end(), {"--threads", threads});
            const RunResult result = run(c.node_out, c.ele_out, options);
            EXPECT_EQ(result.status, 1);
            EXPECT_EQ(result.out, to_removal);
            EXPECT_EQ(result.err, c.err);
            EXPECT_EQ(files(), inputs_only);
            EXPECT_EQ(read_file(dir / "in.node"), Inputs{}.nodes);
        }
    }
}

// The options that add outputs or a table leave the console lines and the
// mesh files as they are, but for what they ask for.
TEST_F(TetcleanRun, LayoutSummaryVtuAndReport) {
    const std::string table =
        "tetrahedra         read     kept  removed\n"
        "  region 0            1        0        1\n"
        "  region 2            1        1        0\n"
        "  all                 2        1        1\n"
        "nodes              read     kept  dropped\n"
        "  all                 5        4        1\n"
        "  outside grid        0\n";
    const std::string nodes = "1 0.5 0 0\n2 1 0 0\n3 1.5 0 0\n4 2 0 0\n";
    struct Case {
        std::vector<std::string> options;
        std::string out;
        std::string node_header;
        std::vector<std::string> made;  // files besides the inputs and the mesh
    };
    // clang-format off
    const Case cases[] = {
        {{"--summary"}, full_run + table, "4 3\n", {}},
        {{"-q", "--summary"}, table, "4 3\n", {}},
        {{"--summary", "--threads", "1", "--layout", "tetgen"}, full_run + table, "4 3 0 0\n", {}},
        {{"--layout", "tetgen"}, full_run, "4 3 0 0\n", {}},
        {{"--layout=plain", "--full-precision"}, full_run, "4 3\n", {}},
        {{"--vtu", "o.vtu", "--report", "o.json"}, full_run, "4 3\n", {"o.json", "o.vtu"}},
        {{"--report=o.json", "-q"}, "", "4 3\n", {"o.json"}},
    };
    // clang-format on
    for (const Case& c : cases) {
        SCOPED_TRACE(c.options[0] + " " + c.options.back());
        for (const std::string& name : files()) fs::remove(dir / name);
        write(Inputs{});
        const RunResult result = run("out.node", "out.ele", c.options);
        EXPECT_EQ(result.status, 0);
        EXPECT_EQ(result.out, c.out);
        EXPECT_EQ(result.err, "");
        EXPECT_EQ(read_file(dir / "out.node"), c.node_header + nodes);
        EXPECT_EQ(read_file(dir / "out.ele"), "1 4 1\n1 1 2 3 4 2\n");
        std::vector<std::string> wanted = inputs_only;
        wanted.insert(wanted.end(), {"out.ele", "out.node"});
        wanted.insert(wanted.end(), c.made.begin(), c.made.end());
        std::sort(wanted.begin(), wanted.end());
        EXPECT_EQ(files(), wanted);
    }
}

// A layout other than plain or tetgen is refused before anything is read.
TEST_F(TetcleanRun, UnknownLayoutIsRefused) {
    for (const char* layout : {"TetGen", "", "tetgen2"}) {
        SCOPED_TRACE(layout);
        write(Inputs{});
        const RunResult result = run("out.node", "out.ele", {"--layout", layout, "--vtu", "o.vtu"});
        EXPECT_EQ(result.status, 1);
        EXPECT_EQ(result.out, "");
        EXPECT_EQ(result.err, "tetclean: option '--layout' takes plain or tetgen, not '" +
                                  std::string(layout) +
                                  "'\nTry 'tetclean --help' for more information.\n");
        EXPECT_EQ(files(), inputs_only);
    }
}

TEST_F(TetcleanRun, ReadOnlyFolderIsAFailedRun) {
    if (::geteuid() == 0) {
        // root may write anywhere; a read-only file system would be needed.
        GTEST_SKIP() << "running as root";
    }
    write(Inputs{});
    fs::create_directory(dir / "ro");
    fs::permissions(dir / "ro", fs::perms::owner_read | fs::perms::owner_exec);
    const RunResult result = run("ro/out.node", "out.ele");
    EXPECT_EQ(result.status, 1);
    EXPECT_NE(result.err.find("ro/out.node: cannot create output file: Permission denied"),
              std::string::npos);
}

TEST_F(TetcleanRun, OverlongFileNameIsRefusedBeforeReading) {
    write(Inputs{});
    const std::string name(4000, 'n');
    const RunResult result = testing_support::run_program(
        dir.path(), program, {name, "in.ele", "out.node", "out.ele", "ls.txt", "params.txt"});
    EXPECT_EQ(result.status, 1);
    EXPECT_EQ(result.out, "started\n");
    EXPECT_EQ(result.err, "tetclean: " + std::string(60, 'n') +
                              "...: file name is longer than 3999 characters\n");
}

// Outputs of several slices (4096 records each) on two threads: the bytes
// of one thread.
TEST_F(TetcleanRun, OutputsOfManySlicesAreTheOneThreadBytes) {
    Inputs in;
    in.nodes = "5000 3\n";
    for (int i = 0; i < 5000; ++i) {
        in.nodes += std::to_string(i + 1) + " " + std::to_string(i % 20 * 0.1) + " " +
                    std::to_string(i / 20 % 20 * 0.1) + " " + std::to_string(i / 400 * 0.1) + "\n";
    }
    in.tets = "10000 4 1\n";
    for (int j = 0; j < 10000; ++j) {
        const int a = j % 4997 + 1;
        in.tets += std::to_string(j + 1) + " " + std::to_string(a) + " " + std::to_string(a + 1) +
                   " " + std::to_string(a + 2) + " " + std::to_string(a + 3) + " " +
                   std::to_string(j % 3) + "\n";
    }
    in.grid = level_set({{on_x_axis(3), "0"}});
    write(in);
    std::string node_bytes[2], ele_bytes[2];
    for (int threads = 1; threads <= 2; ++threads) {
        const RunResult result = run("out.node", "out.ele", {"--threads", std::to_string(threads)});
        EXPECT_EQ(result.status, 0);
        EXPECT_EQ(result.err, "");
        node_bytes[threads - 1] = read_file(dir / "out.node");
        ele_bytes[threads - 1] = read_file(dir / "out.ele");
    }
    EXPECT_GT(node_bytes[0].size(), 4096u * 8);          // more than one slice of nodes
    EXPECT_EQ(ele_bytes[0].substr(0, 9), "6699 4 1\n");  // most region-0 tetrahedra go
    EXPECT_TRUE(node_bytes[1] == node_bytes[0]);
    EXPECT_TRUE(ele_bytes[1] == ele_bytes[0]);
}

TEST_F(TetcleanRun, BundledExample) {
    const fs::path examples = EXAMPLES_DIR;
    std::string node_bytes[2], ele_bytes[2];
    for (int threads = 1; threads <= 2; ++threads) {
        const RunResult result = testing_support::run_program(
            dir.path(), program,
            {"--threads", std::to_string(threads), (examples / "mesh.node").string(),
             (examples / "mesh.ele").string(), "out.node", "out.ele",
             (examples / "levelset.txt").string(), (examples / "params.txt").string()});
        EXPECT_EQ(result.status, 0);
        EXPECT_NE(result.out.find("old sizes found: nodes 729 tets 3072\n"), std::string::npos);
        node_bytes[threads - 1] = read_file(dir / "out.node");
        ele_bytes[threads - 1] = read_file(dir / "out.ele");
    }
    EXPECT_EQ(node_bytes[0].substr(0, 6), "531 3\n");
    EXPECT_EQ(ele_bytes[0].substr(0, 9), "2206 4 1\n");
    EXPECT_TRUE(node_bytes[1] == node_bytes[0]);
    EXPECT_TRUE(ele_bytes[1] == ele_bytes[0]);
}

}  // namespace
