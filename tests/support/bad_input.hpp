// SPDX-License-Identifier: MIT
// A table-driven bad-input run of a built program: each case changes a
// folder of good inputs, runs the program there and states its exit status
// and the file its one error line must name. Whatever the case, a failed
// run must leave the folder exactly as it was: no output file, no temporary
// file, every input (including one named as an output) unchanged.
#pragma once

#include <sys/resource.h>

#include <cerrno>
#include <cstdio>
#include <filesystem>
#include <map>
#include <string>
#include <utility>
#include <vector>

#include "test_files.hpp"

namespace bad_input {

namespace fs = std::filesystem;

// What a case puts at a name: bytes, no file at all, an empty folder, or a
// symbolic or hard link to another name (`text`).
struct Content {
    enum Kind { bytes, none, folder, symbolic_link, hard_link } kind = bytes;
    std::string text;
    Content(std::string t) : text(std::move(t)) {}  // NOLINT: tables read better without braces
    Content(const char* t) : text(t) {}             // NOLINT
    Content(Kind k) : kind(k) {}                    // NOLINT
    Content(Kind k, std::string t) : kind(k), text(std::move(t)) {}
};

using Files = std::vector<std::pair<std::string, Content>>;

struct Case {
    const char* what;
    Files changes;                  // applied over the good inputs
    std::vector<std::string> args;  // empty: the usual arguments
    int status;                     // expected exit status
    std::string named;              // the file the error line names ("" for none)
    std::string problem;            // a part of the error line
};

inline void put(const fs::path& dir, const std::string& name, const Content& content) {
    const fs::path path = dir / name;
    fs::remove_all(path);
    if (content.kind == Content::bytes) testing_support::write_file(path, content.text);
    if (content.kind == Content::folder) fs::create_directory(path);
    if (content.kind == Content::symbolic_link) fs::create_symlink(content.text, path);
    if (content.kind == Content::hard_link) fs::create_hard_link(dir / content.text, path);
}

// Every entry of the folder with its bytes ("<folder>" for a folder).
inline std::map<std::string, std::string> snapshot(const fs::path& dir) {
    std::map<std::string, std::string> entries;
    for (const auto& entry : fs::directory_iterator(dir)) {
        entries[entry.path().filename()] =
            entry.is_symlink()     ? "<link to " + fs::read_symlink(entry.path()).string() + ">"
            : entry.is_directory() ? "<folder>"
                                   : testing_support::read_file(entry.path());
    }
    return entries;
}

// Runs one case of `program` (whose error lines start "<tool>: ").
inline void check(const std::string& program, const std::string& tool, const Files& good,
                  const std::vector<std::string>& usual_args, const Case& c) {
    SCOPED_TRACE(c.what);
    testing_support::TempDir dir;
    for (const auto& [name, content] : good) put(dir.path(), name, content);
    for (const auto& [name, content] : c.changes) put(dir.path(), name, content);
    const auto before = snapshot(dir.path());

    const std::vector<std::string>& args = c.args.empty() ? usual_args : c.args;
    const testing_support::RunResult result =
        testing_support::run_program(dir.path(), program, args);
    const std::string& err = result.err;
    EXPECT_EQ(result.status, c.status) << err;
    if (c.status == 0) {
        EXPECT_EQ(err, "");
        return;
    }
    // One line: "<tool>: <file>: <problem>".
    const std::string prefix = tool + ": " + c.named + ": ";
    EXPECT_EQ(err.rfind(prefix, 0), 0u) << err;
    EXPECT_NE(err.find(c.problem), std::string::npos) << err;
    EXPECT_EQ(err.find('\n'), err.size() - 1) << err;
    EXPECT_EQ(snapshot(dir.path()), before) << "a failed run changed the folder";
}

// True when /sys refuses new files with EACCES: tests run as root here,
// where permission bits do not bite, but the sysfs root refuses new files
// even to root, so it stands in for a read-only folder.
inline bool sys_refuses_new_files() {
    const char* probe_name = "/sys/levelset_prep_probe";
    std::FILE* probe = std::fopen(probe_name, "wb");
    const int reason = errno;
    if (probe != nullptr) {
        std::fclose(probe);
        std::remove(probe_name);
        return false;
    }
    return reason == EACCES;
}

// The most memory any program run so far has held (kilobytes).
inline long peak_child_kilobytes() {
    rusage usage{};
    getrusage(RUSAGE_CHILDREN, &usage);
    return usage.ru_maxrss;
}

}  // namespace bad_input
