// SPDX-License-Identifier: MIT
// make_example_mesh <folder>: the bundled tetclean example. A block of 8^3
// cubes, six tetrahedra each, with regions 1 and 2 inside two spheres and 0
// elsewhere; the level set is the signed distance to the region-1 sphere in
// grid units (two per mesh unit), so tetclean keeps the region-0 tetrahedra
// within 3 mesh units of it.
#include <array>
#include <cmath>
#include <cstdio>
#include <fstream>
#include <string>
#include <vector>

namespace {

constexpr int cubes = 8;
constexpr double edge = 1.5;
constexpr int extent = 12;  // parameter file extents: grid of 2*12+32 points

struct Point {
    double x, y, z;
};

double distance(const Point& a, const Point& b) {
    return std::sqrt((a.x - b.x) * (a.x - b.x) + (a.y - b.y) * (a.y - b.y) +
                     (a.z - b.z) * (a.z - b.z));
}

const Point inner_centre{6, 6, 6};
constexpr double inner_radius = 3;
const Point side_centre{9.5, 3, 3};
constexpr double side_radius = 2;

int node_index(int i, int j, int k) { return i + (cubes + 1) * (j + (cubes + 1) * k); }

int region_of(const Point& centroid) {
    if (distance(centroid, inner_centre) < inner_radius) return 1;
    if (distance(centroid, side_centre) < side_radius) return 2;
    return 0;
}

void write_nodes(const std::string& path, std::vector<Point>& points) {
    std::ofstream out(path);
    const int count = (cubes + 1) * (cubes + 1) * (cubes + 1);
    out << count << " 3\n";
    for (int k = 0; k <= cubes; ++k)
        for (int j = 0; j <= cubes; ++j)
            for (int i = 0; i <= cubes; ++i) {
                const Point p{i * edge, j * edge, k * edge};
                points.push_back(p);
                out << points.size() << ' ' << p.x << ' ' << p.y << ' ' << p.z << '\n';
            }
}

void write_elements(const std::string& path, const std::vector<Point>& points) {
    // The six paths from corner 000 to corner 111 of a cube, one tetrahedron each.
    static const std::array<std::array<int, 3>, 6> orders = {
        {{0, 1, 2}, {0, 2, 1}, {1, 0, 2}, {1, 2, 0}, {2, 0, 1}, {2, 1, 0}}};
    std::ofstream out(path);
    out << cubes * cubes * cubes * 6 << " 4 1\n";
    int number = 0;
    for (int k = 0; k < cubes; ++k)
        for (int j = 0; j < cubes; ++j)
            for (int i = 0; i < cubes; ++i)
                for (const auto& order : orders) {
                    std::array<int, 3> at = {i, j, k};
                    std::array<int, 4> corner{};
                    corner[0] = node_index(at[0], at[1], at[2]);
                    for (int step = 0; step < 3; ++step) {
                        ++at[order[step]];
                        corner[step + 1] = node_index(at[0], at[1], at[2]);
                    }
                    Point centroid{0, 0, 0};
                    for (int n : corner) {
                        centroid.x += points[n].x / 4;
                        centroid.y += points[n].y / 4;
                        centroid.z += points[n].z / 4;
                    }
                    out << ++number;
                    for (int n : corner) out << ' ' << n + 1;
                    out << ' ' << region_of(centroid) << '\n';
                }
}

void write_level_set(const std::string& path) {
    const int points = 2 * extent + 32;
    std::ofstream out(path);
    for (int k = 0; k < points; ++k)
        for (int j = 0; j < points; ++j) {
            for (int i = 0; i < points; ++i) {
                // Grid point i lies at mesh coordinate (i - 3) / 2.
                const Point p{(i - 3) / 2.0, (j - 3) / 2.0, (k - 3) / 2.0};
                const double grid_units = 2 * (distance(p, inner_centre) - inner_radius);
                out << (i ? " " : "") << std::round(grid_units * 1000) / 1000;
            }
            out << '\n';
        }
}

}  // namespace

int main(int argc, char** argv) {
    if (argc != 2) {
        std::fprintf(stderr, "usage: %s <folder>\n", argv[0]);
        return 1;
    }
    const std::string folder = argv[1];
    std::vector<Point> points;
    write_nodes(folder + "/mesh.node", points);
    write_elements(folder + "/mesh.ele", points);
    write_level_set(folder + "/levelset.txt");
    std::ofstream(folder + "/params.txt") << extent << ' ' << extent << ' ' << extent
                                          << "\n0.05 200\n1 0.5 1 0.1\n1 1 1\n0.5 0.5 0.5\n1\n";
    return 0;
}
