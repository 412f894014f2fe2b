// SPDX-License-Identifier: MIT
#include <atomic>
#include <cstdio>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include <levelset_prep/textio/token_scanner.hpp>

using namespace levelset_prep;

namespace {

std::vector<std::string> all_tokens(textio::TokenScanner& scanner) {
    std::vector<std::string> tokens;
    for (std::string_view token = scanner.next(); !token.empty(); token = scanner.next()) {
        tokens.emplace_back(token);
    }
    return tokens;
}

// A temporary file holding `text`, read back through a small block so that
// tokens cross block boundaries.
std::vector<std::string> tokens_from_file(const std::string& text, std::size_t block,
                                          bool& failed) {
    std::FILE* file = std::tmpfile();
    std::fwrite(text.data(), 1, text.size(), file);
    std::rewind(file);
    textio::TokenScanner scanner(file, block);
    auto tokens = all_tokens(scanner);
    failed = scanner.failed();
    std::fclose(file);
    return tokens;
}

TEST(TokenScanner, SplitsOnEveryKindOfWhiteSpace) {
    textio::TokenScanner scanner(std::string_view(" 1\t2\r\n3\v4\f 55  \n"));
    EXPECT_EQ(all_tokens(scanner), (std::vector<std::string>{"1", "2", "3", "4", "55"}));
    EXPECT_FALSE(scanner.failed());
}

TEST(TokenScanner, FileBlocksGiveTheSameTokensAsMemory) {
    const std::string text = "12345 6.5e-3\n\n  -7 +8 abcdefg 9 10\t11";
    textio::TokenScanner memory(text);
    const auto expected = all_tokens(memory);
    for (std::size_t block : {8u, 9u, 10u, 13u, 64u, 4096u}) {
        bool failed = true;
        EXPECT_EQ(tokens_from_file(text, block, failed), expected) << block;
        EXPECT_FALSE(failed) << block;
    }
}

TEST(TokenScanner, TokenLongerThanABlockFails) {
    bool failed = false;
    const auto tokens = tokens_from_file("1 2 123456789012345 3", 8, failed);
    EXPECT_EQ(tokens, (std::vector<std::string>{"1", "2"}));
    EXPECT_TRUE(failed);
}

// A stop set while a file is read ends the scan at the next block read, as a
// failed read; the whole tokens of the block in hand are still handed out.
TEST(TokenScanner, StopEndsTheScanAtTheNextBlock) {
    // 7-byte blocks: "1 2 3 4", then "4 5 6 7" (the unfinished "4" moved to
    // the front), ...
    const std::string text = "1 2 3 4 5 6 7 8 9 10 11 12";
    const struct {
        int stop_after;  // tokens read before the stop is set; -1 never
        std::vector<std::string> tokens;
        bool failed;
    } cases[] = {
        {0, {}, true},
        {1, {"1", "2", "3"}, true},
        {5, {"1", "2", "3", "4", "5", "6"}, true},
        {-1, {"1", "2", "3", "4", "5", "6", "7", "8", "9", "10", "11", "12"}, false},
    };
    for (const auto& c : cases) {
        std::FILE* file = std::tmpfile();
        std::fwrite(text.data(), 1, text.size(), file);
        std::rewind(file);
        std::atomic<bool> stop{c.stop_after == 0};
        textio::TokenScanner scanner(file, 7);
        scanner.stop_when(stop);
        std::vector<std::string> tokens;
        for (std::string_view token = scanner.next(); !token.empty(); token = scanner.next()) {
            tokens.emplace_back(token);
            if (static_cast<int>(tokens.size()) == c.stop_after) stop = true;
        }
        EXPECT_EQ(tokens, c.tokens) << c.stop_after;
        EXPECT_EQ(scanner.failed(), c.failed) << c.stop_after;
        std::fclose(file);
    }
}

TEST(TokenScanner, EmptyAndBlankInputHaveNoTokens) {
    for (const char* text : {"", "   ", "\n\n\t"}) {
        textio::TokenScanner scanner{std::string_view(text)};
        EXPECT_TRUE(scanner.next().empty());
        EXPECT_FALSE(scanner.failed());
    }
}

}  // namespace

namespace {

// Tokens of `text` with comments on, from memory and from a file read in
// blocks of every size from 4 bytes up (a comment may be longer than a
// block; a token may not).
std::vector<std::string> commented_tokens(const std::string& text) {
    textio::TokenScanner memory(text);
    memory.set_comments(true);
    const auto tokens = all_tokens(memory);
    for (std::size_t block = 4; block < 40; ++block) {
        std::FILE* file = std::tmpfile();
        std::fwrite(text.data(), 1, text.size(), file);
        std::rewind(file);
        textio::TokenScanner blocks(file, block);
        blocks.set_comments(true);
        EXPECT_EQ(all_tokens(blocks), tokens) << block;
        EXPECT_FALSE(blocks.failed()) << block;
        std::fclose(file);
    }
    return tokens;
}

TEST(TokenScanner, CommentsRunToTheEndOfTheirLine) {
    struct Case {
        std::string text;
        std::vector<std::string> tokens;
    };
    // clang-format off
    const Case cases[] = {
        {"# generated\n1 2\n", {"1", "2"}},
        {"1 2 # a comment with 3 4\n5", {"1", "2", "5"}},
        {"1#ends the token\n2#\n#\n##\n3", {"1", "2", "3"}},
        {"1\r\n# a comment longer than every block tried here: 0123456789\r\n2 # last", {"1", "2"}},
        {"   # only a comment", {}},
    };
    // clang-format on
    for (const Case& c : cases) EXPECT_EQ(commented_tokens(c.text), c.tokens) << c.text;

    // Without comments on, '#' is text like any other.
    textio::TokenScanner plain(std::string_view("1 #2 x#y"));
    EXPECT_EQ(all_tokens(plain), (std::vector<std::string>{"1", "#2", "x#y"}));
}

TEST(TokenScanner, LineStructure) {
    // After each token: whether it began a line, and whether its line ends
    // after it.
    textio::TokenScanner text(std::string_view("1 2\n\n3 # c\n4 \t\r\n 5 6"));
    text.set_comments(true);
    const std::vector<std::pair<bool, bool>> expected = {
        {true, false}, {false, true}, {true, true}, {true, true}, {true, false}, {false, true}};
    for (const auto& [began, ends] : expected) {
        const std::string token(text.next());
        EXPECT_EQ(text.line_began(), began) << token;
        EXPECT_EQ(text.at_line_end(), ends) << token;
    }
    EXPECT_TRUE(text.next().empty());
}

}  // namespace
