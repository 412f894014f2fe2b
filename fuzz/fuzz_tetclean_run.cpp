// SPDX-License-Identifier: MIT
// The whole tetclean run (clean_mesh_files, the code tetclean's main calls)
// on small inputs in a scratch folder. The input is a flag byte and then the
// parameter, node, element and level-set texts, separated by NUL bytes.
// Flags: bit 0 names the inputs as outputs; bits 1-2 make the output fail
// (0 none, 1 node file in a missing folder, 2 element file in a missing
// folder, 3 element file /dev/full); bit 3 adds a node map and writes the
// coordinates in full. Grids above 4096 points are skipped.
//
// A failed run must name a file, leave no output or temporary file and
// change no input; a successful one must print every progress line and
// write outputs that a second run accepts. A run on two threads must give
// what a run on one gives.
#include <algorithm>
#include <cstdint>
#include <filesystem>
#include <set>
#include <string>
#include <string_view>
#include <vector>

#include <levelset_prep/levelset/clean_files.hpp>
#include <levelset_prep/mesh/run_parameters.hpp>
#include <levelset_prep/textio/token_scanner.hpp>

#include "fuzz_support.hpp"

using namespace levelset_prep;

namespace {

namespace fs = std::filesystem;

// clang-format off
const std::vector<std::string> progress_lines = {
    "nodes loaded",         "tets loaded", "signed dist functions loaded ",
    "nodes tbd loaded",     "making cast", "removed 0s from nodes and tets",
    "output nodes and tets"};
// clang-format on

std::set<std::string> listing(const fs::path& folder) {
    std::set<std::string> names;
    for (const auto& entry : fs::directory_iterator(folder)) names.insert(entry.path().filename());
    return names;
}

struct Run {
    textio::MaybeError problem;
    std::vector<std::string> lines;
};

Run run(const levelset::CleanFiles& files, const levelset::CleanFileOptions& options = {}) {
    Run result;
    result.problem = levelset::clean_mesh_files(files, options, [&result](const char* line) {
                         result.lines.emplace_back(line);
                     }).error;
    return result;
}

bool names_a_file(const std::string& message, const levelset::CleanFiles& files) {
    for (const std::string* name : {&files.node_in, &files.ele_in, &files.node_out, &files.ele_out,
                                    &files.level_set, &files.parameters}) {
        if (message.rfind(*name + ": ", 0) == 0) return true;
    }
    return false;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    if (size == 0) return 0;
    const std::uint8_t flags = data[0];
    std::string_view rest(reinterpret_cast<const char*>(data) + 1, size - 1);
    std::string_view parts[4];
    for (int i = 0; i < 4; ++i) {
        const std::size_t end = i < 3 ? std::min(rest.find('\0'), rest.size()) : rest.size();
        parts[i] = rest.substr(0, end);
        rest.remove_prefix(std::min(end + 1, rest.size()));
    }
    // Small grids only: the level-set file lists every point.
    {
        mesh::RunParameters param;
        textio::TokenScanner text(parts[0]);
        if (!param.read_parameters(text, "p") && mesh::grid_shape(param, 1).points() > 4096)
            return 0;
    }

    const fs::path& folder = fuzz::scratch_folder();
    for (const auto& entry : fs::directory_iterator(folder)) fs::remove_all(entry.path());
    const fs::path p = folder / "p.txt", n = folder / "n.node", e = folder / "e.ele",
                   ls = folder / "ls.txt";
    fuzz::write_bytes(p, parts[0]);
    fuzz::write_bytes(n, parts[1]);
    fuzz::write_bytes(e, parts[2]);
    fuzz::write_bytes(ls, parts[3]);
    const std::set<std::string> inputs = listing(folder);

    const bool in_place = flags & 1;
    const int failing_output = (flags >> 1) & 3;
    levelset::CleanFiles files{n, e, folder / "out.node", folder / "out.ele", ls, p};
    if (in_place) {
        files.node_out = n;
        files.ele_out = e;
    }
    if (failing_output == 1) files.node_out = folder / "missing" / "out.node";
    if (failing_output == 2) files.ele_out = folder / "missing" / "out.ele";
    if (failing_output == 3) files.ele_out = "/dev/full";
    levelset::CleanFileOptions options;
    if (flags & 8) {
        options.node_map = folder / "out.map";
        options.full_precision = true;
    }
    auto output_bytes = [&] {
        return fuzz::read_bytes(files.node_out) + '\0' + fuzz::read_bytes(files.ele_out) + '\0' +
               (options.node_map.empty() ? "" : fuzz::read_bytes(options.node_map));
    };

    // Two threads give what one gives: the lines, the error and the bytes.
    // (A run that writes over its inputs could not be run twice.)
    std::string side_by_side_bytes;
    Run side_by_side;
    if (!in_place) {
        levelset::CleanFileOptions two_threads = options;
        two_threads.threads = 2;
        side_by_side = run(files, two_threads);
        if (!side_by_side.problem) {
            side_by_side_bytes = output_bytes();
            fs::remove(files.node_out);
            fs::remove(files.ele_out);
            if (!options.node_map.empty()) fs::remove(options.node_map);
        }
    }
    const Run first = run(files, options);
    if (!in_place) {
        FUZZ_CHECK(side_by_side.lines == first.lines);
        FUZZ_CHECK(side_by_side.problem.has_value() == first.problem.has_value());
        FUZZ_CHECK(!first.problem || side_by_side.problem->message() == first.problem->message());
        FUZZ_CHECK(first.problem || side_by_side_bytes == output_bytes());
    }
    // Every progress line but the first ("old sizes found: ...") is fixed.
    FUZZ_CHECK(first.lines.empty() || first.lines[0].rfind("old sizes found: nodes ", 0) == 0);
    for (std::size_t i = 1; i < first.lines.size(); ++i) {
        FUZZ_CHECK(i - 1 < progress_lines.size() && first.lines[i] == progress_lines[i - 1]);
    }
    if (first.problem) {
        FUZZ_CHECK(names_a_file(first.problem->message(), files));
        FUZZ_CHECK(first.lines.size() < 1 + progress_lines.size());
        FUZZ_CHECK(listing(folder) == inputs);  // no output, no temporary file left
        FUZZ_CHECK(fuzz::read_bytes(p) == parts[0] && fuzz::read_bytes(n) == parts[1] &&
                   fuzz::read_bytes(e) == parts[2] && fuzz::read_bytes(ls) == parts[3]);
        return 0;
    }
    FUZZ_CHECK(failing_output == 0);
    FUZZ_CHECK(first.lines.size() == 1 + progress_lines.size());
    std::set<std::string> expected = inputs;
    if (!in_place) expected.insert({"out.node", "out.ele"});
    if (!options.node_map.empty()) expected.insert("out.map");
    FUZZ_CHECK(listing(folder) == expected);

    // One run's output is the next run's input.
    const levelset::CleanFiles again{
        files.node_out, files.ele_out, folder / "again.node", folder / "again.ele", ls, p};
    const Run second = run(again);
    FUZZ_CHECK(!second.problem);
    return 0;
}
