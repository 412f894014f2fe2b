// SPDX-License-Identifier: MIT
// What the readers and writers of Analyze pairs report: a status whose
// number is the one the tools print, and, when it is not ok, an error that
// names the file, the problem and the system's reason.
//
// Readers (read_analyze_image, read_nifti_image, read_analyze_byte_image):
//   0 read completed; 1 header file (or NIfTI-1 file) cannot be opened;
//   2 sample buffer cannot be obtained (or the sample count does not fit a
//   32-bit signed integer); 3 image file cannot be opened; 4 datatype not
//   accepted; 5 image file (or NIfTI-1 file) shorter than the samples the
//   header announces; 6 header shorter than 348 bytes;
//   7 not a NIfTI-1 single file (a NIfTI-2 file, a pair's header, no
//   header at all, or one whose dim[0] or vox_offset cannot be);
//   8 compressed data corrupt or cut short; 9 compressed data that inflates
//   to more than the header announces; 10 the volume asked for is not in
//   the series.
// Writers (write_analyze_byte_image, analyze_writer::write_image):
//   0 written; 1 header file cannot be written; 2 image file cannot be
//   opened or written completely; 4 image file exists and overwrite is off.
#pragma once

#include <levelset_prep/textio/error.hpp>

namespace levelset_prep::analyze {

enum class ReadStatus {
    ok = 0,
    header_not_opened = 1,
    no_sample_buffer = 2,
    image_not_opened = 3,
    unsupported_datatype = 4,
    image_too_short = 5,
    header_too_short = 6,
    not_nifti1 = 7,
    corrupt_compressed_data = 8,
    excess_compressed_data = 9,
    no_such_volume = 10,
};

enum class WriteStatus {
    ok = 0,
    header_not_written = 1,
    image_not_written = 2,
    image_exists = 4,
};

template <typename Status>
struct StatusResult {
    Status status = Status::ok;
    textio::MaybeError error;  // set whenever status is not ok
    bool ok() const { return status == Status::ok; }
};
using ReadResult = StatusResult<ReadStatus>;
using WriteResult = StatusResult<WriteStatus>;

// The number a status is printed as.
constexpr int status_number(ReadStatus status) { return static_cast<int>(status); }
constexpr int status_number(WriteStatus status) { return static_cast<int>(status); }

}  // namespace levelset_prep::analyze
