// SPDX-License-Identifier: MIT
#include "nifti_notices.hpp"

#include <cmath>
#include <string>
#include <vector>

#include <gtest/gtest.h>

namespace {

using namespace levelset_prep;
using namespace levelset_prep::voxdump;

const std::string not_applied = " are not applied; the stored values are written";
const std::string negative =
    " as unsigned (a stored -1 as 65535); --signed-16bit reads them signed";
const std::string unwritable =
    " voxels are not numbers or lie outside the 32-bit range and are written as -2147483648";

TEST(NiftiNotices, FromTheFacts) {
    const struct {
        const char* what;
        NiftiFacts facts;
        std::vector<std::string> notices;
    } cases[] = {
        {"nothing to say", {{0.0f, 0.0f}, true, {0, 0}}, {}},
        {"slope 1 is no scaling", {{1.0f, 0.0f}, false, {0, 0}}, {}},
        {"-0 is no offset", {{1.0f, -0.0f}, false, {0, 0}}, {}},
        {"a scaling",
         {{0.0754f, 3100.76f}, false, {0, 0}},
         {"scl_slope 0.0754 and scl_inter 3100.76" + not_applied}},
        {"an offset alone",
         {{0.0f, -1024.0f}, false, {0, 0}},
         {"scl_slope 0 and scl_inter -1024" + not_applied}},
        {"NaN in both: unset", {{NAN, NAN}, false, {0, 0}}, {}},
        {"infinities: unset", {{INFINITY, -INFINITY}, false, {0, 0}}, {}},
        {"a slope with a NaN offset",
         {{2.0f, NAN}, false, {0, 0}},
         {"scl_slope 2 and scl_inter nan" + not_applied}},
        {"negative 16-bit values",
         {{0.0f, 0.0f}, true, {0, 26}},
         {"26 stored 16-bit values are negative and are read" + negative}},
        {"one negative 16-bit value",
         {{0.0f, 0.0f}, true, {0, 1}},
         {"1 stored 16-bit value is negative and is read as unsigned (a stored -1 as 65535); "
          "--signed-16bit reads it signed"}},
        {"values from 32768 of other types", {{0.0f, 0.0f}, false, {0, 26}}, {}},
        {"unwritable voxels", {{0.0f, 0.0f}, false, {2, 0}}, {"2" + unwritable}},
        {"one unwritable voxel",
         {{0.0f, 0.0f}, false, {1, 1}},
         {"1 voxel is not a number or lies outside the 32-bit range and is written as "
          "-2147483648"}},
        {"all three, in order",
         {{2.0f, 0.5f}, true, {3, 5}},
         {"scl_slope 2 and scl_inter 0.5" + not_applied,
          "5 stored 16-bit values are negative and are read" + negative, "3" + unwritable}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        EXPECT_EQ(nifti_notices(c.facts), c.notices);
    }
}

}  // namespace
