// SPDX-License-Identifier: MIT
#include "number_reader.hpp"

#include <cmath>
#include <cstdint>

#include <levelset_prep/textio/shown_text.hpp>

namespace levelset_prep::mesh {

std::string Place::describe() const {
    if (record_kind == nullptr) return field;
    return std::string(record_kind) + " record " + std::to_string(record) + ": " + field;
}

void NumberReader::fail(const std::string& problem) {
    if (!error_) error_ = textio::file_error(file_name_, problem);
}

void NumberReader::fail_missing(const Place& place) {
    if (text_.failed()) {
        if (text_.out_of_memory()) {
            fail(textio::scanner_failure(text_));
        } else if (text_.token_too_long()) {
            fail(textio::scanner_failure(text_) + " before the " + place.describe());
        } else {
            if (!error_) {
                fail("cannot read the file to its end (" + place.describe() +
                     "): " + textio::scanner_failure(text_));
                error_->saved_errno = textio::scanner_error_number(text_);
            }
        }
        return;
    }
    if (place.record_kind != nullptr) {
        fail("file ends in " + std::string(place.record_kind) + " record " +
             std::to_string(place.record) + ", before its " + place.field);
    } else {
        fail("file ends before the " + place.describe());
    }
}

void NumberReader::fail_malformed(std::string_view token, textio::ScanStatus status,
                                  const Place& place, bool whole) {
    const char* verdict = status == textio::ScanStatus::out_of_range
                              ? "is out of range"
                              : (whole ? "is not a whole number" : "is not a number");
    fail(place.describe() + " " + textio::shown_token(token) + " " + verdict);
}

bool NumberReader::read_other_whole(textio::ScanStatus status, std::string_view token,
                                    std::int32_t& value, const Place& place) {
    double written = 0;
    if (status == textio::ScanStatus::malformed &&
        textio::scan_number(token, written) == textio::ScanStatus::ok &&
        written == std::trunc(written) && written >= INT32_MIN && written <= INT32_MAX) {
        value = static_cast<std::int32_t>(written);
        return true;
    }
    if (status == textio::ScanStatus::no_token) {
        fail_missing(place);
    } else {
        fail_malformed(token, status, place, true);
    }
    return false;
}

bool NumberReader::check_line_end(const char* record_kind, std::int64_t record,
                                  std::int64_t numbers) {
    if (text_.at_line_end()) return true;
    fail(std::string(record_kind) + " record " + std::to_string(record) + " is not one line of " +
         std::to_string(numbers) + " numbers, as the header declares");
    return false;
}

bool NumberReader::check_unchanged(std::int32_t count, std::int32_t allocated, const char* what) {
    if (count == allocated) return true;
    fail(std::string(what) + " changed from " + std::to_string(allocated) + " to " +
         std::to_string(count) + " while reading");
    return false;
}

bool NumberReader::read_count(std::int32_t& count, const Place& place) {
    if (!read(count, place)) return false;
    if (count < 0) {
        fail(place.describe() + " " + std::to_string(count) + " is negative");
        return false;
    }
    return true;
}

}  // namespace levelset_prep::mesh
