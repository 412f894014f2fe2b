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

#include "analyze_image.hpp"
#include "output_file.hpp"

namespace voxdump {

// A voxel value as written in the ascii image: truncated toward zero, and
// -2147483648 for a NaN or a value outside the 32-bit signed range.
std::int32_t ascii_value(float value);

// `image` must hold the nx*ny*nz samples its header announces.
void put_ascii_image(common::OutputFile& out, const analyze_image& image);
void put_size_line(common::OutputFile& out, const analyze_header& header);
void put_resolution_line(common::OutputFile& out, const analyze_header& header);

}  // namespace voxdump
