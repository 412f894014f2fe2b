#include "mesh_text.hpp"

#include <levelset_prep/textio/shown_text.hpp>

namespace levelset_prep::mesh {

std::string Place::describe() const {
    if (record_kind == nullptr) return field;
    return std::string(record_kind) + " record " + std::to_string(record) + ": " + field;
}

void MeshText::fail(const std::string& problem) {
    if (!error_) error_ = textio::file_error(file_name_, problem);
}

void MeshText::fail_missing(const Place& place) {
    if (text_.failed()) {
        if (text_.out_of_memory()) {
            fail(textio::scanner_failure(text_));
        } else if (text_.token_too_long()) {
            fail(textio::scanner_failure(text_) + " before the " + place.describe());
        } else {
            fail("cannot read the file to its end (" + place.describe() +
                 "): " + textio::scanner_failure(text_));
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

void MeshText::fail_malformed(std::string_view token, textio::ScanStatus status, const Place& place,
                              bool whole) {
    const char* verdict = status == textio::ScanStatus::out_of_range
                              ? "is out of range"
                              : (whole ? "is not a whole number" : "is not a number");
    fail(place.describe() + " " + textio::shown_token(token) + " " + verdict);
}

bool MeshText::check_unchanged(std::int32_t count, std::int32_t allocated, const char* what) {
    if (count == allocated) return true;
    fail(std::string(what) + " changed from " + std::to_string(allocated) + " to " +
         std::to_string(count) + " while reading");
    return false;
}

bool MeshText::read_count(std::int32_t& count, const Place& place) {
    if (!read(count, place)) return false;
    if (count < 0) {
        fail(place.describe() + " " + std::to_string(count) + " is negative");
        return false;
    }
    return true;
}

}  // namespace levelset_prep::mesh
