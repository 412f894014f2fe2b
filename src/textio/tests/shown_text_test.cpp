// SPDX-License-Identifier: MIT
#include <cstdio>
#include <string>

#include <gtest/gtest.h>

#include <levelset_prep/textio/shown_text.hpp>

namespace {

using namespace levelset_prep;
using namespace std::string_literals;

TEST(ShownText, SpellsOutWhatWouldCorruptALine) {
    const struct {
        std::string raw, shown;
    } cases[] = {
        {"plain name.node", "plain name.node"},
        {"a\0b"s, "a\\x00b"},
        {"tab\tline\nreturn\r", "tab\\tline\\nreturn\\r"},
        {"\x1b[31mred\x7f", "\\x1b[31mred\\x7f"},
        {"back\\slash", "back\\slash"},
        {"Gehirn_\xc3\xb6.node", "Gehirn_\xc3\xb6.node"},  // U+00F6 stays
        {"\xe6\x97\xa5\xe6\x9c\xac \xf0\x9f\xa7\xa0",
         "\xe6\x97\xa5\xe6\x9c\xac \xf0\x9f\xa7\xa0"},  // CJK, emoji
        {"\xef\xbb\xbf"
         "5",
         "\\xef\\xbb\\xbf5"},                // byte order mark
        {"\xc2\x85next", "\\xc2\\x85next"},  // C1 control
        {"a\xe2\x80\xae"
         "b",
         "a\\xe2\\x80\\xaeb"},                         // right-to-left override
        {"\xe2\x80\xa8", "\\xe2\\x80\\xa8"},           // line separator
        {"latin1 \xf6", "latin1 \\xf6"},               // not UTF-8
        {"\xc3", "\\xc3"},                             // cut short
        {"\xc0\xaf", "\\xc0\\xaf"},                    // overlong '/'
        {"\xed\xa0\x80", "\\xed\\xa0\\x80"},           // surrogate
        {"\xf4\x90\x80\x80", "\\xf4\\x90\\x80\\x80"},  // beyond U+10FFFF
        {"\x80\xbf", "\\x80\\xbf"},                    // stray continuations
    };
    for (const auto& c : cases) {
        EXPECT_EQ(textio::shown_text(c.raw), c.shown) << c.shown;
        std::FILE* file = std::tmpfile();
        textio::print_shown(file, c.raw);
        std::rewind(file);
        char printed[256] = {};
        EXPECT_EQ(std::string(printed, std::fread(printed, 1, sizeof printed, file)), c.shown);
        std::fclose(file);
    }
}

TEST(ShownText, TokensAreCutAfter40BytesBetweenCharacters) {
    EXPECT_EQ(textio::shown_token("abc"), "'abc'");
    EXPECT_EQ(textio::shown_token(std::string(40, 'x')), "'" + std::string(40, 'x') + "'");
    EXPECT_EQ(textio::shown_token(std::string(41, 'x')), "'" + std::string(40, 'x') + "...'");
    // A two-byte character across byte 40 goes whole to the part not shown.
    EXPECT_EQ(textio::shown_token(std::string(39, 'x') + "\xc3\xb6yz"),
              "'" + std::string(39, 'x') + "...'");
    EXPECT_EQ(textio::shown_token(std::string(39, 'x') + "\x01yz"),
              "'" + std::string(39, 'x') + "\\x01...'");
}

}  // namespace
