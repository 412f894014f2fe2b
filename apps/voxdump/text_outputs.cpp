// SPDX-License-Identifier: MIT
#include "text_outputs.hpp"

#include <algorithm>
#include <cstddef>
#include <limits>
#include <vector>

#include <levelset_prep/textio/sliced_output.hpp>

namespace levelset_prep::voxdump {

namespace {

constexpr std::size_t widest = 12;  // "-2147483648 "

// ascii_value's test is spelt out so that counting what it marks costs
// nothing more; values from 32768 cost a test each, hence `count_high`.
// Counts stay in registers, each slice with a record of its own.
template <bool count_high>
char* format_samples(char* text, const float* samples, std::int64_t first, std::int64_t last,
                     AsciiImageCounts& counts) {
    std::int64_t unwritable = 0, from_32768 = 0;
    for (std::int64_t i = first; i < last; ++i) {
        const float value = samples[i];
        if (value >= -2147483648.0f && value < 2147483648.0f) [[likely]] {
            if constexpr (count_high) from_32768 += value >= 32768.0f;
            text = textio::format_int(text, static_cast<std::int32_t>(value));
        } else {
            ++unwritable;
            if constexpr (count_high) from_32768 += value >= 32768.0f;
            text = textio::format_int(text, std::numeric_limits<std::int32_t>::min());
        }
        *text++ = ' ';
    }
    counts.unwritable += unwritable;
    counts.from_32768 += from_32768;
    return text;
}

char* format_samples(char* text, const float* samples, std::int64_t first, std::int64_t last,
                     bool count_high, AsciiImageCounts& counts) {
    return count_high ? format_samples<true>(text, samples, first, last, counts)
                      : format_samples<false>(text, samples, first, last, counts);
}

}  // namespace

AsciiImageCounts put_ascii_image(textio::OutputFile& out, const analyze_image& image, int threads) {
    const std::int64_t n = analyze::voxel_count(image.header);
    const float* samples = image.data.get();

    // Small enough to stay in the cache between formatting and writing.
    constexpr std::int64_t slice = std::int64_t{1} << 16;
    const std::int64_t slices = (n + slice - 1) / slice;
    // No value lies above the largest, and a NaN is not from 32768.
    const bool count_high = !(image.max_intensity < 32768.0f);
    AsciiImageCounts counts;
    if (threads > 1 && slices > 1) {
        std::vector<AsciiImageCounts> slice_counts(static_cast<std::size_t>(slices));
        const textio::SlicedText text{
            &out, slices, [&](char* buffer, std::int64_t k) {
                return format_samples(buffer, samples, k * slice, std::min(n, (k + 1) * slice),
                                      count_high, slice_counts[static_cast<std::size_t>(k)]);
            }};
        const int used = static_cast<int>(std::min<std::int64_t>(threads, slices));
        if (textio::write_in_slices({&text, 1}, slice * widest, used)) {
            for (const AsciiImageCounts& seen : slice_counts) {
                counts.unwritable += seen.unwritable;
                counts.from_32768 += seen.from_32768;
            }
            return counts;
        }
    }

    constexpr std::int64_t batch = 4096;
    for (std::int64_t first = 0; first < n; first += batch) {
        const std::int64_t last = std::min(n, first + batch);
        char* text =
            out.reserve(static_cast<std::size_t>(last - first) * widest + textio::max_number_chars);
        out.advance(format_samples(text, samples, first, last, count_high, counts));
    }
    return counts;
}

namespace {

// "a b c\n".
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
