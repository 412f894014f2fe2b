// SPDX-License-Identifier: MIT
// The three text files voxdump makes from a loaded image, each put into an
// open output file that the caller finishes and commits. The ascii image is
// the values, x fastest, each followed by a space and no line end at all.
#pragma once

#include <cstdint>
#include <limits>

#include <levelset_prep/analyze/analyze_image.hpp>
#include <levelset_prep/textio/output_file.hpp>

namespace levelset_prep::voxdump {

using analyze::analyze_header;
using analyze::analyze_image;

// Truncated toward zero; -2147483648 for a NaN or a value beyond 32 bits.
inline std::int32_t ascii_value(float value) {
    // 2^31 is exact as a float; every float below it and at or above -2^31
    // truncates to a value in range. The negated test also catches NaN.
    if (!(value >= -2147483648.0f && value < 2147483648.0f)) {
        return std::numeric_limits<std::int32_t>::min();
    }
    return static_cast<std::int32_t>(value);
}

struct AsciiImageCounts {
    std::int64_t unwritable = 0;  // written as -2147483648
    // From 32768 (unsigned datatype 4: stored negative). Counted only when
    // max_intensity reaches 32768, so it holds where the readers set it.
    std::int64_t from_32768 = 0;
};

// `image` must hold its samples. Bytes and counts do not depend on `threads`.
AsciiImageCounts put_ascii_image(textio::OutputFile& out, const analyze_image& image,
                                 int threads = 1);
void put_size_line(textio::OutputFile& out, const analyze_header& header);
void put_resolution_line(textio::OutputFile& out, const analyze_header& header);

}  // namespace levelset_prep::voxdump
