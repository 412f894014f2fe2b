// SPDX-License-Identifier: MIT
// Opening an input file, and scanning a whole text file as tokens.
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

// The error has cannot_open set.
Result<InputFile> open_input(const std::string& name, const char* what);

template <typename Read>
MaybeError scan_text_file(const std::string& name, const char* what, Read&& read,
                          std::size_t block_size = TokenScanner::default_block_size) {
    Result<InputFile> file = open_input(name, what);
    if (!file) return std::move(file.error);
    TokenScanner text(file.value.get(), block_size);
    return read(text);
}

// Nothing for a pipe or a device.
std::optional<std::uint64_t> regular_file_size(std::FILE* file);

}  // namespace levelset_prep::textio
