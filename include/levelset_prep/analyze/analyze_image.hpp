// SPDX-License-Identifier: MIT
// The in-memory volumes. analyze_header is the 348-byte header in its exact
// on-disk layout, read and written as one block, in the machine's byte order
// once read. Images own their samples, x fastest: float samples, or bytes
// for a mask.
#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>

namespace levelset_prep::analyze {

struct analyze_header {
    std::int32_t sizeof_hdr;  // 348 in the machine's byte order
    char data_type[10];
    char db_name[18];
    std::int32_t extents;
    std::int16_t session_error;
    char regular;
    char hkey_un0;
    std::int16_t dim[8];  // dim[1..3]: nx, ny, nz
    char vox_units[4];
    char cal_units[8];
    std::int16_t unused1;
    std::int16_t datatype;  // sample type code
    std::int16_t bitpix;
    std::int16_t dim_un0;
    float pixdim[8];  // pixdim[1..3]: voxel spacings
    float vox_offset;
    float funused1;
    float funused2;
    float funused3;
    float cal_max;
    float cal_min;
    float compressed;
    float verified;
    std::int32_t glmax;
    std::int32_t glmin;
    char data_history[200];
};
static_assert(sizeof(analyze_header) == 348);
static_assert(offsetof(analyze_header, extents) == 32);
static_assert(offsetof(analyze_header, regular) == 38);
static_assert(offsetof(analyze_header, dim) == 40);
static_assert(offsetof(analyze_header, datatype) == 70);
static_assert(offsetof(analyze_header, bitpix) == 72);
static_assert(offsetof(analyze_header, pixdim) == 76);
static_assert(offsetof(analyze_header, vox_offset) == 108);
static_assert(offsetof(analyze_header, glmax) == 140);
static_assert(offsetof(analyze_header, glmin) == 144);

// The last four occur in NIfTI-1 files only.
enum analyze_datatype : std::int16_t {
    datatype_unknown = 0,
    datatype_unsigned_char = 2,
    datatype_signed_short = 4,
    datatype_signed_int = 8,
    datatype_float = 16,
    datatype_double = 64,
    datatype_signed_char = 256,
    datatype_unsigned_short = 512,
    datatype_unsigned_int = 768,
};

// Every byte zero but sizeof_hdr (348) and regular ('r').
analyze_header make_empty_header();

// 0 when any of nx, ny, nz is zero or negative.
std::int64_t voxel_count(const analyze_header& header);

// The 3-D volumes stored one after the other: the product of dim[4] to
// dim[dim[0]] (at most dim[7]), each below 1 counting as 1.
std::int64_t series_length(const analyze_header& header);

struct analyze_image {
    analyze_header header = make_empty_header();
    std::unique_ptr<float[]> data;  // attached by a reader or a copy
    float min_intensity = 0.0f;     // set by a successful read
    float max_intensity = 0.0f;
};

struct analyze_byte_image {
    analyze_header header = make_empty_header();
    std::unique_ptr<std::uint8_t[]> data;
};

// 0 outside the volume: the fetch for neighbourhoods that may leave it.
float voxel_value(const analyze_image& image, std::int32_t x, std::int32_t y, std::int32_t z);

}  // namespace levelset_prep::analyze
