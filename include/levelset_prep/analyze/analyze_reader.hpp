// SPDX-License-Identifier: MIT
// Loading one volume of an Analyze pair into an analyze_image, samples as
// floats, with their smallest and largest value.
//
// Datatypes 2, 4 (unsigned unless signed_16bit), 8 and 16 are read; datatype
// 0 with bitpix above 32 reads floats, bitpix/32 of them per voxel. A header
// whose sizeof_hdr does not read 348 is swapped, and so are its samples.
// Samples start at the image file's first byte: vox_offset is not used. When
// vol.img is missing but vol.img.gz exists, the samples are inflated from it.
//
// Errors name the file. The samples' buffer is obtained only once the image
// file has shown it holds them, so a small header announcing a huge volume
// costs no memory. For no samples the range is 2^31 and -2^31.
#pragma once

#include <cstdint>
#include <cstdio>
#include <span>
#include <string_view>

#include <levelset_prep/analyze/analyze_image.hpp>
#include <levelset_prep/analyze/analyze_status.hpp>

namespace levelset_prep::analyze {

struct ReadOptions {
    bool signed_16bit = false;  // datatype 4 as -32768..32767 rather than 0..65535
    std::int64_t volume = 1;    // the volume of a series to read, from 1
    int threads = 1;            // for an uncompressed regular file; same result
};

ReadResult read_analyze_image(std::string_view name, analyze_image& image,
                              const ReadOptions& options);
ReadResult read_analyze_image(std::string_view name, analyze_image& image, bool signed_16bit);

// Volume 1 from the header file's bytes and an open, uncompressed image
// stream; errors name no file.
ReadResult read_analyze_image(std::span<const unsigned char> header_bytes, std::FILE* ifile,
                              analyze_image& image, bool signed_16bit);

}  // namespace levelset_prep::analyze
