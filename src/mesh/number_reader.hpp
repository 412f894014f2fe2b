// SPDX-License-Identifier: MIT
// Reading typed numbers from a mesh text file, one token at a time, with an
// error that names the file, the place and the offending text. Shared by the
// node, element and tbd readers.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <type_traits>

#include <levelset_prep/textio/error.hpp>
#include <levelset_prep/textio/number_scan.hpp>
#include <levelset_prep/textio/token_scanner.hpp>

namespace levelset_prep::mesh {

// Where a value stands, spelt out only when an error is reported:
// {"node count"} or {"x coordinate", "node", 12}.
struct Place {
    const char* field;
    const char* record_kind = nullptr;  // none for the header
    std::int64_t record = 0;            // 1-based
    std::string describe() const;
};

class NumberReader {
public:
    NumberReader(textio::TokenScanner& text, const std::string& file_name)
        : text_(text), file_name_(file_name) {}

    // Reads one number into `value`; false (and the error kept) when the
    // file ends or the token is not a number of that type.
    template <typename Number>
    bool read(Number& value, const Place& place) {
        std::string_view token;
        const textio::ScanStatus status = textio::read_number(text_, value, token);
        if (status == textio::ScanStatus::ok) return true;
        if (status == textio::ScanStatus::no_token) {
            fail_missing(place);
        } else {
            fail_malformed(token, status, place, std::is_integral_v<Number>);
        }
        return false;
    }

    // A whole number that may also be written with a zero fraction ("1.0",
    // "2e0"), as a region may be; refused as read() refuses a whole number.
    bool read_whole(std::int32_t& value, const Place& place) {
        std::string_view token;
        const textio::ScanStatus status = textio::read_number(text_, value, token);
        return status == textio::ScanStatus::ok || read_other_whole(status, token, value, place);
    }

    // A record in TetGen's layout is one line of `numbers` numbers: false
    // (and the error kept) when anything but blanks and a comment follows
    // its last number on its line.
    bool check_line_end(const char* record_kind, std::int64_t record, std::int64_t numbers);

    // A count at the head of a file: a whole number, not negative.
    bool read_count(std::int32_t& count, const Place& place);

    // The arrays were sized from the count read before; a file that changed
    // in between must not make a reader run past them. False (and the error
    // kept) when `count` is no longer `allocated`.
    bool check_unchanged(std::int32_t count, std::int32_t allocated, const char* what);

    // Keeps the first problem met; later ones are consequences of it.
    void fail(const std::string& problem);
    textio::MaybeError take_error() { return std::move(error_); }

private:
    bool read_other_whole(textio::ScanStatus status, std::string_view token, std::int32_t& value,
                          const Place& place);
    void fail_missing(const Place& place);
    void fail_malformed(std::string_view token, textio::ScanStatus status, const Place& place,
                        bool whole);

    textio::TokenScanner& text_;
    const std::string& file_name_;
    textio::MaybeError error_;
};

}  // namespace levelset_prep::mesh
