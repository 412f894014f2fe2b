// SPDX-License-Identifier: MIT
// Writes a deterministic tetclean workload for benchmarks.
//
//   make_workload <folder> [scale] [seed]
//
// Scale 1: parameter extents 96 96 96 (a level-1 grid of 224^3 points,
// written as exactly that many values), 1,000,000 nodes and 5,000,000
// tetrahedra. Scale s has s times the nodes and tetrahedra and extents that
// give about s times the grid points. The level set is a smooth signed
// distance to a few spheres with a little noise, six significant digits;
// about 70% of the tetrahedra are region 0, and the nodes lie inside and
// partly outside the grid.
//
// The mesh looks like a mesher's: nodes sit on a jittered lattice numbered
// row by row, so nodes close in number are close in space, and each
// tetrahedron joins four corners of one lattice cell. The tetrahedra come in
// random order.
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <random>
#include <string>

#include <levelset_prep/textio/output_file.hpp>

using namespace levelset_prep;

namespace {

struct Sphere {
    double x, y, z, r;
};

int extent_for(double scale) {
    // 2 * extent + 32 points per axis; about scale times 224^3 points.
    const double points = 224.0 * std::cbrt(scale);
    int extent = static_cast<int>(std::lround((points - 32) / 2));
    return (extent + 3) / 4 * 4;
}

bool finish(textio::OutputFile& out) {
    if (auto error = out.finish(); error || (error = out.commit())) {
        std::fprintf(stderr, "make_workload: %s\n", error->message().c_str());
        return false;
    }
    return true;
}

bool write_level_set(const std::string& path, int extent, std::mt19937_64& random) {
    const int n = 2 * extent + 32;
    const double far = (n - 3) / 2.0;  // mesh extent the grid covers
    const Sphere spheres[] = {{far * 0.3, far * 0.4, far * 0.5, far * 0.2},
                              {far * 0.7, far * 0.6, far * 0.4, far * 0.15},
                              {far * 0.5, far * 0.3, far * 0.7, far * 0.1}};
    std::normal_distribution<double> noise(0.0, 0.01);
    textio::OutputFile out;
    if (auto error = out.open(path)) {
        std::fprintf(stderr, "make_workload: %s\n", error->message().c_str());
        return false;
    }
    for (int k = 0; k < n; ++k) {
        const double z = (k - 3) / 2.0;
        for (int j = 0; j < n; ++j) {
            const double y = (j - 3) / 2.0;
            for (int i = 0; i < n; ++i) {
                const double x = (i - 3) / 2.0;
                double best = 1e30;
                for (const Sphere& s : spheres) {
                    const double d = std::sqrt((x - s.x) * (x - s.x) + (y - s.y) * (y - s.y) +
                                               (z - s.z) * (z - s.z)) -
                                     s.r;
                    best = std::min(best, d);
                }
                if (i) out.put(' ');
                out.put_general(2 * best * (1 + noise(random)));
            }
            out.put('\n');
        }
    }
    return finish(out);
}

// Nodes on a lattice of side points per axis, jittered by up to 0.4 of a
// spacing, numbered with x fastest, then y, then z.
struct Lattice {
    std::int64_t side;
    double origin, spacing;
    std::int64_t node(std::int64_t i, std::int64_t j, std::int64_t k) const {
        return i + side * (j + side * k);
    }
};

// The six tetrahedra of a cube, as corner numbers (bit 0: +x, bit 1: +y,
// bit 2: +z): every one contains the diagonal from corner 0 to corner 7.
constexpr int cube_tets[6][4] = {{0, 1, 3, 7}, {0, 3, 2, 7}, {0, 2, 6, 7},
                                 {0, 6, 4, 7}, {0, 4, 5, 7}, {0, 5, 1, 7}};

bool write_mesh(const std::string& folder, std::int64_t nodes, std::int64_t tets, int extent,
                std::mt19937_64& random) {
    const double far = (2 * extent + 29) / 2.0;
    std::int64_t side = 2;
    while (side * side * side < nodes) ++side;
    const Lattice lattice{side, -0.05 * far, 1.1 * far / static_cast<double>(side - 1)};
    std::uniform_real_distribution<double> jitter(-0.4, 0.4);
    textio::OutputFile out;
    if (auto error = out.open(folder + "/mesh.node")) {
        std::fprintf(stderr, "make_workload: %s\n", error->message().c_str());
        return false;
    }
    out.put_int(nodes);
    out.put(" 3\n");
    for (std::int64_t n = 0; n < nodes; ++n) {
        const std::int64_t place[3] = {n % side, n / side % side, n / (side * side)};
        out.put_int(n + 1);
        for (int axis = 0; axis < 3; ++axis) {
            out.put(' ');
            out.put_general(lattice.origin +
                            (static_cast<double>(place[axis]) + jitter(random)) * lattice.spacing);
        }
        out.put('\n');
    }
    if (!finish(out)) return false;

    // Cells whose eight corners are all nodes (the last layer may be short).
    const std::int64_t full_layers = (nodes / (side * side)) - 1;
    std::uniform_int_distribution<std::int64_t> cell(0, (side - 1) * (side - 1) * full_layers - 1);
    std::uniform_int_distribution<int> shape(0, 5);
    std::uniform_int_distribution<int> region(0, 9);
    if (auto error = out.open(folder + "/mesh.ele")) {
        std::fprintf(stderr, "make_workload: %s\n", error->message().c_str());
        return false;
    }
    out.put_int(tets);
    out.put(" 4 1\n");
    for (std::int64_t t = 1; t <= tets; ++t) {
        const std::int64_t c = cell(random);
        const std::int64_t i = c % (side - 1), j = c / (side - 1) % (side - 1),
                           k = c / ((side - 1) * (side - 1));
        const int* corners = cube_tets[shape(random)];
        out.put_int(t);
        for (int slot = 0; slot < 4; ++slot) {
            const int corner = corners[slot];
            out.put(' ');
            out.put_int(lattice.node(i + (corner & 1), j + (corner >> 1 & 1), k + (corner >> 2)) +
                        1);
        }
        const int r = region(random);
        out.put(' ');
        out.put_int(r < 7 ? 0 : r - 6);
        out.put('\n');
    }
    return finish(out);
}

}  // namespace

int main(int argc, char** argv) {
    if (argc < 2) {
        std::fprintf(stderr, "usage: %s <folder> [scale] [seed]\n", argv[0]);
        return 1;
    }
    const std::string folder = argv[1];
    const double scale = argc > 2 ? std::stod(argv[2]) : 1.0;
    const unsigned seed = argc > 3 ? static_cast<unsigned>(std::stoul(argv[3])) : 1u;
    std::mt19937_64 random(seed);
    const int extent = extent_for(scale);
    const auto nodes = static_cast<std::int64_t>(1000000 * scale);
    const auto tets = static_cast<std::int64_t>(5000000 * scale);
    if (nodes < 64) {
        std::fprintf(stderr, "make_workload: scale too small\n");
        return 1;
    }
    std::FILE* params = std::fopen((folder + "/params.txt").c_str(), "w");
    if (!params) {
        std::perror("make_workload: params.txt");
        return 1;
    }
    std::fprintf(params, "%d %d %d 0.05 200 1 0.5 1 0.1 1 1 1 0.5 0.5 0.5 1\n", extent, extent,
                 extent);
    std::fclose(params);
    return write_level_set(folder + "/levelset.txt", extent, random) &&
                   write_mesh(folder, nodes, tets, extent, random)
               ? 0
               : 1;
}
