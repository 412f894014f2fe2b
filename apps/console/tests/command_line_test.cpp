// SPDX-License-Identifier: MIT
#include "command_line.hpp"

#include <string>
#include <vector>

#include <gtest/gtest.h>

namespace {

using namespace levelset_prep::console;

constexpr Option map_option{"node-map", 0, "FILE", ""};
constexpr Option full_option{"full-precision", 0, nullptr, ""};
constexpr Option volume_option{"volume", 0, "N", ""};  // starts like --version
constexpr Option output_option{"output", 'o', "FILE", ""};
constexpr const Option* own_options[] = {&map_option, &full_option, &volume_option, &output_option};
const Program program{"prog", "", "", {}, own_options};

// The options as "name=value ...", the files as "a|b".
std::string given_options(const CommandLine& line) {
    std::string text;
    for (const auto& [option, value] : line.options)
        text.append(text.empty() ? "" : " ").append(option->name).append("=").append(value);
    return text;
}
std::string given_files(const CommandLine& line) {
    std::string text;
    for (const char* file : line.files) text.append(text.empty() ? "" : "|").append(file);
    return text;
}

// Each case runs the parser again: it starts afresh each time, also after a
// case that stopped inside a bundle.
TEST(CommandLine, OptionsAnywhereBundledAndAbbreviated) {
    using Action = CommandLine::Action;
    struct Case {
        std::vector<std::string> args;
        Action action;
        std::string options, files, problem;
    };
    const std::string ambiguous =
        "option '--v' is ambiguous; possibilities: '--version' '--volume'";
    // clang-format off
    const Case cases[] = {
        {{}, Action::run, "", "", ""},
        {{"a", "b"}, Action::run, "", "a|b", ""},
        {{"a", "-q", "b", "--full-precision"}, Action::run, "quiet= full-precision=", "a|b", ""},
        {{"a", "b", "--node-map", "m"}, Action::run, "node-map=m", "a|b", ""},
        {{"--node-map=m=n", "a"}, Action::run, "node-map=m=n", "a", ""},
        {{"--node-map=", "a"}, Action::run, "node-map=", "a", ""},
        {{"--node-map", "--full"}, Action::run, "node-map=--full", "", ""},
        {{"--node", "m", "--full", "--vol=2"}, Action::run, "node-map=m full-precision= volume=2", "", ""},
        {{"-qqofile", "-o", "-q", "a"}, Action::run, "quiet= quiet= output=file output=-q", "a", ""},
        {{"-", "", "a"}, Action::run, "", "-||a", ""},
        {{"a", "--", "-q", "--x", "--"}, Action::run, "", "a|-q|--x|--", ""},
        {{"--", "--"}, Action::run, "", "--", ""},
        {{"a", "b", "-qh", "--bogus"}, Action::help, "", "", ""},
        {{"-hx"}, Action::help, "", "", ""},
        {{"a", "--ver", "--help"}, Action::version, "", "", ""},
        {{"--bogus", "--help"}, Action::bad_option, "", "", "unrecognised option '--bogus'"},
        {{"a", "--bogus=1"}, Action::bad_option, "", "", "unrecognised option '--bogus=1'"},
        {{"--=x"}, Action::bad_option, "", "", "unrecognised option '--=x'"},
        {{"---q"}, Action::bad_option, "", "", "unrecognised option '---q'"},
        {{"-x", "a"}, Action::bad_option, "", "", "unrecognised option '-x'"},
        {{"-xq"}, Action::bad_option, "", "", "unrecognised option '-xq'"},
        {{"-qqx"}, Action::bad_option, "", "", "unrecognised option '-x' in '-qqx'"},
        {{"-q:"}, Action::bad_option, "", "", "unrecognised option '-:' in '-q:'"},
        {{"--v", "a"}, Action::bad_option, "", "", ambiguous},
        {{"a", "--v=3"}, Action::bad_option, "", "", ambiguous},
        {{"--quiet=yes"}, Action::bad_option, "", "", "option '--quiet' takes no value"},
        {{"--fu="}, Action::bad_option, "", "", "option '--full-precision' takes no value"},
        {{"a", "--node-map"}, Action::bad_option, "", "", "option '--node-map' needs a value (FILE)"},
        {{"--vo"}, Action::bad_option, "", "", "option '--volume' needs a value (N)"},
        {{"-qo"}, Action::bad_option, "", "", "option '--output' needs a value (FILE)"},
    };
    // clang-format on
    for (const Case& c : cases) {
        std::string trace = "prog";
        std::vector<std::string> words{"prog"};
        words.insert(words.end(), c.args.begin(), c.args.end());
        std::vector<char*> argv;
        for (std::string& word : words) {
            argv.push_back(word.data());
            trace.append(" '").append(word).append("'");
        }
        SCOPED_TRACE(trace);
        const CommandLine line =
            parse_command_line(static_cast<int>(argv.size()), argv.data(), program);
        EXPECT_EQ(line.action, c.action);
        EXPECT_EQ(line.problem, c.problem);
        if (c.action != Action::run) continue;
        EXPECT_EQ(given_options(line), c.options);
        EXPECT_EQ(given_files(line), c.files);
    }
}

// An option is looked up by its own object; the last value given counts.
TEST(CommandLine, ValueIsTheLastGiven) {
    std::string words[] = {"prog", "--node-map=a", "f", "--node-map", "b"};
    char* argv[] = {words[0].data(), words[1].data(), words[2].data(), words[3].data(),
                    words[4].data()};
    const CommandLine line = parse_command_line(5, argv, program);
    ASSERT_NE(line.value(map_option), nullptr);
    EXPECT_EQ(*line.value(map_option), "b");
    EXPECT_TRUE(line.has(map_option));
    EXPECT_FALSE(line.has(full_option));
    EXPECT_EQ(line.value(volume_option), nullptr);
}

}  // namespace
