// SPDX-License-Identifier: MIT
// The level-set grid from a NIfTI-1 file (read_level_set_file on a .nii
// name), plain or gzip-compressed, checked against read_nifti_image on the
// same bytes: a file it accepts holds the grid's dims and one volume, and
// its values are that reader's (scaled as the header asks), all finite.
//
// Input: nx, ny, nz bytes (1 to 8 points per axis), then the file. The
// file is written to a temporary .nii file, as tetclean is named one.
#include <unistd.h>

#include <bit>
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <string>

#include <levelset_prep/analyze/nifti_reader.hpp>
#include <levelset_prep/levelset/level_set_grid.hpp>

#include "fuzz_support.hpp"

using namespace levelset_prep;

namespace {

const std::string& file_name() {
    static const std::string name =
        "/tmp/fuzz_level_set_volume." + std::to_string(getpid()) + ".nii";
    return name;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    if (size < 3) return 0;
    const mesh::GridShape shape{1 + data[0] % 8, 1 + data[1] % 8, 1 + data[2] % 8};
    const std::string_view bytes(reinterpret_cast<const char*>(data) + 3, size - 3);
    std::FILE* out = std::fopen(file_name().c_str(), "wb");
    FUZZ_CHECK(out != nullptr);
    FUZZ_CHECK(std::fwrite(bytes.data(), 1, bytes.size(), out) == bytes.size());
    FUZZ_CHECK(std::fclose(out) == 0);

    levelset::LevelSetGrid grid;
    FUZZ_CHECK(grid.allocate(shape));
    levelset::LevelSetFileNotes notes;
    const textio::MaybeError error =
        levelset::read_level_set_file(file_name(), grid, nullptr, &notes);
    std::FILE* in = fuzz::open_memory(bytes);
    analyze::analyze_image image;
    const analyze::ReadResult read =
        analyze::read_nifti_image(in, image, {.signed_16bit = true, .volume = 1});
    std::fclose(in);
    if (error) {
        FUZZ_CHECK(error->file == file_name() && !error->problem.empty());
        FUZZ_CHECK(notes.geometry.empty());
        return 0;
    }
    FUZZ_CHECK(read.ok());
    const analyze::analyze_header& header = image.header;
    FUZZ_CHECK(header.dim[1] == shape.nx && header.dim[2] == shape.ny && header.dim[3] == shape.nz);
    FUZZ_CHECK(analyze::series_length(header) == 1);
    const analyze::NiftiScaling scaling = analyze::nifti_scaling(header);
    const bool scaled = scaling.slope != 0.0f && std::isfinite(scaling.slope);
    for (std::int64_t i = 0; i < shape.points(); ++i) {
        const float got = grid.values[static_cast<std::size_t>(i)];
        FUZZ_CHECK(std::isfinite(got));
        // Integers of up to 24 bits and floats convert exactly either way;
        // unscaled, the two readers' values are the same bits.
        const float stored = image.data[static_cast<std::size_t>(i)];
        if (!scaled)
            FUZZ_CHECK(std::bit_cast<std::uint32_t>(got) == std::bit_cast<std::uint32_t>(stored));
    }
    FUZZ_CHECK(notes.geometry.empty() ||
               notes.geometry.find("the parameter file decides") != std::string::npos);
    return 0;
}
