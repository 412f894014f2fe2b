// SPDX-License-Identifier: MIT
#include <cmath>
#include <cstdio>
#include <limits>
#include <random>
#include <sstream>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include <levelset_prep/textio/number_scan.hpp>

using namespace levelset_prep;

namespace {

using textio::scan_number;
using textio::ScanStatus;

// What a formatted stream does with the token when it must consume all of it.
template <typename T>
bool stream_reads_whole(const std::string& token, T& value) {
    std::istringstream in(token);
    in >> value;
    return !in.fail() && in.peek() == std::char_traits<char>::eof();
}

// clang-format off
const char* const float_tokens[] = {
    "0", "1", "-1", "+1.5", "1.", ".5", "-.5e-3", "1e5", "1E+05", "00012", "123.456789",
    "1e-40", "3.4028234e38", "6", "5.9999995", "-0", "+.5", "1e-50", "-1e-50",
    "1e", "1e+", ".", "+", "-", "+-1", "1.5.", "0x1p3", "inf", "nan", "-inf", "infinity",
    "1e50", "12abc", "--1", "",
};
// clang-format on

TEST(NumberScan, FloatAcceptanceMatchesStreamExtraction) {
    for (const char* token : float_tokens) {
        float expected = 0;
        const bool stream_ok = stream_reads_whole(token, expected);
        float got = -7;
        const bool scan_ok = scan_number(token, got) == ScanStatus::ok;
        EXPECT_EQ(scan_ok, stream_ok) << '"' << token << '"';
        if (scan_ok && stream_ok) {
            EXPECT_EQ(std::signbit(got), std::signbit(expected)) << token;
            EXPECT_EQ(got, expected) << token;
        }
    }
}

TEST(NumberScan, DoubleAcceptanceMatchesStreamExtraction) {
    const char* const tokens[] = {
        "1e-320", "1e-400", "-1e-400", "1e400", "1.7976931348623157e308", "0.1", "+2.5e+06",
        "1e-05",  "nan",    "1e",      "0x10"};
    for (const char* token : tokens) {
        double expected = 0;
        const bool stream_ok = stream_reads_whole(token, expected);
        double got = -7;
        const bool scan_ok = scan_number(token, got) == ScanStatus::ok;
        EXPECT_EQ(scan_ok, stream_ok) << token;
        if (scan_ok && stream_ok) {
            EXPECT_EQ(got, expected) << token;
        }
    }
}

TEST(NumberScan, IntegerTokens) {
    struct Case {
        const char* token;
        ScanStatus status;
        std::int32_t value;
    };
    // clang-format off
    const Case cases[] = {
        {"0", ScanStatus::ok, 0},
        {"+5", ScanStatus::ok, 5},
        {"-0", ScanStatus::ok, 0},
        {"007", ScanStatus::ok, 7},
        {"2147483647", ScanStatus::ok, 2147483647},
        {"-2147483648", ScanStatus::ok, std::numeric_limits<std::int32_t>::min()},
        {"2147483648", ScanStatus::out_of_range, 0},
        {"-99999999999999999999", ScanStatus::out_of_range, 0},
        {"99999999999x", ScanStatus::malformed, 0},
        {"12abc", ScanStatus::malformed, 0},
        {"1.5", ScanStatus::malformed, 0},
        {"1e3", ScanStatus::malformed, 0},
        {"+-5", ScanStatus::malformed, 0},
        {"0x10", ScanStatus::malformed, 0},
        {"+", ScanStatus::malformed, 0},
        {"", ScanStatus::malformed, 0},
    };
    // clang-format on
    for (const Case& c : cases) {
        std::int32_t value = -7;
        EXPECT_EQ(scan_number(c.token, value), c.status) << c.token;
        if (c.status == ScanStatus::ok) {
            EXPECT_EQ(value, c.value) << c.token;
        }
    }
}

}  // namespace

namespace {

// read_number parses in place; it must accept and refuse exactly what
// scan_number does, wherever a token falls in the block buffer.
template <typename Number>
void expect_read_matches_scan(const std::vector<std::string>& tokens) {
    std::string text;
    for (const std::string& token : tokens) text += token + (text.size() % 3 ? " " : "\n\t");
    for (std::size_t block : {4096u, 130u, 131u, 197u}) {
        std::FILE* file = std::tmpfile();
        std::fwrite(text.data(), 1, text.size(), file);
        std::rewind(file);
        textio::TokenScanner scanner(file, block);
        for (const std::string& expected_token : tokens) {
            Number expected{}, got{};
            const ScanStatus want = scan_number(expected_token, expected);
            std::string_view token;
            const ScanStatus status = textio::read_number(scanner, got, token);
            ASSERT_EQ(status, want) << expected_token << " block " << block;
            ASSERT_EQ(token, expected_token) << block;
            if (want == ScanStatus::ok) {
                ASSERT_EQ(std::signbit(got), std::signbit(expected)) << expected_token;
                ASSERT_EQ(got, expected) << expected_token;
            }
        }
        std::string_view token;
        Number ignored{};
        EXPECT_EQ(textio::read_number(scanner, ignored, token), ScanStatus::no_token);
        std::fclose(file);
    }
}

// clang-format off
const std::vector<std::string> mixed_tokens = {
    "0", "1", "-1", "+1.5", "1.", ".5", "-.5e-3", "1e5", "1E+05", "00012", "123.456789", "1e-40",
    "6", "-0", "+.5", "1e-50", "-1e-50", "1e", "1e+", ".", "+", "-", "+-1", "-+1", "1.5.", "0x1p3",
    "inf", "-nan", "1e50", "12abc", "--1", "2147483647", "2147483648", "-2147483648", "-2147483649",
    "00000000000000000007", "99999999999", "1e400", "-1e-400", "3.4028234e38",
    "12345678901234567890123456789012345678901234567890123456789012345678901234567890.5",
};
// clang-format on

TEST(ReadNumber, MatchesScanNumberAcrossBlockBoundaries) {
    expect_read_matches_scan<std::int32_t>(mixed_tokens);
    expect_read_matches_scan<float>(mixed_tokens);
    expect_read_matches_scan<double>(mixed_tokens);
}

// Random tokens around the shapes the in-place paths take (sign, up to ten
// integer and fraction digits, an exponent of up to four digits) and just
// beyond them: an odd byte at the end, a control byte, a second point.
std::vector<std::string> random_number_tokens() {
    std::mt19937_64 generator(11);
    auto pick = [&](int n) { return static_cast<int>(generator() % static_cast<unsigned>(n)); };
    auto digits = [&](int count) {
        std::string text;
        for (int i = 0; i < count; ++i) text += static_cast<char>('0' + pick(10));
        return text;
    };
    const char* const tails[] = {"x", "\x01", "\xff", ".", "e", ":", "/", "\x7f"};
    std::vector<std::string> tokens;
    for (int i = 0; i < 20000; ++i) {
        std::string token;
        if (const int sign = pick(4); sign >= 2) token.push_back(sign == 2 ? '-' : '+');
        token += digits(pick(11));
        if (pick(3) != 0) token.append(".").append(digits(pick(11)));
        if (pick(4) == 0) {
            token.append(pick(2) ? "e" : "E").append(1, "+-"[pick(2)]).append(digits(pick(5)));
        }
        if (pick(20) == 0) token += tails[pick(8)];
        if (token.empty()) token.push_back('0');
        tokens.push_back(token);
    }
    return tokens;
}

TEST(ReadNumber, RandomTokensMatchScanNumber) {
    const std::vector<std::string> tokens = random_number_tokens();
    expect_read_matches_scan<std::int32_t>(tokens);
    expect_read_matches_scan<float>(tokens);
    expect_read_matches_scan<double>(tokens);
}

}  // namespace
