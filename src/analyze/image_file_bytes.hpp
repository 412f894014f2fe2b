// SPDX-License-Identifier: MIT
// Sample bytes read without trusting the header's count: a seekable file that
// covers them is read into a buffer of that size, any other into one that
// grows with the bytes that arrive, so memory follows the file.
#pragma once

#include <cstdint>
#include <cstdio>
#include <memory>
#include <optional>

#include <levelset_prep/analyze/analyze_status.hpp>

namespace levelset_prep::analyze {

// Nothing when `file` cannot seek. A device may report 0, so the answer is a
// hint that a file holds enough, never proof that it does not.
std::optional<std::uint64_t> bytes_left(std::FILE* file);

// `buffer` starts small and doubles, never beyond `needed`.
ReadStatus read_growing(std::FILE* file, std::uint64_t needed,
                        std::unique_ptr<unsigned char[]>& buffer);

}  // namespace levelset_prep::analyze
