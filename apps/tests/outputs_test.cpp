// SPDX-License-Identifier: MIT
// How both built programs put their outputs in place: all or nothing, under
// signals, file-size and memory limits, with links and long names, in place
// of their own inputs, and against a concurrent run.
#include <fcntl.h>
#include <sys/file.h>
#include <sys/mount.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <sstream>
#include <string>
#include <thread>
#include <vector>

#include <gtest/gtest.h>

#include "analyze_test_files.hpp"
#include "program_runs.hpp"
#include "test_files.hpp"

namespace {

namespace fs = std::filesystem;
using program_runs::Child;
using program_runs::hidden_files;
using testing_support::read_file;
using testing_support::TempDir;
using testing_support::write_file;

#if defined(__SANITIZE_ADDRESS__) || defined(__SANITIZE_THREAD__)
constexpr bool sanitized = true;
#elif defined(__has_feature)
#if __has_feature(address_sanitizer) || __has_feature(thread_sanitizer)
constexpr bool sanitized = true;
#else
constexpr bool sanitized = false;
#endif
#else
constexpr bool sanitized = false;
#endif

using Files = std::vector<std::pair<std::string, std::string>>;

// One of the two programs with a small set of good inputs.
struct Tool {
    const char* name;
    std::string program;
    Files inputs;
    std::vector<std::string> input_names;  // as the run reads them
    std::size_t output_count;
    std::vector<std::string> (*arguments)(const std::vector<std::string>& outputs);

    std::vector<std::string> args(const std::vector<std::string>& outputs) const {
        return arguments(outputs);
    }
    void write_inputs(const fs::path& dir) const {
        for (const auto& [file, bytes] : inputs) write_file(dir / file, bytes);
    }
    // The first outputs plain new files, the last one `last`.
    std::vector<std::string> outputs_ending_in(const std::string& last) const {
        std::vector<std::string> names;
        for (std::size_t i = 0; i + 1 < output_count; ++i)
            names.push_back("out" + std::to_string(i));
        names.push_back(last);
        return names;
    }
};

std::string small_grid() {
    std::string text;
    for (int v = 0; v < 512; ++v) text += v % 8 == 7 ? "10\n" : "10 ";
    return text;
}

const Tool tetclean{"tetclean",
                    TETCLEAN_PATH,
                    {{"in.node", "5 3\n1 0 0 0\n2 0.5 0 0\n3 1 0 0\n4 1.5 0 0\n5 2 0 0\n"},
                     {"in.ele", "2 4 1\n1 1 2 3 4 0\n2 2 3 4 5 2\n"},
                     {"ls.txt", small_grid()},
                     {"params.txt", "-12 -12 -12 0.1 10 1 1 1 1 1 1 1 1 1 1 1\n"}},
                    {"in.node", "in.ele"},
                    2,
                    [](const std::vector<std::string>& o) {
                        return std::vector<std::string>{"in.node", "in.ele", o[0],
                                                        o[1],      "ls.txt", "params.txt"};
                    }};

// tetclean with a .vtu file and a report besides the mesh.
const Tool tetclean_more{"tetclean",
                         TETCLEAN_PATH,
                         tetclean.inputs,
                         tetclean.input_names,
                         4,
                         [](const std::vector<std::string>& o) {
                             return std::vector<std::string>{
                                 "--vtu",  o[2], "--report", o[3],     "in.node",
                                 "in.ele", o[0], o[1],       "ls.txt", "params.txt"};
                         }};

const Tool voxdump{
    "voxdump",
    VOXDUMP_PATH,
    {{"v.hdr", analyze_test_files::header_bytes({.nx = 2, .ny = 2, .datatype = 4, .bitpix = 16},
                                                analyze_test_files::byte_order::big)},
     {"v.img", analyze_test_files::sample_bytes<std::uint16_t>(
                   {1, 2, 3, 4}, analyze_test_files::byte_order::big)}},
    {"v.hdr", "v.img"},
    3,
    [](const std::vector<std::string>& o) {
        return std::vector<std::string>{"v", o[0], o[1], o[2]};
    }};

const Tool* const both_tools[] = {&tetclean, &tetclean_more, &voxdump};

// A folder for one program run inside the test's own folder, which also
// holds the run's log.
struct RunFolder {
    TempDir root;
    fs::path dir = root / "run";
    fs::path log = root / "log";
    RunFolder() { fs::create_directory(dir); }
};

// SIGINT, SIGTERM, SIGHUP and SIGPIPE sent while the last output (a FIFO
// that nobody reads) blocks the run, when the other outputs' temporary
// files exist: these go, the process ends by the signal, and the existing
// target keeps its content.
TEST(Outputs, SignalsRemoveTemporaryFilesAndEndTheRun) {
    for (const Tool* tool : both_tools) {
        for (int signal_number : {SIGINT, SIGTERM, SIGHUP, SIGPIPE}) {
            SCOPED_TRACE(std::string(tool->name) + " " + strsignal(signal_number));
            RunFolder run;
            tool->write_inputs(run.dir);
            write_file(run.dir / "out0", "old");
            ASSERT_EQ(mkfifo((run.dir / "fifo").c_str(), 0600), 0);
            Child child(run.dir, tool->program, tool->args(tool->outputs_ending_in("fifo")),
                        run.log);
            ASSERT_TRUE(program_runs::wait_for_hidden_files(run.dir, tool->output_count - 1, child))
                << read_file(run.log);
            for (const std::string& name : hidden_files(run.dir)) {
                struct stat status {};
                ASSERT_EQ(stat((run.dir / name).c_str(), &status), 0);
                EXPECT_EQ(status.st_mode & 07777, 0600u) << "a temporary file others may read";
            }
            child.send(signal_number);
            if (!child.wait(20)) {
                program_runs::drain_fifo(run.dir / "fifo");
                FAIL() << "the run did not end";
            }
            EXPECT_EQ(child.end_signal(), signal_number) << read_file(run.log);
            EXPECT_EQ(hidden_files(run.dir), std::vector<std::string>{});
            EXPECT_EQ(read_file(run.dir / "out0"), "old");
        }
    }
}

// Inputs whose outputs are larger than the limit below. voxdump's text
// image spans two slices, so on two threads it is written in positioned
// blocks, whose failure must read as any other write's.
void write_large_inputs(const Tool& tool, const fs::path& dir) {
    tool.write_inputs(dir);
    if (&tool != &voxdump) {
        std::string nodes = "3000 3\n", tets = "2997 4 1\n";
        for (int i = 1; i <= 3000; ++i)
            nodes += std::to_string(i) + " " + std::to_string(i) + " 0 0\n";
        for (int i = 1; i <= 2997; ++i) {
            tets += std::to_string(i) + " " + std::to_string(i) + " " + std::to_string(i + 1) +
                    " " + std::to_string(i + 2) + " " + std::to_string(i + 3) + " 2\n";
        }
        write_file(dir / "in.node", nodes);
        write_file(dir / "in.ele", tets);
    } else {
        analyze_test_files::write_pair(
            dir / "v",
            analyze_test_files::header_bytes(
                {.nx = 64, .ny = 64, .nz = 32, .datatype = 2, .bitpix = 8},
                analyze_test_files::byte_order::little),
            std::string(64 * 64 * 32, '\x64'));
    }
}

// Under a file-size limit the process is not killed by SIGXFSZ: the write
// fails, the run says so and removes its temporary files.
TEST(Outputs, FileSizeLimitIsAFailedWrite) {
    for (const Tool* tool : both_tools) {
        SCOPED_TRACE(tool->name);
        RunFolder run;
        write_large_inputs(*tool, run.dir);
        const auto result = program_runs::run_with(run.dir, "ulimit -f 16", tool->program,
                                                   tool->args(tool->outputs_ending_in("last")));
        EXPECT_EQ(result.status, 1);
        EXPECT_NE(result.err.find(": cannot write output file: File too large\n"),
                  std::string::npos)
            << result.err;
        EXPECT_EQ(result.err.find('\n'), result.err.size() - 1) << result.err;
        EXPECT_EQ(hidden_files(run.dir), std::vector<std::string>{});
        EXPECT_FALSE(fs::exists(run.dir / "out0"));
    }
}

// A replaced file keeps its permissions (and, where the process may set
// them, its owner and group); a new file gets 0666 less the umask.
TEST(Outputs, ReplacedFilesKeepModeAndOwner) {
    const bool root = geteuid() == 0;
    for (const Tool* tool : both_tools) {
        SCOPED_TRACE(tool->name);
        RunFolder run;
        tool->write_inputs(run.dir);
        write_file(run.dir / "out0", "old");
        ASSERT_EQ(chmod((run.dir / "out0").c_str(), 0604), 0);
        if (root) {
            ASSERT_EQ(chown((run.dir / "out0").c_str(), 1234, 5678), 0);
        }
        const auto result = program_runs::run_with(run.dir, "umask 027", tool->program,
                                                   tool->args(tool->outputs_ending_in("new")));
        ASSERT_EQ(result.status, 0) << result.err;
        struct stat replaced {
        }, created{};
        ASSERT_EQ(stat((run.dir / "out0").c_str(), &replaced), 0);
        ASSERT_EQ(stat((run.dir / "new").c_str(), &created), 0);
        EXPECT_NE(read_file(run.dir / "out0"), "old");
        EXPECT_EQ(replaced.st_mode & 07777, 0604u);
        EXPECT_EQ(created.st_mode & 07777, 0640u);
        if (root) {
            EXPECT_EQ(replaced.st_uid, 1234u);
            EXPECT_EQ(replaced.st_gid, 5678u);
        }
    }
}

// Links and names: a dangling link creates the file it points to and stays
// a link; a link to an existing file replaces that file; a name of 255
// bytes, the longest a folder entry may have, works.
TEST(Outputs, LinksAndLongNames) {
    const std::string longest(255, 'n');
    struct Case {
        const Tool* tool;
        std::vector<std::string> outputs;
    };
    // clang-format off
    const Case cases[] = {
        {&tetclean, {"dangling", longest}},
        {&tetclean, {longest, "linked"}},
        {&tetclean_more, {"o.node", "o.ele", "dangling", longest}},
        {&tetclean_more, {"o.node", "linked", "o.vtu", longest}},
        {&voxdump, {"dangling", "linked", longest}},
    };
    // clang-format on
    for (const Case& c : cases) {
        SCOPED_TRACE(std::string(c.tool->name) + " " + c.outputs[0]);
        RunFolder run;
        c.tool->write_inputs(run.dir);
        fs::create_directory(run.dir / "sub");
        fs::create_symlink("sub/made", run.dir / "dangling");
        write_file(run.dir / "sub" / "old", "old");
        fs::create_symlink(fs::absolute(run.dir / "sub" / "old"), run.dir / "linked");
        const auto result =
            testing_support::run_program(run.dir, c.tool->program, c.tool->args(c.outputs));
        ASSERT_EQ(result.status, 0) << result.err;
        for (const std::string& name : c.outputs) {
            if (name == "dangling") {
                EXPECT_TRUE(fs::is_regular_file(run.dir / "sub" / "made"));
            } else if (name == "linked") {
                EXPECT_NE(read_file(run.dir / "sub" / "old"), "old");
            } else {
                EXPECT_TRUE(fs::is_regular_file(run.dir / longest));
            }
        }
        EXPECT_TRUE(fs::is_symlink(run.dir / "dangling"));
        EXPECT_TRUE(fs::is_symlink(run.dir / "linked"));
        EXPECT_EQ(hidden_files(run.dir), std::vector<std::string>{});
        EXPECT_EQ(hidden_files(run.dir / "sub"), std::vector<std::string>{});
    }
}

// A bind mount over the last target makes its replacement fail (EBUSY)
// after the earlier targets were replaced: they get their old content back,
// or go again when they are new.
class BindMount {
public:
    BindMount(const fs::path& source, const fs::path& target) : target_(target) {
        mounted_ = mount(source.c_str(), target.c_str(), nullptr, MS_BIND, nullptr) == 0;
        error_ = errno;
    }
    ~BindMount() {
        if (mounted_) umount2(target_.c_str(), MNT_DETACH);
    }
    bool mounted() const { return mounted_; }
    int error() const { return error_; }

private:
    fs::path target_;
    bool mounted_ = false;
    int error_ = 0;
};

TEST(Outputs, FailedLastReplacementPutsTheOthersBack) {
    for (const Tool* tool : both_tools) {
        for (bool earlier_exist : {true, false}) {
            SCOPED_TRACE(std::string(tool->name) +
                         (earlier_exist ? ", earlier targets exist" : ", earlier targets new"));
            RunFolder run;
            tool->write_inputs(run.dir);
            const auto outputs = tool->outputs_ending_in("mounted");
            for (std::size_t i = 0; i + 1 < outputs.size(); ++i) {
                if (earlier_exist) write_file(run.dir / outputs[i], "old " + outputs[i]);
            }
            write_file(run.dir / "mounted", "under the mount");
            write_file(run.root / "source", "mounted file");
            BindMount mount(run.root / "source", run.dir / "mounted");
            if (!mount.mounted())
                GTEST_SKIP() << "cannot bind-mount a file here: " << std::strerror(mount.error());
            const auto result =
                testing_support::run_program(run.dir, tool->program, tool->args(outputs));
            EXPECT_EQ(result.status, 1);
            EXPECT_EQ(result.err,
                      std::string(tool->name) +
                          ": mounted: cannot replace output file: Device or resource busy\n");
            for (std::size_t i = 0; i + 1 < outputs.size(); ++i) {
                if (earlier_exist) {
                    EXPECT_EQ(read_file(run.dir / outputs[i]), "old " + outputs[i]);
                } else {
                    EXPECT_FALSE(fs::exists(run.dir / outputs[i])) << outputs[i];
                }
            }
            EXPECT_EQ(read_file(run.dir / "mounted"), "mounted file");
            EXPECT_EQ(hidden_files(run.dir), std::vector<std::string>{});
        }
    }
}

// The same without mounting: a folder takes the name of voxdump's second
// target while the third (a FIFO) blocks the run.
TEST(Outputs, FolderInPlaceOfATargetPutsTheOthersBack) {
    RunFolder run;
    voxdump.write_inputs(run.dir);
    write_file(run.dir / "a", "old a");
    ASSERT_EQ(mkfifo((run.dir / "fifo").c_str(), 0600), 0);
    Child child(run.dir, voxdump.program, voxdump.args({"a", "s", "fifo"}), run.log);
    ASSERT_TRUE(program_runs::wait_for_hidden_files(run.dir, 2, child)) << read_file(run.log);
    fs::create_directories(run.dir / "s" / "inside");
    program_runs::drain_fifo(run.dir / "fifo");
    ASSERT_TRUE(child.wait(20));
    EXPECT_EQ(child.exit_status(), 1);
    const std::string log = read_file(run.log);
    EXPECT_NE(log.find("\nvoxdump: s: cannot replace output file: Is a directory\n"),
              std::string::npos)
        << log;
    EXPECT_EQ(read_file(run.dir / "a"), "old a");
    EXPECT_TRUE(fs::is_directory(run.dir / "s" / "inside"));
    EXPECT_EQ(hidden_files(run.dir), std::vector<std::string>{});
}

// A run waits for the lock on its output folder before it replaces
// anything, so two runs cannot interleave their replacements.
TEST(Outputs, ReplacementsWaitForTheFolderLock) {
    for (const Tool* tool : both_tools) {
        SCOPED_TRACE(tool->name);
        RunFolder run;
        tool->write_inputs(run.dir);
        const auto outputs = tool->outputs_ending_in("last");
        for (const std::string& name : outputs) write_file(run.dir / name, "old");
        const int folder = open(run.dir.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
        ASSERT_GE(folder, 0);
        ASSERT_EQ(flock(folder, LOCK_EX), 0);
        Child child(run.dir, tool->program, tool->args(outputs), run.log);
        ASSERT_TRUE(program_runs::wait_for_hidden_files(run.dir, tool->output_count, child))
            << read_file(run.log);
        std::this_thread::sleep_for(std::chrono::milliseconds(300));
        EXPECT_TRUE(child.running());
        for (const std::string& name : outputs) EXPECT_EQ(read_file(run.dir / name), "old") << name;
        flock(folder, LOCK_UN);
        close(folder);
        ASSERT_TRUE(child.wait(20));
        EXPECT_EQ(child.exit_status(), 0) << read_file(run.log);
        for (const std::string& name : outputs) EXPECT_NE(read_file(run.dir / name), "old") << name;
    }
}

// Cleaning in place: an output that replaces one of the run's inputs is
// flushed to disk before its rename and its folder after; other outputs are
// not flushed. Seen in the system calls (needs strace).
TEST(Outputs, ReplacedInputsAreFlushedFirst) {
    if (std::system("strace -V >/dev/null 2>&1") != 0) GTEST_SKIP() << "strace is not installed";
    struct Case {
        const Tool* tool;
        std::vector<std::string> outputs;
        const char* calls;  // F: fsync, R: rename, in order
    };
    // clang-format off
    const Case cases[] = {
        {&tetclean, {"o.node", "o.ele"}, "RR"},
        {&tetclean, {"in.node", "in.ele"}, "FRFFRF"},
        {&tetclean, {"o.node", "in.ele"}, "RFRF"},
        // The .vtu file and the report may not replace an input.
        {&tetclean_more, {"in.node", "in.ele", "o.vtu", "o.json"}, "FRFFRFRR"},
        // voxdump refuses an output over its input, so it never flushes.
        {&voxdump, {"a", "s", "r"}, "RRR"},
    };
    // clang-format on
    for (const Case& c : cases) {
        SCOPED_TRACE(std::string(c.tool->name) + " " + c.outputs[0] + " " + c.outputs[1]);
        RunFolder run;
        c.tool->write_inputs(run.dir);
        // The leak checker of sanitizer builds cannot run under a tracer.
        const char* asan_options = std::getenv("ASAN_OPTIONS");
        const std::string untraced_leaks =
            "ASAN_OPTIONS=" + std::string(asan_options ? asan_options : "") + ":detect_leaks=0";
        std::vector<std::string> args = {
            "-f",           "-qq",          "-e", "trace=fsync,rename,renameat,renameat2",
            "-E",           untraced_leaks, "-o", (run.root / "trace").string(),
            c.tool->program};
        for (const std::string& arg : c.tool->args(c.outputs)) args.push_back(arg);
        const auto result = testing_support::run_program(run.dir, "strace", args);
        if (result.status != 0 && result.err.find("ptrace") != std::string::npos)
            GTEST_SKIP() << result.err;
        ASSERT_EQ(result.status, 0) << result.err;
        std::string calls;
        std::istringstream trace(read_file(run.root / "trace"));
        for (std::string line; std::getline(trace, line);) {
            if (line.find("fsync(") != std::string::npos) calls += 'F';
            if (line.find("rename") != std::string::npos) calls += 'R';
        }
        EXPECT_EQ(calls, c.calls);
    }
}

// Memory limits (ulimit -v) from the least a run can start with up to
// enough: every run either succeeds with the same outputs as without a
// limit, or fails with one line saying what could not be allocated, and
// leaves no file behind. Sanitizers reserve far more address space than
// any such limit, so their builds skip this.
struct Workload {
    const Tool* tool;
    std::string generator;
    std::vector<std::string> generator_args;
    std::vector<std::string> args;
    std::vector<std::string> outputs;
};

TEST(Outputs, MemoryLimits) {
    if (sanitized) GTEST_SKIP() << "sanitizer builds cannot run under ulimit -v";
    // clang-format off
    const Workload workloads[] = {
        {&tetclean, MAKE_WORKLOAD_PATH, {".", "0.02"},
         {"mesh.node", "mesh.ele", "out.node", "out.ele", "levelset.txt", "params.txt"},
         {"out.node", "out.ele"}},
        {&tetclean_more, MAKE_WORKLOAD_PATH, {".", "0.02"},
         {"--vtu", "out.vtu", "--report", "out.json", "mesh.node", "mesh.ele", "out.node", "out.ele",
          "levelset.txt", "params.txt"},
         {"out.node", "out.ele", "out.vtu", "out.json"}},
        {&voxdump, MAKE_VOLUME_WORKLOAD_PATH, {".", "64", "64", "40"}, {"float_le", "a", "s", "r"},
         {"a", "s", "r"}},
    };
    // clang-format on
    for (const Workload& w : workloads) {
        SCOPED_TRACE(w.tool->name);
        RunFolder run;
        ASSERT_EQ(testing_support::run_program(run.dir, w.generator, w.generator_args).status, 0);
        const auto reference = testing_support::run_program(run.dir, w.tool->program, w.args);
        ASSERT_EQ(reference.status, 0) << reference.err;
        const std::vector<std::string>& outputs = w.outputs;
        std::vector<std::string> expected;
        for (const std::string& name : outputs) {
            expected.push_back(read_file(run.dir / name));
            fs::remove(run.dir / name);
        }
        const auto limited = [&](long kib, const std::vector<std::string>& args) {
            return program_runs::run_with(run.dir, "ulimit -v " + std::to_string(kib),
                                          w.tool->program, args);
        };
        // The least limit under which the program starts at all.
        long low = 1024, high = 256 * 1024;
        while (high - low > 64) {
            const long middle = (low + high) / 2;
            (limited(middle, {"--version"}).status == 0 ? high : low) = middle;
        }
        bool refused = false, succeeded = false;
        for (long kib = high; kib < high + 64 * 1024 && !succeeded;
             kib += kib < high + 2048 ? 128 : 1024) {
            SCOPED_TRACE(kib);
            const auto result = limited(kib, w.args);
            if (result.status == 0) {
                succeeded = true;
                for (std::size_t i = 0; i < outputs.size(); ++i)
                    EXPECT_EQ(read_file(run.dir / outputs[i]), expected[i]);
                continue;
            }
            EXPECT_EQ(result.status, 1) << result.err;
            EXPECT_EQ(result.err.rfind(std::string(w.tool->name) + ": ", 0), 0u) << result.err;
            EXPECT_EQ(result.err.find('\n'), result.err.size() - 1) << result.err;
            const bool allocation = result.err.find("cannot allocate") != std::string::npos ||
                                    result.err.find("cannot hold the samples") != std::string::npos;
            EXPECT_TRUE(allocation) << result.err;
            refused = refused || allocation;
            for (const std::string& name : outputs)
                EXPECT_FALSE(fs::exists(run.dir / name)) << name;
            EXPECT_EQ(hidden_files(run.dir), std::vector<std::string>{});
        }
        EXPECT_TRUE(refused);
        EXPECT_TRUE(succeeded);
    }
}

}  // namespace
