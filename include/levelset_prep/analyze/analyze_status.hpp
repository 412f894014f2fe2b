// The status numbers that the image module's readers and writers return.
//
// Readers (read_analyze_image, read_analyze_byte_image):
//   0 read completed; 1 header file cannot be opened; 2 sample buffer cannot
//   be obtained (or the sample count does not fit a 32-bit signed integer);
//   3 image file cannot be opened; 4 datatype not accepted; 5 image file
//   shorter than the samples the header announces; 6 header file shorter
//   than 348 bytes.
// Writers (write_analyze_byte_image, analyze_writer::write_image):
//   0 written; 1 header file cannot be written; 2 image file cannot be
//   opened or written completely; 4 image file exists and overwrite is off.
#pragma once

namespace levelset_prep::analyze {

inline constexpr int status_ok = 0;
inline constexpr int status_header_not_opened = 1;
inline constexpr int status_no_sample_buffer = 2;
inline constexpr int status_image_not_opened = 3;
inline constexpr int status_unsupported_datatype = 4;
inline constexpr int status_image_too_short = 5;
inline constexpr int status_header_too_short = 6;

inline constexpr int status_header_not_written = 1;
inline constexpr int status_image_not_written = 2;
inline constexpr int status_image_exists = 4;

}  // namespace levelset_prep::analyze
