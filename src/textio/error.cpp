#include <cstring>

#include <levelset_prep/textio/error.hpp>

namespace levelset_prep::textio {

std::string Error::message() const {
    if (file.empty()) return problem;
    std::string text;
    text.reserve(file.size() + 2 + problem.size());
    return text.append(file).append(": ").append(problem);
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

std::string shown_token(std::string_view token) {
    if (token.size() <= 40) return std::string(token);
    return std::string(token.substr(0, 40)) + "...";
}

}  // namespace levelset_prep::textio
