// SPDX-License-Identifier: MIT
// make_example_nifti [pair] [output]: the example series, two volumes of
// 8-bit labels: the pair's, then a follow-up in which the tube (label 4) is
// gone, its voxels labelled 1.
#include <zlib.h>

#include <bit>
#include <cstdint>
#include <cstdio>
#include <cstring>
#include <string>
#include <vector>

#include <levelset_prep/analyze/analyze_reader.hpp>

namespace {

using namespace levelset_prep::analyze;

// Little-endian bytes of `value` at `offset`.
template <typename T>
void put(std::string& bytes, std::size_t offset, T value) {
    unsigned char raw[sizeof(T)];
    std::memcpy(raw, &value, sizeof(T));
    if constexpr (std::endian::native == std::endian::big) {
        for (std::size_t i = 0; i < sizeof(T) / 2; ++i) std::swap(raw[i], raw[sizeof(T) - 1 - i]);
    }
    std::memcpy(bytes.data() + offset, raw, sizeof(T));
}

}  // namespace

int main(int argc, char** argv) {
    const std::string pair = argc > 1 ? argv[1] : "segmented";
    const std::string output = argc > 2 ? argv[2] : "segmented_series.nii.gz";
    analyze_image labels;
    if (const ReadResult read = read_analyze_image(pair, labels, false); !read.ok()) {
        std::fprintf(stderr, "make_example_nifti: %s\n", read.error->message().c_str());
        return 1;
    }
    const analyze_header& source = labels.header;
    const auto voxels = static_cast<std::size_t>(voxel_count(source));

    std::string file(352, '\0');  // the header and four zero extension bytes
    put<std::int32_t>(file, 0, 348);
    const std::int16_t dims[8] = {4, source.dim[1], source.dim[2], source.dim[3], 2, 1, 1, 1};
    for (int i = 0; i < 8; ++i) put(file, 40 + 2 * i, dims[i]);
    put<std::int16_t>(file, 70, 2);  // unsigned 8-bit
    put<std::int16_t>(file, 72, 8);
    const float pixdim[5] = {1.0f, source.pixdim[1], source.pixdim[2], source.pixdim[3], 1.0f};
    for (int i = 0; i < 5; ++i) put(file, 76 + 4 * i, pixdim[i]);
    put<float>(file, 108, 352.0f);  // vox_offset
    file[123] = 2 | 8;              // xyzt_units: millimetres, seconds
    std::memcpy(file.data() + 344, "n+1", 4);
    for (int volume = 1; volume <= 2; ++volume) {
        for (std::size_t i = 0; i < voxels; ++i) {
            const auto label = static_cast<std::uint8_t>(labels.data[i]);
            file += static_cast<char>(volume == 2 && label == 4 ? 1 : label);
        }
    }

    gzFile out = gzopen(output.c_str(), "wb9");
    const bool written =
        out != nullptr && gzwrite(out, file.data(), static_cast<unsigned>(file.size())) ==
                              static_cast<int>(file.size());
    if (out == nullptr || gzclose(out) != Z_OK || !written) {
        std::fprintf(stderr, "make_example_nifti: %s: cannot write the file\n", output.c_str());
        return 1;
    }
    return 0;
}
