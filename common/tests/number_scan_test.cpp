#include "number_scan.hpp"

#include <gtest/gtest.h>

#include <cmath>
#include <limits>
#include <sstream>
#include <string>

namespace {

using common::ScanStatus;
using common::scan_number;

// What a formatted stream does with the token when it must consume all of it.
template <typename T>
bool stream_reads_whole(const std::string& token, T& value) {
    std::istringstream in(token);
    in >> value;
    return !in.fail() && in.peek() == std::char_traits<char>::eof();
}

const char* const float_tokens[] = {
    "0", "1", "-1", "+1.5", "1.", ".5", "-.5e-3", "1e5", "1E+05", "00012", "123.456789",
    "1e-40", "3.4028234e38", "6", "5.9999995", "-0", "+.5", "1e-50", "-1e-50",
    "1e", "1e+", ".", "+", "-", "+-1", "1.5.", "0x1p3", "inf", "nan", "-inf", "infinity",
    "1e50", "12abc", "--1", "",
};

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
    const char* const tokens[] = {"1e-320", "1e-400", "-1e-400", "1e400", "1.7976931348623157e308",
                                  "0.1", "+2.5e+06", "1e-05", "nan", "1e", "0x10"};
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
    for (const Case& c : cases) {
        std::int32_t value = -7;
        EXPECT_EQ(scan_number(c.token, value), c.status) << c.token;
        if (c.status == ScanStatus::ok) {
            EXPECT_EQ(value, c.value) << c.token;
        }
    }
}

}  // namespace
