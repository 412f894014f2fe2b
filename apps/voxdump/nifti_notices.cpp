// SPDX-License-Identifier: MIT
#include "nifti_notices.hpp"

#include <cmath>

#include <levelset_prep/textio/number_format.hpp>

namespace levelset_prep::voxdump {
namespace {

std::string shown(float value) {
    char text[textio::max_number_chars + 1];
    *textio::format_general(text, value) = '\0';
    return text;
}

// "1 stored 16-bit value is", "26 stored 16-bit values are".
std::string counted(std::int64_t count, const char* one, const char* many) {
    return std::to_string(count) + (count == 1 ? one : many);
}

// A value that is not finite scales nothing: readers take it as unset, and
// some writers store NaN in both fields of a file they do not scale.
bool scales(const analyze::NiftiScaling& scaling) {
    const bool slope =
        std::isfinite(scaling.slope) && scaling.slope != 0.0f && scaling.slope != 1.0f;
    return slope || (std::isfinite(scaling.inter) && scaling.inter != 0.0f);
}

}  // namespace

NiftiFacts nifti_facts(const analyze::analyze_header& header, const analyze::ReadOptions& options,
                       const AsciiImageCounts& counts) {
    return {analyze::nifti_scaling(header),
            header.datatype == analyze::datatype_signed_short && !options.signed_16bit, counts};
}

std::vector<std::string> nifti_notices(const NiftiFacts& facts) {
    std::vector<std::string> notices;
    const analyze::NiftiScaling& scaling = facts.scaling;
    if (scales(scaling)) {
        notices.push_back("scl_slope " + shown(scaling.slope) + " and scl_inter " +
                          shown(scaling.inter) + " are not applied; the stored values are written");
    }
    // Read as 0 to 65535, a value from 32768 up was stored as a negative one.
    if (facts.unsigned_16bit && facts.counts.from_32768 != 0) {
        notices.push_back(counted(facts.counts.from_32768,
                                  " stored 16-bit value is negative and is read",
                                  " stored 16-bit values are negative and are read") +
                          " as unsigned (a stored -1 as 65535); --signed-16bit reads " +
                          (facts.counts.from_32768 == 1 ? "it" : "them") + " signed");
    }
    if (facts.counts.unwritable != 0) {
        notices.push_back(
            counted(facts.counts.unwritable,
                    " voxel is not a number or lies outside the 32-bit range and is written",
                    " voxels are not numbers or lie outside the 32-bit range and are written") +
            " as -2147483648");
    }
    return notices;
}

}  // namespace levelset_prep::voxdump
