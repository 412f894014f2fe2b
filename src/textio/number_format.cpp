// SPDX-License-Identifier: MIT
#include <bit>
#include <cmath>
#include <cstring>

#include <levelset_prep/textio/number_format.hpp>

namespace levelset_prep::textio {
namespace {

constexpr int significant_digits = 6;

// The digit values of `value` < 10^8, first in the lowest byte: halves split
// into pairs, pairs into tens and units, all lanes at once (the
// multiplications divide by 100 and 10 exactly in range).
std::uint64_t eight_digits(std::uint32_t value) {
    const std::uint64_t fours = (value / 10000) | (std::uint64_t{value % 10000} << 32);
    const std::uint64_t hundreds = (fours * 5243 >> 19) & 0x0000007f0000007fu;
    const std::uint64_t pairs = hundreds | ((fours - hundreds * 100) << 16);
    const std::uint64_t tens = (pairs * 103 >> 10) & 0x000f000f000f000fu;
    return tens | ((pairs - tens * 10) << 8);
}

// Each exact as a double, so scaling by one rounds once.
constexpr double exact_powers_of_ten[] = {1e0,  1e1,  1e2,  1e3,  1e4,  1e5,  1e6,  1e7,
                                          1e8,  1e9,  1e10, 1e11, 1e12, 1e13, 1e14, 1e15,
                                          1e16, 1e17, 1e18, 1e19, 1e20, 1e21, 1e22};
constexpr int max_exact_power = 22;

// The scaled value carries an error below 1e-10 (one rounding of a value
// under 10^7), so a fraction further than 1e-6 from one half rounds as the
// exact value does. False too close to a tie or too far from 1.
bool round_to_six_digits(double magnitude, std::uint32_t& digits, int& exponent) {
    const int binary_exponent =
        static_cast<int>(std::bit_cast<std::uint64_t>(magnitude) >> 52) - 1023;
    int decimal = (binary_exponent * 78913) >> 18;  // floor(e2 * log10(2)): exact or one low
    for (int attempt = 0; attempt < 3; ++attempt) {
        const int scale = significant_digits - 1 - decimal;
        if (scale > max_exact_power || scale < -max_exact_power) return false;
        const double scaled = scale >= 0 ? magnitude * exact_powers_of_ten[scale]
                                         : magnitude / exact_powers_of_ten[-scale];
        if (scaled < 100000.0) {
            --decimal;
            continue;
        }
        const double whole = std::floor(scaled);
        const double fraction = scaled - whole;
        if (std::fabs(fraction - 0.5) < 1e-6) return false;
        std::uint32_t rounded = static_cast<std::uint32_t>(whole) + (fraction > 0.5 ? 1u : 0u);
        if (rounded > 1000000) {
            ++decimal;
            continue;
        }
        if (rounded == 1000000) {  // 999999.7 rounds up into the next decade
            rounded = 100000;
            ++decimal;
        }
        digits = rounded;
        exponent = decimal;
        return true;
    }
    return false;
}

// Digits are copied eight bytes at a time; the output has room for that.
char* write_general(char* out, bool negative, std::uint32_t digits, int exponent) {
    *out = '-';
    out += negative;
    // eight_digits gives "00dddddd"; the six digits move to bytes 0 to 5 and
    // the trailing zero digits become the word's high zero bytes.
    const std::uint64_t word = eight_digits(digits) >> 16;
    const int kept = 8 - std::countl_zero(word) / 8;
    char d[16] = {};
    for (int i = 0; i < significant_digits; ++i) {
        d[i] = static_cast<char>('0' + ((word >> (8 * i)) & 0xff));
    }

    if (exponent < -4 || exponent >= significant_digits) {
        out[0] = d[0];
        out[1] = '.';
        std::memcpy(out + 2, d + 1, 8);
        out += kept > 1 ? kept + 1 : 1;
        *out++ = 'e';
        *out++ = exponent < 0 ? '-' : '+';
        unsigned magnitude = static_cast<unsigned>(exponent < 0 ? -exponent : exponent);
        if (magnitude >= 100) {
            *out++ = static_cast<char>('0' + magnitude / 100);
            magnitude %= 100;
        }
        *out++ = static_cast<char>('0' + magnitude / 10);
        *out++ = static_cast<char>('0' + magnitude % 10);
        return out;
    }
    if (exponent < 0) {
        std::memcpy(out, "0.000000", 8);
        out += 1 - exponent;  // "0." and -1 - exponent zeros
        std::memcpy(out, d, 8);
        return out + kept;
    }
    const int whole = exponent + 1;
    std::memcpy(out, d, 8);
    out += whole;
    if (kept <= whole) return out;
    *out = '.';
    std::memcpy(out + 1, d + whole, 8);
    return out + 1 + (kept - whole);
}

}  // namespace

char* format_general(char* out, double value) {
    const double magnitude = std::fabs(value);
    std::uint32_t digits = 0;
    int exponent = 0;
    if (std::isnormal(magnitude) && round_to_six_digits(magnitude, digits, exponent)) {
        return write_general(out, std::signbit(value), digits, exponent);
    }
    return std::to_chars(out, out + max_number_chars, value, std::chars_format::general,
                         significant_digits)
        .ptr;
}

}  // namespace levelset_prep::textio
