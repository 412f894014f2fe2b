// SPDX-License-Identifier: MIT
#include <cerrno>
#include <charconv>
#include <cstdlib>
#include <string>
#include <system_error>
#include <type_traits>

#include <levelset_prep/textio/number_scan.hpp>

namespace levelset_prep::textio {

using detail::is_digit;

namespace {

// Strips the one leading '+' the stream allows. Returns false when what
// follows the sign cannot start a number of the kind (so "+-5", "+inf",
// "-nan" and "" are refused before from_chars sees them).
bool strip_sign(std::string_view& token, bool allow_point) {
    std::string_view body = token;
    if (!token.empty() && token.front() == '+') {
        token.remove_prefix(1);
        body = token;
    } else if (!body.empty() && body.front() == '-') {
        body.remove_prefix(1);
    }
    if (body.empty()) return false;
    return is_digit(body.front()) || (allow_point && body.front() == '.');
}

// from_chars reports result_out_of_range for both overflow and underflow.
// The stream reads an underflow as a signed zero, so tell the two apart by
// asking strtod, which returns a zero (or subnormal) for underflow. Rare.
template <typename Float>
ScanStatus classify_out_of_range(std::string_view token, Float& value) {
    std::string copy(token);
    errno = 0;
    double wide = std::strtod(copy.c_str(), nullptr);
    if (wide == 0.0 || (wide < 1.0 && wide > -1.0)) {
        value = static_cast<Float>(copy.front() == '-' ? -0.0 : 0.0);
        return ScanStatus::ok;
    }
    return ScanStatus::out_of_range;
}

template <typename Float>
ScanStatus scan_float(std::string_view token, Float& value) {
    if (!strip_sign(token, true)) return ScanStatus::malformed;
    const char* end = token.data() + token.size();
    Float parsed{};
    auto [ptr, ec] = std::from_chars(token.data(), end, parsed);
    if (ptr != end) return ScanStatus::malformed;
    if (ec == std::errc::result_out_of_range) return classify_out_of_range(token, value);
    if (ec != std::errc{}) return ScanStatus::malformed;
    value = parsed;
    return ScanStatus::ok;
}

}  // namespace

ScanStatus scan_number(std::string_view token, std::int32_t& value) {
    if (!strip_sign(token, false)) return ScanStatus::malformed;
    const char* end = token.data() + token.size();
    std::int32_t parsed = 0;
    auto [ptr, ec] = std::from_chars(token.data(), end, parsed);
    if (ec == std::errc::result_out_of_range) {
        // Only a malformed tail can make the digits valid-but-partial.
        while (ptr != end && is_digit(*ptr)) ++ptr;
        return ptr == end ? ScanStatus::out_of_range : ScanStatus::malformed;
    }
    if (ec != std::errc{} || ptr != end) return ScanStatus::malformed;
    value = parsed;
    return ScanStatus::ok;
}

ScanStatus scan_number(std::string_view token, float& value) { return scan_float(token, value); }

ScanStatus scan_number(std::string_view token, double& value) { return scan_float(token, value); }

namespace {

template <typename Number>
ScanStatus read_general(TokenScanner& text, Number& value, std::string_view& token) {
    token = text.next();
    return token.empty() ? ScanStatus::no_token : scan_number(token, value);
}

bool parse_int_in_place(const char* p, const char* end, std::int32_t& value, const char*& stop) {
    const bool negative = *p == '-';
    if (negative || *p == '+') ++p;
    const char* digits = p;
    std::uint64_t magnitude = 0;
    while (p != end && is_digit(*p) && p - digits < 10)
        magnitude = magnitude * 10 + static_cast<unsigned>(*p++ - '0');
    if (p == digits || (p != end && is_digit(*p))) return false;
    if (magnitude > (negative ? 2147483648u : 2147483647u)) return false;
    value = static_cast<std::int32_t>(negative ? -static_cast<std::int64_t>(magnitude)
                                               : static_cast<std::int64_t>(magnitude));
    stop = p;
    return true;
}

template <typename Float>
bool parse_float_in_place(const char* p, const char* end, Float& value, const char*& stop) {
    const bool plus = *p == '+';
    if (plus && ++p == end) return false;
    char lead = *p;
    if (lead == '-') {
        if (plus || p + 1 == end) return false;  // "+-1"
        lead = p[1];
    }
    if (!is_digit(lead) && lead != '.') return false;  // "inf", "nan"
    auto [ptr, ec] = std::from_chars(p, end, value);
    if (ec != std::errc{}) return false;
    stop = ptr;
    return true;
}

template <typename Number>
ScanStatus read_in_place(TokenScanner& text, Number& value, std::string_view& token) {
    const std::string_view window = text.peek(detail::in_place_lookahead);
    if (window.empty()) return read_general(text, value, token);
    const char* start = window.data();
    const char* end = start + window.size();
    const char* stop = nullptr;
    Number parsed{};
    bool done = false;
    if constexpr (std::is_integral_v<Number>) {
        done = parse_int_in_place(start, end, parsed, stop);
    } else {
        done = parse_float_in_place(start, end, parsed, stop);
    }
    if (!done || !text.token_ends_at(stop)) return read_general(text, value, token);
    text.consume(stop);
    token = {start, static_cast<std::size_t>(stop - start)};
    value = parsed;
    return ScanStatus::ok;
}

}  // namespace

ScanStatus detail::read_other_number(TokenScanner& text, std::int32_t& value,
                                     std::string_view& token) {
    return read_in_place(text, value, token);
}
ScanStatus detail::read_other_number(TokenScanner& text, float& value, std::string_view& token) {
    return read_in_place(text, value, token);
}
ScanStatus detail::read_other_number(TokenScanner& text, double& value, std::string_view& token) {
    return read_in_place(text, value, token);
}

}  // namespace levelset_prep::textio
