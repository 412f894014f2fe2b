// SPDX-License-Identifier: MIT
// End-to-end: the built voxdump run on pairs in a temporary folder.
#include <filesystem>
#include <limits>
#include <set>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "analyze_test_files.hpp"
#include "nifti_test_files.hpp"
#include "test_files.hpp"

namespace {

namespace fs = std::filesystem;
using namespace analyze_test_files;
using testing_support::read_file;
using testing_support::run_program;
using testing_support::TempDir;

const std::string voxdump = VOXDUMP_PATH;
const std::string usage =
    "Usage: " + voxdump +
    " segmented_image_file ascii_image_file ascii_size_file ascii_resolution_file\n";

// The files of a folder, for "nothing else was left behind".
std::string listing(const fs::path& dir) {
    std::set<std::string> names;
    for (const auto& entry : fs::directory_iterator(dir)) names.insert(entry.path().filename());
    std::string text;
    for (const auto& name : names) text += name + " ";
    return text;
}

TEST(VoxdumpProgram, TwoByTwoByOneVolume) {
    TempDir dir;
    header_fields fields{
        .nx = 2, .ny = 2, .nz = 1, .datatype = 4, .bitpix = 16, .spacing = {1.0f, 1.0f, 2.5f}};
    write_pair(dir / "vol", header_bytes(fields, byte_order::big),
               sample_bytes<std::uint16_t>({1, 2, 3, 4}, byte_order::big));
    const auto run =
        run_program(dir.path(), voxdump, {"vol.hdr", "a.txt", "s.txt", "r.txt", "extra"});
    EXPECT_EQ(run.status, 0);
    EXPECT_EQ(run.out, "program started\nmax_intensity = 4\nimg read\n0\n");
    EXPECT_EQ(run.err, "");
    EXPECT_EQ(read_file(dir / "a.txt"), "1 2 3 4 ");
    EXPECT_EQ(read_file(dir / "s.txt"), "2 2 1\n");
    EXPECT_EQ(read_file(dir / "r.txt"), "1 1 2.5\n");
    EXPECT_EQ(listing(dir.path()), "a.txt r.txt s.txt vol.hdr vol.img ");
}

TEST(VoxdumpProgram, ValuesAsWritten) {
    const float nan = std::numeric_limits<float>::quiet_NaN();
    const struct {
        const char* what;
        header_fields fields;
        std::string samples;
        std::string out, image, size;
    } cases[] = {
        {"16-bit top bit read unsigned",
         {.nx = 2, .datatype = 4, .bitpix = 16},
         sample_bytes<std::uint16_t>({32768, 65535}, byte_order::little),
         "max_intensity = 65535\n",
         "32768 65535 ",
         "2 1 1\n"},
        {"floats truncated, out of range marked",
         {.nx = 5},
         sample_bytes<float>({2.7f, -2.7f, nan, 3e9f, -1e10f}, byte_order::little),
         "max_intensity = 3e+09\n",
         "2 -2 -2147483648 -2147483648 -2147483648 ",
         "5 1 1\n"},
        {"negative dimension",
         {.nx = -3, .ny = 2},
         "",
         "max_intensity = -2.14748e+09\n",
         "",
         "-3 2 1\n"},
        {"zero dimension", {.nx = 0, .ny = 4}, "", "max_intensity = -2.14748e+09\n", "", "0 4 1\n"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        TempDir dir;
        write_pair(dir / "v", header_bytes(c.fields, byte_order::little), c.samples);
        const auto run = run_program(dir.path(), voxdump, {"v", "a", "s", "r"});
        EXPECT_EQ(run.status, 0);
        EXPECT_EQ(run.out, "program started\n" + c.out + "img read\n0\n");
        EXPECT_EQ(read_file(dir / "a"), c.image);
        EXPECT_EQ(read_file(dir / "s"), c.size);
    }
}

TEST(VoxdumpProgram, FailedReadWritesNothing) {
    const struct {
        const char* what;
        header_fields fields;
        std::string header_override, samples;  // "-": no such file
        int status;
        std::string err;
    } cases[] = {
        {"no header", {}, "-", "-", 1, "v.hdr: cannot open header file: No such file or directory"},
        {"no image", {}, "", "-", 3, "v.img: cannot open image file: No such file or directory"},
        {"too many samples",
         {.nx = 32767, .ny = 32767, .nz = 32767},
         "",
         "",
         2,
         "v.hdr: cannot hold the samples the header announces (32767 x 32767 x 32767 voxels, "
         "bitpix 32)"},
        {"double samples",
         {.datatype = 64, .bitpix = 64},
         "",
         std::string(8, '\0'),
         4,
         "v.hdr: unsupported datatype 64 (bitpix 64)"},
        {"short image",
         {.nx = 2},
         "",
         std::string(7, '\0'),
         5,
         "v.img: image file is shorter than the samples the header announces"},
        {"short header",
         {},
         "tiny",
         std::string(4, '\0'),
         6,
         "v.hdr: header file is shorter than 348 bytes"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        TempDir dir;
        write_pair(
            dir / "v",
            c.header_override.empty() ? header_bytes(c.fields, byte_order::big) : c.header_override,
            c.samples);
        if (c.header_override == "-") fs::remove(dir / "v.hdr");
        if (c.samples == "-") fs::remove(dir / "v.img");
        const std::string inputs = listing(dir.path());
        const auto run = run_program(dir.path(), voxdump, {"v", "a", "s", "r"});
        EXPECT_EQ(run.status, 1);
        EXPECT_EQ(run.out, "program started\nimg read\n" + std::to_string(c.status) + "\n");
        EXPECT_EQ(run.err, "voxdump: " + c.err + "\n");
        EXPECT_EQ(listing(dir.path()), inputs);
    }
}

TEST(VoxdumpProgram, CommandLine) {
    TempDir dir;
    for (auto args : {std::initializer_list<std::string>{}, {"a"}, {"a", "b", "c"}}) {
        const auto run = run_program(dir.path(), voxdump, args);
        EXPECT_EQ(run.status, 1);
        EXPECT_EQ(run.out, "program started\n");
        EXPECT_EQ(run.err, "Missing Parameters \n" + usage);
    }
    for (const char* help : {"--help", "-h"}) {
        const auto run = run_program(dir.path(), voxdump, {help});
        EXPECT_EQ(run.status, 0);
        EXPECT_EQ(run.out.substr(0, run.out.find('\n') + 1),
                  "Usage: " + std::string(voxdump) +
                      " [OPTION]... segmented_image_file ascii_image_file ascii_size_file "
                      "ascii_resolution_file\n");
        for (const char* word : {"\n  segmented_image_file ", "\n  ascii_resolution_file ",
                                 "\n  -q, --quiet ", "man voxdump\n"}) {
            EXPECT_NE(run.out.find(word), std::string::npos) << word;
        }
    }
    const auto version = run_program(dir.path(), voxdump, {"--version"});
    EXPECT_EQ(version.status, 0);
    EXPECT_EQ(version.out.rfind("voxdump (levelset_prep) " VOXDUMP_VERSION "\nCopyright", 0), 0u);
    const std::string hint = "Try 'voxdump --help' for more information.\n";
    for (auto args :
         {std::initializer_list<std::string>{"--bogus"}, {"--bogus", "v", "i", "s", "r"}}) {
        const auto run = run_program(dir.path(), voxdump, args);
        EXPECT_EQ(run.status, 1);
        EXPECT_EQ(run.out, "program started\n");
        EXPECT_EQ(run.err, "voxdump: unrecognised option '--bogus'\n" + hint);
    }
    EXPECT_EQ(listing(dir.path()), "");
}

TEST(VoxdumpProgram, QuietPrintsNoProgress) {
    TempDir dir;
    const std::string example = EXAMPLE_VOLUME;
    const auto loud =
        run_program(dir.path(), voxdump, {example, "a.txt", "a_size.txt", "a_res.txt"});
    const auto quiet =
        run_program(dir.path(), voxdump, {"--quiet", example, "q.txt", "q_size.txt", "q_res.txt"});
    EXPECT_EQ(loud.out, "program started\nmax_intensity = 4\nimg read\n0\n");
    EXPECT_EQ(quiet.status, 0);
    EXPECT_EQ(quiet.out, "");
    EXPECT_EQ(read_file(dir / "q.txt"), read_file(dir / "a.txt"));
    const auto failed = run_program(dir.path(), voxdump, {"-q", "none", "q.txt", "s.txt", "r.txt"});
    EXPECT_EQ(failed.status, 1);
    EXPECT_EQ(failed.out, "");
    EXPECT_EQ(failed.err,
              "voxdump: none.hdr: cannot open header file: No such file or directory\n");
}

TEST(VoxdumpProgram, ThreadCounts) {
    TempDir dir;
    const std::string example = EXAMPLE_VOLUME;
    const std::string not_a_count = "' is not a thread count (a whole number, 1 or more)\n";
    const std::string hint = "Try 'voxdump --help' for more information.\n";
    const std::string full_run = "program started\nmax_intensity = 4\nimg read\n0\n";
    const auto one =
        run_program(dir.path(), voxdump, {"--threads", "1", example, "1.txt", "s", "r"});
    ASSERT_EQ(one.status, 0);
    struct Case {
        std::vector<std::string> options;
        std::vector<std::string> environment;
        int status;
        std::string out, err;
    };
    // clang-format off
    const Case cases[] = {
        {{"--threads", "2"}, {}, 0, full_run, ""},
        {{"--threads=3"}, {"LEVELSET_PREP_THREADS=x"}, 0, full_run, ""},
        {{}, {"LEVELSET_PREP_THREADS=4"}, 0, full_run, ""},
        {{"--threads", "0"}, {}, 1, "program started\n", "voxdump: --threads: '0" + not_a_count + hint},
        {{}, {"LEVELSET_PREP_THREADS=+"}, 1, "program started\n", "voxdump: LEVELSET_PREP_THREADS: '+" + not_a_count},
    };
    // clang-format on
    for (const Case& c : cases) {
        std::vector<std::string> args = c.options;
        args.insert(args.end(), {example, "n.txt", "s", "r"});
        SCOPED_TRACE(args[0] + (c.environment.empty() ? "" : " " + c.environment[0]));
        fs::remove(dir / "n.txt");
        const auto run = run_program(dir.path(), voxdump, args, c.environment);
        EXPECT_EQ(run.status, c.status);
        EXPECT_EQ(run.out, c.out);
        EXPECT_EQ(run.err, c.err);
        EXPECT_TRUE(read_file(dir / "n.txt") == (c.status == 0 ? read_file(dir / "1.txt") : ""));
    }
}

TEST(VoxdumpProgram, OverlongNamesReadNothing) {
    TempDir dir;
    const std::string long_output(4000, 'o'), long_pair(1020, 'p');
    const auto run1 = run_program(dir.path(), voxdump, {"v", long_output, "s", "r"});
    EXPECT_EQ(run1.status, 1);
    EXPECT_EQ(run1.out, "program started\n");
    EXPECT_EQ(run1.err, "voxdump: " + std::string(60, 'o') +
                            "...: file name is longer than 3999 characters\n");
    const auto run2 = run_program(dir.path(), voxdump, {long_pair, "a", "s", "r"});
    EXPECT_EQ(run2.status, 1);
    EXPECT_EQ(run2.out, "program started\n");
    EXPECT_NE(run2.err.find("would be longer than 1023 characters"), std::string::npos);
    EXPECT_EQ(listing(dir.path()), "");
}

TEST(VoxdumpProgram, OutputThatCannotBeWrittenLeavesNoFiles) {
    const struct {
        std::string image, size, resolution, err;
    } cases[] = {
        {"/dev/full", "s", "r",
         "voxdump: /dev/full: cannot write output file: No space left on device\n"},
        {"a", "s", "missing/r",
         "voxdump: missing/r: cannot create output file: No such file or directory\n"},
    };
    for (const auto& c : cases) {
        TempDir dir;
        write_pair(dir / "v", header_bytes({.nx = 3}, byte_order::little), std::string(12, '\0'));
        const auto run = run_program(dir.path(), voxdump, {"v", c.image, c.size, c.resolution});
        EXPECT_EQ(run.status, 1);
        EXPECT_EQ(run.out, "program started\nmax_intensity = 0\nimg read\n0\n");
        EXPECT_EQ(run.err, c.err);
        EXPECT_EQ(listing(dir.path()), "v.hdr v.img ");
    }
}

// NIfTI-1 files, compressed pair images and series through the built tool.
// A series read without --volume says so on standard error, but an
// uncompressed pair keeps the console lines it had before series were read.
TEST(VoxdumpProgram, NiftiFilesCompressedPairsAndSeries) {
    using nifti_test_files::gzip_bytes;
    const std::string samples =
        sample_bytes<std::int16_t>({1, -2, 3, -4, 5, -6}, byte_order::little);
    const std::string series_nii = nifti_test_files::nifti_bytes(
        {.dims = {4, 2, 1, 1, 3, 1, 1, 1}, .datatype = 4, .bitpix = 16, .spacing = {1, 2, 0.5f}},
        byte_order::little, samples);
    const std::string volume_nii = nifti_test_files::nifti_bytes(
        {.dims = {3, 2, 1, 1, 1, 1, 1, 1}, .datatype = 4, .bitpix = 16}, byte_order::big,
        sample_bytes<std::int16_t>({-7, 8}, byte_order::big));
    std::string series_hdr =
        header_bytes({.nx = 2, .datatype = 4, .bitpix = 16}, byte_order::little);
    analyze_test_files::put_value<std::int16_t>(series_hdr, 48, 3, byte_order::little);
    const std::string started = "program started\n";
    const std::string note = ": only volume 1 of 3 was written; --volume N writes another\n";
    const std::string negative =
        ": 1 stored 16-bit value is negative and is read as unsigned (a stored -1 as 65535); "
        "--signed-16bit reads it signed\n";
    struct Case {
        const char* what;
        std::vector<std::pair<std::string, std::string>> files;
        std::vector<std::string> args;  // before the three outputs
        int status;
        std::string out, err, image;
    };
    // clang-format off
    const Case cases[] = {
        {"a volume in .nii.gz", {{"v.nii.gz", gzip_bytes(volume_nii)}}, {"v.nii.gz"}, 0, "max_intensity = 65529\nimg read\n0\n", "voxdump: v.nii.gz" + negative, "65529 8 "},
        {"signed", {{"v.nii.gz", gzip_bytes(volume_nii)}}, {"--signed-16bit", "v.nii.gz"}, 0, "max_intensity = 8\nimg read\n0\n", "", "-7 8 "},
        {"a series: volume 1 and a note", {{"v.nii", series_nii}}, {"v.nii"}, 0, "max_intensity = 65534\nimg read\n0\n", "voxdump: v.nii" + note + "voxdump: v.nii" + negative, "1 65534 "},
        {"a series, quiet: the note stays", {{"v.nii", series_nii}}, {"-q", "v.nii"}, 0, "", "voxdump: v.nii" + note + "voxdump: v.nii" + negative, "1 65534 "},
        {"--volume 3", {{"v.nii", series_nii}}, {"--volume", "3", "--signed-16bit", "v.nii"}, 0, "max_intensity = 5\nimg read\n0\n", "", "5 -6 "},
        {"--volume 4", {{"v.nii", series_nii}}, {"--volume=4", "v.nii"}, 1, "img read\n10\n", "voxdump: v.nii: no volume 4: the header announces 3 volumes\n", "-"},
        {"--volume 0", {{"v.nii", series_nii}}, {"--volume=0", "v.nii"}, 1, "", "voxdump: option '--volume' takes a volume number from 1, not '0'\nTry 'voxdump --help' for more information.\n", "-"},
        {"an uncompressed pair's series: no note", {{"v.hdr", series_hdr}, {"v.img", samples}}, {"v"}, 0, "max_intensity = 65534\nimg read\n0\n", "", "1 65534 "},
        {"a compressed pair's series: the note", {{"v.hdr", series_hdr}, {"v.img.gz", gzip_bytes(samples)}}, {"v.hdr"}, 0, "max_intensity = 65534\nimg read\n0\n", "voxdump: v.hdr" + note, "1 65534 "},
        {"a pair's volume 2", {{"v.hdr", series_hdr}, {"v.img", samples}}, {"--volume", "2", "v"}, 0, "max_intensity = 65532\nimg read\n0\n", "", "3 65532 "},
        {"b.nii naming no file reads the pair b", {{"b.hdr", series_hdr}, {"b.img", samples}}, {"b.nii"}, 0, "max_intensity = 65534\nimg read\n0\n", "", "1 65534 "},
        {"b.nii with neither", {}, {"b.nii"}, 1, "img read\n1\n", "voxdump: b.nii: cannot open NIfTI-1 file: No such file or directory\n", "-"},
    };
    // clang-format on
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        TempDir dir;
        for (const auto& [name, bytes] : c.files) testing_support::write_file(dir / name, bytes);
        std::vector<std::string> args = c.args;
        args.insert(args.end(), {"a", "s", "r"});
        const auto run = run_program(dir.path(), voxdump, args);
        EXPECT_EQ(run.status, c.status);
        const bool quiet = c.args.front() == "-q";
        EXPECT_EQ(run.out, quiet ? "" : started + c.out);
        EXPECT_EQ(run.err, c.err);
        if (c.image == "-") {
            EXPECT_FALSE(fs::exists(dir / "a"));
        } else {
            EXPECT_EQ(read_file(dir / "a"), c.image);
            EXPECT_EQ(read_file(dir / "s"), "2 1 1\n");
        }
    }
}

// Options after the file names count as options; after "--" they are
// ignored like any argument after the fourth.
TEST(VoxdumpProgram, OptionsAfterTheFiles) {
    TempDir dir;
    testing_support::write_file(
        dir / "v.nii",
        nifti_test_files::nifti_bytes(
            {.dims = {4, 2, 1, 1, 3, 1, 1, 1}, .datatype = 4, .bitpix = 16}, byte_order::little,
            sample_bytes<std::int16_t>({1, -2, 3, -4, 5, -6}, byte_order::little)));
    const std::string note =
        "voxdump: v.nii: only volume 1 of 3 was written; --volume N writes another\n";
    const std::string negative =
        "voxdump: v.nii: 1 stored 16-bit value is negative and is read as unsigned (a stored -1 "
        "as 65535); --signed-16bit reads it signed\n";
    const std::string hint = "Try 'voxdump --help' for more information.\n";
    struct Case {
        std::vector<std::string> args;  // after the four files
        std::string out, err, image;
    };
    // clang-format off
    const Case cases[] = {
        {{"--volume", "3", "--signed"}, "program started\nmax_intensity = 5\nimg read\n0\n", "", "5 -6 "},
        {{"extra", "--vol=2", "-q"}, "", negative, "3 65532 "},
        {{"--", "--volume", "3"}, "program started\nmax_intensity = 65534\nimg read\n0\n", note + negative, "1 65534 "},
        {{"--v", "2"}, "program started\n", "voxdump: option '--v' is ambiguous; possibilities: '--version' '--volume'\n" + hint, "-"},
        {{"--volume"}, "program started\n", "voxdump: option '--volume' needs a value (N)\n" + hint, "-"},
    };
    // clang-format on
    for (const Case& c : cases) {
        SCOPED_TRACE(c.args.front());
        fs::remove(dir / "a");
        std::vector<std::string> args = {"v.nii", "a", "s", "r"};
        args.insert(args.end(), c.args.begin(), c.args.end());
        const auto run = run_program(dir.path(), voxdump, args);
        EXPECT_EQ(run.status, c.image == "-" ? 1 : 0);
        EXPECT_EQ(run.out, c.out);
        EXPECT_EQ(run.err, c.err);
        EXPECT_EQ(read_file(dir / "a"), c.image == "-" ? "" : c.image);
    }
}

// The notices on what a NIfTI-1 file means that its text does not show:
// after the note on the volume, silenced by nothing, never for a pair, and
// not after a failed write.
TEST(VoxdumpProgram, NiftiNotices) {
    using nifti_test_files::gzip_bytes;
    using nifti_test_files::nifti_bytes;
    const float nan = std::numeric_limits<float>::quiet_NaN();
    std::vector<std::int16_t> mostly_negative(30, -610);
    mostly_negative[3] = mostly_negative[9] = mostly_negative[17] = mostly_negative[29] = 12;
    const std::string anatomical =
        nifti_bytes({.dims = {3, 5, 3, 2, 1, 1, 1, 1}, .datatype = 4, .bitpix = 16},
                    byte_order::big, sample_bytes<std::int16_t>(mostly_negative, byte_order::big));
    const std::string functional = nifti_bytes(
        {.dims = {4, 2, 1, 1, 2, 1, 1, 1},
         .datatype = 4,
         .bitpix = 16,
         .scl_slope = 0.0754f,
         .scl_inter = 3100.76f},
        byte_order::little, sample_bytes<std::int16_t>({11980, 7, -1, -2}, byte_order::little));
    const std::string floats = sample_bytes<float>({nan, 3e9f, 1.5f}, byte_order::little);
    const std::string x =
        nifti_bytes({.dims = {3, 3, 1, 1, 1, 1, 1, 1}}, byte_order::little, floats);
    const std::string wide =
        nifti_bytes({.dims = {3, 256, 256, 2, 1, 1, 1, 1}, .datatype = 4, .bitpix = 16},
                    byte_order::little, std::string(256 * 256 * 2 * 2, '\xff'));
    const std::string unsigned_16 = nifti_bytes(
        {.dims = {3, 2, 1, 1, 1, 1, 1, 1}, .datatype = 512, .bitpix = 16}, byte_order::little,
        sample_bytes<std::uint16_t>({40000, 1}, byte_order::little));
    const std::string negative_pair = sample_bytes<std::int16_t>({-1, -2, 3}, byte_order::little);
    const std::string scaled =
        ": scl_slope 0.0754 and scl_inter 3100.76 are not applied; the stored values are written\n";
    const std::string negatives =
        " stored 16-bit values are negative and are read as unsigned (a stored -1 as 65535); "
        "--signed-16bit reads them signed\n";
    const std::string two_unwritable =
        ": 2 voxels are not numbers or lie outside the 32-bit range and are written as "
        "-2147483648\n";
    struct Case {
        const char* what;
        std::vector<std::pair<std::string, std::string>> files;
        std::vector<std::string> args;  // the outputs follow
        std::string image, err;
    };
    // clang-format off
    const Case cases[] = {
        {"scaled, a series", {{"functional.nii", functional}}, {"functional.nii"}, "11980 7 ", "voxdump: functional.nii: only volume 1 of 2 was written; --volume N writes another\nvoxdump: functional.nii" + scaled},
        {"scaled, negatives in volume 2", {{"functional.nii", functional}}, {"--volume", "2", "functional.nii"}, "65535 65534 ", "voxdump: functional.nii" + scaled + "voxdump: functional.nii: 2" + negatives},
        {"scaled, read signed", {{"functional.nii", functional}}, {"--volume=2", "--signed-16bit", "functional.nii"}, "-1 -2 ", "voxdump: functional.nii" + scaled},
        {"negatives", {{"anatomical.nii", anatomical}}, {"anatomical.nii"}, "", "voxdump: anatomical.nii: 26" + negatives},
        {"negatives, compressed and quiet", {{"anatomical.nii.gz", gzip_bytes(anatomical)}}, {"-q", "anatomical.nii.gz"}, "", "voxdump: anatomical.nii.gz: 26" + negatives},
        {"negatives read signed", {{"anatomical.nii", anatomical}}, {"--signed-16bit", "anatomical.nii"}, "", ""},
        {"negatives on two threads", {{"wide.nii", wide}}, {"--threads", "2", "wide.nii"}, "", "voxdump: wide.nii: 131072" + negatives},
        {"unsigned 16-bit type", {{"u.nii", unsigned_16}}, {"u.nii"}, "40000 1 ", ""},
        {"not numbers, outside the range", {{"x.nii", x}}, {"x.nii"}, "-2147483648 -2147483648 1 ", "voxdump: x.nii" + two_unwritable},
        {"a pair of floats", {{"p.hdr", header_bytes({.nx = 3}, byte_order::little)}, {"p.img", floats}}, {"p"}, "-2147483648 -2147483648 1 ", ""},
        {"a pair of negatives", {{"p.hdr", header_bytes({.nx = 3, .datatype = 4, .bitpix = 16}, byte_order::little)}, {"p.img.gz", gzip_bytes(negative_pair)}}, {"p.hdr"}, "65535 65534 3 ", ""},
    };
    // clang-format on
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        TempDir dir;
        for (const auto& [name, bytes] : c.files) testing_support::write_file(dir / name, bytes);
        std::vector<std::string> args = c.args;
        args.insert(args.end(), {"a", "s", "r"});
        const auto run = run_program(dir.path(), voxdump, args);
        EXPECT_EQ(run.status, 0);
        EXPECT_EQ(run.out.empty(), c.args.front() == "-q");
        EXPECT_EQ(run.err, c.err);
        if (!c.image.empty()) {
            EXPECT_EQ(read_file(dir / "a"), c.image);
        }
    }
    TempDir dir;
    testing_support::write_file(dir / "x.nii", x);
    const auto run = run_program(dir.path(), voxdump, {"x.nii", "/dev/full", "s", "r"});
    EXPECT_EQ(run.status, 1);
    EXPECT_EQ(run.err, "voxdump: /dev/full: cannot write output file: No space left on device\n");
}

TEST(VoxdumpProgram, ShippedExample) {
    TempDir dir;
    const auto run = run_program(dir.path(), voxdump, {EXAMPLE_VOLUME, "a", "s", "r"});
    EXPECT_EQ(run.status, 0);
    EXPECT_EQ(run.out, "program started\nmax_intensity = 4\nimg read\n0\n");
    EXPECT_EQ(read_file(dir / "s"), "48 48 16\n");
    EXPECT_EQ(read_file(dir / "r"), "0.9375 0.9375 2.5\n");
    EXPECT_EQ(read_file(dir / "a").size(), 48u * 48u * 16u * 2u);  // one digit and a space each
}

}  // namespace
