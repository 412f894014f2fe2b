// SPDX-License-Identifier: MIT
// Small in-memory volumes for the volume utility tests.
#pragma once

#include <cstdint>
#include <cstring>
#include <random>
#include <vector>

#include <levelset_prep/analyze/analyze_image.hpp>

namespace levelset_prep::volume::test {

inline analyze_header header_of(int nx, int ny, int nz) {
    analyze_header header = analyze::make_empty_header();
    header.dim[0] = 3;
    header.dim[1] = static_cast<std::int16_t>(nx);
    header.dim[2] = static_cast<std::int16_t>(ny);
    header.dim[3] = static_cast<std::int16_t>(nz);
    header.datatype = analyze::datatype_float;
    header.bitpix = 32;
    return header;
}

inline analyze_image make_image(int nx, int ny, int nz, float fill = 0.0f) {
    analyze_image image;
    image.header = header_of(nx, ny, nz);
    const auto n = voxel_count(image.header);
    image.data = std::make_unique<float[]>(n);
    for (std::int64_t i = 0; i < n; ++i) image.data[i] = fill;
    return image;
}

// Values drawn uniformly from 0..range-1, so small ranges give many equals.
inline analyze_image random_image(int nx, int ny, int nz, unsigned seed, int range = 1000) {
    analyze_image image = make_image(nx, ny, nz);
    std::mt19937 generator(seed);
    std::uniform_int_distribution<int> value(0, range - 1);
    for (std::int64_t i = 0; i < voxel_count(image.header); ++i)
        image.data[i] = static_cast<float>(value(generator));
    return image;
}

inline analyze_byte_image make_mask(int nx, int ny, int nz, std::uint8_t fill) {
    analyze_byte_image mask;
    mask.header = header_of(nx, ny, nz);
    mask.header.datatype = analyze::datatype_unsigned_char;
    const auto n = voxel_count(mask.header);
    mask.data = std::make_unique<std::uint8_t[]>(n);
    std::memset(mask.data.get(), fill, static_cast<std::size_t>(n));
    return mask;
}

inline std::vector<float> samples(const analyze_image& image) {
    return {image.data.get(), image.data.get() + voxel_count(image.header)};
}

inline bool same_bytes(const analyze_header& a, const analyze_header& b) {
    return std::memcmp(&a, &b, sizeof a) == 0;
}

}  // namespace levelset_prep::volume::test
