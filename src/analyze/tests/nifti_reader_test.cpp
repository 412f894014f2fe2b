// SPDX-License-Identifier: MIT
#include <cmath>
#include <cstdio>
#include <limits>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include <levelset_prep/analyze/nifti_reader.hpp>

#include "nifti_test_files.hpp"

namespace {

using namespace levelset_prep::analyze;
using namespace nifti_test_files;
using analyze_test_files::sample_bytes;
using testing_support::TempDir;

constexpr float nan = std::numeric_limits<float>::quiet_NaN();
constexpr float inf = std::numeric_limits<float>::infinity();

struct Read {
    int status;
    std::string error;
};

Read read_file(const std::filesystem::path& path, analyze_image& image,
               const ReadOptions& options = {}) {
    const ReadResult result = read_nifti_image(path.string(), image, options);
    return {status_number(result.status), result.error ? result.error->message() : ""};
}

// Writes `bytes` as v.nii, or gzip-compressed as v.nii.gz, and reads it.
Read read_bytes(const TempDir& dir, const std::string& bytes, bool compressed, analyze_image& image,
                const ReadOptions& options = {}) {
    const auto path = dir / (compressed ? "v.nii.gz" : "v.nii");
    testing_support::write_file(path, compressed ? gzip_bytes(bytes) : bytes);
    return read_file(path, image, options);
}

struct SampleCase {
    const char* what;
    std::int16_t datatype, bitpix;
    bool signed_16bit;
    std::string (*samples)(byte_order);  // four samples in the file's order
    std::vector<float> expected;
};

// clang-format off
const SampleCase sample_cases[] = {
    {"uint8", 2, 8, false, [](byte_order o) { return sample_bytes<std::uint8_t>({0, 7, 200, 255}, o); }, {0, 7, 200, 255}},
    {"int8", 256, 8, false, [](byte_order o) { return sample_bytes<std::int8_t>({-128, -1, 0, 127}, o); }, {-128, -1, 0, 127}},
    {"16-bit, unsigned by default", 4, 16, false, [](byte_order o) { return sample_bytes<std::int16_t>({1, -1, -32768, 300}, o); }, {1, 65535, 32768, 300}},
    {"16-bit, signed when asked", 4, 16, true, [](byte_order o) { return sample_bytes<std::int16_t>({1, -1, -32768, 300}, o); }, {1, -1, -32768, 300}},
    {"uint16 stays unsigned", 512, 16, true, [](byte_order o) { return sample_bytes<std::uint16_t>({65535, 32768, 0, 2}, o); }, {65535, 32768, 0, 2}},
    {"int32", 8, 32, false, [](byte_order o) { return sample_bytes<std::int32_t>({-5, 16777217, -2147483647 - 1, 7}, o); }, {-5, 16777216, -2147483648.0f, 7}},
    {"uint32", 768, 32, false, [](byte_order o) { return sample_bytes<std::uint32_t>({4294967295u, 16777217, 0, 3}, o); }, {4294967296.0f, 16777216, 0, 3}},
    {"float32", 16, 32, false, [](byte_order o) { return sample_bytes<float>({-1.5f, nan, 3.25f, 1e-30f}, o); }, {-1.5f, nan, 3.25f, 1e-30f}},
    {"float64", 64, 64, false, [](byte_order o) { return sample_bytes<double>({0.1, -2.75, 1e300, 16777217.0}, o); }, {0.1f, -2.75f, inf, 16777216}},
};
// clang-format on

void expect_samples(const analyze_image& image, const std::vector<float>& expected) {
    float min = 2147483648.0f, max = -2147483648.0f;
    for (std::size_t i = 0; i < expected.size(); ++i) {
        if (std::isnan(expected[i])) {
            EXPECT_TRUE(std::isnan(image.data[i])) << "sample " << i;
            continue;
        }
        EXPECT_EQ(image.data[i], expected[i]) << "sample " << i;
        min = std::min(min, expected[i]);
        max = std::max(max, expected[i]);
    }
    EXPECT_EQ(image.min_intensity, min);
    EXPECT_EQ(image.max_intensity, max);
}

// Every accepted type in both byte orders, plain and compressed, with the
// samples right after the header and after an extension; scl_slope and
// scl_inter are set and must not be applied.
TEST(NiftiReader, EveryAcceptedTypeBothOrdersPlainAndCompressed) {
    TempDir dir;
    for (const SampleCase& c : sample_cases) {
        for (byte_order order : {byte_order::little, byte_order::big}) {
            for (float vox_offset : {352.0f, 400.0f}) {
                nifti_fields fields{.dims = {3, 2, 1, 2, 1, 1, 1, 1},
                                    .datatype = c.datatype,
                                    .bitpix = c.bitpix,
                                    .spacing = {0.5f, 0.75f, 3.0f},
                                    .vox_offset = vox_offset,
                                    .scl_slope = 2.0f,
                                    .scl_inter = 100.0f};
                std::string bytes = nifti_bytes(fields, order, c.samples(order));
                if (vox_offset > 352) bytes.replace(348, 52, 52, '\x7f');  // an extension
                for (bool compressed : {false, true}) {
                    SCOPED_TRACE(std::string(c.what) + (order == byte_order::big ? " big" : "") +
                                 (compressed ? " gz " : " ") + std::to_string(vox_offset));
                    analyze_image image;
                    const Read read =
                        read_bytes(dir, bytes, compressed, image, {.signed_16bit = c.signed_16bit});
                    ASSERT_EQ(read.status, 0) << read.error;
                    expect_samples(image, c.expected);
                    EXPECT_EQ(image.header.datatype, c.datatype);
                    EXPECT_EQ(image.header.dim[3], 2);
                    EXPECT_EQ(image.header.pixdim[2], 0.75f);
                    EXPECT_EQ(image.header.vox_offset, vox_offset);
                    EXPECT_EQ(nifti_scaling(image.header).slope, 2.0f);
                    EXPECT_EQ(nifti_scaling(image.header).inter, 100.0f);
                }
            }
        }
    }
}

TEST(NiftiReader, Refusals) {
    const std::string four_floats = sample_bytes<float>({1, 2, 3, 4}, byte_order::little);
    struct Case {
        const char* what;
        nifti_fields fields;
        std::string samples;
        int status;
        std::string problem;
        ReadOptions options = {};
    };
    const nifti_fields four{.dims = {3, 4, 1, 1, 1, 1, 1, 1}};
    const auto with = [&four](auto change) {
        nifti_fields f = four;
        change(f);
        return f;
    };
    // clang-format off
    const Case cases[] = {
        {"NIfTI-2", with([](nifti_fields& f) { f.sizeof_hdr = 540; }), four_floats, 7, "is a NIfTI-2 file"},
        {"NIfTI-2, other order", with([](nifti_fields& f) { f.sizeof_hdr = 0x1c020000; }), four_floats, 7, "NIfTI-2"},
        {"no header size", with([](nifti_fields& f) { f.sizeof_hdr = 0; }), four_floats, 7, "is not a NIfTI-1 file"},
        {"a pair's header", with([](nifti_fields& f) { f.magic = "ni1"; }), four_floats, 7, "NIfTI-1 pair (magic \"ni1\")"},
        {"no magic", with([](nifti_fields& f) { f.magic = "\0\0\0"; }), four_floats, 7, "no \"n+1\" magic"},
        {"dim[0] 0", with([](nifti_fields& f) { f.dims[0] = 0; }), four_floats, 7, "dim[0] is 0"},
        {"dim[0] 8", with([](nifti_fields& f) { f.dims[0] = 8; }), four_floats, 7, "dim[0] is 8"},
        {"vox_offset 0", with([](nifti_fields& f) { f.vox_offset = 0; }), four_floats, 7, "vox_offset 0 is not a whole number"},
        {"vox_offset 351", with([](nifti_fields& f) { f.vox_offset = 351; }), four_floats, 7, "vox_offset 351"},
        {"vox_offset 352.5", with([](nifti_fields& f) { f.vox_offset = 352.5f; }), four_floats, 7, "vox_offset 352.5"},
        {"vox_offset NaN", with([](nifti_fields& f) { f.vox_offset = nan; }), four_floats, 7, "vox_offset nan"},
        {"vox_offset 1e30", with([](nifti_fields& f) { f.vox_offset = 1e30f; }), four_floats, 7, "vox_offset 1e+30"},
        {"vox_offset past the end", with([](nifti_fields& f) { f.vox_offset = 1e9f; }), four_floats, 5, "file is shorter than the samples"},
        {"samples short", four, four_floats.substr(0, 15), 5, "file is shorter than the samples"},
        {"zero datatype", with([](nifti_fields& f) { f.datatype = 0; f.bitpix = 64; }), four_floats, 4, "unsupported datatype 0 (bitpix 64)"},
        {"int64", with([](nifti_fields& f) { f.datatype = 1024; f.bitpix = 64; }), four_floats, 4, "unsupported datatype 1024"},
        {"count beyond 32 bits", with([](nifti_fields& f) { f.dims[1] = f.dims[2] = f.dims[3] = 32767; }), "", 2, "cannot hold the samples"},
        {"volume 2 of 1", four, four_floats, 10, "no volume 2: the header announces 1 volume", {.volume = 2}},
        {"volume 0", four, four_floats, 10, "no volume 0", {.volume = 0}},
    };
    // clang-format on
    TempDir dir;
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        analyze_image image;
        const Read read = read_bytes(dir, nifti_bytes(c.fields, byte_order::little, c.samples),
                                     false, image, c.options);
        EXPECT_EQ(read.status, c.status);
        EXPECT_EQ(read.error.rfind((dir / "v.nii").string() + ": ", 0), 0u) << read.error;
        EXPECT_NE(read.error.find(c.problem), std::string::npos) << read.error;
        EXPECT_FALSE(image.data);
    }
    analyze_image image;
    EXPECT_EQ(read_bytes(dir, std::string(347, '\0'), false, image).error,
              (dir / "v.nii").string() + ": file is shorter than 348 bytes");
    EXPECT_EQ(
        read_file(dir / "none.nii", image).error,
        (dir / "none.nii").string() + ": cannot open NIfTI-1 file: No such file or directory");
}

// Volumes of a series lie one after the other; dims beyond dim[0] are
// ignored and read as 1.
TEST(NiftiReader, SeriesAndDimensions) {
    const std::string six = sample_bytes<std::int16_t>({1, 2, 3, 4, 5, 6}, byte_order::big);
    struct Case {
        const char* what;
        std::int16_t dims[8];
        std::int64_t volume;
        int status;
        std::vector<float> expected;
        std::int16_t nz;  // as the header comes back
        std::string samples = "";
    };
    // clang-format off
    const Case cases[] = {
        {"4-D, volume 1", {4, 2, 1, 1, 3, 1, 1, 1}, 1, 0, {1, 2}, 1, six},
        {"4-D, volume 3", {4, 2, 1, 1, 3, 1, 1, 1}, 3, 0, {5, 6}, 1, six},
        {"4-D, volume 4", {4, 2, 1, 1, 3, 1, 1, 1}, 4, 10, {}, 1, six},
        {"5-D: volumes over dims 4 and 5", {5, 2, 1, 1, 1, 3, 1, 1}, 2, 0, {3, 4}, 1, six},
        {"dim[4] beyond dim[0] ignored", {3, 6, 1, 1, 3, 1, 1, 1}, 2, 10, {}, 1, six},
        {"2-D with dim[3] 0 reads as 1", {2, 3, 2, 0, 0, 0, 0, 0}, 1, 0, {1, 2, 3, 4, 5, 6}, 1, six},
        {"a zero size gives no samples", {3, 3, 0, 2, 1, 1, 1, 1}, 1, 0, {}, 2},
    };
    // clang-format on
    TempDir dir;
    for (const Case& c : cases) {
        for (bool compressed : {false, true}) {
            SCOPED_TRACE(std::string(c.what) + (compressed ? " gz" : ""));
            nifti_fields fields{.datatype = 4, .bitpix = 16};
            std::copy(c.dims, c.dims + 8, fields.dims);
            analyze_image image;
            const Read read = read_bytes(dir, nifti_bytes(fields, byte_order::big, c.samples),
                                         compressed, image, {.volume = c.volume});
            ASSERT_EQ(read.status, c.status) << read.error;
            if (c.status == 0) expect_samples(image, c.expected);
            EXPECT_EQ(image.header.dim[3], c.nz);
        }
    }
}

// Compressed data is checked to its end; a bomb is refused as soon as it
// passes what the header announces.
TEST(NiftiReader, CompressedDataFaults) {
    // Two volumes of 4 x 4 x 4 floats: 352 + 512 bytes.
    std::vector<float> values(128);
    for (std::size_t i = 0; i < values.size(); ++i) values[i] = static_cast<float>(i) * 0.5f;
    const std::string file = nifti_bytes({.dims = {4, 4, 4, 4, 2, 1, 1, 1}}, byte_order::little,
                                         sample_bytes(values, byte_order::little));
    const std::string gz = gzip_bytes(file);
    std::string bad_crc = gz;
    bad_crc[gz.size() - 6] ^= 1;
    std::string flipped = gz;
    flipped[gz.size() / 2] ^= 0x55;
    const std::string extra(1 << 20, '\0');
    struct Case {
        const char* what;
        std::string bytes;  // the .nii.gz file
        int status;
        std::string problem;
    };
    // clang-format off
    const Case cases[] = {
        {"intact", gz, 0, ""},
        {"two members and zero padding", gzip_bytes(file.substr(0, 500)) + gzip_bytes(file.substr(500)) + std::string(10, '\0'), 0, ""},
        {"cut in the gzip header", gz.substr(0, 5), 8, "compressed data is truncated"},
        {"cut in the NIfTI header", gz.substr(0, 40), 8, "compressed data is truncated"},
        {"cut in the samples", gz.substr(0, gz.size() / 2), 8, "compressed data is truncated"},
        {"cut in the trailer", gz.substr(0, gz.size() - 3), 8, "compressed data is truncated"},
        {"wrong CRC", bad_crc, 8, "compressed data is corrupt (incorrect data check)"},
        {"damaged", flipped, 8, "compressed data is corrupt"},
        {"garbage after", gz + "junk", 8, "bytes that are not compressed data follow"},
        {"ends cleanly in the samples", gzip_bytes(file.substr(0, 500)), 5, "decompressed file is shorter than the samples"},
        {"ends cleanly in the header", gzip_bytes(file.substr(0, 100)), 6, "decompressed file is shorter than 348 bytes"},
        {"a bomb", gzip_bytes(file + extra), 9, "inflates to more than the 864 bytes the header announces"},
        // Had the bomb been inflated to its end, the junk behind it would
        // have made it corrupt.
        {"a bomb, then junk", gzip_bytes(file + extra) + "junk", 9, "more than the 864 bytes"},
        {"one byte too many", gzip_bytes(file + '\0'), 9, "more than the 864 bytes"},
    };
    // clang-format on
    TempDir dir;
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        testing_support::write_file(dir / "v.nii.gz", c.bytes);
        analyze_image image;
        const Read read = read_file(dir / "v.nii.gz", image);
        EXPECT_EQ(read.status, c.status) << read.error;
        EXPECT_NE(read.error.find(c.problem), std::string::npos) << read.error;
        EXPECT_EQ(static_cast<bool>(image.data), c.status == 0);
        if (c.status == 0) {
            EXPECT_EQ(image.data[63], 31.5f);
        }
    }
    // The name does not decide: gzip data is known by its first two bytes.
    testing_support::write_file(dir / "plain.nii.gz", file);
    testing_support::write_file(dir / "packed.nii", gz);
    for (const char* name : {"plain.nii.gz", "packed.nii"}) {
        analyze_image image;
        EXPECT_EQ(read_file(dir / name, image, {.volume = 2}).status, 0) << name;
        EXPECT_EQ(image.data[0], 32.0f) << name;
    }
}

// From a pipe: extensions and earlier volumes are read past, and compressed
// samples go into a buffer that doubles while they arrive (1,200,000
// samples a volume here, beyond the first 2^20).
TEST(NiftiReader, FromAPipe) {
    std::string bytes(2400000, '\0');
    for (std::size_t i = 0; i < bytes.size(); ++i) bytes[i] = static_cast<char>(i % 251);
    const std::string file = nifti_bytes(
        {.dims = {4, 120, 100, 100, 2, 1, 1, 1}, .datatype = 2, .bitpix = 8, .vox_offset = 1024},
        byte_order::little, bytes);
    TempDir dir;
    for (bool compressed : {false, true}) {
        SCOPED_TRACE(compressed ? "compressed" : "plain");
        testing_support::write_file(dir / "v", compressed ? gzip_bytes(file, 1) : file);
        for (std::int64_t volume : {1, 2}) {
            std::FILE* pipe = ::popen(("cat " + (dir / "v").string()).c_str(), "r");
            ASSERT_NE(pipe, nullptr);
            analyze_image image;
            EXPECT_EQ(status_number(read_nifti_image(pipe, image, {.volume = volume}).status), 0);
            ::pclose(pipe);
            const std::size_t first = volume == 1 ? 0 : 1200000;
            for (std::size_t i = 0; i < 1200000; i += 4999) {
                ASSERT_EQ(image.data[i], static_cast<float>((first + i) % 251)) << i;
            }
            EXPECT_EQ(image.max_intensity, 250.0f);
        }
    }
}

TEST(NiftiReader, SeriesLength) {
    struct Case {
        std::int16_t dims[8];
        std::int64_t volumes;
    } const cases[] = {
        {{3, 4, 4, 4, 9, 9, 9, 9}, 1},
        {{4, 4, 4, 4, 20, 9, 9, 9}, 20},
        {{5, 4, 4, 4, 2, 3, 9, 9}, 6},
        {{4, 4, 4, 4, 0, 1, 1, 1}, 1},
        {{9, 1, 1, 1, 32767, 32767, 32767, 32767}, 1152780773560811521},
        {{-3, 1, 1, 1, 5, 5, 5, 5}, 1},
    };
    for (const Case& c : cases) {
        analyze_header header = make_empty_header();
        std::copy(c.dims, c.dims + 8, header.dim);
        EXPECT_EQ(series_length(header), c.volumes) << c.dims[0] << " " << c.dims[4];
    }
}

}  // namespace
