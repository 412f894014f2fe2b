// Makes the fuzzers' seed corpora from the bundled example data, so that no
// corpus files need to be kept in the repository:
//
//   make_fuzz_seeds examples_folder output_folder
//
// writes output_folder/<target>/<seed> for every fuzz target. The seeds are
// small cuts of the examples laid out as each target reads its input (see
// the comment at the top of each fuzz_*.cpp).
#include <zlib.h>

#include <bit>
#include <cstdint>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <iostream>
#include <map>
#include <sstream>
#include <string>
#include <vector>

#include <levelset_prep/analyze/analyze_reader.hpp>

namespace {

namespace fs = std::filesystem;

fs::path out_root;

void seed(const std::string& target, const std::string& name, const std::string& bytes) {
    const fs::path folder = out_root / target;
    fs::create_directories(folder);
    std::ofstream(folder / name, std::ios::binary) << bytes;
}

std::string read_text(const fs::path& path) {
    std::ifstream in(path, std::ios::binary);
    if (!in) {
        std::cerr << "make_fuzz_seeds: cannot read " << path << "\n";
        std::exit(1);
    }
    std::ostringstream text;
    text << in.rdbuf();
    return text.str();
}

std::vector<std::string> words(const std::string& text) {
    std::istringstream in(text);
    std::vector<std::string> all;
    for (std::string word; in >> word;) all.push_back(word);
    return all;
}

std::string byte(int value) { return std::string(1, static_cast<char>(value)); }

// The mesh nodes with every coordinate at most `limit`, and the elements
// that use only those nodes, renumbered.
struct SmallMesh {
    std::string nodes, elements;
    int node_count = 0;
};

SmallMesh cut_mesh(const std::string& node_text, const std::string& ele_text, double limit) {
    const std::vector<std::string> n = words(node_text), e = words(ele_text);
    std::map<long, int> renumbered;
    std::ostringstream nodes, elements;
    int kept = 0;
    const long count = std::stol(n.at(0));
    for (long i = 0; i < count; ++i) {
        const std::string* xyz = &n.at(2 + 4 * i + 1);
        if (std::stod(xyz[0]) <= limit && std::stod(xyz[1]) <= limit &&
            std::stod(xyz[2]) <= limit) {
            renumbered[i + 1] = ++kept;
            nodes << kept << " " << xyz[0] << " " << xyz[1] << " " << xyz[2] << "\n";
        }
    }
    int kept_elements = 0;
    const long element_count = std::stol(e.at(0));
    for (long j = 0; j < element_count; ++j) {
        const std::string* record = &e.at(3 + 6 * j);
        bool all = true;
        for (int c = 1; c <= 4; ++c) all = all && renumbered.count(std::stol(record[c])) != 0;
        if (!all) continue;
        elements << ++kept_elements;
        for (int c = 1; c <= 4; ++c) elements << " " << renumbered[std::stol(record[c])];
        elements << " " << record[5] << "\n";
    }
    return {std::to_string(kept) + " 3\n" + nodes.str(),
            std::to_string(kept_elements) + " 4 1\n" + elements.str(), kept};
}

// A corner block of the example grid (56 points per axis, the example's
// extents of 12; both grids start at mesh -1.5), every value lowered by
// `shift` so that a small mesh there has nodes near the surface.
std::string grid_block(const std::vector<std::string>& grid, int nx, int ny, int nz,
                       double shift = 0) {
    std::ostringstream text;
    for (int k = 0; k < nz; ++k) {
        for (int j = 0; j < ny; ++j) {
            for (int i = 0; i < nx; ++i) {
                const std::string& value = grid.at(i + 56 * (j + 56 * k));
                if (shift == 0) {
                    text << value;
                } else {
                    text << std::stod(value) - shift;
                }
                text << (i + 1 == nx ? "\n" : " ");
            }
        }
    }
    return text.str();
}

template <typename T>
std::string raw(T value, bool big) {
    char bytes[sizeof(T)];
    std::memcpy(bytes, &value, sizeof(T));
    if (big == (std::endian::native == std::endian::little)) {
        for (std::size_t i = 0; i < sizeof(T) / 2; ++i)
            std::swap(bytes[i], bytes[sizeof(T) - 1 - i]);
    }
    return std::string(bytes, sizeof(T));
}

std::string analyze_header(int nx, int ny, int nz, int datatype, int bitpix, const float* spacing,
                           bool big) {
    std::string h(348, '\0');
    auto put = [&h](std::size_t at, const std::string& bytes) {
        h.replace(at, bytes.size(), bytes);
    };
    put(0, raw<std::int32_t>(348, big));
    h[38] = 'r';
    const int dims[5] = {4, nx, ny, nz, 1};
    for (int i = 0; i < 5; ++i)
        put(40 + 2 * i, raw<std::int16_t>(static_cast<std::int16_t>(dims[i]), big));
    put(70, raw<std::int16_t>(static_cast<std::int16_t>(datatype), big));
    put(72, raw<std::int16_t>(static_cast<std::int16_t>(bitpix), big));
    for (int i = 0; i < 3; ++i) put(80 + 4 * i, raw<float>(spacing[i], big));
    return h;
}

// A NIfTI-1 single file: the header with the given dims (dim[0] first),
// zeros up to vox_offset, then the samples.
std::string nifti_file(const std::vector<int>& dims, int datatype, int bitpix, const float* spacing,
                       bool big, int vox_offset, const std::string& samples) {
    std::string h(348, '\0');
    auto put = [&h](std::size_t at, const std::string& bytes) {
        h.replace(at, bytes.size(), bytes);
    };
    put(0, raw<std::int32_t>(348, big));
    for (std::size_t i = 0; i < 8; ++i) {
        const int dim = i < dims.size() ? dims[i] : 1;
        put(40 + 2 * i, raw<std::int16_t>(static_cast<std::int16_t>(dim), big));
    }
    put(70, raw<std::int16_t>(static_cast<std::int16_t>(datatype), big));
    put(72, raw<std::int16_t>(static_cast<std::int16_t>(bitpix), big));
    for (int i = 0; i < 3; ++i) put(80 + 4 * i, raw<float>(spacing[i], big));
    put(108, raw<float>(static_cast<float>(vox_offset), big));
    put(344, std::string("n+1", 4));
    h.resize(static_cast<std::size_t>(vox_offset), '\0');
    return h + samples;
}

std::string gzip(const std::string& bytes) {
    z_stream z{};
    deflateInit2(&z, 6, Z_DEFLATED, 16 + MAX_WBITS, 8, Z_DEFAULT_STRATEGY);
    std::string out(deflateBound(&z, bytes.size()) + 32, '\0');
    z.next_in = reinterpret_cast<Bytef*>(const_cast<char*>(bytes.data()));
    z.avail_in = static_cast<uInt>(bytes.size());
    z.next_out = reinterpret_cast<Bytef*>(out.data());
    z.avail_out = static_cast<uInt>(out.size());
    deflate(&z, Z_FINISH);
    out.resize(z.total_out);
    deflateEnd(&z);
    return out;
}

}  // namespace

int main(int argc, char** argv) {
    if (argc != 3) {
        std::cerr << "usage: make_fuzz_seeds examples_folder output_folder\n";
        return 1;
    }
    const fs::path examples = argv[1];
    out_root = argv[2];

    // tetclean
    const std::string params = read_text(examples / "params.txt");
    const std::vector<std::string> param_words = words(params);
    std::string simulation;  // values 4 to 16, the simulation's own
    for (std::size_t i = 3; i < param_words.size(); ++i) simulation += " " + param_words[i];
    const std::string small_params = "-12 -12 -12" + simulation + "\n";  // an 8 x 8 x 8 grid
    seed("fuzz_parameters", "example", byte(0) + params);
    seed("fuzz_parameters", "small-grid", byte(1) + small_params);
    seed("fuzz_parameters", "odd-extents", byte(2) + "5 -15 0\n");

    const std::string node_text = read_text(examples / "mesh.node");
    const std::string ele_text = read_text(examples / "mesh.ele");
    const SmallMesh mesh = cut_mesh(node_text, ele_text, 3.0);
    std::istringstream node_lines(node_text), ele_lines(ele_text);
    std::string line, first_nodes = "40 3\n", first_elements = "60 4 1\n";
    std::getline(node_lines, line);
    for (int i = 0; i < 40 && std::getline(node_lines, line);) first_nodes += line + "\n", ++i;
    std::getline(ele_lines, line);
    for (int i = 0; i < 60 && std::getline(ele_lines, line);) first_elements += line + "\n", ++i;
    seed("fuzz_nodes", "cut", byte(0) + mesh.nodes);
    seed("fuzz_nodes", "first", byte(3) + first_nodes);
    // fuzz_elements: node count 4 * byte, or 729 for byte 255.
    seed("fuzz_elements", "cut", byte((mesh.node_count + 3) / 4) + byte(0) + mesh.elements);
    seed("fuzz_elements", "first", byte(255) + byte(1) + first_elements);

    const std::vector<std::string> grid = words(read_text(examples / "levelset.txt"));
    std::string query =
        raw<float>(0.25f, false) + raw<float>(1.0f, false) + raw<float>(-1.5f, false);
    seed("fuzz_level_set", "block-8",
         byte(7) + byte(7) + byte(7) + byte(0) + query + grid_block(grid, 8, 8, 8));
    seed("fuzz_level_set", "block-4x6x3",
         byte(3) + byte(5) + byte(2) + byte(1) + query + grid_block(grid, 4, 6, 3));

    const std::string run = small_params + byte(0) + mesh.nodes + byte(0) + mesh.elements +
                            byte(0) + grid_block(grid, 8, 8, 8, 4.0);
    seed("fuzz_tetclean_run", "cut", byte(0) + run);
    seed("fuzz_tetclean_run", "cut-in-place", byte(1) + run);
    seed("fuzz_tetclean_run", "cut-full-device", byte(6) + run);

    // voxdump: a 6 x 5 x 2 block from the middle of the example volume, in
    // every accepted sample type and both byte orders.
    levelset_prep::analyze::analyze_image volume;
    if (!levelset_prep::analyze::read_analyze_image((examples / "segmented").string(), volume,
                                                    false)
             .ok()) {
        std::cerr << "make_fuzz_seeds: cannot read the example volume\n";
        return 1;
    }
    const int ex = volume.header.dim[1], ey = volume.header.dim[2];
    std::vector<float> block;
    for (int k = 7; k < 9; ++k) {
        for (int j = 20; j < 25; ++j) {
            for (int i = 14; i < 20; ++i) block.push_back(volume.data[i + ex * (j + ey * k)]);
        }
    }
    const float* spacing = &volume.header.pixdim[1];
    for (bool big : {false, true}) {
        const std::string order = big ? "-big" : "-little";
        std::string u8, s16, s32, f32;
        for (float v : block) {
            u8 += static_cast<char>(static_cast<std::uint8_t>(v));
            s16 += raw<std::int16_t>(static_cast<std::int16_t>(v * 1000 - 1000), big);
            s32 += raw<std::int32_t>(static_cast<std::int32_t>(v * 100000 - 70000), big);
            f32 += raw<float>(v * 0.75f - 1.0f, big);
        }
        seed("fuzz_analyze_reader", "u8" + order,
             byte(0) + analyze_header(6, 5, 2, 2, 8, spacing, big) + u8);
        seed("fuzz_analyze_reader", "s16" + order,
             byte(1) + analyze_header(6, 5, 2, 4, 16, spacing, big) + s16);
        seed("fuzz_analyze_reader", "u16" + order,
             byte(0) + analyze_header(6, 5, 2, 4, 16, spacing, big) + s16);
        seed("fuzz_analyze_reader", "s32" + order,
             byte(2) + analyze_header(6, 5, 2, 8, 32, spacing, big) + s32);
        seed("fuzz_analyze_reader", "f32" + order,
             byte(0) + analyze_header(6, 5, 2, 16, 32, spacing, big) + f32);
        seed("fuzz_analyze_reader", "zero-datatype" + order,
             byte(2) + analyze_header(6, 5, 1, 0, 64, spacing, big) + f32);
        seed("fuzz_analyze_reader", "double" + order,
             byte(0) + analyze_header(3, 5, 2, 64, 64, spacing, big) + f32);
    }
    seed("fuzz_analyze_reader", "short-header",
         byte(4) + byte(100) + analyze_header(6, 5, 2, 2, 8, spacing, false).substr(0, 100));

    // NIfTI-1 files of the same block in every type and both byte orders;
    // some hold an extension, some a series of two volumes (the second the
    // labels turned around, 4 - v).
    for (bool big : {false, true}) {
        const std::string order = big ? "-big" : "-little";
        struct Type {
            const char* name;
            int datatype, bitpix;
            std::string (*sample)(float, bool);
        };
        const Type types[] = {
            {"u8", 2, 8, [](float v, bool) { return byte(static_cast<int>(v) & 255); }},
            {"s8", 256, 8,
             [](float v, bool) { return byte(static_cast<int>(v * 60 - 120) & 255); }},
            {"s16", 4, 16,
             [](float v, bool b) {
                 return raw<std::int16_t>(static_cast<std::int16_t>(v * 1000 - 1000), b);
             }},
            {"u16", 512, 16,
             [](float v, bool b) {
                 return raw<std::uint16_t>(static_cast<std::uint16_t>(v * 16000), b);
             }},
            {"s32", 8, 32,
             [](float v, bool b) {
                 return raw<std::int32_t>(static_cast<std::int32_t>(v * 100000 - 70000), b);
             }},
            {"u32", 768, 32,
             [](float v, bool b) {
                 return raw<std::uint32_t>(static_cast<std::uint32_t>(v * 1e9f), b);
             }},
            {"f32", 16, 32, [](float v, bool b) { return raw<float>(v * 0.75f - 1.0f, b); }},
            {"f64", 64, 64, [](float v, bool b) { return raw<double>(v * 0.3 - 1.0, b); }},
        };
        for (const Type& type : types) {
            std::string first, second;
            for (float v : block) {
                first += type.sample(v, big);
                second += type.sample(4 - v, big);
            }
            const std::string plain =
                nifti_file({3, 6, 5, 2}, type.datatype, type.bitpix, spacing, big, 352, first);
            const std::string series = nifti_file({4, 6, 5, 2, 2}, type.datatype, type.bitpix,
                                                  spacing, big, 368, first + second);
            const std::string name = type.name + order;
            seed("fuzz_nifti_reader", name, byte(type.datatype == 4 ? 1 : 0) + plain);
            seed("fuzz_nifti_reader", name + "-series-2", byte(4 | 2) + series);
            seed("fuzz_gzip_reader", name, byte(0) + byte(0) + plain);
            seed("fuzz_gzip_reader", name + "-series-2-members",
                 byte(3 | 32 | 128) + byte(100) + series);
            seed("fuzz_gzip_reader", name + "-cut", byte(1 | 8) + byte(200) + plain);
            seed("fuzz_gzip_reader", name + "-gzip", byte(4) + byte(0) + gzip(series));
        }
    }

    // The round trip reads its choices from the end of its input and the
    // samples' bits before them: cuts of the example volume's bytes.
    const std::string img = read_text(examples / "segmented.img");
    for (std::size_t at : {std::size_t{0}, img.size() / 2, img.size() / 2 + 1001}) {
        for (std::size_t length : {std::size_t{40}, std::size_t{200}}) {
            seed("fuzz_analyze_round_trip",
                 "cut-" + std::to_string(at) + "-" + std::to_string(length),
                 img.substr(at, length));
        }
    }
    std::string floats;
    for (float v : block) floats += raw<float>(v * 77.3f - 100.5f, false);
    seed("fuzz_analyze_round_trip", "floats", floats);
    return 0;
}
