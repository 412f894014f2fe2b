// SPDX-License-Identifier: MIT
// Writes a text level-set grid as a float32 NIfTI-1 file, for the
// benchmarks that time tetclean on a volume grid.
//
//   level_set_nifti <levelset.txt> <params.txt> <out.nii | out.nii.gz>
//
// The header carries the grid's geometry: voxel (i, j, k) at mesh
// coordinates (-1.5, -1.5, -1.5) + (i, j, k) / 2 in the qform and sform. A
// name ending in .gz is written gzip-compressed (level 6).
#include <zlib.h>

#include <cstdio>
#include <cstring>
#include <string>

#include <levelset_prep/levelset/level_set_grid.hpp>

using namespace levelset_prep;

namespace {

template <typename T>
void put(std::string& bytes, std::size_t at, T value) {
    std::memcpy(bytes.data() + at, &value, sizeof value);
}

std::string header(const mesh::GridShape& shape) {
    std::string h(352, '\0');
    put<std::int32_t>(h, 0, 348);
    const std::int16_t dims[4] = {3, static_cast<std::int16_t>(shape.nx),
                                  static_cast<std::int16_t>(shape.ny),
                                  static_cast<std::int16_t>(shape.nz)};
    for (std::size_t i = 0; i < 4; ++i) put(h, 40 + 2 * i, dims[i]);
    put<std::int16_t>(h, 70, 16);  // float32
    put<std::int16_t>(h, 72, 32);
    put(h, 76, 1.0f);  // qfac
    for (std::size_t i = 1; i <= 3; ++i) put(h, 76 + 4 * i, 0.5f);
    put(h, 108, 352.0f);
    put<std::int16_t>(h, 252, 1);  // qform: scanner coordinates, no rotation
    put<std::int16_t>(h, 254, 1);
    for (std::size_t axis = 0; axis < 3; ++axis) {
        put(h, 268 + 4 * axis, -1.5f);
        put(h, 280 + 16 * axis + 4 * axis, 0.5f);
        put(h, 280 + 16 * axis + 12, -1.5f);
    }
    std::memcpy(h.data() + 344, "n+1", 4);
    return h;
}

bool write_plain(const std::string& name, const std::string& head, const float* values,
                 std::size_t count) {
    std::FILE* out = std::fopen(name.c_str(), "wb");
    if (out == nullptr) return false;
    const bool ok = std::fwrite(head.data(), 1, head.size(), out) == head.size() &&
                    std::fwrite(values, sizeof(float), count, out) == count;
    return std::fclose(out) == 0 && ok;
}

bool write_gzip(const std::string& name, const std::string& head, const float* values,
                std::size_t count) {
    gzFile out = gzopen(name.c_str(), "wb6");
    if (out == nullptr) return false;
    bool ok = gzwrite(out, head.data(), static_cast<unsigned>(head.size())) > 0;
    const auto* bytes = reinterpret_cast<const char*>(values);
    for (std::size_t done = 0, total = count * sizeof(float); ok && done < total;) {
        const std::size_t part = std::min<std::size_t>(total - done, std::size_t{1} << 24);
        ok = gzwrite(out, bytes + done, static_cast<unsigned>(part)) > 0;
        done += part;
    }
    return gzclose(out) == Z_OK && ok;
}

}  // namespace

int main(int argc, char** argv) {
    if (argc != 4) {
        std::fprintf(stderr, "usage: %s <levelset.txt> <params.txt> <out.nii[.gz]>\n", argv[0]);
        return 1;
    }
    mesh::RunParameters param;
    levelset::LevelSetGrid grid;
    textio::MaybeError error = param.read_parameter_file(argv[2]);
    if (!error && !grid.allocate(mesh::grid_shape(param, 1))) {
        error = textio::file_error(argv[2], "cannot allocate the grid");
    }
    if (!error) error = levelset::read_level_set_file(argv[1], grid);
    if (error) {
        std::fprintf(stderr, "level_set_nifti: %s\n", error->message().c_str());
        return 1;
    }
    const std::string name = argv[3];
    const auto count = static_cast<std::size_t>(grid.shape.points());
    const bool ok = name.ends_with(".gz")
                        ? write_gzip(name, header(grid.shape), grid.values.get(), count)
                        : write_plain(name, header(grid.shape), grid.values.get(), count);
    if (!ok) {
        std::fprintf(stderr, "level_set_nifti: cannot write %s\n", name.c_str());
        return 1;
    }
    return 0;
}
