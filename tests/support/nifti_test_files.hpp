// SPDX-License-Identifier: MIT
// NIfTI-1 single files and gzip data for the tests, encoded byte by byte in
// either byte order (see analyze_test_files.hpp), compressed with zlib's
// own deflate, independently of the module's reading code.
#pragma once

#include <zlib.h>

#include <cstdint>
#include <stdexcept>
#include <string>

#include "analyze_test_files.hpp"

namespace nifti_test_files {

using analyze_test_files::byte_order;
using analyze_test_files::put_value;

struct nifti_fields {
    std::int16_t dims[8] = {3, 1, 1, 1, 1, 1, 1, 1};  // dim[0] and the sizes
    std::int16_t datatype = 16;
    std::int16_t bitpix = 32;
    float spacing[3] = {1.0f, 1.0f, 1.0f};
    float vox_offset = 352.0f;
    const char* magic = "n+1";  // four bytes with the terminating zero
    std::int32_t sizeof_hdr = 348;
    float scl_slope = 0.0f, scl_inter = 0.0f;
};

// The 348 header bytes, the four extension bytes (zero: no extension) and
// zeros up to vox_offset (when it lies between 352 and 1 MiB), then
// `samples`.
inline std::string nifti_bytes(const nifti_fields& f, byte_order order,
                               const std::string& samples) {
    std::string bytes(348, '\0');
    put_value<std::int32_t>(bytes, 0, f.sizeof_hdr, order);
    for (int i = 0; i < 8; ++i) put_value(bytes, 40 + 2 * i, f.dims[i], order);
    put_value(bytes, 70, f.datatype, order);
    put_value(bytes, 72, f.bitpix, order);
    for (int i = 0; i < 3; ++i) put_value(bytes, 80 + 4 * i, f.spacing[i], order);
    put_value(bytes, 108, f.vox_offset, order);
    put_value(bytes, 112, f.scl_slope, order);
    put_value(bytes, 116, f.scl_inter, order);
    bytes.replace(344, 4, std::string(f.magic, 3) + '\0');
    const bool padded = f.vox_offset >= 352.0f && f.vox_offset <= 1048576.0f;
    const std::size_t start = padded ? static_cast<std::size_t>(f.vox_offset) : 352;
    bytes.resize(start, '\0');
    return bytes + samples;
}

// `bytes` followed by `zeros` zero bytes as one gzip member (level 1 to 9).
// The zeros are fed a block at a time, so that a test can make a member
// that inflates to gigabytes without holding them: a test process that
// holds much memory hands it to every program it starts.
inline std::string gzip_bytes(const std::string& bytes, int level = 6, std::size_t zeros = 0) {
    z_stream z{};
    if (deflateInit2(&z, level, Z_DEFLATED, 16 + MAX_WBITS, 8, Z_DEFAULT_STRATEGY) != Z_OK)
        throw std::runtime_error("deflateInit2");
    const std::string block(1 << 16, '\0');
    std::string out;
    char buffer[1 << 14];
    const auto feed = [&](const char* data, std::size_t size, int flush) {
        z.next_in = reinterpret_cast<Bytef*>(const_cast<char*>(data));
        z.avail_in = static_cast<uInt>(size);
        int result = Z_OK;
        do {
            z.next_out = reinterpret_cast<Bytef*>(buffer);
            z.avail_out = sizeof buffer;
            result = deflate(&z, flush);
            out.append(buffer, sizeof buffer - z.avail_out);
        } while (z.avail_in != 0 || (flush == Z_FINISH && result != Z_STREAM_END));
    };
    feed(bytes.data(), bytes.size(), Z_NO_FLUSH);
    for (; zeros > block.size(); zeros -= block.size())
        feed(block.data(), block.size(), Z_NO_FLUSH);
    feed(block.data(), zeros, Z_FINISH);
    deflateEnd(&z);
    return out;
}

}  // namespace nifti_test_files
