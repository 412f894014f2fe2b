// SPDX-License-Identifier: MIT
#include <cstring>

#include <levelset_prep/textio/error.hpp>
#include <levelset_prep/textio/shown_text.hpp>

namespace levelset_prep::textio {

std::string Error::message() const {
    if (file.empty()) return problem;
    return shown_text(file).append(": ").append(problem);
}

Error file_error(std::string_view file, std::string_view problem) {
    return Error{std::string(file), std::string(problem)};
}

Error system_error(std::string_view file, std::string_view what, int error_number) {
    Error error = file_error(file, std::string(what) + ": " + std::strerror(error_number));
    error.saved_errno = error_number;
    return error;
}

std::string shortened_name(std::string_view name) {
    if (name.size() <= 60) return std::string(name);
    return std::string(name.substr(0, 60)) + "...";
}

}  // namespace levelset_prep::textio
