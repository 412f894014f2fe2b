// SPDX-License-Identifier: MIT
// The three text files that voxdump makes from a loaded image.
//
//   ascii image      nx*ny*nz integers, x fastest, then y, then z, each
//                    followed by one space; no line end at all
//   size file        "nx ny nz\n", as signed 16-bit integers
//   resolution file  "pixdim[1] pixdim[2] pixdim[3]\n", each float in a
//                    default stream's notation (1 -> "1", 0.9375 -> "0.9375")
//
// Each function puts the text into an open output file; the caller finishes
// and commits it.
#pragma once

#include <cstdint>

#include <levelset_prep/analyze/analyze_image.hpp>
#include <levelset_prep/textio/output_file.hpp>

namespace levelset_prep::voxdump {

using analyze::analyze_header;
using analyze::analyze_image;

// A voxel value as written in the ascii image: truncated toward zero, and
// -2147483648 for a NaN or a value outside the 32-bit signed range.
std::int32_t ascii_value(float value);

// `image` must hold the nx*ny*nz samples its header announces.
void put_ascii_image(textio::OutputFile& out, const analyze_image& image);
void put_size_line(textio::OutputFile& out, const analyze_header& header);
void put_resolution_line(textio::OutputFile& out, const analyze_header& header);

}  // namespace levelset_prep::voxdump
