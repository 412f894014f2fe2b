// SPDX-License-Identifier: MIT
// What the readers and writers of images report: a status whose number the
// tools print and, unless ok, an error naming the file and the problem.
#pragma once

#include <levelset_prep/textio/error.hpp>

namespace levelset_prep::analyze {

enum class ReadStatus {
    ok = 0,
    header_not_opened = 1,
    no_sample_buffer = 2,  // also a sample count beyond 32 bits
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

constexpr int status_number(ReadStatus status) { return static_cast<int>(status); }
constexpr int status_number(WriteStatus status) { return static_cast<int>(status); }

}  // namespace levelset_prep::analyze
