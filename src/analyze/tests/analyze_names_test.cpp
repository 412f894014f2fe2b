// SPDX-License-Identifier: MIT
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include <levelset_prep/analyze/analyze_names.hpp>

#include "test_files.hpp"

namespace {

using namespace levelset_prep::analyze;

TEST(AnalyzeNames, ExtensionReplacedOrAppended) {
    struct Case {
        std::string name, hdr, img;
    } const cases[] = {
        {"vol", "vol.hdr", "vol.img"},
        {"vol.hdr", "vol.hdr", "vol.img"},
        {"vol.img", "vol.hdr", "vol.img"},
        {"vol.gz", "vol.gz.hdr", "vol.gz.img"},  // fourth-last is not '.'
        {"dir.d/a.bc", "dir.d/a.bc.hdr", "dir.d/a.bc.img"},
        {"x.nii", "x.hdr", "x.img"},  // any three-letter extension
        {".abc", ".hdr", ".img"},
        {"ab", "ab.hdr", "ab.img"},
    };
    for (const Case& c : cases) {
        std::string hdr, img;
        EXPECT_TRUE(make_hdr_name(hdr, c.name));
        EXPECT_TRUE(make_img_name(img, c.name));
        EXPECT_EQ(hdr, c.hdr) << c.name;
        EXPECT_EQ(img, c.img) << c.name;
    }
}

TEST(AnalyzeNames, ResultLimitedTo1023Characters) {
    std::string out;
    EXPECT_TRUE(make_hdr_name(out, std::string(1019, 'a')));
    EXPECT_EQ(out.size(), 1023u);
    EXPECT_TRUE(make_img_name(out, std::string(1019, 'a') + ".hdr"));  // replaced, still 1023
    EXPECT_FALSE(make_hdr_name(out, std::string(1020, 'a')));
    EXPECT_TRUE(out.empty());
    EXPECT_FALSE(make_img_name(out, std::string(1020, 'a') + ".hdr"));
}

}  // namespace

// Which files a name reads, by what exists in the folder.
TEST(AnalyzeNames, NiftiFilesAndCompressedPairImages) {
    struct Case {
        const char* what;
        std::vector<std::string> files;  // present in the folder
        std::string name;
        bool nifti;
        std::string pair_image;  // for a pair
    } const cases[] = {
        {"nii present", {"b.nii", "b.hdr"}, "b.nii", true, ""},
        {"nii.gz present", {"b.nii.gz"}, "b.nii.gz", true, ""},
        {"nii missing, pair present", {"b.hdr", "b.img"}, "b.nii", false, "b.img"},
        {"nii.gz missing, its pair present", {"b.nii.gz.hdr"}, "b.nii.gz", false, "b.nii.gz.img"},
        {"nothing at all", {}, "b.nii", true, ""},
        {"other names keep the pair rules", {"b.gz"}, "b.gz", false, "b.gz.img"},
        {"compressed image", {"b.hdr", "b.img.gz"}, "b", false, "b.img.gz"},
        {"plain image first", {"b.hdr", "b.img", "b.img.gz"}, "b.hdr", false, "b.img"},
        {"no image", {"b.hdr"}, "b.img", false, "b.img"},
        {"too long for a pair, no such file", {}, std::string(1100, 'n') + ".nii", false, ""},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        testing_support::TempDir dir;
        for (const std::string& file : c.files) testing_support::write_file(dir / file, "");
        const std::string name = (dir / c.name).string();
        EXPECT_EQ(names_nifti_file(name), c.nifti);
        EXPECT_EQ(has_nifti_ending(name), c.name.find(".nii") != std::string::npos);
        if (!c.nifti && !c.pair_image.empty()) {
            EXPECT_EQ(pair_image_file(*pair_names(name)), (dir / c.pair_image).string());
        }
    }
}
