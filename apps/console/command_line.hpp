// SPDX-License-Identifier: MIT
// The command line both programs take, read as GNU tools read theirs.
//
//   program [OPTION]... FILE...
//
// Every argument that starts with '-' (but "-" alone) is an option, before,
// between or after the file names: "--name", "--name VALUE",
// "--name=VALUE", or any unambiguous start of a name ("--full" for
// "--full-precision"); short forms such as "-q" may be bundled ("-qh").
// "--" ends the options, so that a file name may start with '-'. Both
// programs take -q/--quiet, -h/--help and --version besides their own.
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

// The options that every program takes.
inline constexpr Option quiet_option{"quiet", 'q', nullptr,
                                     "no progress lines; errors still go to standard error"};
inline constexpr Option help_option{"help", 'h', nullptr, "print this help and exit"};
inline constexpr Option version_option{"version", 0, nullptr, "print the version and exit"};

struct CommandLine {
    enum class Action { run, help, version, bad_option } action = Action::run;
    // The options given, in order, each with its value ("" for a flag).
    std::vector<std::pair<const Option*, std::string>> options;
    std::vector<char*> files;  // the other arguments, in order
    std::string problem;       // for bad_option: "unrecognised option '--bogus'"

    bool has(const Option& option) const;
    // The value given last to `option`, or null when it was not given.
    const std::string* value(const Option& option) const;
};

// Reads argv[1..argc-1]. The first -h/--help or --version decides the action,
// whatever follows; the first option that is unknown, ambiguous, given a
// value it does not take or missing its value makes it bad_option. It may
// be called any number of times.
CommandLine parse_command_line(int argc, char** argv, const Program& program);

// GNU-style help on standard output: usage, what the program does, one line
// per file and per option, and where the manual page is.
void print_help(const Program& program, const char* invoked_as);

// "<name> (levelset_prep) <version>", then the copyright and licence lines.
void print_version(const Program& program);

// "<name>: <problem>" and "Try '<name> --help' for more information." on
// standard error.
void print_bad_option(const Program& program, std::string_view problem);

}  // namespace levelset_prep::console
