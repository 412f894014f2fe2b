// SPDX-License-Identifier: MIT
#include "run_summary.hpp"

#include <algorithm>
#include <cstdint>
#include <vector>

namespace levelset_prep::tetclean {
namespace {

struct Row {
    std::string label;
    std::vector<std::string> cells;
};

std::string padded(const std::string& text, std::size_t width, bool left) {
    const std::string blanks(width > text.size() ? width - text.size() : 0, ' ');
    return left ? text + blanks : blanks + text;
}

std::vector<std::string> numbers(std::int64_t read, std::int64_t kept) {
    return {std::to_string(read), std::to_string(kept), std::to_string(read - kept)};
}

}  // namespace

std::string summary_table(const levelset::CleanReport& report) {
    std::vector<Row> rows = {{"tetrahedra", {"read", "kept", "removed"}}};
    for (const levelset::RegionCount& region : report.regions) {
        rows.push_back(
            {"  region " + std::to_string(region.region), numbers(region.read, region.kept)});
    }
    rows.push_back({"  all", numbers(report.tets_read, report.tets_kept)});
    rows.push_back({"nodes", {"read", "kept", "dropped"}});
    rows.push_back({"  all", numbers(report.nodes_read, report.nodes_kept)});
    rows.push_back({"  outside grid", {std::to_string(report.nodes_outside_grid)}});
    std::size_t label_width = 0, cell_width = 0;
    for (const Row& row : rows) {
        label_width = std::max(label_width, row.label.size());
        for (const std::string& cell : row.cells) cell_width = std::max(cell_width, cell.size());
    }
    std::string table;
    for (const Row& row : rows) {
        table += padded(row.label, label_width, true);
        for (const std::string& cell : row.cells) table += "  " + padded(cell, cell_width, false);
        table += '\n';
    }
    return table;
}

}  // namespace levelset_prep::tetclean
