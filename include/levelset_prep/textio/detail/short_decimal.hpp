// SPDX-License-Identifier: MIT
// Short decimals as data files write them ("-12.3457", "1.5e-05"), parsed
// inline to the correctly rounded value; anything longer or rarer is left to
// the general path.
#pragma once

#include <array>
#include <cstdint>

#include <levelset_prep/textio/detail/digit_run.hpp>

namespace levelset_prep::textio::detail {

// A mantissa and a power of ten within these are both exact in the type, so
// one multiplication or division rounds once, to from_chars's value.
template <typename Float>
struct ExactLimits;
template <>
struct ExactLimits<float> {
    static constexpr std::uint64_t max_mantissa = std::uint64_t{1} << 24;
    static constexpr int max_power = 10;
};
template <>
struct ExactLimits<double> {
    static constexpr std::uint64_t max_mantissa = std::uint64_t{1} << 53;
    static constexpr int max_power = 22;
};

template <typename Float>
constexpr Float exact_power_of_ten(int power) {
    Float result = 1;
    for (int i = 0; i < power; ++i) result *= 10;
    return result;
}

template <typename Float>
constexpr auto make_power_table() {
    std::array<Float, ExactLimits<Float>::max_power + 1> table{};
    for (int i = 0; i <= ExactLimits<Float>::max_power; ++i)
        table[i] = exact_power_of_ten<Float>(i);
    return table;
}

template <typename Float>
inline constexpr auto exact_powers_of_ten = make_power_table<Float>();

// Up to seven integer and seven fraction digits and a three-digit exponent,
// with 24 bytes of room behind `p`; false for anything else, including
// numbers this path cannot round exactly.
template <typename Float>
inline bool parse_short_decimal(const char* p, Float& value, const char*& stop) {
    const bool negative = *p == '-';
    if (negative || *p == '+') ++p;
    const int whole = digit_run(p);
    if (whole == 8) return false;
    std::uint64_t mantissa = digits_value(p, whole);
    p += whole;
    int fraction = 0;
    if (*p == '.') {
        ++p;
        fraction = digit_run(p);
        if (fraction == 8) return false;
        mantissa = mantissa * decimal_scale(fraction) + digits_value(p, fraction);
        p += fraction;
    }
    if (whole + fraction == 0) return false;
    int power = -fraction;
    if ((*p | 0x20) == 'e') {
        ++p;
        const bool negative_exponent = *p == '-';
        if (negative_exponent || *p == '+') ++p;
        if (!is_digit(*p)) return false;
        int exponent = 0;
        for (int i = 0; is_digit(*p); ++i, ++p) {
            if (i == 3) return false;
            exponent = exponent * 10 + (*p - '0');
        }
        power += negative_exponent ? -exponent : exponent;
    }
    if (mantissa > ExactLimits<Float>::max_mantissa || power > ExactLimits<Float>::max_power ||
        power < -ExactLimits<Float>::max_power) {
        return false;
    }
    Float result = static_cast<Float>(mantissa);
    result = power < 0 ? result / exact_powers_of_ten<Float>[-power]
                       : result * exact_powers_of_ten<Float>[power];
    value = negative ? -result : result;
    stop = p;
    return true;
}

}  // namespace levelset_prep::textio::detail
