// Loading an Analyze pair into an analyze_image: the header, then every
// sample converted to a 32-bit float, with the smallest and largest value.
//
// Accepted sample types (the header's datatype):
//   2  unsigned 8-bit          4  16-bit, signed when signed_16bit, else 0..65535
//   8  signed 32-bit (rounded to the nearest float)
//   16 32-bit float            0  with bitpix above 32: the zero-datatype rule
// The zero-datatype rule reads the samples as floats and multiplies the count
// by bitpix/32 (so bitpix 64 doubles it); the header is left as read.
//
// A header whose sizeof_hdr does not read 348 is swapped, and so is every
// 16-bit and 32-bit sample. Samples are read from the first byte of the
// image file (vox_offset is not used). The sample count is nx*ny*nz, 0 when
// any of them is zero or negative.
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
// The statuses are found in this order: 1, 6, 3, 2 (count), 4, 5, 2 (buffer).
// No buffer is sized from the header alone: the samples' buffer is obtained
// only once the image file has shown that it holds them, so a small header
// announcing a huge volume costs no memory.
#pragma once

#include <cstdio>
#include <span>
#include <string_view>

#include <levelset_prep/analyze/analyze_image.hpp>
#include <levelset_prep/analyze/analyze_status.hpp>

namespace levelset_prep::analyze {

ReadResult read_analyze_image(std::string_view name, analyze_image& image, bool signed_16bit);

// The same read from memory and an open stream: `header_bytes` are the
// header file's bytes (all of them; fewer than 348 gives 6) and `ifile` is
// the open image file; errors name no file. The file-name form above runs
// through the same code.
ReadResult read_analyze_image(std::span<const unsigned char> header_bytes, std::FILE* ifile,
                              analyze_image& image, bool signed_16bit);

}  // namespace levelset_prep::analyze
