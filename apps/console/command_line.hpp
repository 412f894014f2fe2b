// SPDX-License-Identifier: MIT
// The command line both programs take, read as GNU tools read theirs:
// options anywhere among the file names, "--name=VALUE", unambiguous
// abbreviations, bundled short forms, and "--" ending the options.
#pragma once

#include <span>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

namespace levelset_prep::console {

struct Option {
    const char* name;        // without the dashes: "node-map"
    char short_name;         // 'q', or 0 for none
    const char* value_name;  // "FILE" for an option that takes a value, null for a flag
    const char* help;        // one line for --help
};

struct FileArgument {
    const char* name;  // the usage word: "node_file_in"
    const char* help;  // one line for --help
};

struct Program {
    const char* name;         // "tetclean"
    const char* summary;      // what it does, a line or two, for --help
    const char* usage_words;  // the file names as the usage line shows them, with a leading blank
    std::span<const FileArgument> files;
    std::span<const Option* const> options;  // the program's own, in the order --help lists them
};

inline constexpr Option quiet_option{"quiet", 'q', nullptr,
                                     "no progress lines; errors still go to standard error"};
inline constexpr Option help_option{"help", 'h', nullptr, "print this help and exit"};
inline constexpr Option version_option{"version", 0, nullptr, "print the version and exit"};

struct CommandLine {
    enum class Action { run, help, version, bad_option } action = Action::run;
    // In order, each with its value ("" for a flag).
    std::vector<std::pair<const Option*, std::string>> options;
    std::vector<char*> files;  // the other arguments, in order
    std::string problem;       // for bad_option: "unrecognised option '--bogus'"

    bool has(const Option& option) const;
    // The value given last, or null.
    const std::string* value(const Option& option) const;
};

// The first --help or --version decides the action, whatever follows; the
// first bad option makes it bad_option. May be called any number of times.
CommandLine parse_command_line(int argc, char** argv, const Program& program);

void print_help(const Program& program, const char* invoked_as);

void print_version(const Program& program);

void print_bad_option(const Program& program, std::string_view problem);

}  // namespace levelset_prep::console
