// SPDX-License-Identifier: MIT
#include <cmath>
#include <cstdio>
#include <filesystem>
#include <limits>
#include <string>
#include <utility>
#include <vector>

#include <gtest/gtest.h>

#include <levelset_prep/analyze/analyze_reader.hpp>
#include <levelset_prep/analyze/analyze_status.hpp>

#include "analyze_test_files.hpp"
#include "nifti_test_files.hpp"

namespace {

using namespace levelset_prep::analyze;
using namespace analyze_test_files;
using testing_support::TempDir;

constexpr float nan = std::numeric_limits<float>::quiet_NaN();

struct SampleCase {
    const char* what;
    std::int16_t datatype, bitpix;
    bool signed_16bit;
    std::string (*samples)(byte_order);  // four samples in the pair's order
    std::vector<float> expected;
};

// clang-format off
const SampleCase sample_cases[] = {
    {"u8", 2, 8, false,
     [](byte_order o) { return sample_bytes<std::uint8_t>({0, 7, 200, 255}, o); },
     {0, 7, 200, 255}},
    {"16-bit unsigned", 4, 16, false,
     [](byte_order o) { return sample_bytes<std::uint16_t>({1, 300, 32768, 65535}, o); },
     {1, 300, 32768, 65535}},
    {"16-bit signed", 4, 16, true,
     [](byte_order o) { return sample_bytes<std::uint16_t>({1, 300, 32768, 65535}, o); },
     {1, 300, -32768, -1}},
    {"int32", 8, 32, false,
     [](byte_order o) { return sample_bytes<std::int32_t>({-5, 70000, 16777217, -2147483647 - 1}, o); },
     {-5, 70000, 16777216, -2147483648.0f}},
    {"float", 16, 32, false,
     [](byte_order o) { return sample_bytes<float>({-1.5f, nan, 3.25f, 1e-30f}, o); },
     {-1.5f, nan, 3.25f, 1e-30f}},
    // The zero-datatype rule: floats, twice the voxel count (2 voxels here).
    {"zero datatype, bitpix 64", 0, 64, false,
     [](byte_order o) { return sample_bytes<float>({4, -4, 0.5f, 8}, o); },
     {4, -4, 0.5f, 8}},
};
// clang-format on

TEST(AnalyzeReader, EveryAcceptedTypeInBothByteOrders) {
    TempDir dir;
    for (const SampleCase& c : sample_cases) {
        for (byte_order order : {byte_order::little, byte_order::big}) {
            SCOPED_TRACE(std::string(c.what) + (order == byte_order::big ? " big" : " little"));
            header_fields fields{.nx = 2,
                                 .ny = 1,
                                 .nz = static_cast<std::int16_t>(c.datatype == 0 ? 1 : 2),
                                 .datatype = c.datatype,
                                 .bitpix = c.bitpix,
                                 .spacing = {}};
            write_pair(dir / "v", header_bytes(fields, order), c.samples(order));
            analyze_image image;
            ASSERT_EQ(status_number(
                          read_analyze_image((dir / "v").string(), image, c.signed_16bit).status),
                      0);
            float min = 1e30f, max = -1e30f;
            for (int i = 0; i < 4; ++i) {
                const float want = c.expected[i];
                if (std::isnan(want)) {
                    EXPECT_TRUE(std::isnan(image.data[i]));
                    continue;
                }
                EXPECT_EQ(image.data[i], want) << "sample " << i;
                min = std::min(min, want);
                max = std::max(max, want);
            }
            EXPECT_EQ(image.min_intensity, min);
            EXPECT_EQ(image.max_intensity, max);
            EXPECT_EQ(image.header.sizeof_hdr, 348);
            EXPECT_EQ(image.header.datatype, c.datatype);  // the rule leaves the header as read
        }
    }
}

TEST(AnalyzeReader, FailureStatuses) {
    struct Case {
        const char* what;
        header_fields fields;
        std::string samples;  // image file bytes; "-" for no image file
        int status;
    } const cases[] = {
        {"double", {.datatype = 64, .bitpix = 64}, std::string(8, '\0'), 4},
        {"complex", {.datatype = 32, .bitpix = 64}, std::string(8, '\0'), 4},
        {"colour", {.datatype = 128, .bitpix = 24}, std::string(3, '\0'), 4},
        {"single bit", {.datatype = 1, .bitpix = 1}, std::string(1, '\0'), 4},
        {"zero datatype, bitpix 32", {.datatype = 0, .bitpix = 32}, std::string(4, '\0'), 4},
        {"image missing", {}, "-", 3},
        {"image short", {.nx = 3, .datatype = 4, .bitpix = 16}, std::string(5, '\0'), 5},
        {"float image short", {.nx = 3}, std::string(11, '\0'), 5},
        {"count beyond 32 bits", {.nx = 32767, .ny = 32767, .nz = 32767}, "", 2},
        {"zero-datatype rule beyond 32 bits",
         {.nx = 1024, .ny = 1024, .nz = 1024, .datatype = 0, .bitpix = 64},
         "",
         2},
        {"zero datatype, bitpix 32767, short image",
         {.datatype = 0, .bitpix = 32767},
         std::string(4, '\0'),
         5},
        // A 348-byte header announcing nearly 2^31 samples used to make
        // the reader allocate (and zero) 8 GB before it looked at the image.
        {"huge volume, empty image", {.nx = 32767, .ny = 256, .nz = 255}, "", 5},
        {"huge volume, a few bytes",
         {.nx = 32767, .ny = 256, .nz = 255, .datatype = 2, .bitpix = 8},
         std::string(100, '\1'),
         5},
        {"huge volume of an unsupported type",
         {.nx = 32767, .ny = 256, .nz = 255, .datatype = 64},
         "",
         4},
    };
    TempDir dir;
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        std::filesystem::remove(dir / "v.img");
        write_pair(dir / "v", header_bytes(c.fields, byte_order::big), c.samples);
        if (c.samples == "-") std::filesystem::remove(dir / "v.img");
        analyze_image image;
        EXPECT_EQ(status_number(read_analyze_image((dir / "v").string(), image, false).status),
                  c.status);
        EXPECT_EQ(image.header.dim[1], c.fields.nx);  // the header was read and swapped
        if (c.status != 0) {
            EXPECT_FALSE(image.data);  // no partial volume is kept
        }
    }
}

// Samples are read a chunk at a time (65,536 floats, 131,072 16-bit
// samples): values, range and a short file must come out the same whether
// they fall in the first chunk or a later one.
TEST(AnalyzeReader, VolumesOfSeveralChunks) {
    constexpr std::int16_t nx = 400, ny = 400;  // 160,000 voxels
    std::vector<float> floats(nx * ny);
    std::vector<std::uint16_t> shorts(nx * ny);
    for (std::size_t i = 0; i < floats.size(); ++i) {
        floats[i] = static_cast<float>(i % 1000) - 0.5f;
        shorts[i] = static_cast<std::uint16_t>(i % 1000);
    }
    floats[150000] = 5000.25f;  // the extremes lie beyond the first chunks
    floats[140000] = -7.0f;
    shorts[150000] = 60000;
    TempDir dir;
    for (byte_order order : {byte_order::little, byte_order::big}) {
        for (bool is_float : {true, false}) {
            SCOPED_TRACE(std::string(is_float ? "float" : "16-bit") +
                         (order == byte_order::big ? " big" : " little"));
            const header_fields fields{.nx = nx,
                                       .ny = ny,
                                       .nz = 1,
                                       .datatype = static_cast<std::int16_t>(is_float ? 16 : 4),
                                       .bitpix = static_cast<std::int16_t>(is_float ? 32 : 16),
                                       .spacing = {}};
            const std::string samples =
                is_float ? sample_bytes(floats, order) : sample_bytes(shorts, order);
            write_pair(dir / "v", header_bytes(fields, order), samples);
            analyze_image image;
            ASSERT_EQ(status_number(read_analyze_image((dir / "v").string(), image, false).status),
                      0);
            for (std::size_t i = 0; i < floats.size(); i += 997) {
                ASSERT_EQ(image.data[i], is_float ? floats[i] : shorts[i]) << i;
            }
            EXPECT_EQ(image.min_intensity, is_float ? -7.0f : 0.0f);
            EXPECT_EQ(image.max_intensity, is_float ? 5000.25f : 60000.0f);

            // Cut in a later chunk: the file is short, whatever was read.
            const std::size_t kept = 140001;
            write_pair(dir / "v", header_bytes(fields, order),
                       samples.substr(0, kept * (is_float ? 4 : 2)));
            analyze_image cut;
            EXPECT_EQ(status_number(read_analyze_image((dir / "v").string(), cut, false).status),
                      5);
        }
    }
}

// The range is what comparing each sample in file order with strict tests
// gives: a NaN changes nothing, and of two equal extremes the first stays,
// which tells the zeros apart. Samples are ranged sixteen at a time, in
// chunks of 65536; the cases put the deciding samples in different lanes,
// in the tail after the last sixteen, and on both sides of a chunk's end.
TEST(AnalyzeReader, RangeIsTheFirstOfEqualExtremes) {
    TempDir dir;
    struct Case {
        const char* what;
        std::int16_t nx, ny;
        float fill;
        std::vector<std::pair<int, float>> set;  // sample index, value
    };
    // clang-format off
    const Case cases[] = {
        {"-0 before +0 as the largest", 40, 1, -1.0f, {{3, -0.0f}, {20, 0.0f}}},
        {"+0 before -0 as the largest", 40, 1, -1.0f, {{4, 0.0f}, {21, -0.0f}}},
        {"-0 before +0 as the smallest", 40, 1, 1.0f, {{17, -0.0f}, {18, 0.0f}}},
        {"+0 before -0 as the smallest", 40, 1, 1.0f, {{0, 0.0f}, {39, -0.0f}}},
        {"zeros in the tail", 37, 1, -1.0f, {{33, -0.0f}, {36, 0.0f}}},
        {"NaN all but one", 50, 1, nan, {{29, 2.5f}}},
        {"all NaN keeps the start", 20, 1, nan, {}},
        {"beyond the 32-bit start values", 33, 1, 3e9f, {{5, -3e9f}}},
        {"-0 at a chunk's end, +0 after it", 1640, 40, -2.0f, {{65535, -0.0f}, {65536, 0.0f}}},
        {"+0 in a later chunk after -0 won", 1311, 100, -2.0f, {{100, -0.0f}, {131090, 0.0f}}},
        {"largest in the second chunk", 1640, 40, -2.0f, {{7, 0.0f}, {65590, 0.5f}}},
    };
    // clang-format on
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        std::vector<float> samples(static_cast<std::size_t>(c.nx * c.ny), c.fill);
        for (const auto& [index, value] : c.set) samples[static_cast<std::size_t>(index)] = value;
        float min = 2147483648.0f, max = -2147483648.0f;
        for (float value : samples) {
            if (value > max) max = value;
            if (value < min) min = value;
        }
        write_pair(dir / "v",
                   header_bytes({.nx = c.nx, .ny = c.ny, .datatype = 16, .bitpix = 32},
                                byte_order::little),
                   sample_bytes<float>(samples, byte_order::little));
        analyze_image image;
        ASSERT_EQ(status_number(read_analyze_image((dir / "v").string(), image, false).status), 0);
        EXPECT_EQ(std::signbit(image.max_intensity), std::signbit(max));
        EXPECT_EQ(std::signbit(image.min_intensity), std::signbit(min));
        EXPECT_EQ(image.max_intensity, max);
        EXPECT_EQ(image.min_intensity, min);
    }
}

// The in-memory form used for fuzzing reads what the file form reads.
TEST(AnalyzeReader, FromHeaderBytesAndOpenStream) {
    const std::string header =
        header_bytes({.nx = 2, .datatype = 4, .bitpix = 16}, byte_order::big);
    const std::string samples = sample_bytes<std::uint16_t>({9, 40000}, byte_order::big);
    std::FILE* file = std::tmpfile();
    ASSERT_NE(file, nullptr);
    std::fwrite(samples.data(), 1, samples.size(), file);
    std::rewind(file);
    const auto* bytes = reinterpret_cast<const unsigned char*>(header.data());
    analyze_image image;
    EXPECT_EQ(status_number(read_analyze_image({bytes, 347}, file, image, false).status), 6);
    EXPECT_EQ(status_number(read_analyze_image({bytes, header.size()}, file, image, false).status),
              0);
    EXPECT_EQ(image.data[1], 40000.0f);
    EXPECT_EQ(image.max_intensity, 40000.0f);
    std::fclose(file);
}

// A pipe cannot say how long it is: its bytes are read as they come, and
// the samples' buffer follows them, not the header.
TEST(AnalyzeReader, ImageFromAStreamOfUnknownLength) {
    struct Case {
        const char* what;
        header_fields fields;
        const char* command;  // writes the image bytes
        int status;
    } const cases[] = {
        {"whole",
         {.nx = 3, .datatype = 4, .bitpix = 16},
         "printf '\\001\\000\\002\\000\\003\\000'",
         0},
        {"short", {.nx = 4, .datatype = 4, .bitpix = 16}, "printf '\\001\\000\\002\\000'", 5},
        {"huge header, short stream",
         {.nx = 32767, .ny = 256, .nz = 255},
         "head -c 3000000 /dev/zero",
         5},
        {"several blocks", {.nx = 1000, .ny = 1000}, "head -c 4000000 /dev/zero", 0},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        const std::string header = header_bytes(c.fields, byte_order::little);
        std::FILE* pipe = ::popen(c.command, "r");
        ASSERT_NE(pipe, nullptr);
        analyze_image image;
        EXPECT_EQ(
            status_number(read_analyze_image({reinterpret_cast<const unsigned char*>(header.data()),
                                              header.size()},
                                             pipe, image, false)
                              .status),
            c.status);
        ::pclose(pipe);
        EXPECT_EQ(static_cast<bool>(image.data), c.status == 0);
        if (c.status == 0 && c.fields.nx == 3) {
            EXPECT_EQ(image.data[2], 3.0f);
            EXPECT_EQ(image.max_intensity, 3.0f);
        }
    }
}

}  // namespace

// A pair's image may be gzip-compressed (vol.img.gz, read when vol.img does
// not exist) and may hold a series; options.volume picks a volume. The
// compressed image must hold no more than the series.
TEST(AnalyzeReader, CompressedImagesAndSeries) {
    std::string header = header_bytes({.nx = 2, .datatype = 4, .bitpix = 16}, byte_order::big);
    put_value<std::int16_t>(header, 48, 3, byte_order::big);  // dim[4]: 3 volumes
    const std::string samples = sample_bytes<std::int16_t>({1, -2, 3, -4, 5, -6}, byte_order::big);
    const std::string gz = nifti_test_files::gzip_bytes(samples);
    struct Case {
        const char* what;
        std::string img, img_gz;  // "-": no such file
        ReadOptions options;
        int status;
        std::vector<float> expected;
        std::string named;  // the file the error names
    };
    // clang-format off
    const Case cases[] = {
        {"plain, volume 1", samples, "-", {}, 0, {1, 65534}, ""},
        {"plain, volume 3, signed", samples, "-", {.signed_16bit = true, .volume = 3}, 0, {5, -6}, ""},
        {"plain, volume 4", samples, "-", {.volume = 4}, 10, {}, "v.hdr"},
        {"plain, volume 3 missing", samples.substr(0, 10), "-", {.volume = 3}, 5, {}, "v.img"},
        {"compressed", "-", gz, {.volume = 2}, 0, {3, 65532}, ""},
        {"the plain image first", samples, nifti_test_files::gzip_bytes("junk"), {}, 0, {1, 65534}, ""},
        {"compressed, truncated", "-", gz.substr(0, gz.size() - 1), {}, 8, {}, "v.img.gz"},
        {"compressed, more than the series", "-", nifti_test_files::gzip_bytes(samples + "x"), {}, 9, {}, "v.img.gz"},
        {"compressed, short", "-", nifti_test_files::gzip_bytes(samples.substr(0, 6)), {.volume = 2}, 5, {}, "v.img.gz"},
        {"neither", "-", "-", {}, 3, {}, "v.img"},
    };
    // clang-format on
    TempDir dir;
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        testing_support::write_file(dir / "v.hdr", header);
        for (const auto& [name, bytes] : {std::pair{"v.img", c.img}, {"v.img.gz", c.img_gz}}) {
            std::filesystem::remove(dir / name);
            if (bytes != "-") testing_support::write_file(dir / name, bytes);
        }
        analyze_image image;
        const ReadResult read = read_analyze_image((dir / "v").string(), image, c.options);
        ASSERT_EQ(status_number(read.status), c.status);
        if (c.status == 0) {
            EXPECT_EQ(image.data[0], c.expected[0]);
            EXPECT_EQ(image.data[1], c.expected[1]);
        } else {
            EXPECT_EQ(read.error->file, (dir / c.named).string()) << read.error->message();
        }
    }
}

// A foreign header's series dims come back in the machine's order too.
TEST(AnalyzeReader, ForeignSeriesDims) {
    std::string header = header_bytes({.nx = 1}, byte_order::big);
    put_value<std::int16_t>(header, 40, 5, byte_order::big);  // dim[0]
    put_value<std::int16_t>(header, 50, 2, byte_order::big);  // dim[5]
    put_value<float>(header, 108, 352.0f, byte_order::big);   // vox_offset
    TempDir dir;
    write_pair(dir / "v", header, sample_bytes<float>({1.5f, 2.5f}, byte_order::big));
    analyze_image image;
    ASSERT_EQ(status_number(read_analyze_image((dir / "v").string(), image, {.volume = 2}).status),
              0);
    EXPECT_EQ(image.data[0], 2.5f);
    EXPECT_EQ(image.header.dim[5], 2);
    EXPECT_EQ(image.header.vox_offset, 352.0f);
    EXPECT_EQ(series_length(image.header), 2);
}
