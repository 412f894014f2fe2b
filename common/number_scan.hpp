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

#include "token_scanner.hpp"

namespace common {

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
// scan_number. Common tokens are parsed in place in the block buffer;
// anything unusual takes the general path. `token` receives the token
// (empty at the end of the input), valid until the next read.
ScanStatus read_number(TokenScanner& text, std::int32_t& value, std::string_view& token);
ScanStatus read_number(TokenScanner& text, float& value, std::string_view& token);
ScanStatus read_number(TokenScanner& text, double& value, std::string_view& token);

}  // namespace common
