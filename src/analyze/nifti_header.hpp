// SPDX-License-Identifier: MIT
// The header of a NIfTI-1 single file (.nii): the 348 bytes of an Analyze
// header, whose fields keep their places, followed by the samples from
// vox_offset on (after the four extension bytes and any extensions).
//
// check_nifti_header judges the bytes as stored and, when they pass, brings
// the fields the readers use into the machine's byte order (swap_header's
// fields, dim[5..7], vox_offset, and scl_slope and scl_inter, which a
// pair's header calls funused1 and funused2) and sets every dim beyond
// dim[0] to 1, as the format ignores them. Byte order is judged as for a pair: by
// sizeof_hdr, 348 in one order or the other. Refused, each with its
// problem in words: a NIfTI-2 header (sizeof_hdr 540), any other size, a
// magic other than "n+1" (a pair's "ni1" included), dim[0] outside 1 to 7,
// and a vox_offset that is not a whole number from 352 on.
#pragma once

#include <cstdint>
#include <string>

#include <levelset_prep/analyze/analyze_image.hpp>

namespace levelset_prep::analyze::detail {

struct NiftiHeaderCheck {
    bool ok = false;
    std::string problem;  // when not ok: "is a NIfTI-2 file; ..."
    bool swap = false;    // the samples are in the other byte order
    std::uint64_t vox_offset = 0;
};

NiftiHeaderCheck check_nifti_header(analyze_header& header);

}  // namespace levelset_prep::analyze::detail
