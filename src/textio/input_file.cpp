// SPDX-License-Identifier: MIT
#include <cerrno>
#include <cstring>

#include <levelset_prep/textio/input_file.hpp>

namespace levelset_prep::textio {

Result<InputFile> open_input(const std::string& name, const char* what) {
    errno = 0;
    Result<InputFile> opened{InputFile(std::fopen(name.c_str(), "rb")), std::nullopt};
    if (!opened.value) {
        opened.error =
            system_error(name, std::string("cannot open ") + what, errno != 0 ? errno : ENOENT);
        opened.error->cannot_open = true;
    }
    return opened;
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
