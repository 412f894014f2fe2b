// SPDX-License-Identifier: MIT
// Hostile and broken Analyze pairs through the built voxdump, in addition to
// the failures that voxdump/tests/voxdump_program_test.cpp already runs:
// every case states its exit status and the file that the error line names,
// and a failed run leaves the folder as it was (see bad_input.hpp).
#include "bad_input.hpp"

#include <string>

#include <gtest/gtest.h>

#include "analyze_test_files.hpp"
#include "nifti_test_files.hpp"

namespace {

using analyze_test_files::byte_order;
using analyze_test_files::header_bytes;
using analyze_test_files::header_fields;
using bad_input::Case;
using bad_input::Content;

const std::string program = VOXDUMP_PATH;

// A 2 x 2 x 1 volume of big-endian 16-bit samples.
// clang-format off
const bad_input::Files good = {
    {"v.hdr", header_bytes({.nx = 2, .ny = 2, .datatype = 4, .bitpix = 16}, byte_order::big)},
    {"v.img", analyze_test_files::sample_bytes<std::uint16_t>({1, 2, 3, 4}, byte_order::big)},
};
// clang-format on
const std::vector<std::string> usual = {"v", "a", "s", "r"};

std::string header(const header_fields& fields, byte_order order = byte_order::little) {
    return header_bytes(fields, order);
}

void run_cases(const std::vector<Case>& cases) {
    for (const Case& c : cases) bad_input::check(program, "voxdump", good, usual, c);
    // A small header must not buy a large buffer: before the buffer was
    // sized from the image file, the huge volumes below held gigabytes.
    EXPECT_LT(bad_input::peak_child_kilobytes(), 256 * 1024);
}

TEST(VoxdumpBadInput, HeaderAndImage) {
    const char* h = "v.hdr";
    const char* i = "v.img";
    const std::string short_image = "image file is shorter than the samples the header announces";
    // clang-format off
    run_cases({
        {"the good pair", {}, {}, 0, "", ""},
        {"zero-length header", {{h, ""}}, {}, 1, h, "header file is shorter than 348 bytes"},
        {"header one byte short", {{h, header({}).substr(0, 347)}}, {}, 1, h, "shorter than 348 bytes"},
        {"header a folder", {{h, Content::folder}}, {}, 1, h, "shorter than 348 bytes"},
        {"image of 0 bytes", {{i, ""}}, {}, 1, i, short_image},
        {"image a folder", {{i, Content::folder}}, {}, 1, i, short_image},
        {"dims 32767 x 32767 x 1, empty image", {{h, header({.nx = 32767, .ny = 32767})}, {i, ""}}, {}, 1, i, short_image},
        {"dims 32767 x 256 x 255, a few bytes", {{h, header({.nx = 32767, .ny = 256, .nz = 255}, byte_order::big)},
                                                 {i, std::string(100, 'x')}}, {}, 1, i, short_image},
        {"dims -1, an unsupported datatype", {{h, header({.nx = -1, .ny = -1, .nz = -1, .datatype = 64})}}, {}, 1, h,
         "unsupported datatype 64"},
        {"dims -1: no samples", {{h, header({.nx = -1, .ny = -1, .nz = -1})}}, {}, 0, "", ""},
        {"datatype 0, bitpix 32767", {{h, header({.datatype = 0, .bitpix = 32767})}}, {}, 1, i, short_image},
        {"datatype 0, bitpix 32767, beyond 32 bits", {{h, header({.nx = 32767, .ny = 32767, .datatype = 0, .bitpix = 32767})}},
         {}, 1, h, "cannot hold the samples the header announces (32767 x 32767 x 1 voxels, bitpix 32767)"},
        {"datatype 0, bitpix 32", {{h, header({.datatype = 0, .bitpix = 32})}}, {}, 1, h,
         "unsupported datatype 0 (bitpix 32)"},
        // Every byte 0xAB: sizeof_hdr is not 348, so everything is swapped,
        // and the dims (-21589) give no samples.
        {"swapped garbage", {{h, std::string(348, '\xab')}}, {}, 1, h, "unsupported datatype -21589"},
        // sizeof_hdr 348 in this machine's order, then 0x5A bytes: 23130^3 samples.
        {"unswapped garbage", {{h, header({}).substr(0, 4) + std::string(344, '\x5a')}}, {}, 1, h,
         "cannot hold the samples the header announces (23130 x 23130 x 23130"},
    });
    // clang-format on
}

TEST(VoxdumpBadInput, Outputs) {
    // clang-format off
    run_cases({
        {"output is a folder", {{"s", Content::folder}}, {}, 1, "s", "cannot create output file: Is a directory"},
        // An output that names an input is refused before anything is read.
        {"image as output", {{"v.img", "ab"}}, {"v", "v.img", "s", "r"}, 1, "v.img",
         "ascii_image_file names the same file as the input segmented_image_file (v.img)"},
        {"header as output, full device", {}, {"v", "v.hdr", "s", "/dev/full"}, 1, "v.hdr",
         "names the same file as the input segmented_image_file (v.hdr)"},
        {"header as output, missing folder", {}, {"v", "a", "v.hdr", "no/r"}, 1, "v.hdr",
         "ascii_size_file names the same file as the input segmented_image_file (v.hdr)"},
    });
    // clang-format on
}

// NIfTI-1 files and compressed data: a 4 x 4 x 2 float volume as v.nii.gz.
TEST(VoxdumpBadInput, NiftiAndCompressedData) {
    using nifti_test_files::gzip_bytes;
    using nifti_test_files::nifti_bytes;
    using nifti_test_files::nifti_fields;
    std::vector<float> values(32);
    for (std::size_t i = 0; i < values.size(); ++i) values[i] = static_cast<float>(i) - 9.5f;
    const nifti_fields fields{.dims = {3, 4, 4, 2, 1, 1, 1, 1}};
    const std::string nii = nifti_bytes(
        fields, byte_order::little, analyze_test_files::sample_bytes(values, byte_order::little));
    const std::string gz = gzip_bytes(nii);
    std::string corrupt = gz;
    corrupt[gz.size() - 7] ^= 0x10;  // the CRC
    // A gigabyte of zeros behind the volume, in 16 members of 64 MiB: it
    // must be refused at the first byte too many, never inflated whole.
    const std::string zeros = gzip_bytes("", 9, std::size_t{1} << 26);
    std::string bomb = gzip_bytes(nii, 9, std::size_t{1} << 26);
    for (int i = 1; i < 16; ++i) bomb += zeros;
    nifti_fields far = fields;
    far.vox_offset = 4096;
    const nifti_fields huge{.dims = {3, 32767, 32767, 2, 1, 1, 1, 1}, .datatype = 2, .bitpix = 8};
    std::string nifti2 = nii;
    nifti2[0] = 0x1c;
    nifti2[1] = 0x02;
    const std::string pair_header = header({.nx = 4, .ny = 4, .nz = 2});
    const char* n = "v.nii.gz";
    const bad_input::Files good_nifti = {{n, gz}};
    const std::vector<std::string> args = {n, "a", "s", "r"};
    // clang-format off
    const std::vector<Case> cases = {
        {"the good file", {}, {}, 0, "", ""},
        {"truncated", {{n, gz.substr(0, gz.size() / 2)}}, {}, 1, n, "compressed data is truncated"},
        {"corrupt", {{n, corrupt}}, {}, 1, n, "compressed data is corrupt (incorrect data check)"},
        {"a bomb", {{n, bomb}}, {}, 1, n, "compressed data inflates to more than the 480 bytes the header announces"},
        {"vox_offset past the end", {{n, gzip_bytes(nifti_bytes(far, byte_order::big, ""))}}, {}, 1, n,
         "decompressed file is shorter than the samples the header announces"},
        {"vox_offset past the end, uncompressed", {{"v.nii", nifti_bytes(far, byte_order::big, "")}}, {"v.nii", "a", "s", "r"}, 1, "v.nii",
         "file is shorter than the samples the header announces"},
        {"a huge header, a small stream", {{n, gzip_bytes(nifti_bytes(huge, byte_order::little, std::string(1000, '\1')))}}, {}, 1, n, "shorter than the samples"},
        {"NIfTI-2", {{n, gzip_bytes(nifti2)}}, {}, 1, n, "is a NIfTI-2 file; only NIfTI-1 files are read"},
        {"not gzip, not NIfTI", {{n, "hello"}}, {}, 1, n, "file is shorter than 348 bytes"},
        {"a folder", {{n, Content::folder}}, {}, 1, n, "file is shorter than 348 bytes"},
        {"a pair's image truncated", {{"p.hdr", pair_header}, {"p.img.gz", gzip_bytes(nii.substr(352)).substr(0, 30)}}, {"p", "a", "s", "r"}, 1, "p.img.gz", "compressed data is truncated"},
    };
    // clang-format on
    for (const Case& c : cases) bad_input::check(program, "voxdump", good_nifti, args, c);
    EXPECT_LT(bad_input::peak_child_kilobytes(), 256 * 1024);
}

// Output names are checked before anything is read.
TEST(VoxdumpBadInput, OutputNames) {
    // clang-format off
    run_cases({
        {"one name for image and resolution", {}, {"v", "t", "s", "t"}, 1, "t",
         "ascii_resolution_file names the same file as ascii_image_file (t)"},
        {"the image file named as two outputs", {}, {"v", "a", "v.img", "v.img"}, 1, "v.img",
         "ascii_resolution_file names the same file as ascii_size_file (v.img)"},
        {"two hard links of one file", {{"s", "old"}, {"r", {Content::hard_link, "s"}}}, {"v", "a", "s", "r"}, 1, "r",
         "ascii_resolution_file names the same file as ascii_size_file (s)"},
        {"an unset variable for the size file", {}, {"v", "a", "", "r"}, 1, "ascii_size_file",
         "output file name is empty"},
        {"/dev/null for all three", {}, {"v", "/dev/null", "/dev/null", "/dev/null"}, 0, "", ""},
    });
    // clang-format on
}

TEST(VoxdumpBadInput, Messages) {
    // clang-format off
    run_cases({
        {"header a folder", {{"v.hdr", Content::folder}}, {}, 1, "v.hdr",
         "header file is shorter than 348 bytes: Is a directory"},
        {"image a folder", {{"v.img", Content::folder}}, {}, 1, "v.img",
         "image file is shorter than the samples the header announces: Is a directory"},
        {"control bytes in the pair's name", {}, {"v\r\x7f", "a", "s", "r"}, 1, "v\\r\\x7f.hdr",
         "cannot open header file: No such file or directory"},
    });
    // clang-format on
}

// A folder that no one may create files in: /sys (see bad_input.hpp).
TEST(VoxdumpBadInput, ReadOnlyFolder) {
    if (!bad_input::sys_refuses_new_files()) GTEST_SKIP() << "/sys accepts new files here";
    // clang-format off
    run_cases({{"size output in /sys",
                {},
                {"v", "a", "/sys/s", "r"},
                1,
                "/sys/s",
                "cannot create output file: Permission denied"}});
    // clang-format on
}

}  // namespace
