// SPDX-License-Identifier: MIT
#include <cstring>

#include <levelset_prep/analyze/analyze_image.hpp>

namespace levelset_prep::analyze {

analyze_header make_empty_header() {
    analyze_header header;
    std::memset(&header, 0, sizeof header);
    header.sizeof_hdr = 348;
    header.regular = 'r';
    return header;
}

std::int64_t voxel_count(const analyze_header& header) {
    const std::int64_t nx = header.dim[1], ny = header.dim[2], nz = header.dim[3];
    if (nx <= 0 || ny <= 0 || nz <= 0) return 0;
    return nx * ny * nz;
}

std::int64_t series_length(const analyze_header& header) {
    std::int64_t volumes = 1;  // at most 32767^4, well inside 63 bits
    for (int i = 4; i <= 7 && i <= header.dim[0]; ++i) {
        if (header.dim[i] > 1) volumes *= header.dim[i];
    }
    return volumes;
}

float voxel_value(const analyze_image& image, std::int32_t x, std::int32_t y, std::int32_t z) {
    const std::int32_t nx = image.header.dim[1], ny = image.header.dim[2], nz = image.header.dim[3];
    if (x < 0 || y < 0 || z < 0 || x > nx - 1 || y > ny - 1 || z > nz - 1) return 0.0f;
    return image.data[x + static_cast<std::int64_t>(nx) * (y + static_cast<std::int64_t>(ny) * z)];
}

}  // namespace levelset_prep::analyze
