// SPDX-License-Identifier: MIT
#include <cstring>
#include <filesystem>
#include <string>

#include <gtest/gtest.h>

#include <levelset_prep/analyze/byte_image_files.hpp>

#include "analyze_test_files.hpp"

namespace {

namespace fs = std::filesystem;
using namespace levelset_prep::analyze;
using namespace analyze_test_files;
using testing_support::read_file;
using testing_support::TempDir;

analyze_byte_image mask_3x2x2() {
    analyze_byte_image mask;
    mask.header.dim[1] = 3;
    mask.header.dim[2] = 2;
    mask.header.dim[3] = 2;
    mask.header.datatype = 2;
    mask.header.bitpix = 8;
    mask.data.reset(new std::uint8_t[12]);
    for (int i = 0; i < 12; ++i) mask.data[i] = static_cast<std::uint8_t>(i * 23);
    return mask;
}

TEST(ByteImageFiles, RoundTripGivesTheSameMask) {
    TempDir dir;
    const analyze_byte_image mask = mask_3x2x2();
    ASSERT_EQ(status_number(write_analyze_byte_image((dir / "m").string(), mask, false).status), 0);
    analyze_byte_image back;
    ASSERT_EQ(status_number(read_analyze_byte_image((dir / "m.img").string(), back).status), 0);
    EXPECT_EQ(std::memcmp(&back.header, &mask.header, sizeof mask.header), 0);
    EXPECT_EQ(std::memcmp(back.data.get(), mask.data.get(), 12), 0);
}

TEST(ByteImageFiles, ReadStatuses) {
    const struct {
        const char* what;
        header_fields fields;
        std::string samples;
        int status;
    } cases[] = {
        {"big-endian byte pair", {.nx = 3, .datatype = 2, .bitpix = 8}, "abc", 0},
        {"float pair", {.nx = 3}, std::string(12, '\0'), 4},
        // A small header must not buy a buffer of 2 GB before the image
        // file has shown its bytes.
        {"huge mask, short image",
         {.nx = 32767, .ny = 256, .nz = 255, .datatype = 2, .bitpix = 8},
         "ab",
         5},
        {"huge float pair", {.nx = 32767, .ny = 256, .nz = 255}, "", 4},
        {"count beyond 32 bits", {.nx = 32767, .ny = 32767, .nz = 3, .datatype = 2}, "", 2},
        {"short image", {.nx = 3, .datatype = 2, .bitpix = 8}, "ab", 5},
    };
    TempDir dir;
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        write_pair(dir / "m", header_bytes(c.fields, byte_order::big), c.samples);
        analyze_byte_image mask;
        EXPECT_EQ(status_number(read_analyze_byte_image((dir / "m").string(), mask).status),
                  c.status);
        ASSERT_EQ(static_cast<bool>(mask.data), c.status == 0);
        if (c.status == 0) {
            EXPECT_EQ(mask.data[2], 'c');
        }
    }
    analyze_byte_image mask;
    EXPECT_EQ(status_number(read_analyze_byte_image((dir / "none").string(), mask).status), 1);
    fs::remove(dir / "m.img");
    EXPECT_EQ(status_number(read_analyze_byte_image((dir / "m").string(), mask).status), 3);
}

TEST(ByteImageFiles, WriteStatuses) {
    TempDir dir;
    const analyze_byte_image mask = mask_3x2x2();
    testing_support::write_file(dir / "old.hdr", "old header");
    testing_support::write_file(dir / "old.img", "old image");
    EXPECT_EQ(status_number(write_analyze_byte_image((dir / "old").string(), mask, false).status),
              4);
    EXPECT_EQ(read_file(dir / "old.hdr"), "old header");
    EXPECT_EQ(read_file(dir / "old.img"), "old image");
    EXPECT_EQ(status_number(write_analyze_byte_image((dir / "old").string(), mask, true).status),
              0);
    EXPECT_EQ(read_file(dir / "old.img").size(), 12u);

    EXPECT_EQ(status_number(
                  write_analyze_byte_image((dir / "missing" / "m").string(), mask, true).status),
              1);
    fs::create_symlink("/dev/full", dir / "full.img");
    EXPECT_EQ(status_number(write_analyze_byte_image((dir / "full").string(), mask, true).status),
              2);
}

}  // namespace
