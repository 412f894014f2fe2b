#include <string>

#include <gtest/gtest.h>

#include <levelset_prep/analyze/analyze_names.hpp>

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
