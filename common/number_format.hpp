// Numbers as text, byte for byte as a default-formatted C++ output stream
// writes them: integers in decimal, floating-point values in general
// notation with 6 significant digits ("%g": 123.457, 0.0001, 1e-05, 200000,
// 2.5e+06, -3, -0). A float is written as the stream writes it, promoted to
// double first.
#pragma once

#include <charconv>
#include <cstddef>
#include <cstdint>

namespace common {

// Enough room for any value written by the functions below.
inline constexpr std::size_t max_number_chars = 32;

// Each writes at `out` (at least max_number_chars free) and returns the end.
inline char* format_int(char* out, std::int64_t value) {
    return std::to_chars(out, out + max_number_chars, value).ptr;
}

inline char* format_general(char* out, double value) {
    return std::to_chars(out, out + max_number_chars, value, std::chars_format::general, 6).ptr;
}

}  // namespace common
