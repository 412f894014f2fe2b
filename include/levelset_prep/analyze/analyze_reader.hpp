// SPDX-License-Identifier: MIT
// Loading an Analyze pair into an analyze_image: the header, then every
// sample of one volume converted to a 32-bit float, with the smallest and
// largest value.
//
// Accepted sample types (the header's datatype):
//   2  unsigned 8-bit          4  16-bit, signed when signed_16bit, else 0..65535
//   8  signed 32-bit (rounded to the nearest float)
//   16 32-bit float            0  with bitpix above 32: the zero-datatype rule
// The zero-datatype rule reads the samples as floats and multiplies the count
// by bitpix/32 (so bitpix 64 doubles it); the header is left as read.
//
// A header whose sizeof_hdr does not read 348 is swapped (the fields of
// swap_header, and dim[5..7] and vox_offset), and so is every 16-bit and
// 32-bit sample. Samples are read from the first byte of the image file
// (vox_offset is not used). The sample count is nx*ny*nz, 0 when any of
// them is zero or negative.
//
// A series (see series_length) holds its volumes one after the other;
// options.volume picks one, from 1 (volume 1 by default, the only one read
// before series were). When the image file (vol.img) does not exist but
// vol.img.gz does, the samples are inflated from that gzip file, which
// must then be intact and hold no more than the whole series (status 8, 9).
//
// Returns a status of analyze_status.hpp, with an error naming the file
// for every status but 0, and prints nothing:
//   0  data, min_intensity, max_intensity set (for no samples: 2^31 and -2^31)
//   1  header file cannot be opened; header untouched
//   6  header file shorter than 348 bytes
//   3  image file cannot be opened; header read, swapped
//   2  the sample count does not fit a 32-bit signed integer, or no buffer for it
//   4  datatype not accepted; no data attached
//   5  image file shorter than the samples; no data attached
//   10 options.volume is not in the series (name form only)
//   8  compressed image corrupt or truncated; 9 it inflates to more than
//      the series (name form only)
// The statuses are found in this order: 1, 6, 3, 2 (count), 4, 10, then 5
// and 2 (buffer) for an uncompressed image, 2 (buffer) and 5, 8 or 9 as
// inflating meets them for a compressed one.
// No buffer is sized from the header alone: the samples' buffer is obtained
// only once the image file has shown that it holds them (a compressed one:
// that its compressed bytes could inflate to them), so a small header
// announcing a huge volume costs no memory.
#pragma once

#include <cstdint>
#include <cstdio>
#include <span>
#include <string_view>

#include <levelset_prep/analyze/analyze_image.hpp>
#include <levelset_prep/analyze/analyze_status.hpp>

namespace levelset_prep::analyze {

// What a reader is asked for besides the file.
struct ReadOptions {
    bool signed_16bit = false;  // datatype 4 as -32768..32767 rather than 0..65535
    std::int64_t volume = 1;    // the volume of a series to read, from 1
    // The threads an uncompressed image file that is a regular file may be
    // read on, at most; the result is the same whatever the count.
    int threads = 1;
};

ReadResult read_analyze_image(std::string_view name, analyze_image& image,
                              const ReadOptions& options);
ReadResult read_analyze_image(std::string_view name, analyze_image& image, bool signed_16bit);

// The same read of volume 1 from memory and an open, uncompressed stream:
// `header_bytes` are the header file's bytes (all of them; fewer than 348
// gives 6) and `ifile` is the open image file; errors name no file. The
// file-name forms above run through the same code.
ReadResult read_analyze_image(std::span<const unsigned char> header_bytes, std::FILE* ifile,
                              analyze_image& image, bool signed_16bit);

}  // namespace levelset_prep::analyze
