// SPDX-License-Identifier: MIT
#include <cstdint>
#include <random>
#include <vector>

#include <gtest/gtest.h>

#include <levelset_prep/levelset/clean_up.hpp>

using namespace levelset_prep;

namespace {

using levelset::CleanResult;
using levelset::RegionCount;

// A 32^3 grid that reads `far` but where a test sets a node's value; node
// i sits on grid point (3 + i, 3, 3), at mesh x = i / 2.
struct Scene {
    levelset::LevelSetGrid grid;
    std::vector<double> nodes;
    std::vector<std::int32_t> tets;  // four corners and the region each

    explicit Scene(float far = 10.0f) {
        EXPECT_TRUE(grid.allocate({32, 32, 32}));
        std::fill_n(grid.values.get(), grid.shape.points(), far);
    }
    void node(float value) {
        const auto i = static_cast<std::int64_t>(nodes.size() / 3);
        nodes.insert(nodes.end(), {static_cast<double>(i) / 2.0, 0.0, 0.0});
        grid.values[3 + i + 3 * 32 + 3 * 32 * 32] = value;
    }
    mesh::TetMesh mesh() const {
        mesh::TetMesh built;
        EXPECT_TRUE(built.allocate(static_cast<std::int32_t>(nodes.size() / 3),
                                   static_cast<std::int32_t>(tets.size() / 5)));
        std::copy(nodes.begin(), nodes.end(), built.node_data());
        std::copy(tets.begin(), tets.end(), built.tet_data());
        return built;
    }
    CleanResult clean(const levelset::CleanOptions& options = {}) const {
        auto cleaned = levelset::clean_mesh(mesh(), grid, options);
        EXPECT_FALSE(cleaned.error);
        return std::move(cleaned.value);
    }
};

std::vector<std::int32_t> tets_of(const mesh::TetMesh& mesh) {
    return {mesh.tet_data(), mesh.tet_data() + mesh::TetMesh::tet_stride * mesh.tet_count()};
}
std::vector<std::int32_t> node_map_of(const CleanResult& cleaned) {
    return {cleaned.node_map.get(), cleaned.node_map.get() + cleaned.nodes_read};
}
std::vector<float> level_set_of(const CleanResult& cleaned) {
    return {cleaned.level_set.get(), cleaned.level_set.get() + cleaned.mesh.node_count()};
}

TEST(CleanMesh, EverythingTheResultHolds) {
    Scene scene;
    for (float value : {10.0f, 10.0f, 2.5f, 10.0f, 7.0f, 10.0f, 10.0f}) scene.node(value);
    scene.nodes[3 * 6] = 100;      // node 6 lies outside the grid
    scene.tets = {0, 1, 3, 4, 0,   // far: dropped
                  1, 2, 3, 4, 0,   // near through node 2
                  6, 4, 3, 1, -4,  // another region: kept whole
                  0, 1, 3, 6, 0};  // far, and outside: dropped
    const CleanResult cleaned = scene.clean();
    EXPECT_EQ(cleaned.nodes_read, 7);
    EXPECT_EQ(cleaned.tets_read, 4);
    EXPECT_EQ(tets_of(cleaned.mesh), (std::vector<std::int32_t>{0, 1, 2, 3, 0, 4, 3, 2, 0, -4}));
    EXPECT_EQ(node_map_of(cleaned), (std::vector<std::int32_t>{-1, 0, 1, 2, 3, -1, 4}));
    EXPECT_EQ(level_set_of(cleaned), (std::vector<float>{10, 2.5f, 10, 7, 800}));
    EXPECT_EQ(cleaned.mesh.node(4)[0], 100.0);
    EXPECT_EQ(cleaned.nodes_outside_grid, 1);
    EXPECT_EQ(cleaned.regions, (std::vector<RegionCount>{{-4, 1, 1}, {0, 3, 1}}));
}

TEST(CleanMesh, ThresholdDecidesNearness) {
    struct Case {
        float threshold;
        std::int32_t kept_tets;
    };
    // Node values 3 and 5: a zero tetrahedron on each.
    const Case cases[] = {{6.0f, 2}, {5.0f, 1}, {3.0f, 0}, {-1.0f, 0}, {1e9f, 2}};
    Scene scene;
    for (float value : {3.0f, 9.0f, 9.0f, 9.0f, 5.0f}) scene.node(value);
    scene.tets = {0, 1, 2, 3, 0, 4, 1, 2, 3, 0};
    for (const Case& c : cases) {
        const CleanResult cleaned = scene.clean({.threshold = c.threshold});
        EXPECT_EQ(cleaned.mesh.tet_count(), c.kept_tets) << c.threshold;
        EXPECT_EQ(cleaned.regions, (std::vector<RegionCount>{{0, 2, c.kept_tets}})) << c.threshold;
    }
}

TEST(CleanMesh, RegionsInAscendingOrder) {
    Scene scene;
    for (int i = 0; i < 4; ++i) scene.node(10.0f);
    for (std::int32_t region : {300, 1, -7, 255, 1, 2147483647, -2147483647 - 1, 256}) {
        scene.tets.insert(scene.tets.end(), {0, 1, 2, 3, region});
    }
    const std::vector<RegionCount> expected = {
        {-2147483647 - 1, 1, 1}, {-7, 1, 1}, {1, 2, 2}, {255, 1, 1}, {256, 1, 1}, {300, 1, 1},
        {2147483647, 1, 1}};
    EXPECT_EQ(scene.clean().regions, expected);
}

// Two threads sample the nodes in halves; the result must not show it.
TEST(CleanMesh, ThreadsGiveTheSameResult) {
    Scene scene;
    std::mt19937 random(7);
    std::uniform_real_distribution<float> value(0.0f, 12.0f);
    for (int i = 0; i < 100000; ++i) {
        scene.nodes.insert(scene.nodes.end(), {(i % 29) / 2.0, (i % 31) / 2.0, (i % 23) / 2.0});
    }
    for (std::int64_t p = 0; p < scene.grid.shape.points(); ++p)
        scene.grid.values[p] = value(random);
    std::uniform_int_distribution<std::int32_t> corner(0, 99999);
    for (int j = 0; j < 200000; ++j) {
        scene.tets.insert(scene.tets.end(),
                          {corner(random), corner(random), corner(random), corner(random), j % 3});
    }
    const CleanResult one = scene.clean({.threshold = 2.0f, .threads = 1});
    const CleanResult two = scene.clean({.threshold = 2.0f, .threads = 2});
    EXPECT_EQ(tets_of(two.mesh), tets_of(one.mesh));
    EXPECT_EQ(node_map_of(two), node_map_of(one));
    EXPECT_EQ(level_set_of(two), level_set_of(one));
    EXPECT_EQ(two.regions, one.regions);
    EXPECT_LT(one.mesh.tet_count(), 200000);
}

TEST(CleanMesh, EmptyMeshAndGridWithoutValues) {
    Scene scene;
    const CleanResult cleaned = scene.clean({.keep_level_set = false});
    EXPECT_EQ(cleaned.mesh.node_count(), 0);
    EXPECT_TRUE(cleaned.regions.empty());
    EXPECT_FALSE(cleaned.level_set);

    levelset::LevelSetGrid no_values;
    no_values.shape = {32, 32, 32};
    EXPECT_TRUE(levelset::clean_mesh(scene.mesh(), no_values).error);
}

}  // namespace

namespace {

// The node map inverted: each kept node's 1-based number in the input.
TEST(InputNodeNumbers, InvertTheNodeMap) {
    struct Case {
        std::vector<std::int32_t> node_map;
        std::vector<std::int32_t> numbers;
    };
    const Case cases[] = {
        {{}, {}},
        {{-1, -1}, {}},
        {{0, 1, 2}, {1, 2, 3}},
        {{-1, 0, -1, 1, 2, -1}, {2, 4, 5}},
    };
    for (const Case& c : cases) {
        const auto kept = static_cast<std::int32_t>(c.numbers.size());
        const auto numbers = levelset::input_node_numbers(
            c.node_map.data(), static_cast<std::int32_t>(c.node_map.size()), kept);
        ASSERT_TRUE(numbers);
        EXPECT_EQ(std::vector<std::int32_t>(numbers.get(), numbers.get() + kept), c.numbers);
    }
}

}  // namespace
