// SPDX-License-Identifier: MIT
// The first steps of every read of a NIfTI-1 single file, up to its
// samples: the header read (inflated when the file starts as gzip data),
// judged and brought into the machine's byte order, the sample count and
// datatype checked. read_nifti_image and NiftiVolumeFile go on from here.
#pragma once

#include <cstdio>
#include <string>

#include <levelset_prep/analyze/analyze_image.hpp>
#include <levelset_prep/analyze/analyze_status.hpp>

#include "gzip_source.hpp"
#include "nifti_header.hpp"
#include "pair_reading.hpp"
#include "volume_samples.hpp"

namespace levelset_prep::analyze::detail {

struct NiftiOpening {
    GzipSource source;  // started when the file is gzip data
    bool compressed = false;
    NiftiHeaderCheck check;
    unsigned char stored[sizeof(analyze_header)] = {};  // the header's bytes as stored
    SamplePlan plan;                                    // type, count and swap set
    FailureDetails details;
};

// Reads the header from `file` (open at its first byte; `name` for the
// errors, empty for none) into `header`: ok, or status 6, 8, 2 (buffers
// or count), 7 or 4 with its error.
ReadResult open_nifti(std::FILE* file, const std::string& name, bool signed_16bit,
                      analyze_header& header, NiftiOpening& opening);

// The error of a read that went on from open_nifti and ended in `status`,
// with the source's problem and the bytes the header announces.
ReadResult nifti_failure(ReadStatus status, const analyze_header& header, NiftiOpening& opening);

}  // namespace levelset_prep::analyze::detail
