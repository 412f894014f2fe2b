// SPDX-License-Identifier: MIT
// The 348-byte header file of a pair, as one block; nothing is swapped here.
#pragma once

#include <cstddef>
#include <string_view>

#include <levelset_prep/analyze/analyze_image.hpp>
#include <levelset_prep/textio/error.hpp>

namespace levelset_prep::analyze {

// The count read; bytes past a short file's end keep their old content.
textio::Result<std::size_t> load_analyze_header(std::string_view name, analyze_header& header);

textio::MaybeError read_analyze_header(std::string_view name, analyze_header& header);

textio::MaybeError write_analyze_header(std::string_view name, const analyze_header& header);

}  // namespace levelset_prep::analyze
