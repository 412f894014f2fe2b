// SPDX-License-Identifier: MIT
// One token as a number, accepted as formatted stream extraction in the "C"
// locale accepts it, but judging the whole token: "12abc", or "1.5" as an
// integer, is malformed, since the stream's next extraction would fail on the
// rest. Unlike std::from_chars, a leading '+' is accepted, "inf", "nan" and
// hexadecimal are refused, and an underflow reads as a signed zero.
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

// As scan_number on the next token, which `token` receives. Common tokens are
// parsed in place, inline in the caller's loop.
inline ScanStatus read_number(TokenScanner& text, std::int32_t& value, std::string_view& token);
inline ScanStatus read_number(TokenScanner& text, float& value, std::string_view& token);
inline ScanStatus read_number(TokenScanner& text, double& value, std::string_view& token);

namespace detail {

// A longer token is re-read by the general path.
inline constexpr std::size_t in_place_lookahead = 64;

// The tokens the inline paths leave: signed, long or unusual ones, those
// near the end of the input, and non-numbers.
ScanStatus read_other_number(TokenScanner& text, std::int32_t& value, std::string_view& token);
ScanStatus read_other_number(TokenScanner& text, float& value, std::string_view& token);
ScanStatus read_other_number(TokenScanner& text, double& value, std::string_view& token);

// Both inline paths consume the blank behind the token too, so the next read
// usually starts right at its token. Unsigned integers of up to eight digits
// are the bulk of a mesh file.
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

// The reader moves on by the token's length, found apart from the parse,
// which need only agree with it.
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
