#include <levelset_prep/textio/input_file.hpp>

#include <cerrno>
#include <cstring>

namespace levelset_prep::textio {

InputFile open_input(const std::string& name, const char* what, MaybeError& problem) {
    errno = 0;
    InputFile file(std::fopen(name.c_str(), "rb"));
    if (!file) {
        const int error_number = errno != 0 ? errno : ENOENT;
        problem = file_error(name, std::string("cannot open ") + what + ": " +
                                       std::strerror(error_number));
        problem->cannot_open = true;
    }
    return file;
}

std::optional<std::uint64_t> regular_file_size(std::FILE* file) {
    // Seeking works on regular files only; a pipe refuses it.
    const long start = std::ftell(file);
    if (start < 0 || std::fseek(file, 0, SEEK_END) != 0) {
        std::clearerr(file);
        return std::nullopt;
    }
    const long end = std::ftell(file);
    std::fseek(file, start, SEEK_SET);
    if (end < 0) return std::nullopt;
    return static_cast<std::uint64_t>(end);
}

}  // namespace levelset_prep::textio
