// SPDX-License-Identifier: MIT
// Notices where the text of a NIfTI-1 volume differs from what the file
// means. A pair gets none: its readers expect the values as written.
#pragma once

#include <string>
#include <vector>

#include <levelset_prep/analyze/nifti_reader.hpp>

#include "text_outputs.hpp"

namespace levelset_prep::voxdump {

struct NiftiFacts {
    analyze::NiftiScaling scaling;
    bool unsigned_16bit = false;  // datatype 4 read as 0 to 65535 (no --signed-16bit)
    AsciiImageCounts counts;
};

NiftiFacts nifti_facts(const analyze::analyze_header& header, const analyze::ReadOptions& options,
                       const AsciiImageCounts& counts);

// Without the file name: the scaling, negative 16-bit values, unwritable voxels.
std::vector<std::string> nifti_notices(const NiftiFacts& facts);

}  // namespace levelset_prep::voxdump
