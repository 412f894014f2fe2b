// SPDX-License-Identifier: MIT
// Scanning one whitespace-free token as a number, with exactly the acceptance
// of formatted stream extraction (operator>>) in the "C" locale, but judging
// the whole token: a token that the stream would read only in part ("12abc",
// "1.5" as an integer, "0x1p3") is malformed here, because the stream's next
// extraction would fail on the rest.
//
// Differences from std::from_chars that this layer adds:
//   - a leading '+' is accepted ("+1.5", "+7");
//   - "inf", "nan", "infinity" and hexadecimal are refused;
//   - a floating-point value too small for its type reads as zero with its
//     sign (the stream succeeds with 0); a value too large is out of range.
#pragma once

#include <cstdint>
#include <string_view>

#include <levelset_prep/textio/detail/digit_run.hpp>
#include <levelset_prep/textio/detail/short_decimal.hpp>
#include <levelset_prep/textio/token_scanner.hpp>

namespace levelset_prep::textio {

enum class ScanStatus {
    ok,
    no_token,      // the input ended (read_number only)
    malformed,     // not a number of the requested type
    out_of_range,  // a number, but too large in magnitude for the type
};

ScanStatus scan_number(std::string_view token, std::int32_t& value);
ScanStatus scan_number(std::string_view token, float& value);
ScanStatus scan_number(std::string_view token, double& value);

// Reads the next token of `text` as a number, with the same acceptance as
// scan_number. Common tokens are parsed in place in the block buffer,
// inline in the caller's loop; anything unusual takes the general path.
// `token` receives the token (empty at the end of the input), valid until
// the next read.
inline ScanStatus read_number(TokenScanner& text, std::int32_t& value, std::string_view& token);
inline ScanStatus read_number(TokenScanner& text, float& value, std::string_view& token);
inline ScanStatus read_number(TokenScanner& text, double& value, std::string_view& token);

// The in-place paths below are internals that read_number inlines.
namespace detail {

// How far the in-place paths look ahead of a token: enough for any number
// worth parsing in place; a longer token is re-read by the general path.
inline constexpr std::size_t in_place_lookahead = 64;

// read_number for the tokens that the inline paths below leave: signed or
// long integers, long or unusual decimals, tokens near the end of the
// input, and tokens that are no number at all.
ScanStatus read_other_number(TokenScanner& text, std::int32_t& value, std::string_view& token);
ScanStatus read_other_number(TokenScanner& text, float& value, std::string_view& token);
ScanStatus read_other_number(TokenScanner& text, double& value, std::string_view& token);

// Both inline paths consume the blank behind the token as well, so the next
// read usually starts right at its token.

// A plain unsigned integer of up to eight digits: the bulk of a mesh file.
inline ScanStatus read_integer(TokenScanner& text, std::int32_t& value, std::string_view& token) {
    const std::string_view window = text.peek(in_place_lookahead);
    if (window.size() >= in_place_lookahead && is_digit(window.front())) {
        const char* start = window.data();
        const int length = digit_run(start);  // a ninth digit is no blank
        if (is_blank(start[length])) {
            value = static_cast<std::int32_t>(digits_value(start, length));
            text.consume(start + length + 1);
            token = {start, static_cast<std::size_t>(length)};
            return ScanStatus::ok;
        }
    }
    return read_other_number(text, value, token);
}

// A short decimal (short_decimal.hpp). The reader moves on by the token's
// length, found apart from the parse, which need only agree with it.
template <typename Float>
ScanStatus read_decimal(TokenScanner& text, Float& value, std::string_view& token) {
    const std::string_view window = text.peek(in_place_lookahead);
    if (window.size() >= in_place_lookahead) {
        const char* start = window.data();
        const int length = token_length(start);
        const char* stop = nullptr;
        Float parsed{};
        if (length < 16 && is_blank(start[length]) && parse_short_decimal(start, parsed, stop) &&
            stop == start + length) {
            value = parsed;
            text.consume(start + length + 1);
            token = {start, static_cast<std::size_t>(length)};
            return ScanStatus::ok;
        }
    }
    return read_other_number(text, value, token);
}

}  // namespace detail

inline ScanStatus read_number(TokenScanner& text, std::int32_t& value, std::string_view& token) {
    return detail::read_integer(text, value, token);
}
inline ScanStatus read_number(TokenScanner& text, float& value, std::string_view& token) {
    return detail::read_decimal(text, value, token);
}
inline ScanStatus read_number(TokenScanner& text, double& value, std::string_view& token) {
    return detail::read_decimal(text, value, token);
}

}  // namespace levelset_prep::textio
