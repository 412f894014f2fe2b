// SPDX-License-Identifier: MIT
// make_example_volume [name]: the example head-like volume, an Analyze pair
// of 16-bit labels in big-endian order, so that reading it on the usual
// machine exercises the byte swap. Labels: 0 outside, 1 a body, 2 and 3 two
// spheres inside it, 4 a tube along z.
#include <bit>
#include <cstdint>
#include <cstdio>
#include <string>
#include <vector>

#include <levelset_prep/analyze/analyze_header_file.hpp>
#include <levelset_prep/analyze/analyze_image.hpp>
#include <levelset_prep/analyze/analyze_names.hpp>
#include <levelset_prep/analyze/byte_order.hpp>

namespace {

using namespace levelset_prep::analyze;

constexpr int nx = 48, ny = 48, nz = 16;
constexpr float spacing_x = 0.9375f, spacing_y = 0.9375f, spacing_z = 2.5f;

bool inside_ellipsoid(double x, double y, double z, double cx, double cy, double cz, double rx,
                      double ry, double rz) {
    const double dx = (x - cx) / rx, dy = (y - cy) / ry, dz = (z - cz) / rz;
    return dx * dx + dy * dy + dz * dz <= 1.0;
}

// The label at the centre of voxel (i, j, k), in millimetres from the corner.
std::int16_t label_at(int i, int j, int k) {
    const double x = (i + 0.5) * spacing_x, y = (j + 0.5) * spacing_y, z = (k + 0.5) * spacing_z;
    const double cx = nx * spacing_x / 2, cy = ny * spacing_y / 2, cz = nz * spacing_z / 2;
    if (!inside_ellipsoid(x, y, z, cx, cy, cz, 20.0, 17.0, 18.0)) return 0;
    const double tx = x - cx, ty = y - cy;
    if (tx * tx + ty * ty <= 3.0 * 3.0) return 4;
    if (inside_ellipsoid(x, y, z, cx - 9.0, cy, cz, 6.0, 6.0, 6.0)) return 2;
    if (inside_ellipsoid(x, y, z, cx + 9.0, cy + 2.0, cz, 5.0, 5.0, 7.5)) return 3;
    return 1;
}

}  // namespace

int main(int argc, char** argv) {
    const std::string name = argc > 1 ? argv[1] : "segmented";
    constexpr bool swap = std::endian::native == std::endian::little;

    analyze_header header = make_empty_header();
    header.dim[0] = 4;
    header.dim[1] = nx;
    header.dim[2] = ny;
    header.dim[3] = nz;
    header.dim[4] = 1;
    header.datatype = datatype_signed_short;
    header.bitpix = 16;
    header.pixdim[1] = spacing_x;
    header.pixdim[2] = spacing_y;
    header.pixdim[3] = spacing_z;
    header.glmax = 4;
    header.glmin = 0;
    if (swap) swap_header(header);
    if (write_analyze_header(name, header)) {
        std::fprintf(stderr, "make_example_volume: %s: cannot write the header file\n",
                     name.c_str());
        return 1;
    }

    std::vector<std::int16_t> samples;
    samples.reserve(nx * ny * nz);
    for (int k = 0; k < nz; ++k) {
        for (int j = 0; j < ny; ++j) {
            for (int i = 0; i < nx; ++i) {
                std::int16_t label = label_at(i, j, k);
                if (swap) swap_bytes_16(label);
                samples.push_back(label);
            }
        }
    }
    std::string imgfname;
    make_img_name(imgfname, name);
    std::FILE* out = std::fopen(imgfname.c_str(), "wb");
    const bool written = out != nullptr && std::fwrite(samples.data(), sizeof samples[0],
                                                       samples.size(), out) == samples.size();
    if (out == nullptr || std::fclose(out) != 0 || !written) {
        std::fprintf(stderr, "make_example_volume: %s: cannot write the image file\n",
                     imgfname.c_str());
        return 1;
    }
    return 0;
}
