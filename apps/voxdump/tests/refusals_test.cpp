// SPDX-License-Identifier: MIT
// No output of voxdump may name a file it reads.
#include <filesystem>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "test_files.hpp"

namespace {

namespace fs = std::filesystem;
using testing_support::read_file;
using testing_support::TempDir;

TEST(VoxdumpRefusals, NoOutputNamesWhatIsRead) {
    struct Case {
        std::vector<std::string> args;
        std::string err;
    };
    const Case cases[] = {
        {{"vol.nii", "vol.nii", "s.txt", "r.txt"},
         "vol.nii: ascii_image_file names the same file as the input segmented_image_file "
         "(vol.nii)"},
        {{"pair", "i.txt", "pair.img", "r.txt"},
         "pair.img: ascii_size_file names the same file as the input segmented_image_file "
         "(pair.img)"},
        {{"pair.img", "i.txt", "s.txt", "./pair.hdr"},
         "./pair.hdr: ascii_resolution_file names the same file as the input "
         "segmented_image_file (pair.hdr)"},
        {{"zipped", "zipped.img.gz", "s.txt", "r.txt"},
         "zipped.img.gz: ascii_image_file names the same file as the input segmented_image_file "
         "(zipped.img.gz)"},
    };
    const fs::path example = EXAMPLE_VOLUME;
    for (const Case& c : cases) {
        SCOPED_TRACE(c.err);
        TempDir dir;
        fs::copy_file(example.string() + ".hdr", dir / "pair.hdr");
        fs::copy_file(example.string() + ".img", dir / "pair.img");
        fs::copy_file(example.string() + ".hdr", dir / "zipped.hdr");
        testing_support::write_file(dir / "zipped.img.gz", "stands for the image");
        testing_support::write_file(dir / "vol.nii", "stands for a volume");
        const auto before = read_file(dir / "pair.img");
        const auto result = testing_support::run_program(dir.path(), VOXDUMP_PATH, c.args);
        EXPECT_EQ(result.status, 1);
        EXPECT_EQ(result.out, "program started\n");
        EXPECT_EQ(result.err, "voxdump: " + c.err + "\n");
        EXPECT_TRUE(read_file(dir / "pair.img") == before);
        EXPECT_EQ(read_file(dir / "vol.nii"), "stands for a volume");
        EXPECT_FALSE(fs::exists(dir / "s.txt") || fs::exists(dir / "i.txt"));
    }
}

}  // namespace
