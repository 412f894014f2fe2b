#include "number_scan.hpp"

#include <cerrno>
#include <charconv>
#include <cstdlib>
#include <string>
#include <system_error>

namespace common {
namespace {

bool is_digit(char c) { return c >= '0' && c <= '9'; }

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

}  // namespace common
