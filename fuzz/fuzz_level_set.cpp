// SPDX-License-Identifier: MIT
// The level-set reader (read_level_set) on small grids, and the
// interpolation kernel over what it read. The grid's dimensions come from
// the input's first three bytes (1 to 12 points per axis) and its buffer
// holds exactly the sampled points, so a read or a sample beyond them is an
// address error. The text is read from memory and as a stream in small
// blocks; both must agree.
#include <cmath>
#include <cstdint>
#include <cstring>
#include <memory>
#include <string_view>

#include <levelset_prep/levelset/level_set.hpp>
#include <levelset_prep/textio/token_scanner.hpp>

#include "fuzz_support.hpp"

using namespace levelset_prep;

namespace {

constexpr std::size_t prefix = 4 + 3 * sizeof(float);

float raw_float(const std::uint8_t* bytes) {
    float value;
    std::memcpy(&value, bytes, sizeof value);
    return value;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    if (size < prefix) return 0;
    mesh::RunParameters param;
    param.grid1_nx = 1 + data[0] % 12;
    param.grid1_ny = 1 + data[1] % 12;
    param.grid1_nz = 1 + data[2] % 12;
    param.grid1_count = param.grid1_nx * param.grid1_ny * param.grid1_nz * 8;
    const std::uint8_t choice = data[3];
    const float query[3] = {raw_float(data + 4), raw_float(data + 8), raw_float(data + 12)};
    const std::string_view text(reinterpret_cast<const char*>(data) + prefix, size - prefix);

    const auto points = static_cast<std::size_t>(mesh::grid_shape(param, 1).points());
    std::unique_ptr<float[]> read[2] = {std::make_unique<float[]>(points),
                                        std::make_unique<float[]>(points)};
    if (!fuzz::read_both_ways(
            text, choice, "ls.txt", [&](textio::TokenScanner& scanner, int which) {
                return levelset::read_level_set(scanner, "ls.txt", read[which].get(), param, 1);
            })) {
        return 0;
    }
    FUZZ_CHECK(std::memcmp(read[0].get(), read[1].get(), points * sizeof(float)) == 0);

    // The kernel at the input's point, at the grid's corners (mesh
    // coordinate -1.5 is grid point 0, spacing 0.5) and just beyond them.
    const float* grid = read[0].get();
    (void)levelset::interpolate_sd(query[0], query[1], query[2], grid, param, 1);
    const float last[3] = {-1.5f + 0.5f * static_cast<float>(param.grid1_nx - 1),
                           -1.5f + 0.5f * static_cast<float>(param.grid1_ny - 1),
                           -1.5f + 0.5f * static_cast<float>(param.grid1_nz - 1)};
    for (int corner = 0; corner < 8; ++corner) {
        const float x = corner & 1 ? last[0] : -1.5f;
        const float y = corner & 2 ? last[1] : -1.5f;
        const float z = corner & 4 ? last[2] : -1.5f;
        const float value = levelset::interpolate_sd(x, y, z, grid, param, 1);
        const std::size_t index =
            (corner & 1 ? param.grid1_nx - 1 : 0) +
            param.grid1_nx * ((corner & 2 ? param.grid1_ny - 1 : 0) +
                              param.grid1_ny * (corner & 4 ? param.grid1_nz - 1 : 0));
        FUZZ_CHECK(value == grid[index]);  // a grid point reads as itself
        // Outside: the next float below -1.5, or a quarter spacing past the end.
        const float beyond = corner & 1 ? x + 0.25f : std::nextafter(x, -2.0f);
        FUZZ_CHECK(levelset::interpolate_sd(beyond, y, z, grid, param, 1) ==
                   levelset::out_of_grid_value);
    }
    // Between the input's point and the grid: every level, for the bounds.
    for (std::int16_t level = 0; level <= 4; ++level) {
        (void)levelset::interpolate_sd(query[0] * 0.5f, query[1], -1.0f, grid, param, level);
    }
    return 0;
}
