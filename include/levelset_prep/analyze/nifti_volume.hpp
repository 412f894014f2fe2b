// SPDX-License-Identifier: MIT
// A NIfTI-1 single file read in two steps, for a caller that holds the
// samples' memory (a grid sized beforehand): open() reads and judges the
// header by read_nifti_image's rules (gzip by its magic bytes, byte order
// by sizeof_hdr, the same refusals and datatypes), so the caller can check
// the dimensions; read_first_volume() then converts the first volume's
// samples straight into the caller's floats, with no buffer of its own
// beyond a chunk. Prints nothing; errors name the file.
#pragma once

#include <atomic>
#include <cstdint>
#include <memory>
#include <optional>
#include <string>

#include <levelset_prep/analyze/analyze_image.hpp>
#include <levelset_prep/analyze/analyze_status.hpp>
#include <levelset_prep/analyze/nifti_reader.hpp>
#include <levelset_prep/textio/input_file.hpp>

namespace levelset_prep::analyze {

// A voxel-to-world transform of the header: world = matrix * (i, j, k, 1).
struct NiftiTransform {
    std::int16_t code = 0;  // 0: the header holds none
    double matrix[3][4] = {};
};

// The header's qform (from its quaternion, offsets, pixdim and qfac, as
// the format defines) and its sform (srow_x, srow_y, srow_z).
struct NiftiTransforms {
    NiftiTransform qform, sform;
};

// How read_first_volume converts: scaled (real = slope * stored + inter,
// in double, rounded once to float) or as stored, and when it gives up.
struct NiftiVolumeRead {
    const NiftiScaling* scaling = nullptr;    // nothing: the stored values
    const std::atomic<bool>* stop = nullptr;  // once set, the read ends early (status 5)
};

class NiftiVolumeFile {
public:
    NiftiVolumeFile();
    ~NiftiVolumeFile();
    NiftiVolumeFile(const NiftiVolumeFile&) = delete;
    NiftiVolumeFile& operator=(const NiftiVolumeFile&) = delete;

    // Opens `name` and reads its header; datatype 4 is signed when
    // `signed_16bit`. ok, or status 1, 6, 8, 7, 2 (count) or 4 with
    // read_nifti_image's error; `what` names the file in an open's error
    // ("cannot open <what>: ...").
    ReadResult open(const std::string& name, bool signed_16bit, const char* what = "NIfTI-1 file");

    // After a successful open: the header as read_nifti_image leaves it,
    // and its transforms.
    const analyze_header& header() const { return header_; }
    NiftiTransforms transforms() const;

    // Reads the first volume's voxel_count(header()) samples into `out`.
    // ok, or status 5, 8, 9 or 2 (no chunk buffer) with its error; compressed
    // data must be intact and hold no more than vox_offset and the series.
    // On failure `out` holds whatever had been read.
    ReadResult read_first_volume(float* out, const NiftiVolumeRead& how);

private:
    struct State;
    std::unique_ptr<State> state_;
    analyze_header header_ = make_empty_header();
};

// The scaling a header asks for: nothing when scl_slope is 0 (the format's
// "no scaling"), a NaN or an infinity.
std::optional<NiftiScaling> nifti_applied_scaling(const analyze_header& header);

}  // namespace levelset_prep::analyze
