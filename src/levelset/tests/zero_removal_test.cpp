// SPDX-License-Identifier: MIT
#include <cmath>
#include <vector>

#include <gtest/gtest.h>

#include <levelset_prep/levelset/level_set.hpp>
#include <levelset_prep/levelset/zero_removal.hpp>

using namespace levelset_prep;

namespace {

using mesh::RunParameters;

// A 32^3 grid (extents 0) that reads `far` everywhere except where a test
// sets a value. Mesh coordinate c sits on grid point 2c + 3, so a node at
// (i - 3) / 2 samples grid point i exactly.
struct Scene {
    RunParameters param;
    std::vector<float> grid;
    std::vector<double> nodes;
    std::vector<std::int32_t> tets;

    explicit Scene(float far = 10.0f) {
        textio::TokenScanner text(std::string_view("0 0 0"));
        EXPECT_FALSE(param.read_parameters(text, "params"));
        grid.assign(static_cast<std::size_t>(param.grid1_count), far);
    }
    // A node on grid point (i, 3, 3) whose level-set value is `value`.
    void node(int i, float value) {
        nodes.insert(nodes.end(), {(i - 3) / 2.0, 0.0, 0.0});
        grid[i + 3 * 32 + 3 * 32 * 32] = value;
    }
    void tet(std::int32_t a, std::int32_t b, std::int32_t c, std::int32_t d,
             std::int32_t attribute) {
        tets.insert(tets.end(), {a, b, c, d, attribute});
    }

    struct Result {
        std::vector<double> nodes;
        std::vector<std::int32_t> tets;
        int cast_calls = 0;
        std::vector<std::int32_t> new_index;  // where asked for
    };
    Result clean(bool with_new_index = false) {
        param.nodes_number[1] = static_cast<std::int32_t>(nodes.size() / 3);
        param.tets_number[1] = static_cast<std::int32_t>(tets.size() / 5);
        Result result;
        std::vector<double> nodes_out(nodes.size(), -1.0);
        std::vector<std::int32_t> tets_out(tets.size(), -9);
        if (with_new_index) result.new_index.assign(nodes.size() / 3, -9);
        EXPECT_FALSE(levelset::remove_zeros(
            nodes.data(), nodes_out.data(), tets.data(), tets_out.data(), grid.data(), param,
            [&] { ++result.cast_calls; }, with_new_index ? result.new_index.data() : nullptr));
        nodes_out.resize(3 * static_cast<std::size_t>(param.nodes_number_out[1]));
        tets_out.resize(5 * static_cast<std::size_t>(param.tets_number_out[1]));
        result.nodes = nodes_out;
        result.tets = tets_out;

        // The same clean-up in place, as tetclean runs it, must give the same.
        RunParameters in_place_param = param;
        std::vector<double> nodes_in_place = nodes;
        std::vector<std::int32_t> tets_in_place = tets;
        EXPECT_FALSE(levelset::remove_zeros(nodes_in_place.data(), nodes_in_place.data(),
                                            tets_in_place.data(), tets_in_place.data(), grid.data(),
                                            in_place_param));
        nodes_in_place.resize(nodes_out.size());
        tets_in_place.resize(tets_out.size());
        EXPECT_EQ(nodes_in_place, result.nodes);
        EXPECT_EQ(tets_in_place, result.tets);
        return result;
    }
};

TEST(RemoveZeros, FiveNodeExample) {
    Scene scene;
    for (int i = 0; i < 5; ++i) scene.node(3 + i, 10.0f);
    scene.tet(0, 1, 2, 3, 0);
    scene.tet(1, 2, 3, 4, 2);
    const auto result = scene.clean();
    EXPECT_EQ(result.tets, (std::vector<std::int32_t>{0, 1, 2, 3, 2}));
    EXPECT_EQ(result.nodes, (std::vector<double>{0.5, 0, 0, 1, 0, 0, 1.5, 0, 0, 2, 0, 0}));
    EXPECT_EQ(result.cast_calls, 1);
    EXPECT_EQ(scene.param.nodes_number[1], 5);  // input counts never change
}

// The caller's table serves as the renumbering and is left holding it.
TEST(RemoveZeros, NewIndexOfEveryInputNode) {
    Scene scene;
    for (int i = 0; i < 7; ++i) scene.node(3 + i, i == 6 ? 1.0f : 10.0f);
    scene.tet(0, 1, 2, 3, 0);  // dropped: nodes 0 and 5 go with it
    scene.tet(4, 3, 2, 1, 2);
    scene.tet(6, 4, 3, 2, 0);  // near through node 6
    const auto plain = scene.clean();
    const auto mapped = scene.clean(true);
    EXPECT_EQ(mapped.nodes, plain.nodes);
    EXPECT_EQ(mapped.tets, plain.tets);
    EXPECT_EQ(mapped.tets, (std::vector<std::int32_t>{3, 2, 1, 0, 2, 4, 3, 2, 1, 0}));
    EXPECT_EQ(mapped.new_index, (std::vector<std::int32_t>{-1, 0, 1, 2, 3, -1, 4}));
}

TEST(RemoveZeros, NearnessDecidesEachZeroTetOnItsOwn) {
    const float below_six = std::nextafter(6.0f, 0.0f);
    struct Case {
        const char* what;
        float values[6];                      // level-set value of nodes 0..5
        std::vector<std::int32_t> tets;       // input, five per tet
        std::vector<std::int32_t> kept_tets;  // output, renumbered
        int kept_nodes;
    };
    // clang-format off
    const Case cases[] = {
        {"exactly 6.0 is not near", {6, 6, 6, 6, 6, 6}, {0, 1, 2, 3, 0}, {}, 0},
        {"next float below 6.0 is near", {6, 6, below_six, 6, 6, 6}, {0, 1, 2, 3, 0}, {0, 1, 2, 3, 0}, 4},
        {"one near node keeps all four", {9, 9, 9, -1, 9, 9}, {5, 4, 3, 2, 0}, {3, 2, 1, 0, 0}, 4},
        {"neighbour's nodes do not save a far zero tet",
         {1, 9, 9, 9, 9, 9},
         {0, 1, 2, 3, 0, 3, 2, 1, 1, 0},
         {0, 1, 2, 3, 0},
         4},
        {"any non-zero attribute survives", {9, 9, 9, 9, 9, 9}, {0, 1, 2, 3, -5, 2, 3, 4, 5, 0}, {0, 1, 2, 3, -5}, 4},
        {"unreferenced near node is dropped", {9, 9, 9, 9, 0, 9}, {0, 1, 2, 3, 1}, {0, 1, 2, 3, 1}, 4},
        {"no tets drops every node", {0, 0, 0, 0, 0, 0}, {}, {}, 0},
        {"repeated node in a tet", {9, 9, 9, 9, 9, 9}, {5, 5, 0, 0, 3}, {1, 1, 0, 0, 3}, 2},
    };
    // clang-format on
    for (const Case& c : cases) {
        Scene scene;
        for (int i = 0; i < 6; ++i) scene.node(3 + i, c.values[i]);
        scene.tets = c.tets;
        const auto result = scene.clean();
        EXPECT_EQ(result.tets, c.kept_tets) << c.what;
        EXPECT_EQ(scene.param.nodes_number_out[1], c.kept_nodes) << c.what;
        EXPECT_EQ(scene.param.tets_number_out[1], static_cast<int>(c.kept_tets.size() / 5))
            << c.what;
    }
}

// Decisions are kept one bit per tetrahedron, 64 to a word: a mesh of a
// few hundred tetrahedra, every third one surviving, crosses several words
// and ends in a partial one.
TEST(RemoveZeros, ManyTetrahedraKeepTheirOrder) {
    Scene scene;
    for (int i = 0; i < 8; ++i) scene.node(3 + i, i == 7 ? 0.0f : 10.0f);
    std::vector<std::int32_t> expected;
    for (int j = 0; j < 301; ++j) {
        const std::int32_t a = j % 4, attribute = j % 3 == 0 ? 1 + j % 5 : 0;
        scene.tet(a, a + 1, a + 2, a + 3, attribute);
        if (attribute != 0) expected.insert(expected.end(), {a, a + 1, a + 2, a + 3, attribute});
    }
    const auto result = scene.clean();
    EXPECT_EQ(result.tets, expected);  // nodes 0..6 all survive: no renumbering shift
    EXPECT_EQ(scene.param.nodes_number_out[1], 7);
}

TEST(RemoveZeros, NodesOutsideTheGridAreNeverNear) {
    Scene scene(-100.0f);  // everything inside the grid is deep below the surface
    scene.nodes = {-2, 0, 0, 100, 0, 0, 0, 50, 0, 0, 0, -30};
    scene.tet(0, 1, 2, 3, 0);
    const auto result = scene.clean();
    EXPECT_TRUE(result.tets.empty());
    EXPECT_EQ(scene.param.nodes_number_out[1], 0);
}

TEST(RemoveZeros, CoordinatesAreCopiedAtFullPrecision) {
    Scene scene;
    scene.nodes = {0.1234567890123, 1e-300, -7.25, 1, 2, 3, 4, 5, 6, 7, 8, 9};
    scene.tet(0, 1, 2, 3, 1);
    const auto result = scene.clean();
    EXPECT_EQ(result.nodes, scene.nodes);
}

}  // namespace
