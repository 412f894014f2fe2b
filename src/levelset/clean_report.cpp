// SPDX-License-Identifier: MIT
#include <charconv>
#include <nlohmann/json.hpp>

#include <levelset_prep/levelset/clean_report.hpp>

namespace levelset_prep::levelset {
namespace {

// The double that prints as the float's shortest text, so that a threshold
// of 0.1 reads 0.1, not 0.10000000149011612.
double shortest(float value) {
    char text[32];
    const auto end = std::to_chars(text, text + sizeof text, value).ptr;
    double wide = value;
    std::from_chars(text, end, wide);
    return wide;
}

}  // namespace

std::string clean_report_json(const CleanReport& report, const CleanFiles& files, float threshold,
                              std::string_view version) {
    nlohmann::ordered_json regions = nlohmann::ordered_json::array();
    for (const RegionCount& r : report.regions) {
        regions.push_back({{"region", r.region},
                           {"read", r.read},
                           {"kept", r.kept},
                           {"removed", r.read - r.kept}});
    }
    const nlohmann::ordered_json object = {
        {"program", "tetclean"},
        {"version", version},
        {"node_file_in", files.node_in},
        {"ele_file_in", files.ele_in},
        {"level_set_file", files.level_set},
        {"parameters_file", files.parameters},
        {"threshold", shortest(threshold)},
        {"nodes_read", report.nodes_read},
        {"nodes_kept", report.nodes_kept},
        {"nodes_dropped", report.nodes_read - report.nodes_kept},
        {"nodes_outside_grid", report.nodes_outside_grid},
        {"tetrahedra_read", report.tets_read},
        {"tetrahedra_kept", report.tets_kept},
        {"tetrahedra_removed", report.tets_read - report.tets_kept},
        {"regions", std::move(regions)},
    };
    return object.dump(2, ' ', false, nlohmann::ordered_json::error_handler_t::replace) + "\n";
}

}  // namespace levelset_prep::levelset
