// SPDX-License-Identifier: MIT
// Masks as Analyze pairs of datatype 2, read and written as
// read_analyze_image and analyze_writer do; `data` is attached only on
// success, and without `overwrite` an existing image file is left alone.
#pragma once

#include <cstdio>
#include <span>
#include <string_view>

#include <levelset_prep/analyze/analyze_image.hpp>
#include <levelset_prep/analyze/analyze_status.hpp>

namespace levelset_prep::analyze {

ReadResult read_analyze_byte_image(std::string_view name, analyze_byte_image& image);
// From the header file's bytes and an open image stream.
ReadResult read_analyze_byte_image(std::span<const unsigned char> header_bytes, std::FILE* ifile,
                                   analyze_byte_image& image);
WriteResult write_analyze_byte_image(std::string_view name, const analyze_byte_image& image,
                                     bool overwrite);

// Whether the image file can be opened for reading: the writers' overwrite test.
bool image_file_exists(std::string_view name);

}  // namespace levelset_prep::analyze
