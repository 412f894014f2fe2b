// SPDX-License-Identifier: MIT
// write_outputs: the texts of an output set laid out in slices and written.
#include <algorithm>
#include <memory>
#include <vector>

#include <levelset_prep/textio/output_set.hpp>
#include <levelset_prep/textio/sliced_output.hpp>

namespace levelset_prep::textio {
namespace {

// Each slice straight into the file's own buffer: no copy, no other memory.
void write_in_turn(OutputFile& out, const TextSlices& text) {
    for (std::int64_t k = 0; k < text.slices; ++k) {
        out.advance(text.format(out.reserve(text.slice_bytes), k));
    }
}

// Opens the files in order until one fails, writes the open ones and
// finishes them: the first failure in the order of the files.
MaybeError write_side_by_side(std::span<const Output> outputs, std::span<OutputFile> files,
                              int threads) {
    std::size_t open = 0;
    MaybeError not_open;
    while (open < outputs.size() && !(not_open = files[open].open(outputs[open].name.name))) {
        ++open;
    }
    if (open == 0) return not_open;
    std::vector<SlicedText> texts;
    std::size_t slice_bytes = 0;
    for (std::size_t f = 0; f < open; ++f) {
        const TextSlices& text = outputs[f].text;
        texts.push_back({&files[f], text.slices, text.format});
        slice_bytes = std::max(slice_bytes, text.slice_bytes);
    }
    if (!write_in_slices(texts, slice_bytes, threads)) {
        for (std::size_t f = 0; f < open; ++f) write_in_turn(files[f], outputs[f].text);
    }
    for (std::size_t f = 0; f < open; ++f) {
        if (auto problem = files[f].finish()) return problem;
    }
    return not_open;
}

MaybeError write_one_by_one(std::span<const Output> outputs, std::span<OutputFile> files) {
    for (std::size_t f = 0; f < outputs.size(); ++f) {
        if (auto problem = files[f].open(outputs[f].name.name)) return problem;
        write_in_turn(files[f], outputs[f].text);
        if (auto problem = files[f].finish()) return problem;
    }
    return std::nullopt;
}

}  // namespace

MaybeError check_outputs(std::span<const Output> outputs) {
    std::vector<NamedOutput> names;
    for (const Output& output : outputs) names.push_back(output.name);
    return check_output_names(names);
}

MaybeError write_outputs(std::span<const Output> outputs, std::span<const std::string> inputs,
                         int threads) {
    const auto files = std::make_unique<OutputFile[]>(outputs.size());
    const std::span all(files.get(), outputs.size());
    if (auto problem = threads > 1 ? write_side_by_side(outputs, all, threads)
                                   : write_one_by_one(outputs, all)) {
        return problem;
    }
    std::vector<OutputFile*> finished;
    for (OutputFile& file : all) finished.push_back(&file);
    return commit_outputs(finished, inputs);
}

}  // namespace levelset_prep::textio
