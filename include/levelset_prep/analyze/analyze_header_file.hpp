// SPDX-License-Identifier: MIT
// The header file of an Analyze pair (the name with ".hdr", see
// analyze_names.hpp): 348 bytes, read and written as one block in the
// layout of analyze_header. Nothing is swapped here; see byte_order.hpp.
#pragma once

#include <cstddef>
#include <string_view>

#include <levelset_prep/analyze/analyze_image.hpp>
#include <levelset_prep/textio/error.hpp>

namespace levelset_prep::analyze {

// Reads up to 348 bytes of the header file of `name` over the start of
// `header` (bytes beyond the end of a short file keep their old content) and
// returns how many were read. Fails, with `header` untouched, when the file
// cannot be opened or its name is too long.
textio::Result<std::size_t> load_analyze_header(std::string_view name, analyze_header& header);

// load_analyze_header, reporting only whether the file could be opened.
textio::MaybeError read_analyze_header(std::string_view name, analyze_header& header);

// Writes the 348 bytes of `header`, as held in memory, to the header file
// of `name` (created or truncated). Fails when the file cannot be opened or
// the bytes cannot all be written and closed.
textio::MaybeError write_analyze_header(std::string_view name, const analyze_header& header);

}  // namespace levelset_prep::analyze
