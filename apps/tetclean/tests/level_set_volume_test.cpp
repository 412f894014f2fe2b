// SPDX-License-Identifier: MIT
// tetclean with its level-set grid in a NIfTI-1 file: the bundled example's
// values in each stored form clean the mesh exactly as the same values in
// text do; damaged, mismatched and foreign files are refused with one line
// and no output; a header that places the grid elsewhere gives one notice.
#include <cmath>
#include <cstdio>
#include <filesystem>
#include <limits>
#include <sstream>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "nifti_test_files.hpp"
#include "test_files.hpp"

namespace {

namespace fs = std::filesystem;
using analyze_test_files::byte_order;
using analyze_test_files::put_value;
using nifti_test_files::gzip_bytes;
using nifti_test_files::nifti_bytes;
using nifti_test_files::nifti_fields;
using testing_support::read_file;
using testing_support::RunResult;
using testing_support::TempDir;
using testing_support::write_file;

const std::string program = TETCLEAN_PATH;
const fs::path examples = EXAMPLES_DIR;
constexpr std::int16_t side = 56;  // the bundled parameter file's grid

std::vector<float> bundled_values() {
    std::istringstream text(read_file(examples / "levelset.txt"));
    std::vector<float> values;
    for (std::string word; text >> word;) values.push_back(std::strtof(word.c_str(), nullptr));
    return values;
}

nifti_fields grid_fields(std::int16_t datatype = 16, std::int16_t bitpix = 32) {
    nifti_fields f;
    f.dims[1] = f.dims[2] = f.dims[3] = side;
    f.datatype = datatype;
    f.bitpix = bitpix;
    return f;
}

template <typename T, typename Convert>
std::string samples(const std::vector<float>& values, byte_order order, Convert convert) {
    std::string bytes;
    for (std::size_t i = 0; i < values.size(); ++i) {
        put_value<T>(bytes, i * sizeof(T), convert(values[i]), order);
    }
    return bytes;
}

std::string float_file(const std::vector<float>& values, byte_order order = byte_order::little) {
    return nifti_bytes(grid_fields(), order,
                       samples<float>(values, order, [](float v) { return v; }));
}

// The transforms, written into a header: sform rows, and the qform's
// quaternion (b, c, d), offsets, spacings and qfac.
struct Transforms {
    std::int16_t qform_code = 0, sform_code = 0;
    float quaternion[3] = {0, 0, 0}, qoffset[3] = {-1.5f, -1.5f, -1.5f};
    float pixdim[4] = {1.0f, 0.5f, 0.5f, 0.5f};
    float srow[3][4] = {{0.5f, 0, 0, -1.5f}, {0, 0.5f, 0, -1.5f}, {0, 0, 0.5f, -1.5f}};
};

std::string with_transforms(std::string file, const Transforms& t,
                            byte_order order = byte_order::little) {
    put_value(file, 252, t.qform_code, order);
    put_value(file, 254, t.sform_code, order);
    for (std::size_t i = 0; i < 4; ++i) put_value(file, 76 + 4 * i, t.pixdim[i], order);
    for (std::size_t i = 0; i < 3; ++i) {
        put_value(file, 256 + 4 * i, t.quaternion[i], order);
        put_value(file, 268 + 4 * i, t.qoffset[i], order);
        for (std::size_t j = 0; j < 4; ++j)
            put_value(file, 280 + 16 * i + 4 * j, t.srow[i][j], order);
    }
    return file;
}

std::string as_text(const std::vector<float>& values) {
    std::string text;
    char number[32];
    for (float v : values) text.append(number, std::snprintf(number, sizeof number, "%.9g\n", v));
    return text;
}

RunResult clean(const TempDir& dir, const std::string& level_set, const char* out) {
    const std::string node = std::string(out) + ".node", ele = std::string(out) + ".ele";
    return testing_support::run_program(
        dir.path(), program,
        {"-q", (examples / "mesh.node").string(), (examples / "mesh.ele").string(), node, ele,
         level_set, (examples / "params.txt").string()});
}

const std::string grid_notice_tail =
    "; the grid's point (0, 0, 0) is at (-1.5, -1.5, -1.5) with spacing 0.5 and no rotation; the "
    "parameter file decides, and the values are used as the grid's\n";

TEST(TetcleanLevelSetVolume, CleansAsTheSameValuesInTextDo) {
    const std::vector<float> values = bundled_values();
    ASSERT_EQ(values.size(), std::size_t{side} * side * side);
    std::vector<float> stepped;  // the values as int16 with scl_slope 0.01 and scl_inter 0.5
    std::string shorts;
    for (std::size_t i = 0; i < values.size(); ++i) {
        const auto stored = static_cast<std::int16_t>(std::lround((values[i] - 0.5f) * 100));
        put_value(shorts, 2 * i, stored, byte_order::big);
        stepped.push_back(static_cast<float>(double{0.01f} * stored + 0.5));
    }
    std::vector<float> nudged;  // float64 samples a little above the float values
    for (float v : values) nudged.push_back(static_cast<float>(double{v} + 1e-9));
    nifti_fields scaled = grid_fields(4, 16);
    scaled.scl_slope = 0.01f;
    scaled.scl_inter = 0.5f;
    Transforms grid;
    grid.qform_code = grid.sform_code = 1;
    Transforms moved = grid;
    moved.sform_code = 2;
    moved.srow[0][0] = moved.srow[1][1] = moved.srow[2][2] = 1.0f;
    moved.srow[0][3] = moved.srow[1][3] = moved.srow[2][3] = 0.0f;
    Transforms turned = grid;  // a quarter turn about z
    turned.quaternion[2] = static_cast<float>(std::sqrt(0.5));
    Transforms flipped = grid;
    flipped.pixdim[0] = -1.0f;
    flipped.qoffset[0] = 2.0f;

    struct Case {
        const char* name;
        std::string file;
        std::vector<float> values;
        std::string err;
    };
    const Case cases[] = {
        {"f32.nii", float_file(values), values, ""},
        {"f32.nii.gz", gzip_bytes(float_file(values)), values, ""},
        {"f32-big.nii", with_transforms(float_file(values, byte_order::big), grid, byte_order::big),
         values, ""},
        {"f64.nii",
         nifti_bytes(
             grid_fields(64, 64), byte_order::little,
             samples<double>(values, byte_order::little, [](float v) { return double{v} + 1e-9; })),
         nudged, ""},
        {"s16-scaled-big.nii", nifti_bytes(scaled, byte_order::big, shorts), stepped, ""},
        {"moved.nii", with_transforms(float_file(values), moved), values,
         "tetclean: moved.nii: the header's sform puts voxel (0, 0, 0) at (0, 0, 0) with "
         "spacings 1, 1, 1" +
             grid_notice_tail},
        {"turned.nii", with_transforms(float_file(values), turned), values,
         "tetclean: turned.nii: the header's qform puts voxel (0, 0, 0) at (-1.5, -1.5, -1.5) "
         "with spacings 0.5, 0.5, 0.5 and rotated or flipped axes" +
             grid_notice_tail},
        {"flipped.nii.gz", gzip_bytes(with_transforms(float_file(values), flipped)), values,
         "tetclean: flipped.nii.gz: the header's qform puts voxel (0, 0, 0) at (2, -1.5, -1.5) "
         "with spacings 0.5, 0.5, 0.5 and rotated or flipped axes" +
             grid_notice_tail},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        TempDir dir;
        write_file(dir / c.name, c.file);
        write_file(dir / "ls.txt", as_text(c.values));
        const RunResult from_text = clean(dir, "ls.txt", "text");
        ASSERT_EQ(from_text.status, 0) << from_text.err;
        for (const char* threads : {"1", "2"}) {
            const RunResult result = testing_support::run_program(
                dir.path(), program,
                {"-q", "--threads", threads, (examples / "mesh.node").string(),
                 (examples / "mesh.ele").string(), "volume.node", "volume.ele", c.name,
                 (examples / "params.txt").string()});
            EXPECT_EQ(result.status, 0);
            EXPECT_EQ(result.err, c.err);
            EXPECT_EQ(read_file(dir / "volume.node"), read_file(dir / "text.node"));
            EXPECT_EQ(read_file(dir / "volume.ele"), read_file(dir / "text.ele"));
        }
    }
}

TEST(TetcleanLevelSetVolume, RefusesWithOneLineAndNoOutput) {
    const std::vector<float> values = bundled_values();
    const std::string good = float_file(values);
    nifti_fields narrow = grid_fields();
    narrow.dims[1] = 55;
    nifti_fields series = grid_fields();
    series.dims[0] = 4;
    series.dims[4] = 2;
    nifti_fields second = grid_fields();
    second.sizeof_hdr = 540;
    nifti_fields pair = grid_fields();
    pair.magic = "ni1";
    nifti_fields rgb = grid_fields(128, 24);
    std::vector<float> with_nan = values;
    with_nan[3 + side * (2 + side * 1)] = std::numeric_limits<float>::quiet_NaN();
    std::string bad_crc = gzip_bytes(good);
    bad_crc[bad_crc.size() - 8] ^= 1;
    const std::string gz = gzip_bytes(good);
    std::string doubles = samples<double>(values, byte_order::big, [](float v) { return v; });
    put_value(doubles, 0, -1e300, byte_order::big);  // beyond the float range: an infinity
    const std::string tail = "; the parameter file's extents give 56 x 56 x 56\n";

    struct Case {
        const char* name;
        std::string file;  // none written when empty
        std::string err;   // after "tetclean: <name>: "
    };
    const Case cases[] = {
        {"none.nii", "", "cannot open level-set file: No such file or directory\n"},
        {"short.nii", good.substr(0, 100), "file is shorter than 348 bytes\n"},
        {"narrow.nii", nifti_bytes(narrow, byte_order::little, good.substr(352)),
         "holds a 55 x 56 x 56 grid" + tail},
        {"series.nii", nifti_bytes(series, byte_order::little, good.substr(352) + good.substr(352)),
         "holds a series of 2 volumes; a level-set grid is one volume\n"},
        {"two.nii", nifti_bytes(second, byte_order::little, good.substr(352)),
         "is a NIfTI-2 file; only NIfTI-1 files are read\n"},
        {"pair.nii", nifti_bytes(pair, byte_order::little, ""),
         "holds the header of a NIfTI-1 pair (magic \"ni1\"), not a single file with its "
         "samples; name the pair's .hdr file\n"},
        {"rgb.nii", nifti_bytes(rgb, byte_order::little, good.substr(352)),
         "unsupported datatype 128 (bitpix 24)\n"},
        {"cut.nii", good.substr(0, good.size() - 1),
         "file is shorter than the samples the header announces\n"},
        {"cut.nii.gz", gz.substr(0, gz.size() - 100), "compressed data is truncated\n"},
        {"crc.nii.gz", bad_crc, "compressed data is corrupt (incorrect data check)\n"},
        {"more.nii.gz", gzip_bytes(good + "abcd"),
         "compressed data inflates to more than the 702816 bytes the header announces\n"},
        {"nan.nii", float_file(with_nan),
         "holds a NaN at grid point (3, 2, 1); level-set values must be finite numbers\n"},
        {"far.nii", nifti_bytes(grid_fields(64, 64), byte_order::big, doubles),
         "holds an infinity at grid point (0, 0, 0); level-set values must be finite numbers\n"},
    };
    for (const Case& c : cases) {
        for (const char* threads : {"1", "2"}) {
            SCOPED_TRACE(std::string(c.name) + " on " + threads);
            TempDir dir;
            if (!c.file.empty()) write_file(dir / c.name, c.file);
            const RunResult result = testing_support::run_program(
                dir.path(), program,
                {"-q", "--threads", threads, (examples / "mesh.node").string(),
                 (examples / "mesh.ele").string(), "out.node", "out.ele", c.name,
                 (examples / "params.txt").string()});
            EXPECT_EQ(result.status, 1);
            EXPECT_EQ(result.err, "tetclean: " + std::string(c.name) + ": " + c.err);
            EXPECT_FALSE(fs::exists(dir / "out.node") || fs::exists(dir / "out.ele"));
        }
    }
}

}  // namespace
