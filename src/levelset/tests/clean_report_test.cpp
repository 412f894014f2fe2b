// SPDX-License-Identifier: MIT
// The report's text: its keys in order, the threshold as written, and names
// escaped as JSON wants them (tetclean/tests/readers_check.py reads it
// with Python's json).
#include <string>

#include <gtest/gtest.h>

#include <levelset_prep/levelset/clean_report.hpp>

namespace {

using namespace levelset_prep;

TEST(CleanReportJson, KeysCountsAndRegions) {
    levelset::CleanReport report;
    report.nodes_read = 5;
    report.nodes_kept = 4;
    report.tets_read = 3;
    report.tets_kept = 1;
    report.nodes_outside_grid = 2;
    report.regions = {{-1, 1, 1}, {0, 2, 0}};
    const levelset::CleanFiles files{"a.node", "a.ele", "o.node", "o.ele", "ls.txt", "p.txt"};
    EXPECT_EQ(levelset::clean_report_json(report, files, 6.0f, "1.2.3"),
              R"({
  "program": "tetclean",
  "version": "1.2.3",
  "node_file_in": "a.node",
  "ele_file_in": "a.ele",
  "level_set_file": "ls.txt",
  "parameters_file": "p.txt",
  "threshold": 6.0,
  "nodes_read": 5,
  "nodes_kept": 4,
  "nodes_dropped": 1,
  "nodes_outside_grid": 2,
  "tetrahedra_read": 3,
  "tetrahedra_kept": 1,
  "tetrahedra_removed": 2,
  "regions": [
    {
      "region": -1,
      "read": 1,
      "kept": 1,
      "removed": 0
    },
    {
      "region": 0,
      "read": 2,
      "kept": 0,
      "removed": 2
    }
  ]
}
)");
}

// The value of one key in the report of no mesh.
std::string value_of(const std::string& key, const levelset::CleanFiles& files, float threshold) {
    const std::string text = levelset::clean_report_json({}, files, threshold, "1");
    const auto at = text.find("\"" + key + "\": ") + key.size() + 4;
    return text.substr(at, text.find(",\n", at) - at);
}

TEST(CleanReportJson, ThresholdsAndNames) {
    struct Case {
        std::string name;
        float threshold;
        const char* name_text;
        const char* threshold_text;
    };
    // clang-format off
    const Case cases[] = {
        {"plain.node", 6.0f, R"("plain.node")", "6.0"},
        {"quote\" back\\slash", 0.1f, R"("quote\" back\\slash")", "0.1"},
        {"tab\tline\nbell\x07", -2.5f, R"("tab\tline\nbell\u0007")", "-2.5"},
        {"\xc3\xa9t\xc3\xa9", 1e-7f, "\"\xc3\xa9t\xc3\xa9\"", "1e-07"},
        {"bad \xff byte", 3.4028235e38f, "\"bad \xef\xbf\xbd byte\"", "3.4028235e+38"},
    };
    // clang-format on
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name_text);
        const levelset::CleanFiles files{c.name, "e", "o", "p", "l", "q"};
        EXPECT_EQ(value_of("node_file_in", files, c.threshold), c.name_text);
        EXPECT_EQ(value_of("threshold", files, c.threshold), c.threshold_text);
    }
}

}  // namespace
