// SPDX-License-Identifier: MIT
// Test support shared by both programs' tests: a fresh temporary folder per
// test, whole-file reads and writes, and running a built program with its
// standard output and standard error captured.
#pragma once

#include <sys/wait.h>
#include <unistd.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

#include <gtest/gtest.h>

namespace testing_support {

namespace fs = std::filesystem;

inline std::string read_file(const fs::path& path) {
    std::ifstream in(path, std::ios::binary);
    std::ostringstream text;
    text << in.rdbuf();
    return text.str();
}

inline void write_file(const fs::path& path, const std::string& bytes) {
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    out << bytes;
}

// A folder of its own for the running test, removed afterwards.
class TempDir {
public:
    TempDir() {
        const auto* info = ::testing::UnitTest::GetInstance()->current_test_info();
        std::string name = std::string(info->test_suite_name()) + "_" + info->name();
        for (char& c : name) {
            if (c == '/') c = '_';
        }
        path_ = fs::temp_directory_path() /
                ("levelset_prep_test_" + std::to_string(::getpid()) + "_" + name);
        fs::remove_all(path_);
        fs::create_directories(path_);
    }
    ~TempDir() {
        std::error_code ignored;
        fs::permissions(path_, fs::perms::owner_all, fs::perm_options::add, ignored);
        fs::remove_all(path_, ignored);
    }
    TempDir(const TempDir&) = delete;
    TempDir& operator=(const TempDir&) = delete;

    const fs::path& path() const { return path_; }
    fs::path operator/(const std::string& name) const { return path_ / name; }

private:
    fs::path path_;
};

struct RunResult {
    int status = -1;  // exit status, or -1 when the program did not exit normally
    std::string out;  // standard output
    std::string err;  // standard error
};

// Quotes one argument for the shell.
inline std::string shell_quote(const std::string& word) {
    std::string quoted = "'";
    for (char c : word) {
        if (c == '\'') {
            quoted += "'\\''";
        } else {
            quoted += c;
        }
    }
    return quoted + "'";
}

// Runs `program` with `args` inside `dir`; standard input is empty.
// `environment` holds "NAME=value" settings for the program alone.
inline RunResult run_program(const fs::path& dir, const std::string& program,
                             const std::vector<std::string>& args,
                             const std::vector<std::string>& environment = {}) {
    // Appended piece by piece: g++ 12 at -O3 warns falsely (-Wrestrict) on
    // "literal" + std::string temporaries.
    std::string command = "cd ";
    command.append(shell_quote(dir.string())).append(" && env");
    for (const std::string& setting : environment) command.append(" ").append(shell_quote(setting));
    command.append(" ").append(shell_quote(program));
    for (const std::string& arg : args) command.append(" ").append(shell_quote(arg));
    const fs::path out = dir / ".stdout", err = dir / ".stderr";
    command.append(" </dev/null >").append(shell_quote(out.string()));
    command.append(" 2>").append(shell_quote(err.string()));
    const int raw = std::system(command.c_str());
    RunResult result;
    if (raw != -1 && WIFEXITED(raw)) result.status = WEXITSTATUS(raw);
    result.out = read_file(out);
    result.err = read_file(err);
    fs::remove(out);
    fs::remove(err);
    return result;
}

}  // namespace testing_support
