// SPDX-License-Identifier: MIT
// vtu_file_text: the mesh as a VTK XML UnstructuredGrid file, its arrays
// cut into slices of records that any thread lays out.
#include <bit>
#include <cstring>
#include <memory>
#include <string>
#include <vector>

#include <levelset_prep/mesh/vtu_file.hpp>

namespace levelset_prep::mesh {
namespace {

static_assert(std::endian::native == std::endian::little,
              "the arrays are copied as held in memory, which must be little-endian");

struct Source {
    const TetMesh* mesh;
    VtuPointData point_data;
};

// Copies records first .. last-1 of an array to `out` as the file holds them.
using CopyRecords = void (*)(char* out, const Source& source, std::int64_t first,
                             std::int64_t last);

struct Array {
    const char* group;  // the XML element that holds it: "PointData", "Cells"
    const char* type;
    const char* name;
    bool per_node;   // one record a node, else one a tetrahedron
    int components;  // NumberOfComponents; a record of connectivity is four values of one
    std::size_t record_bytes;
    CopyRecords copy;
};

template <typename T>
void put(char* out, T value) {
    std::memcpy(out, &value, sizeof value);
}

void copy_level_set(char* out, const Source& s, std::int64_t first, std::int64_t last) {
    std::memcpy(out, s.point_data.level_set + first, 4 * static_cast<std::size_t>(last - first));
}
void copy_input_node(char* out, const Source& s, std::int64_t first, std::int64_t last) {
    std::memcpy(out, s.point_data.input_node + first, 4 * static_cast<std::size_t>(last - first));
}
void copy_region(char* out, const Source& s, std::int64_t first, std::int64_t last) {
    for (std::int64_t j = first; j < last; ++j, out += 4) put(out, s.mesh->region(j));
}
void copy_points(char* out, const Source& s, std::int64_t first, std::int64_t last) {
    std::memcpy(out, s.mesh->node(first), 24 * static_cast<std::size_t>(last - first));
}
void copy_connectivity(char* out, const Source& s, std::int64_t first, std::int64_t last) {
    for (std::int64_t j = first; j < last; ++j) {
        const std::int32_t* corners = s.mesh->corners(j);
        for (int c = 0; c < 4; ++c, out += 8) put(out, std::int64_t{corners[c]});
    }
}
void copy_offsets(char* out, const Source&, std::int64_t first, std::int64_t last) {
    for (std::int64_t j = first; j < last; ++j, out += 8) put(out, 4 * (j + 1));
}
void copy_types(char* out, const Source&, std::int64_t first, std::int64_t last) {
    std::memset(out, 10, static_cast<std::size_t>(last - first));  // VTK_TETRA
}

constexpr Array level_set_array{"PointData", "Float32", "level_set", true, 1, 4, copy_level_set};
constexpr Array input_node_array{"PointData", "Int32", "input_node", true, 1, 4, copy_input_node};
constexpr Array region_array{"CellData", "Int32", "region", false, 1, 4, copy_region};
constexpr Array points_array{"Points", "Float64", "Points", true, 3, 24, copy_points};
constexpr Array connectivity_array{"Cells", "Int64", "connectivity",   false,
                                   1,       32,      copy_connectivity};
constexpr Array offsets_array{"Cells", "Int64", "offsets", false, 1, 8, copy_offsets};
constexpr Array types_array{"Cells", "UInt8", "types", false, 1, 1, copy_types};

// A slice holds up to slice_records records of one array: a multiple of 3,
// so that every slice but an array's last encodes to base64 without padding.
constexpr std::int64_t slice_records = 3 * 4096;
constexpr std::size_t largest_record = 32;
constexpr std::size_t text_bytes = 4096;  // the XML around the arrays, and the byte counts
constexpr std::size_t slice_bytes = slice_records * largest_record / 3 * 4 + text_bytes;

constexpr char base64_digits[] = "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789+/";

// Encodes `bytes` bytes at `in` to `out`, which may lie before `in` by at
// least bytes / 3 + 4: each group is read before its four digits are written.
char* base64(char* out, const unsigned char* in, std::size_t bytes) {
    for (; bytes >= 3; bytes -= 3, in += 3) {
        const unsigned group = unsigned{in[0]} << 16 | unsigned{in[1]} << 8 | in[2];
        for (int shift = 18; shift >= 0; shift -= 6) *out++ = base64_digits[(group >> shift) & 63];
    }
    if (bytes > 0) {
        const unsigned group = unsigned{in[0]} << 16 | (bytes == 2 ? unsigned{in[1]} << 8 : 0u);
        *out++ = base64_digits[group >> 18];
        *out++ = base64_digits[(group >> 12) & 63];
        *out++ = bytes == 2 ? base64_digits[(group >> 6) & 63] : '=';
        *out++ = '=';
    }
    return out;
}

struct Slice {
    std::size_t array;
    std::int64_t first, last;
};

// Everything the slices are laid out from.
struct VtuLayout {
    Source source;
    VtuEncoding encoding;
    std::vector<Array> arrays;
    std::vector<std::int64_t> records;  // per array
    std::vector<std::string> before;    // the text ahead of each array's bytes
    std::string tail;
    std::vector<Slice> slices;

    char* format(char* out, std::int64_t k) const;
};

char* append(char* out, const std::string& text) {
    return std::char_traits<char>::copy(out, text.data(), text.size()) + text.size();
}

char* VtuLayout::format(char* out, std::int64_t k) const {
    const Slice& slice = slices[static_cast<std::size_t>(k)];
    const Array& array = arrays[slice.array];
    const std::size_t bytes =
        static_cast<std::size_t>(slice.last - slice.first) * array.record_bytes;
    if (slice.first == 0) {
        out = append(out, before[slice.array]);
        const auto count = static_cast<std::uint64_t>(records[slice.array]) * array.record_bytes;
        if (encoding == VtuEncoding::appended_raw) {
            put(out, count);
            out += 8;
        } else {
            unsigned char header[8];
            std::memcpy(header, &count, 8);
            out = base64(out, header, 8);
        }
    }
    if (encoding == VtuEncoding::appended_raw) {
        array.copy(out, source, slice.first, slice.last);
        out += bytes;
    } else {
        char* raw = out + bytes / 3 + 4;
        array.copy(raw, source, slice.first, slice.last);
        out = base64(out, reinterpret_cast<const unsigned char*>(raw), bytes);
    }
    if (static_cast<std::size_t>(k) + 1 == slices.size()) out = append(out, tail);
    return out;
}

std::string data_array_tag(const Array& array, VtuEncoding encoding, std::uint64_t offset) {
    std::string tag =
        std::string("        <DataArray type=\"") + array.type + "\" Name=\"" + array.name + "\"";
    if (array.components > 1)
        tag += " NumberOfComponents=\"" + std::to_string(array.components) + "\"";
    if (encoding == VtuEncoding::inline_base64) return tag + " format=\"binary\">";
    return tag + " format=\"appended\" offset=\"" + std::to_string(offset) + "\"/>\n";
}

// The XML around the arrays: for appended data all of it comes before the
// first array's bytes; inline, each array's opening tag comes before it.
void lay_out_text(VtuLayout& layout) {
    const TetMesh& mesh = *layout.source.mesh;
    const bool raw = layout.encoding == VtuEncoding::appended_raw;
    std::string text =
        "<?xml version=\"1.0\"?>\n"
        "<VTKFile type=\"UnstructuredGrid\" version=\"1.0\" byte_order=\"LittleEndian\" "
        "header_type=\"UInt64\">\n  <UnstructuredGrid>\n    <Piece NumberOfPoints=\"" +
        std::to_string(mesh.node_count()) + "\" NumberOfCells=\"" +
        std::to_string(mesh.tet_count()) + "\">\n";
    const char* group = nullptr;
    std::uint64_t offset = 0;
    for (std::size_t a = 0; a < layout.arrays.size(); ++a) {
        const Array& array = layout.arrays[a];
        if (group == nullptr || std::strcmp(group, array.group) != 0) {
            if (group != nullptr) text += std::string("      </") + group + ">\n";
            group = array.group;
            text += std::string("      <") + group + ">\n";
        }
        text += data_array_tag(array, layout.encoding, offset);
        offset += 8 + static_cast<std::uint64_t>(layout.records[a]) * array.record_bytes;
        if (!raw) {
            layout.before[a] = std::move(text);
            text = "</DataArray>\n";
        }
    }
    text += std::string("      </") + group + ">\n    </Piece>\n  </UnstructuredGrid>\n";
    if (raw) {
        layout.before[0] = text + "  <AppendedData encoding=\"raw\">\n   _";
        text = "\n  </AppendedData>\n";
    }
    layout.tail = text + "</VTKFile>\n";
}

}  // namespace

textio::TextSlices vtu_file_text(const TetMesh& mesh, const VtuPointData& point_data,
                                 VtuEncoding encoding) {
    auto layout = std::make_shared<VtuLayout>();
    layout->source = {&mesh, point_data};
    layout->encoding = encoding;
    if (point_data.level_set != nullptr) layout->arrays.push_back(level_set_array);
    if (point_data.input_node != nullptr) layout->arrays.push_back(input_node_array);
    for (const Array& array :
         {region_array, points_array, connectivity_array, offsets_array, types_array}) {
        layout->arrays.push_back(array);
    }
    for (std::size_t a = 0; a < layout->arrays.size(); ++a) {
        const std::int64_t records =
            layout->arrays[a].per_node ? mesh.node_count() : mesh.tet_count();
        layout->records.push_back(records);
        std::int64_t first = 0;
        do {
            const std::int64_t last = std::min(records, first + slice_records);
            layout->slices.push_back({a, first, last});
            first = last;
        } while (first < records);
    }
    layout->before.resize(layout->arrays.size());
    lay_out_text(*layout);
    const auto slices = static_cast<std::int64_t>(layout->slices.size());
    return {slices, slice_bytes,
            [layout](char* out, std::int64_t k) { return layout->format(out, k); }};
}

}  // namespace levelset_prep::mesh
