#include "number_format.hpp"

#include <gtest/gtest.h>

#include <cmath>
#include <cstdint>
#include <limits>
#include <random>
#include <sstream>
#include <string>

namespace {

std::string formatted(double value) {
    char buffer[common::max_number_chars];
    return std::string(buffer, common::format_general(buffer, value));
}

std::string streamed(double value) {
    std::ostringstream out;
    out << value;
    return out.str();
}

TEST(NumberFormat, GeneralNotationExamples) {
    const std::pair<double, const char*> cases[] = {
        {123.456789, "123.457"}, {0.0001, "0.0001"}, {0.00001, "1e-05"}, {200000, "200000"},
        {2500000, "2.5e+06"},    {-3, "-3"},         {0, "0"},           {-0.0, "-0"},
        {0.5, "0.5"},            {1.25, "1.25"},     {999999.5, "1e+06"}, {-2147483648.0, "-2.14748e+09"},
    };
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

TEST(NumberFormat, IntegersMatchStream) {
    const std::int64_t values[] = {0, -1, 7, 2147483647, std::numeric_limits<std::int32_t>::min(),
                                   -32768, 65535};
    for (std::int64_t value : values) {
        char buffer[common::max_number_chars];
        std::ostringstream out;
        out << value;
        EXPECT_EQ(std::string(buffer, common::format_int(buffer, value)), out.str());
    }
}

}  // namespace
