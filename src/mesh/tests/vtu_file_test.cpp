// SPDX-License-Identifier: MIT
// The .vtu text in both encodings, for meshes of no, one and several slices:
// every array holds, behind its byte count, the bytes of the mesh.
#include <cstring>
#include <map>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include <levelset_prep/mesh/vtu_file.hpp>

namespace {

using levelset_prep::mesh::TetMesh;
using levelset_prep::mesh::VtuEncoding;

template <typename T>
void add(std::string& bytes, T value) {
    bytes.append(reinterpret_cast<const char*>(&value), sizeof value);
}

struct Sample {
    TetMesh mesh;
    std::vector<float> level_set;
    std::vector<std::int32_t> input_node;
    std::map<std::string, std::string> arrays;  // name: the bytes it must hold
};

Sample sample(std::int32_t nodes, std::int32_t tets) {
    Sample s;
    EXPECT_TRUE(s.mesh.allocate(nodes, tets));
    // Arrays of no nodes are still given (not null), as tetclean gives them.
    s.level_set.reserve(1);
    s.input_node.reserve(1);
    for (std::int32_t i = 0; i < nodes; ++i) {
        for (int axis = 0; axis < 3; ++axis) {
            s.mesh.node(i)[axis] = i * 0.1 + axis * 1e-300;
            add(s.arrays["Points"], s.mesh.node(i)[axis]);
        }
        s.level_set.push_back(i == 1 ? 800.0f : static_cast<float>(i) * -0.5f);
        s.input_node.push_back(2 * i + 1);
        add(s.arrays["level_set"], s.level_set.back());
        add(s.arrays["input_node"], s.input_node.back());
    }
    for (std::int32_t j = 0; j < tets; ++j) {
        for (int c = 0; c < 4; ++c) {
            s.mesh.corners(j)[c] = (j + c) % nodes;
            add(s.arrays["connectivity"], std::int64_t{(j + c) % nodes});
        }
        s.mesh.region(j) = j % 3 - 1;
        add(s.arrays["region"], s.mesh.region(j));
        add(s.arrays["offsets"], std::int64_t{4} * (j + 1));
        add(s.arrays["types"], std::uint8_t{10});
    }
    for (const char* name :
         {"Points", "level_set", "input_node", "connectivity", "region", "offsets", "types"}) {
        s.arrays[name];  // empty arrays too
    }
    return s;
}

std::string laid_out(const levelset_prep::textio::TextSlices& text) {
    std::string all;
    std::vector<char> buffer(text.slice_bytes);
    for (std::int64_t k = 0; k < text.slices; ++k) {
        char* end = text.format(buffer.data(), k);
        EXPECT_LE(static_cast<std::size_t>(end - buffer.data()), text.slice_bytes);
        all.append(buffer.data(), static_cast<std::size_t>(end - buffer.data()));
    }
    return all;
}

std::string attribute(const std::string& tag, const std::string& name) {
    const auto at = tag.find(" " + name + "=\"");
    if (at == std::string::npos) return "";
    const auto first = at + name.size() + 3;
    return tag.substr(first, tag.find('"', first) - first);
}

std::string base64_decoded(const std::string& text) {
    const std::string digits = "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789+/";
    std::string bytes;
    for (std::size_t i = 0; i + 4 <= text.size(); i += 4) {
        unsigned group = 0;
        int pads = 0;
        for (std::size_t k = i; k < i + 4; ++k) {
            pads += text[k] == '=';
            group =
                group << 6 | (text[k] == '=' ? 0u : static_cast<unsigned>(digits.find(text[k])));
        }
        for (int b = 0; b < 3 - pads; ++b) bytes += static_cast<char>(group >> (16 - 8 * b) & 255);
    }
    return bytes;
}

std::uint64_t count_of(const std::string& bytes) {
    std::uint64_t count = 0;
    std::memcpy(&count, bytes.data(), 8);
    return count;
}

// Each DataArray's name and bytes, read back as a reader would.
std::map<std::string, std::string> arrays_of(const std::string& file, VtuEncoding encoding) {
    std::map<std::string, std::string> arrays;
    const std::string appended = "<AppendedData encoding=\"raw\">\n   _";
    const auto data = file.find(appended);
    for (auto at = file.find("<DataArray "); at != std::string::npos && at < data;
         at = file.find("<DataArray ", at + 1)) {
        const std::string tag = file.substr(at, file.find('>', at) - at);
        std::string bytes;
        if (encoding == VtuEncoding::appended_raw) {
            EXPECT_EQ(attribute(tag, "format"), "appended");
            bytes = file.substr(data + appended.size() + std::stoull(attribute(tag, "offset")));
            bytes.resize(8 + count_of(bytes));
        } else {
            EXPECT_EQ(attribute(tag, "format"), "binary");
            const auto first = file.find('>', at) + 1;
            const std::string text = file.substr(first, file.find('<', first) - first);
            bytes = base64_decoded(text.substr(0, 12)) + base64_decoded(text.substr(12));
            EXPECT_EQ(bytes.size(), 8 + count_of(bytes));
        }
        EXPECT_TRUE(arrays.emplace(attribute(tag, "Name"), bytes.substr(8)).second);
    }
    return arrays;
}

TEST(VtuFile, ArraysHoldTheMeshInBothEncodings) {
    struct Case {
        std::int32_t nodes, tets;
    };
    // A slice holds 12288 records of one array.
    const Case cases[] = {{0, 0}, {4, 1}, {12288, 12289}, {30001, 24577}};
    for (const Case& c : cases) {
        for (VtuEncoding encoding : {VtuEncoding::appended_raw, VtuEncoding::inline_base64}) {
            SCOPED_TRACE(std::to_string(c.nodes) + " nodes, " +
                         (encoding == VtuEncoding::appended_raw ? "raw" : "base64"));
            const Sample s = sample(c.nodes, c.tets);
            const std::string file = laid_out(levelset_prep::mesh::vtu_file_text(
                s.mesh, {s.level_set.data(), s.input_node.data()}, encoding));
            EXPECT_EQ(file.rfind("<?xml version=\"1.0\"?>\n<VTKFile type=\"UnstructuredGrid\" ", 0),
                      0u);
            EXPECT_NE(file.find(" byte_order=\"LittleEndian\" header_type=\"UInt64\">"),
                      std::string::npos);
            EXPECT_NE(file.find("<Piece NumberOfPoints=\"" + std::to_string(c.nodes) +
                                "\" NumberOfCells=\"" + std::to_string(c.tets) + "\">"),
                      std::string::npos);
            EXPECT_TRUE(file.ends_with("</VTKFile>\n"));
            EXPECT_EQ(arrays_of(file, encoding), s.arrays);
        }
    }
}

// Without point data the file holds the mesh alone.
TEST(VtuFile, PointDataOnlyWhereGiven) {
    const Sample s = sample(4, 1);
    const std::string file = laid_out(levelset_prep::mesh::vtu_file_text(s.mesh));
    auto wanted = s.arrays;
    wanted.erase("level_set");
    wanted.erase("input_node");
    EXPECT_EQ(arrays_of(file, VtuEncoding::appended_raw), wanted);
    EXPECT_EQ(file.find("PointData"), std::string::npos);
}

}  // namespace
