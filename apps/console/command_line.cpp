// SPDX-License-Identifier: MIT
#include "command_line.hpp"

#include <cstdio>
#include <cstring>

#ifndef LEVELSET_PREP_VERSION
#define LEVELSET_PREP_VERSION "unknown"
#endif

namespace levelset_prep::console {
namespace {

constexpr const Option* common_options[] = {&quiet_option, &help_option, &version_option};

template <typename Match>
const Option* find_option(const Program& program, Match match) {
    for (const Option& option : program.options) {
        if (match(option)) return &option;
    }
    for (const Option* option : common_options) {
        if (match(*option)) return option;
    }
    return nullptr;
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

bool CommandLine::has(const Option& option) const {
    for (const auto& given : options) {
        if (given.first == &option) return true;
    }
    return false;
}

CommandLine parse_command_line(int argc, char** argv, const Program& program) {
    CommandLine line;
    int i = 1;
    for (; i < argc; ++i) {
        const std::string_view arg = argv[i];
        if (arg == "--") {
            ++i;
            break;
        }
        if (arg.size() < 2 || arg[0] != '-') break;
        const Option* option = nullptr;
        std::string value;
        bool has_value = false;
        if (arg[1] == '-') {
            std::string_view name = arg.substr(2);
            if (const auto equals = name.find('='); equals != std::string_view::npos) {
                value = name.substr(equals + 1);
                has_value = true;
                name = name.substr(0, equals);
            }
            option = find_option(program, [name](const Option& o) { return name == o.name; });
        } else if (arg.size() == 2) {
            option =
                find_option(program, [c = arg[1]](const Option& o) { return c == o.short_name; });
        }
        if (option == nullptr) {
            line.action = CommandLine::Action::bad_option;
            line.problem = "unrecognised option '" + std::string(arg) + "'";
            return line;
        }
        if (option->value_name == nullptr && has_value) {
            line.action = CommandLine::Action::bad_option;
            line.problem = "option '--" + std::string(option->name) + "' takes no value";
            return line;
        }
        if (option->value_name != nullptr && !has_value) {
            if (i + 1 == argc) {
                line.action = CommandLine::Action::bad_option;
                line.problem = "option '--" + std::string(option->name) + "' needs a value (" +
                               option->value_name + ")";
                return line;
            }
            value = argv[++i];
        }
        if (option == &help_option || option == &version_option) {
            line.action =
                option == &help_option ? CommandLine::Action::help : CommandLine::Action::version;
            return line;
        }
        line.options.emplace_back(option, std::move(value));
    }
    line.files.assign(argv + i, argv + argc);
    return line;
}

void print_help(const Program& program, const char* invoked_as) {
    std::printf("Usage: %s [OPTION]...%s\n%s\n\nFiles:\n", invoked_as, program.usage_words,
                program.summary);
    for (const FileArgument& file : program.files)
        print_column(std::string("  ") + file.name, file.help);
    std::printf("\nOptions:\n");
    for (const Option& option : program.options) print_column(option_words(option), option.help);
    for (const Option* option : common_options) print_column(option_words(*option), option->help);
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
