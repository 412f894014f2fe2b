#include "mesh_text.hpp"

namespace tetclean {

std::string Place::describe() const {
    if (record_kind == nullptr) return field;
    return std::string(record_kind) + " record " + std::to_string(record) + ": " + field;
}

void MeshText::fail(const std::string& problem) {
    if (!error_) error_ = common::file_error(file_name_, problem);
}

void MeshText::fail_missing(const Place& place) {
    if (text_.failed()) {
        fail(text_.token_too_long() ? "a token longer than " + std::to_string(text_.block_size() - 1) +
                                          " bytes before the " + place.describe()
                                    : "cannot read the file to its end (" + place.describe() + ")");
        return;
    }
    if (place.record_kind != nullptr) {
        fail("file ends in " + std::string(place.record_kind) + " record " +
             std::to_string(place.record) + ", before its " + place.field);
    } else {
        fail("file ends before the " + place.describe());
    }
}

void MeshText::fail_malformed(std::string_view token, common::ScanStatus status, const Place& place,
                              bool whole) {
    std::string shown(token.substr(0, 40));
    if (token.size() > 40) shown += "...";
    const char* verdict = status == common::ScanStatus::out_of_range
                              ? "is out of range"
                              : (whole ? "is not a whole number" : "is not a number");
    fail(place.describe() + " '" + shown + "' " + verdict);
}

bool MeshText::read_count(std::int32_t& count, const Place& place) {
    if (!read(count, place)) return false;
    if (count < 0) {
        fail(place.describe() + " " + std::to_string(count) + " is negative");
        return false;
    }
    return true;
}

}  // namespace tetclean
