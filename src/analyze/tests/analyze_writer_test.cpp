// SPDX-License-Identifier: MIT
#include <cmath>
#include <cstring>
#include <filesystem>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include <levelset_prep/analyze/analyze_reader.hpp>
#include <levelset_prep/analyze/analyze_writer.hpp>

#include "test_files.hpp"

namespace {

namespace fs = std::filesystem;
using namespace levelset_prep::analyze;
using testing_support::read_file;
using testing_support::TempDir;

template <typename T>
std::string native(T value) {
    std::string bytes(sizeof value, '\0');
    std::memcpy(bytes.data(), &value, sizeof value);
    return bytes;
}

analyze_image image_of(std::int16_t datatype, std::int16_t bitpix, std::vector<float> samples) {
    analyze_image image;
    image.header.dim[1] = static_cast<std::int16_t>(samples.size());
    image.header.dim[2] = image.header.dim[3] = 1;
    image.header.datatype = datatype;
    image.header.bitpix = bitpix;
    image.data.reset(new float[samples.size()]);
    std::copy(samples.begin(), samples.end(), image.data.get());
    return image;
}

TEST(AnalyzeWriter, WriteValueRoundsAndClamps) {
    const float nan = std::nanf("");
    const struct {
        std::int16_t datatype, bitpix;
        bool signed_16bit;
        float value;
        std::string bytes;
    } cases[] = {
        {2, 8, false, 2.5f, native<std::uint8_t>(2)},  // an exact half goes down
        {2, 8, false, 2.6f, native<std::uint8_t>(3)},
        {2, 8, false, 254.6f, native<std::uint8_t>(255)},
        {2, 8, false, 300.0f, native<std::uint8_t>(255)},
        {2, 8, false, -4.0f, native<std::uint8_t>(0)},
        {2, 8, false, nan, native<std::uint8_t>(255)},  // NaN fails the upper test
        {4, 16, true, -2.5f, native<std::int16_t>(-3)},
        {4, 16, true, 40000.0f, native<std::int16_t>(32767)},
        {4, 16, true, -40000.0f, native<std::int16_t>(-32767)},
        {4, 16, true, nan, native<std::int16_t>(32767)},
        {4, 16, false, 70000.0f, native<std::uint16_t>(65535)},
        {4, 16, false, -1.0f, native<std::uint16_t>(0)},
        {4, 16, false, 40000.4f, native<std::uint16_t>(40000)},
        {8, 32, false, 3e9f, native<std::int32_t>(2147000064)},
        {8, 32, false, -3e9f, native<std::int32_t>(-2147000064)},
        {8, 32, false, -INFINITY, native<std::int32_t>(-2147000064)},
        {8, 32, false, 1000000.5f, native<std::int32_t>(1000000)},
        {16, 32, false, 2.5f, native<float>(2.5f)},  // floats are not rounded
        {0, 64, false, -7.25f, native<float>(-7.25f)},
        {0, 0, false, 1.5f, native<float>(1.5f)},
        {0, 48, false, 1.5f, ""},   // bitpix not a multiple of 32
        {64, 64, false, 1.5f, ""},  // no sample type to write
    };
    TempDir dir;
    for (const auto& c : cases) {
        SCOPED_TRACE(std::to_string(c.datatype) + " " + std::to_string(c.value));
        const analyze_image image = image_of(c.datatype, c.bitpix, {0.0f});
        {
            analyze_writer writer(image);
            ASSERT_FALSE(writer.open_image_file((dir / "w").string(), false));
            EXPECT_TRUE(writer.write_value(c.value, c.signed_16bit));
        }
        EXPECT_EQ(read_file(dir / "w.img"), c.bytes);
    }
}

// Written pairs read back through the reader give the rounded, clamped values.
TEST(AnalyzeWriter, RoundTripThroughTheReader) {
    const std::vector<float> source = {-40000.7f, -2.5f, 2.5f, 2.6f, 254.6f, 70000.0f, 3e9f};
    const struct {
        std::int16_t datatype, bitpix;
        bool signed_16bit;
        std::vector<float> expected;
    } cases[] = {
        {2, 8, false, {0, 0, 2, 3, 255, 255, 255}},
        {4, 16, true, {-32767, -3, 2, 3, 255, 32767, 32767}},
        {4, 16, false, {0, 0, 2, 3, 255, 65535, 65535}},
        {8, 32, false, {-40001, -3, 2, 3, 255, 70000, 2147000064}},
        {16, 32, false, source},
    };
    TempDir dir;
    for (const auto& c : cases) {
        SCOPED_TRACE(c.datatype);
        const analyze_image image = image_of(c.datatype, c.bitpix, source);
        analyze_writer writer(image);
        ASSERT_EQ(
            status_number(
                writer.write_image(image, c.signed_16bit, (dir / "rt").string(), true).status),
            0);
        EXPECT_EQ(writer.index, writer.voxel_count);
        writer.open_image_file((dir / "other").string(), false);  // closes the written file
        analyze_image back;
        ASSERT_EQ(status_number(
                      read_analyze_image((dir / "rt.hdr").string(), back, c.signed_16bit).status),
                  0);
        for (std::size_t i = 0; i < source.size(); ++i) EXPECT_EQ(back.data[i], c.expected[i]) << i;
    }
}

TEST(AnalyzeWriter, Lifecycle) {
    TempDir dir;
    const std::string name = (dir / "v").string();
    const analyze_image image = image_of(16, 32, {1, 2, 3});

    analyze_writer once(image);
    EXPECT_EQ(status_number(once.write_image(image, false, name, true).status), 0);
    EXPECT_EQ(status_number(once.write_image(image, false, name, true).status), 2);  // still open
    analyze_writer opened(image);
    ASSERT_FALSE(opened.open_image_file((dir / "x").string(), false));
    EXPECT_EQ(status_number(opened.write_image(image, false, (dir / "y").string(), true).status),
              2);

    analyze_writer failed(image);
    EXPECT_TRUE(failed.open_image_file((dir / "missing" / "v").string(), false));
    EXPECT_EQ(status_number(failed.status), 2);
    EXPECT_EQ(status_number(failed.write_image(image, false, (dir / "z").string(), true).status),
              2);
    EXPECT_FALSE(fs::exists(dir / "z.hdr") || fs::exists(dir / "z.img"));

    // A source with fewer samples than the image is refused before any file.
    const analyze_image small = image_of(16, 32, {1, 2});
    EXPECT_EQ(
        status_number(
            analyze_writer(image).write_image(small, false, (dir / "s").string(), true).status),
        2);
    EXPECT_FALSE(fs::exists(dir / "s.img"));
}

TEST(AnalyzeWriter, OverwriteOffKeepsBothFiles) {
    TempDir dir;
    testing_support::write_file(dir / "v.hdr", "old header");
    testing_support::write_file(dir / "v.img", "old image");
    const analyze_image image = image_of(16, 32, {1});
    EXPECT_EQ(
        status_number(
            analyze_writer(image).write_image(image, false, (dir / "v").string(), false).status),
        4);
    EXPECT_EQ(read_file(dir / "v.hdr"), "old header");
    EXPECT_EQ(read_file(dir / "v.img"), "old image");
}

TEST(AnalyzeWriter, UnwritableTypeGivesCompleteHeaderAndEmptyImage) {
    TempDir dir;
    const analyze_image image = image_of(64, 64, {1, 2});
    EXPECT_EQ(
        status_number(
            analyze_writer(image).write_image(image, false, (dir / "d").string(), true).status),
        0);
    EXPECT_EQ(read_file(dir / "d.hdr").size(), 348u);
    EXPECT_EQ(read_file(dir / "d.img"), "");
}

// Files that cannot take the bytes: the header or image name links to a full
// device.
TEST(AnalyzeWriter, IncompleteWritesAreReported) {
    TempDir dir;
    const analyze_image image = image_of(16, 32, {1, 2});
    fs::create_symlink("/dev/full", dir / "h.hdr");
    EXPECT_EQ(
        status_number(
            analyze_writer(image).write_image(image, false, (dir / "h").string(), true).status),
        1);
    fs::create_symlink("/dev/full", dir / "i.img");
    EXPECT_EQ(
        status_number(
            analyze_writer(image).write_image(image, false, (dir / "i").string(), true).status),
        2);
}

}  // namespace
