// SPDX-License-Identifier: MIT
// Digit runs and token lengths, eight bytes at a time, for the in-place
// number paths. Each reads a fixed 8 bytes at `p` (16 for token_length),
// which the caller must own whatever they hold.
#pragma once

#include <bit>
#include <cstdint>
#include <cstring>

namespace levelset_prep::textio::detail {

inline bool is_digit(char c) { return c >= '0' && c <= '9'; }

inline std::uint64_t load_8_bytes(const char* p) {
    std::uint64_t word;
    std::memcpy(&word, p, sizeof word);
    return word;
}

// The digits before the first non-digit of the 8 bytes at `p`.
inline int digit_run(const char* p) {
    if constexpr (std::endian::native == std::endian::little) {
        // A byte is a digit when its high nibble is 3 and adding 6 keeps it
        // so. Only a byte that is already not a digit (0xfa and up) can
        // carry into its neighbour, and that neighbour lies after it.
        const std::uint64_t word = load_8_bytes(p);
        const std::uint64_t high = 0xf0f0f0f0f0f0f0f0u, threes = 0x3030303030303030u;
        const std::uint64_t not_digit =
            ((word & high) ^ threes) | (((word + 0x0606060606060606u) & high) ^ threes);
        return not_digit == 0 ? 8 : std::countr_zero(not_digit) / 8;
    } else {
        int length = 0;
        while (length < 8 && p[length] >= '0' && p[length] <= '9') ++length;
        return length;
    }
}

inline std::uint32_t digits_value(const char* p, int length) {
    if (length == 0) return 0;
    if constexpr (std::endian::native == std::endian::little) {
        // Digits to the top of the word, then pairs, quads and octets combined.
        std::uint64_t word = load_8_bytes(p) << (8 * (8 - length));
        word = (word & 0x0f0f0f0f0f0f0f0fu) * 2561 >> 8;
        word = (word & 0x00ff00ff00ff00ffu) * 6553601 >> 16;
        return static_cast<std::uint32_t>((word & 0x0000ffff0000ffffu) * 42949672960001u >> 32);
    } else {
        std::uint32_t value = 0;
        for (int i = 0; i < length; ++i)
            value = value * 10 + static_cast<std::uint32_t>(p[i] - '0');
        return value;
    }
}

// The bytes of the 16 at `p` before the first at most 0x20, where a token
// ends at the latest. Two loads and a few word operations, so a reader that
// moves on by it does not wait for the parse.
inline int token_length(const char* p) {
    if constexpr (std::endian::native == std::endian::little) {
        // A byte below 0x21 borrows when 0x21 is subtracted and has its top
        // bit clear; a borrow only disturbs the bytes after the first such.
        const auto low_bytes = [](std::uint64_t word) {
            return (word - 0x2121212121212121u) & ~word & 0x8080808080808080u;
        };
        const int first = std::countr_zero(low_bytes(load_8_bytes(p))) / 8;
        const int second = std::countr_zero(low_bytes(load_8_bytes(p + 8))) / 8;
        return first + (second & -(first >> 3));  // second counts only when first is 8
    } else {
        int length = 0;
        while (length < 16 && static_cast<unsigned char>(p[length]) > 0x20) ++length;
        return length;
    }
}

inline std::uint64_t decimal_scale(int length) {
    static constexpr std::uint64_t scales[] = {1,      10,      100,      1000,     10000,
                                               100000, 1000000, 10000000, 100000000};
    return scales[length];
}

}  // namespace levelset_prep::textio::detail
