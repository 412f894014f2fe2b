// SPDX-License-Identifier: MIT
#include "text_outputs.hpp"

#include <algorithm>
#include <cstddef>

#include <levelset_prep/textio/sliced_output.hpp>

namespace levelset_prep::voxdump {

namespace {

constexpr std::size_t widest = 12;  // "-2147483648 "

// Samples [first, last) as text from `text` on; returns the end.
char* format_samples(char* text, const float* samples, std::int64_t first, std::int64_t last) {
    for (std::int64_t i = first; i < last; ++i) {
        text = textio::format_int(text, ascii_value(samples[i]));
        *text++ = ' ';
    }
    return text;
}

}  // namespace

void put_ascii_image(textio::OutputFile& out, const analyze_image& image, int threads) {
    // Index order is x fastest, then y, then z: the file order of the samples.
    const std::int64_t n = analyze::voxel_count(image.header);
    const float* samples = image.data.get();

    // Slices of text small enough to stay in the cache between formatting
    // and writing.
    constexpr std::int64_t slice = std::int64_t{1} << 16;
    const std::int64_t slices = (n + slice - 1) / slice;
    if (threads > 1 && slices > 1) {
        const textio::SlicedText text{&out, slices, [&](char* buffer, std::int64_t k) {
                                          return format_samples(buffer, samples, k * slice,
                                                                std::min(n, (k + 1) * slice));
                                      }};
        const int used = static_cast<int>(std::min<std::int64_t>(threads, slices));
        if (textio::write_in_slices({&text, 1}, slice * widest, used)) return;
    }

    constexpr std::int64_t batch = 4096;
    for (std::int64_t first = 0; first < n; first += batch) {
        const std::int64_t last = std::min(n, first + batch);
        char* text =
            out.reserve(static_cast<std::size_t>(last - first) * widest + textio::max_number_chars);
        out.advance(format_samples(text, samples, first, last));
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
