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

TEST(TokenScanner, EmptyAndBlankInputHaveNoTokens) {
    for (const char* text : {"", "   ", "\n\n\t"}) {
        textio::TokenScanner scanner{std::string_view(text)};
        EXPECT_TRUE(scanner.next().empty());
        EXPECT_FALSE(scanner.failed());
    }
}

}  // namespace
