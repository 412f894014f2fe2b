// SPDX-License-Identifier: MIT
// Unsigned-byte volumes (masks) as Analyze pairs of datatype 2.
//
// read_analyze_byte_image reads the header (swapping a foreign one; bytes
// need no swap) and then nx*ny*nz bytes from the start of the image file
// straight into `data`. Statuses as read_analyze_image, found in this order:
// 1 header file cannot be opened, 6 header shorter than 348 bytes, 2 sample
// count beyond 32-bit, 3 image file cannot be opened, 4 datatype not 2,
// 5 image file too short, 2 no buffer, 0 read; `data` is attached only on 0.
// As in read_analyze_image, the buffer is obtained only once the image file
// has shown that it holds the samples. No minimum or maximum; every status
// but 0 comes with an error naming the file.
//
// write_analyze_byte_image writes the header and then the nx*ny*nz bytes of
// `data`, in the machine's byte order. With `overwrite` false and an image
// file that can be opened for reading it returns 4 and writes nothing.
// 1: the header file cannot be written; 2: the image file cannot be opened
// or written completely (or `data` is missing); 0: both written.
#pragma once

#include <cstdio>
#include <span>
#include <string_view>

#include <levelset_prep/analyze/analyze_image.hpp>
#include <levelset_prep/analyze/analyze_status.hpp>

namespace levelset_prep::analyze {

ReadResult read_analyze_byte_image(std::string_view name, analyze_byte_image& image);
// The same read from memory and an open stream: `header_bytes` are the
// header file's bytes and `ifile` the open image file.
ReadResult read_analyze_byte_image(std::span<const unsigned char> header_bytes, std::FILE* ifile,
                                   analyze_byte_image& image);
WriteResult write_analyze_byte_image(std::string_view name, const analyze_byte_image& image,
                                     bool overwrite);

// True when the image file of `name` can be opened for reading: the test the
// writers make before they would overwrite it.
bool image_file_exists(std::string_view name);

}  // namespace levelset_prep::analyze
