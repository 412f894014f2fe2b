// SPDX-License-Identifier: MIT
// interpolate_sd: the trilinear sampling kernel of the level-set grid.
//
// Every step is done as the grid's users expect it, bit for bit: each
// addition, subtraction and division of the mapping is rounded to float, the
// corner indices are formed in double and truncated, and the eight weighted
// corner values are summed in double in a fixed order and rounded once.
#include <cmath>

#include <levelset_prep/levelset/level_set.hpp>

#include "grid_sampling.hpp"

namespace levelset_prep::levelset {

using mesh::RunParameters;
namespace {

// Mesh coordinate to doubled grid coordinate for one level.
float grid_coordinate(float c, std::int16_t level) {
    float u = 0.0f;
    switch (level) {
        case 1:
            u = c + 1.5f;
            break;
        case 2:
            u = ((c + 1.0f) - 8.0f) / 2.0f + 8.0f;
            break;
        default:
            u = (c - 8.0f) / 4.0f + 8.0f;
            break;
    }
    return u + u;
}

// Written so that a NaN coordinate counts as outside too.
bool inside(float coordinate, std::int32_t points) {
    return coordinate >= 0.0f &&
           static_cast<double>(coordinate) <= static_cast<double>(points) - 1.0;
}

}  // namespace

float interpolate_sd(float x, float y, float z, const float* grid, const RunParameters& param,
                     std::int16_t level) {
    bool outside = false;
    return sample_grid(x, y, z, grid, param, level, outside);
}

float sample_grid(float x, float y, float z, const float* grid, const RunParameters& param,
                  std::int16_t level, bool& outside) {
    outside = true;
    if (level < 1 || level > 3) return out_of_grid_value;
    const mesh::GridShape shape = mesh::grid_shape(param, level);
    const float X = grid_coordinate(x, level);
    const float Y = grid_coordinate(y, level);
    const float Z = grid_coordinate(z, level);
    if (!inside(X, shape.nx) || !inside(Y, shape.ny) || !inside(Z, shape.nz)) {
        return out_of_grid_value;
    }
    outside = false;

    const float x0 = std::floor(X), x1 = std::ceil(X);
    const float y0 = std::floor(Y), y1 = std::ceil(Y);
    const float z0 = std::floor(Z), z1 = std::ceil(Z);
    const double row = shape.nx;
    const double plane = static_cast<double>(shape.nx) * shape.ny;
    auto at = [&](float a, float b, float c) {
        const double index =
            static_cast<double>(a) + static_cast<double>(b) * row + static_cast<double>(c) * plane;
        return static_cast<double>(grid[static_cast<std::int32_t>(index)]);
    };
    const double sd[8] = {at(x0, y0, z0), at(x1, y0, z0), at(x0, y1, z0), at(x1, y1, z0),
                          at(x0, y0, z1), at(x1, y0, z1), at(x0, y1, z1), at(x1, y1, z1)};

    const float tx = X - x0, ty = Y - y0, tz = Z - z0;
    const float sx = 1.0f - tx, sy = 1.0f - ty, sz = 1.0f - tz;
    const double dtx = tx, dty = ty, dtz = tz, dsx = sx, dsy = sy, dsz = sz;
    double sum = sd[0] * dsx * dsy * dsz;
    sum += sd[1] * dtx * dsy * dsz;
    sum += sd[2] * dsx * dty * dsz;
    sum += sd[3] * dtx * dty * dsz;
    sum += sd[4] * dsx * dsy * dtz;
    sum += sd[5] * dtx * dsy * dtz;
    sum += sd[6] * dsx * dty * dtz;
    sum += sd[7] * dtx * dty * dtz;
    return static_cast<float>(sum);
}

}  // namespace levelset_prep::levelset
