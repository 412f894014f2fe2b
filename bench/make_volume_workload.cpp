// SPDX-License-Identifier: MIT
// Writes the voxdump benchmark volumes: one volume of nx x ny x nz voxels
// (default 256 x 256 x 180, spacings 0.9375 x 0.9375 x 2.5) stored four
// ways, as Analyze pairs in <folder>:
//
//   float_le, float_be   32-bit floats in little- and big-endian order
//   short_le, short_be   16-bit integers (datatype 4) in both orders
//
// and the float volume once more as a gzip-compressed NIfTI-1 file,
// float_le.nii.gz (gzip's default level 6).
//
//   make_volume_workload <folder> [nx ny nz] [seed]
//
// The content is a scan-like intensity volume: air around a body of soft
// tissue with denser inclusions, plus noise; the float samples carry a
// fractional part, the 16-bit ones are whole numbers from 0 to about 2000.
#include <zlib.h>

#include <algorithm>
#include <bit>
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <random>
#include <string>
#include <vector>

#include <levelset_prep/analyze/analyze_header_file.hpp>
#include <levelset_prep/analyze/analyze_image.hpp>
#include <levelset_prep/analyze/analyze_names.hpp>
#include <levelset_prep/analyze/byte_order.hpp>

namespace {

using namespace levelset_prep::analyze;

struct Shape {
    int nx, ny, nz;
    std::size_t voxels() const { return static_cast<std::size_t>(nx) * ny * nz; }
};

double intensity(const Shape& shape, int i, int j, int k) {
    const double x = (i + 0.5) / shape.nx - 0.5, y = (j + 0.5) / shape.ny - 0.5,
                 z = (k + 0.5) / shape.nz - 0.5;
    if (x * x / 0.16 + y * y / 0.12 + z * z / 0.2 > 1.0) return 20.0;  // air
    const double bx = x - 0.1, by = y + 0.05;
    if (bx * bx + by * by + z * z < 0.01) return 1500.0;  // a dense inclusion
    return 1000.0 + 40.0 * std::sin(12.0 * x) * std::cos(9.0 * y);
}

template <typename Sample>
bool write_pair(const std::string& name, const Shape& shape, const std::vector<Sample>& samples,
                std::int16_t datatype, bool big_endian) {
    analyze_header header = make_empty_header();
    header.dim[0] = 4;
    header.dim[1] = static_cast<std::int16_t>(shape.nx);
    header.dim[2] = static_cast<std::int16_t>(shape.ny);
    header.dim[3] = static_cast<std::int16_t>(shape.nz);
    header.dim[4] = 1;
    header.datatype = datatype;
    header.bitpix = 8 * sizeof(Sample);
    header.pixdim[1] = 0.9375f;
    header.pixdim[2] = 0.9375f;
    header.pixdim[3] = 2.5f;
    const bool swap = big_endian == (std::endian::native == std::endian::little);
    if (swap) swap_header(header);
    if (write_analyze_header(name, header)) {
        std::fprintf(stderr, "make_volume_workload: %s: cannot write the header file\n",
                     name.c_str());
        return false;
    }
    std::vector<Sample> stored = samples;
    if (swap) {
        for (Sample& sample : stored) {
            if constexpr (sizeof(Sample) == 2) {
                swap_bytes_16(sample);
            } else {
                swap_bytes_32(sample);
            }
        }
    }
    std::string image_name;
    make_img_name(image_name, name);
    std::FILE* out = std::fopen(image_name.c_str(), "wb");
    const bool written = out != nullptr && std::fwrite(stored.data(), sizeof(Sample), stored.size(),
                                                       out) == stored.size();
    if (out == nullptr || std::fclose(out) != 0 || !written) {
        std::fprintf(stderr, "make_volume_workload: %s: cannot write the image file\n",
                     image_name.c_str());
        return false;
    }
    return true;
}

// The float volume as a NIfTI-1 single file, gzip-compressed: the header
// (a pair's header with the magic "n+1" and vox_offset 352), four zero
// extension bytes, then the samples in this machine's order.
bool write_nifti_gz(const std::string& name, const Shape& shape,
                    const std::vector<float>& samples) {
    analyze_header header = make_empty_header();
    header.regular = 0;
    header.dim[0] = 3;
    header.dim[1] = static_cast<std::int16_t>(shape.nx);
    header.dim[2] = static_cast<std::int16_t>(shape.ny);
    header.dim[3] = static_cast<std::int16_t>(shape.nz);
    for (int i = 4; i < 8; ++i) header.dim[i] = 1;
    header.datatype = datatype_float;
    header.bitpix = 32;
    header.pixdim[1] = 0.9375f;
    header.pixdim[2] = 0.9375f;
    header.pixdim[3] = 2.5f;
    header.vox_offset = 352.0f;
    std::memcpy(header.data_history + 196, "n+1", 4);
    const char extension[4] = {};
    gzFile out = gzopen(name.c_str(), "wb6");
    const auto put = [out](const void* bytes, std::size_t size) {
        return gzwrite(out, bytes, static_cast<unsigned>(size)) == static_cast<int>(size);
    };
    bool written = out != nullptr && put(&header, sizeof header) && put(extension, 4);
    constexpr std::size_t part = 1 << 20;  // gzwrite takes an int's worth at a time
    for (std::size_t i = 0; written && i < samples.size(); i += part) {
        written = put(samples.data() + i, std::min(part, samples.size() - i) * sizeof(float));
    }
    if (out == nullptr || gzclose(out) != Z_OK || !written) {
        std::fprintf(stderr, "make_volume_workload: %s: cannot write the file\n", name.c_str());
        return false;
    }
    return true;
}

}  // namespace

int main(int argc, char** argv) {
    if (argc != 2 && argc != 5 && argc != 6) {
        std::fprintf(stderr, "usage: %s <folder> [nx ny nz] [seed]\n", argv[0]);
        return 1;
    }
    const std::string folder = argv[1];
    Shape shape{256, 256, 180};
    if (argc >= 5) shape = {std::atoi(argv[2]), std::atoi(argv[3]), std::atoi(argv[4])};
    if (shape.nx < 1 || shape.ny < 1 || shape.nz < 1 || shape.nx > 32767 || shape.ny > 32767 ||
        shape.nz > 32767) {
        std::fprintf(stderr, "make_volume_workload: dimensions must lie in 1 to 32767\n");
        return 1;
    }
    std::mt19937_64 random(argc == 6 ? std::stoul(argv[5]) : 1u);
    std::normal_distribution<double> noise(0.0, 15.0);

    std::vector<float> floats(shape.voxels());
    std::vector<std::int16_t> shorts(shape.voxels());
    std::size_t v = 0;
    for (int k = 0; k < shape.nz; ++k) {
        for (int j = 0; j < shape.ny; ++j) {
            for (int i = 0; i < shape.nx; ++i, ++v) {
                const double value = std::max(0.0, intensity(shape, i, j, k) + noise(random));
                floats[v] = static_cast<float>(value);
                shorts[v] = static_cast<std::int16_t>(std::lround(value));
            }
        }
    }
    return write_pair(folder + "/float_le", shape, floats, datatype_float, false) &&
                   write_pair(folder + "/float_be", shape, floats, datatype_float, true) &&
                   write_pair(folder + "/short_le", shape, shorts, datatype_signed_short, false) &&
                   write_pair(folder + "/short_be", shape, shorts, datatype_signed_short, true) &&
                   write_nifti_gz(folder + "/float_le.nii.gz", shape, floats)
               ? 0
               : 1;
}
