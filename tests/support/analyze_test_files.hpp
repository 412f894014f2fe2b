// SPDX-License-Identifier: MIT
// Analyze pairs for the tests, encoded byte by byte in either byte order,
// independently of the module's own swap code.
#pragma once

#include <bit>
#include <cstdint>
#include <cstring>
#include <filesystem>
#include <string>
#include <vector>

#include "test_files.hpp"

namespace analyze_test_files {

enum class byte_order { little, big };

// Writes `value` at `offset` of `bytes` in the given order.
template <typename T>
void put_value(std::string& bytes, std::size_t offset, T value, byte_order order) {
    unsigned char raw[sizeof(T)];
    std::memcpy(raw, &value, sizeof(T));
    if ((order == byte_order::big) == (std::endian::native == std::endian::little)) {
        for (std::size_t i = 0; i < sizeof(T) / 2; ++i) std::swap(raw[i], raw[sizeof(T) - 1 - i]);
    }
    if (bytes.size() < offset + sizeof(T)) bytes.resize(offset + sizeof(T));
    std::memcpy(bytes.data() + offset, raw, sizeof(T));
}

struct header_fields {
    std::int16_t nx = 1, ny = 1, nz = 1;
    std::int16_t datatype = 16;
    std::int16_t bitpix = 32;
    float spacing[3] = {1.0f, 1.0f, 1.0f};
};

inline std::string header_bytes(const header_fields& fields, byte_order order) {
    std::string bytes(348, '\0');
    put_value<std::int32_t>(bytes, 0, 348, order);
    bytes[38] = 'r';
    const std::int16_t dims[5] = {4, fields.nx, fields.ny, fields.nz, 1};
    for (int i = 0; i < 5; ++i) put_value(bytes, 40 + 2 * i, dims[i], order);
    put_value(bytes, 70, fields.datatype, order);
    put_value(bytes, 72, fields.bitpix, order);
    for (int i = 0; i < 3; ++i) put_value(bytes, 80 + 4 * i, fields.spacing[i], order);
    return bytes;
}

template <typename T>
std::string sample_bytes(const std::vector<T>& values, byte_order order) {
    std::string bytes;
    for (std::size_t i = 0; i < values.size(); ++i)
        put_value(bytes, i * sizeof(T), values[i], order);
    return bytes;
}

// Writes base.hdr and base.img.
inline void write_pair(const std::filesystem::path& base, const std::string& header,
                       const std::string& samples) {
    testing_support::write_file(base.string() + ".hdr", header);
    testing_support::write_file(base.string() + ".img", samples);
}

}  // namespace analyze_test_files
