// SPDX-License-Identifier: MIT
#include "level_set_volume.hpp"

#include <bit>
#include <cstdint>

namespace levelset_prep::levelset::detail {
namespace {

std::string shape_text(std::int64_t nx, std::int64_t ny, std::int64_t nz) {
    return std::to_string(nx) + " x " + std::to_string(ny) + " x " + std::to_string(nz);
}

textio::MaybeError check_shape(const std::string& file_name, const analyze::analyze_header& header,
                               const mesh::GridShape& shape) {
    const std::int16_t* dim = header.dim;
    if (dim[1] != shape.nx || dim[2] != shape.ny || dim[3] != shape.nz) {
        return textio::file_error(file_name, "holds a " + shape_text(dim[1], dim[2], dim[3]) +
                                                 " grid; the parameter file's extents give " +
                                                 shape_text(shape.nx, shape.ny, shape.nz));
    }
    if (const std::int64_t volumes = analyze::series_length(header); volumes != 1) {
        return textio::file_error(file_name, "holds a series of " + std::to_string(volumes) +
                                                 " volumes; a level-set grid is one volume");
    }
    return std::nullopt;
}

// The first value that is a NaN or an infinity, as a refusal: the grid
// holds what a text grid can, and a text grid refuses both.
textio::MaybeError check_finite(const std::string& file_name, const LevelSetGrid& grid) {
    const auto points = static_cast<std::size_t>(grid.shape.points());
    const float* values = grid.values.get();
    constexpr std::uint32_t exponent = 0x7f800000u;
    std::size_t at = 0;
    // A whole block tested at once: the common case finds nothing.
    constexpr std::size_t block = 4096;
    for (; at < points; at += block) {
        const std::size_t end = std::min(points, at + block);
        bool found = false;
        for (std::size_t i = at; i < end; ++i) {
            found |= (std::bit_cast<std::uint32_t>(values[i]) & exponent) == exponent;
        }
        if (found) break;
    }
    for (; at < points; ++at) {
        const std::uint32_t bits = std::bit_cast<std::uint32_t>(values[at]);
        if ((bits & exponent) != exponent) continue;
        const auto nx = static_cast<std::size_t>(grid.shape.nx);
        const auto ny = static_cast<std::size_t>(grid.shape.ny);
        const bool nan = (bits & 0x007fffffu) != 0;
        return textio::file_error(
            file_name, std::string("holds ") + (nan ? "a NaN" : "an infinity") +
                           " at grid point (" + std::to_string(at % nx) + ", " +
                           std::to_string(at / nx % ny) + ", " + std::to_string(at / nx / ny) +
                           "); level-set values must be finite numbers");
    }
    return std::nullopt;
}

}  // namespace

textio::MaybeError read_level_set_volume(const std::string& file_name, LevelSetGrid& grid,
                                         const std::atomic<bool>* stop, LevelSetFileNotes* notes) {
    analyze::NiftiVolumeFile file;
    // A NIfTI-1 file's datatype 4 is signed 16-bit.
    if (analyze::ReadResult opened = file.open(file_name, true, "level-set file"); !opened.ok()) {
        return opened.error;
    }
    if (auto problem = check_shape(file_name, file.header(), grid.shape)) return problem;
    const std::optional<analyze::NiftiScaling> scaling =
        analyze::nifti_applied_scaling(file.header());
    const analyze::NiftiVolumeRead how{scaling ? &*scaling : nullptr, stop};
    if (analyze::ReadResult read = file.read_first_volume(grid.values.get(), how); !read.ok()) {
        return read.error;
    }
    if (auto problem = check_finite(file_name, grid)) return problem;
    if (notes != nullptr) notes->geometry = geometry_notice(file.transforms());
    return std::nullopt;
}

}  // namespace levelset_prep::levelset::detail
