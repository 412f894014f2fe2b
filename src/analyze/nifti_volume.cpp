// SPDX-License-Identifier: MIT
#include <cmath>
#include <cstring>

#include <levelset_prep/analyze/byte_order.hpp>
#include <levelset_prep/analyze/nifti_volume.hpp>

#include "nifti_opening.hpp"

namespace levelset_prep::analyze {

struct NiftiVolumeFile::State {
    textio::InputFile file;
    detail::NiftiOpening opening;
};

namespace {

// A field of the header as stored, in the machine's order.
template <typename T>
T stored_field(const unsigned char* stored, std::size_t at, bool swap) {
    T value;
    std::memcpy(&value, stored + at, sizeof value);
    if (swap) {
        if constexpr (sizeof(T) == 2) {
            swap_bytes_16(value);
        } else {
            swap_bytes_32(value);
        }
    }
    return value;
}

// The qform as the format defines it: a rotation from the quaternion
// (b, c, d), with a = sqrt(1 - b² - c² - d²), its columns scaled by the
// spacings (a spacing not above 0 counts as 1) and the third flipped when
// qfac (pixdim[0]) is negative.
void qform_matrix(const unsigned char* stored, bool swap, double (&m)[3][4]) {
    const auto at = [&](std::size_t offset) {
        return static_cast<double>(stored_field<float>(stored, offset, swap));
    };
    double b = at(256), c = at(260), d = at(264);
    double a = 1.0 - (b * b + c * c + d * d);
    if (a < 1e-7) {  // no room for a: (b, c, d) is normalised, a 180-degree turn
        const double length = std::sqrt(b * b + c * c + d * d);
        a = 0.0;
        if (length > 0.0) b /= length, c /= length, d /= length;
    } else {
        a = std::sqrt(a);
    }
    const double r[3][3] = {
        {a * a + b * b - c * c - d * d, 2 * (b * c - a * d), 2 * (b * d + a * c)},
        {2 * (b * c + a * d), a * a + c * c - b * b - d * d, 2 * (c * d - a * b)},
        {2 * (b * d - a * c), 2 * (c * d + a * b), a * a + d * d - c * c - b * b}};
    double spacing[3];
    for (int axis = 0; axis < 3; ++axis) {
        const double pixdim = at(80 + 4 * static_cast<std::size_t>(axis));
        spacing[axis] = pixdim > 0.0 ? pixdim : 1.0;
    }
    if (at(76) < 0.0) spacing[2] = -spacing[2];
    for (int row = 0; row < 3; ++row) {
        for (int column = 0; column < 3; ++column)
            m[row][column] = r[row][column] * spacing[column];
        m[row][3] = at(268 + 4 * static_cast<std::size_t>(row));
    }
}

}  // namespace

NiftiVolumeFile::NiftiVolumeFile() = default;
NiftiVolumeFile::~NiftiVolumeFile() = default;

ReadResult NiftiVolumeFile::open(const std::string& name, bool signed_16bit, const char* what) {
    state_ = std::make_unique<State>();
    textio::Result<textio::InputFile> file = textio::open_input(name, what);
    if (!file) return {ReadStatus::header_not_opened, std::move(file.error)};
    state_->file = std::move(file.value);
    return detail::open_nifti(state_->file.get(), name, signed_16bit, header_, state_->opening);
}

NiftiTransforms NiftiVolumeFile::transforms() const {
    NiftiTransforms transforms;
    if (!state_) return transforms;
    const unsigned char* stored = state_->opening.stored;
    const bool swap = state_->opening.check.swap;
    transforms.qform.code = stored_field<std::int16_t>(stored, 252, swap);
    transforms.sform.code = stored_field<std::int16_t>(stored, 254, swap);
    if (transforms.qform.code != 0) qform_matrix(stored, swap, transforms.qform.matrix);
    if (transforms.sform.code != 0) {
        for (std::size_t row = 0; row < 3; ++row) {
            for (std::size_t column = 0; column < 4; ++column) {
                transforms.sform.matrix[row][column] =
                    stored_field<float>(stored, 280 + 16 * row + 4 * column, swap);
            }
        }
    }
    return transforms;
}

ReadResult NiftiVolumeFile::read_first_volume(float* out, const NiftiVolumeRead& how) {
    detail::NiftiOpening& opening = state_->opening;
    detail::SamplePlan& plan = opening.plan;
    opening.details.volume = 1;
    ReadStatus status = detail::plan_volume(plan, 1, opening.details.volumes,
                                            opening.check.vox_offset - sizeof(analyze_header));
    detail::SampleScaling scaling;
    detail::IntoOptions options{nullptr, how.stop};
    if (how.scaling != nullptr) {
        scaling = {how.scaling->slope, how.scaling->inter};
        options.scaling = &scaling;
    }
    if (status == ReadStatus::ok) {
        status = opening.compressed
                     ? detail::read_compressed_samples_into(opening.source, plan, out, options)
                     : detail::read_plain_samples_into(state_->file.get(), plan, out, options);
    }
    return detail::nifti_failure(status, header_, opening);
}

std::optional<NiftiScaling> nifti_applied_scaling(const analyze_header& header) {
    const NiftiScaling scaling = nifti_scaling(header);
    if (scaling.slope == 0.0f || !std::isfinite(scaling.slope)) return std::nullopt;
    return scaling;
}

}  // namespace levelset_prep::analyze
