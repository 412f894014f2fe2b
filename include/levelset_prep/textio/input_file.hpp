// Opening an input file for reading, with the system's reason on failure.
#pragma once

#include <cstdint>
#include <cstdio>
#include <memory>
#include <optional>
#include <string>

#include <levelset_prep/textio/error.hpp>

namespace levelset_prep::textio {

struct FileCloser {
    void operator()(std::FILE* file) const { std::fclose(file); }
};
using InputFile = std::unique_ptr<std::FILE, FileCloser>;

// Opens `name` for binary reading (text files read the same on the
// platforms the tools run on). On failure, `problem` receives
// "<name>: cannot open <what>: <reason>".
InputFile open_input(const std::string& name, const char* what, MaybeError& problem);

// The size in bytes of an open regular file, or nothing for a pipe or a
// device, whose size cannot be known in advance.
std::optional<std::uint64_t> regular_file_size(std::FILE* file);

}  // namespace levelset_prep::textio
