// SPDX-License-Identifier: MIT
// Opening an input file for reading, with the system's reason on failure,
// and scanning a whole text file as tokens.
#pragma once

#include <cstdint>
#include <cstdio>
#include <memory>
#include <optional>
#include <string>

#include <levelset_prep/textio/error.hpp>
#include <levelset_prep/textio/token_scanner.hpp>

namespace levelset_prep::textio {

struct FileCloser {
    void operator()(std::FILE* file) const { std::fclose(file); }
};
using InputFile = std::unique_ptr<std::FILE, FileCloser>;

// Opens `name` for binary reading (text files read the same on the
// platforms the tools run on). The error reads "<name>: cannot open <what>:
// <reason>" and has cannot_open set.
Result<InputFile> open_input(const std::string& name, const char* what);

// Opens `name` and hands `read` a TokenScanner over it, reading blocks of
// `block_size` bytes; returns what `read` returns (a MaybeError), or the
// failed open.
template <typename Read>
MaybeError scan_text_file(const std::string& name, const char* what, Read&& read,
                          std::size_t block_size = TokenScanner::default_block_size) {
    Result<InputFile> file = open_input(name, what);
    if (!file) return std::move(file.error);
    TokenScanner text(file.value.get(), block_size);
    return read(text);
}

// The size in bytes of an open regular file, or nothing for a pipe or a
// device, whose size cannot be known in advance.
std::optional<std::uint64_t> regular_file_size(std::FILE* file);

}  // namespace levelset_prep::textio
