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
// and commits it. put_ascii_image also counts, as it formats, the values a
// reader of the text would want to hear about (AsciiImageCounts).
#pragma once

#include <cstdint>
#include <limits>

#include <levelset_prep/analyze/analyze_image.hpp>
#include <levelset_prep/textio/output_file.hpp>

namespace levelset_prep::voxdump {

using analyze::analyze_header;
using analyze::analyze_image;

// A voxel value as written in the ascii image: truncated toward zero, and
// -2147483648 for a NaN or a value outside the 32-bit signed range. Inline:
// it is the inner step of the image's formatting loop.
inline std::int32_t ascii_value(float value) {
    // 2^31 is exact as a float; every float below it and at or above -2^31
    // truncates to a value in range. The negated test also catches NaN.
    if (!(value >= -2147483648.0f && value < 2147483648.0f)) {
        return std::numeric_limits<std::int32_t>::min();
    }
    return static_cast<std::int32_t>(value);
}

// What formatting the ascii image met, counted over its nx*ny*nz values.
struct AsciiImageCounts {
    // NaN or outside the 32-bit signed range: written as -2147483648.
    std::int64_t unwritable = 0;
    // 32768 and above (infinity included): for datatype 4 read as 0 to
    // 65535, the stored values that are negative. The values are tested
    // only where image.max_intensity is 32768 or more, so the count holds
    // for an image whose max_intensity is its largest value, as the readers
    // set it.
    std::int64_t from_32768 = 0;
};

// `image` must hold the nx*ny*nz samples its header announces. With
// `threads` above 1, that many threads format slices of the image side by
// side; the slices are written in order, so the bytes are the same, and so
// are the counts.
AsciiImageCounts put_ascii_image(textio::OutputFile& out, const analyze_image& image,
                                 int threads = 1);
void put_size_line(textio::OutputFile& out, const analyze_header& header);
void put_resolution_line(textio::OutputFile& out, const analyze_header& header);

}  // namespace levelset_prep::voxdump
