// SPDX-License-Identifier: MIT
// Whether a volume's transforms agree with the level-set grid's geometry:
// point (i, j, k) at mesh coordinates (-1.5, -1.5, -1.5) + (i, j, k) / 2.
#include <cmath>

#include <levelset_prep/textio/number_format.hpp>

#include "level_set_volume.hpp"

namespace levelset_prep::levelset::detail {
namespace {

constexpr double grid_origin = -1.5;
constexpr double grid_spacing = 0.5;
// The header stores floats; a transform computed in float (or from a
// quaternion) may miss the grid's numbers by a few units in the last place.
constexpr double tolerance = 1e-5;

struct Geometry {
    double origin[3] = {};
    double spacing[3] = {};
    bool rotated = false;  // or an axis flipped
};

Geometry geometry_of(const analyze::NiftiTransform& transform) {
    Geometry g;
    const auto& m = transform.matrix;
    for (int axis = 0; axis < 3; ++axis) {
        g.origin[axis] = m[axis][3];
        g.spacing[axis] = std::hypot(m[0][axis], m[1][axis], m[2][axis]);
        for (int row = 0; row < 3; ++row) {
            const double entry = m[row][axis];
            const bool off = row == axis ? !(entry > 0.0) || std::abs(entry - g.spacing[axis]) >
                                                                 tolerance * g.spacing[axis]
                                         : std::abs(entry) > tolerance * g.spacing[axis];
            g.rotated = g.rotated || off;
        }
    }
    return g;
}

bool is_grids(const Geometry& g) {
    for (int axis = 0; axis < 3; ++axis) {
        if (!(std::abs(g.origin[axis] - grid_origin) <= tolerance) ||
            !(std::abs(g.spacing[axis] - grid_spacing) <= tolerance)) {
            return false;
        }
    }
    return !g.rotated;
}

std::string shown(double value) {
    char text[textio::max_number_chars];
    return {text, textio::format_general(text, value)};
}

std::string triple(const double (&values)[3]) {
    return shown(values[0]) + ", " + shown(values[1]) + ", " + shown(values[2]);
}

}  // namespace

std::string geometry_notice(const analyze::NiftiTransforms& transforms) {
    const std::pair<const char*, const analyze::NiftiTransform*> candidates[] = {
        {"sform", &transforms.sform}, {"qform", &transforms.qform}};
    for (const auto& [name, transform] : candidates) {
        if (transform->code == 0) continue;
        const Geometry g = geometry_of(*transform);
        if (is_grids(g)) continue;
        return std::string("the header's ") + name + " puts voxel (0, 0, 0) at (" +
               triple(g.origin) + ") with spacings " + triple(g.spacing) +
               (g.rotated ? " and rotated or flipped axes" : "") +
               "; the grid's point (0, 0, 0) is at (-1.5, -1.5, -1.5) with spacing 0.5 and no "
               "rotation; the parameter file decides, and the values are used as the grid's";
    }
    return {};
}

}  // namespace levelset_prep::levelset::detail
