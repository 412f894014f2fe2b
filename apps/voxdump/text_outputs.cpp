// SPDX-License-Identifier: MIT
#include "text_outputs.hpp"

#include <algorithm>
#include <limits>

namespace levelset_prep::voxdump {

std::int32_t ascii_value(float value) {
    // 2^31 is exact as a float; every float below it and at or above -2^31
    // truncates to a value in range. The negated test also catches NaN.
    if (!(value >= -2147483648.0f && value < 2147483648.0f)) {
        return std::numeric_limits<std::int32_t>::min();
    }
    return static_cast<std::int32_t>(value);
}

void put_ascii_image(textio::OutputFile& out, const analyze_image& image) {
    // Index order is x fastest, then y, then z: the file order of the samples.
    const std::int64_t n = analyze::voxel_count(image.header);
    const float* samples = image.data.get();
    constexpr std::int64_t batch = 4096;
    constexpr std::size_t widest = 12;  // "-2147483648 "
    for (std::int64_t first = 0; first < n; first += batch) {
        const std::int64_t last = std::min(n, first + batch);
        char* text =
            out.reserve(static_cast<std::size_t>(last - first) * widest + textio::max_number_chars);
        for (std::int64_t i = first; i < last; ++i) {
            text = textio::format_int(text, ascii_value(samples[i]));
            *text++ = ' ';
        }
        out.advance(text);
    }
}

namespace {

// "a b c\n", each value written by `put_value`.
template <typename Value, typename PutValue>
void put_triple(textio::OutputFile& out, const Value* values, PutValue put_value) {
    for (int i = 0; i < 3; ++i) {
        (out.*put_value)(values[i]);
        out.put(i < 2 ? ' ' : '\n');
    }
}

}  // namespace

void put_size_line(textio::OutputFile& out, const analyze_header& header) {
    put_triple(out, header.dim + 1, &textio::OutputFile::put_int);
}

void put_resolution_line(textio::OutputFile& out, const analyze_header& header) {
    put_triple(out, header.pixdim + 1, &textio::OutputFile::put_general);
}

}  // namespace levelset_prep::voxdump
