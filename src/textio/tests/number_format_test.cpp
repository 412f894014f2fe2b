// SPDX-License-Identifier: MIT
#include <bit>
#include <charconv>
#include <cmath>
#include <cstdint>
#include <limits>
#include <random>
#include <sstream>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include <levelset_prep/textio/number_format.hpp>

using namespace levelset_prep;

namespace {

std::string formatted(double value) {
    char buffer[textio::max_number_chars];
    return std::string(buffer, textio::format_general(buffer, value));
}

std::string streamed(double value) {
    std::ostringstream out;
    out << value;
    return out.str();
}

TEST(NumberFormat, GeneralNotationExamples) {
    // clang-format off
    const std::pair<double, const char*> cases[] = {
        {123.456789, "123.457"}, {0.0001, "0.0001"}, {0.00001, "1e-05"}, {200000, "200000"},
        {2500000, "2.5e+06"},    {-3, "-3"},         {0, "0"},           {-0.0, "-0"},
        {0.5, "0.5"},            {1.25, "1.25"},     {999999.5, "1e+06"}, {-2147483648.0, "-2.14748e+09"},
    };
    // clang-format on
    for (const auto& [value, text] : cases) EXPECT_EQ(formatted(value), text) << value;
}

TEST(NumberFormat, MatchesStreamOnRandomDoublesAndFloats) {
    std::mt19937_64 generator(42);
    std::uniform_real_distribution<double> mantissa(-10.0, 10.0);
    std::uniform_int_distribution<int> exponent(-12, 12);
    for (int i = 0; i < 20000; ++i) {
        const double value = mantissa(generator) * std::pow(10.0, exponent(generator));
        ASSERT_EQ(formatted(value), streamed(value)) << value;
        const float narrow = static_cast<float>(value);
        std::ostringstream out;
        out << narrow;
        ASSERT_EQ(formatted(narrow), out.str()) << narrow;
    }
}

// The formatter rounds most values by one scaling and leaves the rest to
// to_chars; both must give the same bytes. Random bit patterns reach every
// magnitude (and infinities, NaNs, subnormals); the listed values sit on
// exact ties, decade edges and the ends of the scaled range.
TEST(NumberFormat, MatchesToCharsEverywhere) {
    auto reference = [](double value) {
        char buffer[textio::max_number_chars];
        return std::string(buffer, std::to_chars(buffer, buffer + sizeof buffer, value,
                                                 std::chars_format::general, 6)
                                       .ptr);
    };
    std::vector<double> values = {123456.5,       123457.5, 999999.5, 9999995.0,
                                  0.000099999951, 99999.95, 1e-5,     1e-4,
                                  1e22,           1e23,     1e-17,    1e-18,
                                  1e27,           1e28,     5e-324,   1.7976931348623157e308,
                                  2.5e-308,       0.1,      0.3};
    std::mt19937_64 generator(7);
    for (int i = 0; i < 200000; ++i) values.push_back(std::bit_cast<double>(generator()));
    std::uniform_real_distribution<double> unit(1.0, 10.0);
    for (int exponent = -25; exponent <= 30; ++exponent) {
        for (int i = 0; i < 2000; ++i) values.push_back(unit(generator) * std::pow(10.0, exponent));
    }
    for (double value : values) {
        for (double signed_value : {value, -value}) {
            ASSERT_EQ(formatted(signed_value), reference(signed_value)) << signed_value;
        }
    }
}

TEST(NumberFormat, IntegersMatchToChars) {
    std::vector<std::int64_t> values = {std::numeric_limits<std::int64_t>::min(),
                                        std::numeric_limits<std::int64_t>::max()};
    for (std::int64_t power = 1;; power *= 10) {
        for (std::int64_t value : {power - 1, power, power + 1}) {
            values.push_back(value);
            values.push_back(-value);
        }
        if (power > std::numeric_limits<std::int64_t>::max() / 10) break;
    }
    std::mt19937_64 generator(3);
    std::uniform_int_distribution<std::int64_t> any(-200000000, 200000000);
    for (int i = 0; i < 100000; ++i) values.push_back(any(generator));
    for (std::int64_t value : values) {
        char got[textio::max_number_chars], want[textio::max_number_chars];
        EXPECT_EQ(std::string(got, textio::format_int(got, value)),
                  std::string(want, std::to_chars(want, want + sizeof want, value).ptr));
    }
}

TEST(NumberFormat, IntegersMatchStream) {
    const std::int64_t values[] = {
        0, -1, 7, 2147483647, std::numeric_limits<std::int32_t>::min(), -32768, 65535};
    for (std::int64_t value : values) {
        char buffer[textio::max_number_chars];
        std::ostringstream out;
        out << value;
        EXPECT_EQ(std::string(buffer, textio::format_int(buffer, value)), out.str());
    }
}

}  // namespace
