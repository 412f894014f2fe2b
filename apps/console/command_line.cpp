// SPDX-License-Identifier: MIT
#include "command_line.hpp"

#include <getopt.h>

#include <algorithm>
#include <cstdio>
#include <iterator>

#ifndef LEVELSET_PREP_VERSION
#define LEVELSET_PREP_VERSION "unknown"
#endif

namespace levelset_prep::console {
namespace {

constexpr const Option* common_options[] = {&quiet_option, &help_option, &version_option};

// getopt_long returns a short option as its character and the long form of
// option i as long_code + i.
constexpr int long_code = 256;

std::vector<const Option*> all_options(const Program& program) {
    std::vector<const Option*> all(program.options.begin(), program.options.end());
    all.insert(all.end(), std::begin(common_options), std::end(common_options));
    return all;
}

// What getopt_long reads. The short options start with "-", so that the
// other arguments come back in order (as code 1), and then ":", so that a
// missing value comes back as ':', told apart from an unknown option ('?').
struct GetoptTables {
    std::string short_options = "-:";
    std::vector<struct option> long_options;
};

GetoptTables getopt_tables(const std::vector<const Option*>& all) {
    GetoptTables tables;
    for (std::size_t i = 0; i < all.size(); ++i) {
        const Option& option = *all[i];
        const int takes = option.value_name != nullptr ? required_argument : no_argument;
        tables.long_options.push_back(
            {option.name, takes, nullptr, long_code + static_cast<int>(i)});
        if (option.short_name == 0) continue;
        tables.short_options += option.short_name;
        if (takes == required_argument) tables.short_options += ':';
    }
    tables.long_options.push_back({nullptr, 0, nullptr, 0});
    return tables;
}

const Option* option_of(const std::vector<const Option*>& all, int code) {
    if (code >= long_code) {
        const auto i = static_cast<std::size_t>(code - long_code);
        return i < all.size() ? all[i] : nullptr;
    }
    for (const Option* option : all) {
        if (code != 0 && option->short_name == code) return option;
    }
    return nullptr;
}

// Built piece by piece: g++ 12 at -O3 warns falsely (-Wrestrict) on
// "literal" + std::string temporaries.
std::string quoted(std::string_view prefix, std::string_view text) {
    std::string words = "'";
    return words.append(prefix).append(text).append("'");
}

std::string unrecognised(std::string_view argument) {
    return std::string("unrecognised option ").append(quoted("", argument));
}

std::string unknown_long_option(const std::vector<const Option*>& all, std::string_view argument) {
    if (!argument.starts_with("--")) return unrecognised(argument);
    const std::string_view name = argument.substr(2, argument.find('=') - 2);
    std::vector<std::string_view> names;
    for (const Option* option : all) {
        if (!name.empty() && std::string_view(option->name).starts_with(name))
            names.push_back(option->name);
    }
    if (names.size() < 2) return unrecognised(argument);
    std::sort(names.begin(), names.end());
    std::string problem = std::string("option ").append(quoted("--", name));
    problem.append(" is ambiguous; possibilities:");
    for (std::string_view match : names) problem.append(" ").append(quoted("--", match));
    return problem;
}

// `first`: the refused option starts the argument, not later in "-qx".
std::string refusal(const std::vector<const Option*>& all, int code, std::string_view argument,
                    bool first) {
    const Option* option = option_of(all, optopt);
    if (code == ':' && option != nullptr) {
        std::string problem = std::string("option ").append(quoted("--", option->name));
        return problem.append(" needs a value (").append(option->value_name).append(")");
    }
    if (optopt == 0) return unknown_long_option(all, argument);
    if (optopt >= long_code && option != nullptr) {
        return std::string("option ").append(quoted("--", option->name)).append(" takes no value");
    }
    if (first) return unrecognised(argument);
    const char short_name[] = {'-', static_cast<char>(optopt), '\0'};
    return unrecognised(short_name).append(" in ").append(quoted("", argument));
}

// "  -q, --quiet" or "      --node-map FILE", padded to the help column.
std::string option_words(const Option& option) {
    std::string words = option.short_name != 0 ? std::string("  -") + option.short_name + ", "
                                               : std::string(6, ' ');
    words.append("--").append(option.name);
    if (option.value_name != nullptr) words.append(" ").append(option.value_name);
    return words;
}

void print_column(const std::string& words, const char* help) {
    constexpr std::size_t column = 26;
    std::printf("%s%*s%s\n", words.c_str(),
                static_cast<int>(words.size() < column ? column - words.size() : 2), "", help);
}

}  // namespace

bool CommandLine::has(const Option& option) const { return value(option) != nullptr; }

const std::string* CommandLine::value(const Option& option) const {
    const std::string* last = nullptr;
    for (const auto& given : options) {
        if (given.first == &option) last = &given.second;
    }
    return last;
}

CommandLine parse_command_line(int argc, char** argv, const Program& program) {
    const std::vector<const Option*> all = all_options(program);
    const GetoptTables tables = getopt_tables(all);
    CommandLine line;
    opterr = 0;
    optind = 0;              // 0, not 1: glibc then starts a fresh scan, inside a bundle too
    int element = 1;         // argv's index of the argument being read
    bool in_bundle = false;  // past the first option of a bundle such as "-qh"
    for (;;) {
        if (!in_bundle) element = optind > 0 ? optind : 1;
        const bool first = !in_bundle;
        const int code = getopt_long(argc, argv, tables.short_options.c_str(),
                                     tables.long_options.data(), nullptr);
        if (code == -1) break;
        in_bundle = optind == element;
        if (code == 1) {
            line.files.push_back(optarg);
            continue;
        }
        if (code == '?' || code == ':') {
            line.action = CommandLine::Action::bad_option;
            line.problem = refusal(all, code, argv[element], first);
            return line;
        }
        const Option* option = option_of(all, code);
        if (option == &help_option || option == &version_option) {
            line.action =
                option == &help_option ? CommandLine::Action::help : CommandLine::Action::version;
            return line;
        }
        line.options.emplace_back(option, optarg != nullptr ? optarg : "");
    }
    line.files.insert(line.files.end(), argv + optind, argv + argc);
    return line;
}

void print_help(const Program& program, const char* invoked_as) {
    std::printf("Usage: %s [OPTION]...%s\n%s\n\nFiles:\n", invoked_as, program.usage_words,
                program.summary);
    for (const FileArgument& file : program.files)
        print_column(std::string("  ") + file.name, file.help);
    std::printf("\nOptions:\n");
    for (const Option* option : all_options(program))
        print_column(option_words(*option), option->help);
    std::printf(
        "\nA file name that starts with '-' follows \"--\".\n"
        "The manual page tells the rest: man %s\n",
        program.name);
}

void print_version(const Program& program) {
    std::printf(
        "%s (levelset_prep) %s\n"
        "Copyright (C) the levelset_prep authors.\n"
        "License MIT: <https://opensource.org/licenses/MIT>.\n"
        "This is free software: you are free to change and redistribute it.\n"
        "There is NO WARRANTY, to the extent permitted by law.\n",
        program.name, LEVELSET_PREP_VERSION);
}

void print_bad_option(const Program& program, std::string_view problem) {
    std::fprintf(stderr, "%s: %.*s\nTry '%s --help' for more information.\n", program.name,
                 static_cast<int>(problem.size()), problem.data(), program.name);
}

}  // namespace levelset_prep::console
