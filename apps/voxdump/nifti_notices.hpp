// SPDX-License-Identifier: MIT
// The notices voxdump gives after writing a NIfTI-1 file's volume, where
// the text holds something other than what the file means: a scaling that
// was not applied, negative 16-bit values read as unsigned, and voxels
// written as -2147483648 because they are no 32-bit integer. A pair gets
// none of them: its readers expect the values as they are written.
#pragma once

#include <string>
#include <vector>

#include <levelset_prep/analyze/nifti_reader.hpp>

#include "text_outputs.hpp"

namespace levelset_prep::voxdump {

// What the reader and the writing of the ascii image found.
struct NiftiFacts {
    analyze::NiftiScaling scaling;
    bool unsigned_16bit = false;  // datatype 4 read as 0 to 65535 (no --signed-16bit)
    AsciiImageCounts counts;
};

// The facts of a volume read with `options` and written with `counts`.
NiftiFacts nifti_facts(const analyze::analyze_header& header, const analyze::ReadOptions& options,
                       const AsciiImageCounts& counts);

// The notices, without the file name, in this order: the scaling (when
// scl_slope is neither 0 nor 1, or scl_inter is not 0; a NaN or an
// infinity counts as unset), the negative
// 16-bit values, the voxels written as -2147483648. Empty when all is as
// written.
std::vector<std::string> nifti_notices(const NiftiFacts& facts);

}  // namespace levelset_prep::voxdump
