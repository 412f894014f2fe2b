// SPDX-License-Identifier: MIT
// voxdump: writes a volume of an Analyze pair or a NIfTI-1 file as three text
// files (values, dimensions, spacings), all of them or none. This file only
// sequences the steps and reports them.
#include <cstdio>
#include <cstring>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include <levelset_prep/analyze/analyze_names.hpp>
#include <levelset_prep/analyze/analyze_reader.hpp>
#include <levelset_prep/analyze/nifti_reader.hpp>
#include <levelset_prep/textio/error.hpp>
#include <levelset_prep/textio/number_format.hpp>
#include <levelset_prep/textio/number_scan.hpp>
#include <levelset_prep/textio/output_file.hpp>
#include <levelset_prep/textio/output_set.hpp>
#include <levelset_prep/textio/output_target.hpp>
#include <levelset_prep/textio/shown_text.hpp>

#include "command_line.hpp"
#include "console.hpp"
#include "nifti_notices.hpp"
#include "program_main.hpp"
#include "text_outputs.hpp"
#include "thread_count.hpp"

namespace {

using namespace levelset_prep;
using namespace levelset_prep::analyze;
using namespace levelset_prep::voxdump;

const console::FileArgument file_arguments[] = {
    {"segmented_image_file",
     "the pair (vol, vol.hdr or vol.img) or a NIfTI-1 file (.nii, .nii.gz)"},
    {"ascii_image_file", "receives every voxel as an integer, x fastest"},
    {"ascii_size_file", "receives the three dimensions: nx ny nz"},
    {"ascii_resolution_file", "receives the three voxel spacings"},
};

constexpr console::Option volume_option{"volume", 0, "N",
                                        "write volume N (from 1) of a 4-D series; default 1"};
constexpr console::Option signed_option{"signed-16bit", 0, nullptr,
                                        "read datatype 4 as signed (-32768 to 32767)"};
constexpr const console::Option* program_options[] = {&volume_option, &signed_option,
                                                      &console::threads_option};

const console::Program program{
    "voxdump",
    "Write a volume stored as an Analyze 7.5 header/image pair or a NIfTI-1 file\n"
    "(.nii, .nii.gz) as three text files: its voxels, its dimensions and its voxel\n"
    "spacings.",
    " segmented_image_file ascii_image_file ascii_size_file ascii_resolution_file",
    file_arguments,
    program_options,
};

// Slices are written in order by one thread at a time; beyond four threads
// the writing is the limit.
constexpr int most_threads = 4;

using console::say;

int fail(const textio::Error& error) {
    console::print_error("voxdump", error);
    return 1;
}

template <typename Put>
textio::MaybeError write_text(textio::OutputFile& out, const std::string& name, Put put) {
    if (auto problem = out.open(name)) return problem;
    put(out);
    return out.finish();
}

bool read_options(const console::CommandLine& line, ReadOptions& options, std::string& problem) {
    options.signed_16bit = line.has(signed_option);
    for (const auto& [option, value] : line.options) {
        if (option != &volume_option) continue;
        std::int32_t volume = 0;
        if (textio::scan_number(value, volume) != textio::ScanStatus::ok || volume < 1) {
            problem =
                "option '--volume' takes a volume number from 1, not " + textio::shown_token(value);
            return false;
        }
        options.volume = volume;
    }
    return true;
}

// Not for an uncompressed pair, whose console lines scripts rely on.
void note_first_volume(const std::string& name, const analyze_header& header) {
    const std::int64_t volumes = series_length(header);
    if (volumes < 2) return;
    if (!names_nifti_file(name)) {
        const std::optional<PairNames> names = pair_names(name);
        if (!names || pair_image_file(*names) == names->image) return;
    }
    console::print_error("voxdump",
                         textio::file_error(name, "only volume 1 of " + std::to_string(volumes) +
                                                      " was written; --volume N writes another"));
}

// Before anything is read.
textio::MaybeError check_names(char* const* names) {
    if (const char* name = console::overlong_argument(names, 4)) {
        return textio::file_error(textio::shortened_name(name),
                                  "file name is longer than 3999 characters");
    }
    return textio::check_output_names({{"ascii_image_file", names[1]},
                                       {"ascii_size_file", names[2]},
                                       {"ascii_resolution_file", names[3]}});
}

// After the note on the volume, as they speak of the values written.
void print_notices(const std::string& name, const std::vector<std::string>& notices) {
    for (const std::string& notice : notices) {
        console::print_error("voxdump", textio::file_error(name, notice));
    }
}

struct VolumeInput {
    std::string name;
    bool nifti = false;
    std::optional<PairNames> pair;
};

// No output may name these; a pair's image file is looked up on the disk.
std::vector<std::string> files_read(const VolumeInput& input) {
    return input.nifti ? std::vector<std::string>{input.name}
                       : std::vector<std::string>{input.pair->header, pair_image_file(*input.pair)};
}

textio::MaybeError refuse_outputs_over_inputs(char* const* names,
                                              const std::vector<std::string>& read) {
    const textio::NamedOutput outputs[] = {{"ascii_image_file", names[1]},
                                           {"ascii_size_file", names[2]},
                                           {"ascii_resolution_file", names[3]}};
    std::vector<textio::NamedInput> inputs;
    for (const std::string& name : read) inputs.push_back({"segmented_image_file", name});
    return textio::check_inputs_kept(outputs, inputs);
}

textio::MaybeError read_volume(const VolumeInput& input, const ReadOptions& options,
                               analyze_image& image) {
    const ReadResult read = input.nifti ? read_nifti_image(input.name, image, options)
                                        : read_analyze_image(input.name, image, options);
    if (read.ok()) {
        char line[64] = "max_intensity = ";
        *textio::format_general(line + std::strlen(line), image.max_intensity) = '\0';
        say(line);
    }
    say("img read");
    char status_line[textio::max_number_chars + 1];
    *textio::format_int(status_line, status_number(read.status)) = '\0';
    say(status_line);
    return read.ok() ? std::nullopt : read.error;
}

textio::MaybeError write_outputs(char* const* names, const analyze_image& image,
                                 const std::vector<std::string>& inputs, int threads,
                                 AsciiImageCounts& counts) {
    textio::OutputFile image_out, size_out, resolution_out;
    const analyze_header& header = image.header;
    if (auto problem = write_text(image_out, names[1], [&](textio::OutputFile& out) {
            counts = put_ascii_image(out, image, threads);
        })) {
        return problem;
    }
    if (auto problem = write_text(size_out, names[2],
                                  [&](textio::OutputFile& out) { put_size_line(out, header); })) {
        return problem;
    }
    if (auto problem = write_text(resolution_out, names[3], [&](textio::OutputFile& out) {
            put_resolution_line(out, header);
        })) {
        return problem;
    }
    textio::OutputFile* const outputs[] = {&image_out, &size_out, &resolution_out};
    return textio::commit_outputs(outputs, inputs);
}

int run(char* const* names, const ReadOptions& options, bool volume_chosen) {
    if (auto problem = check_names(names)) return fail(*problem);
    const VolumeInput input{names[0], names_nifti_file(names[0]), pair_names(names[0])};
    if (!input.nifti && !input.pair) {
        return fail(textio::file_error(textio::shortened_name(input.name),
                                       "header or image file name would be longer than 1023 "
                                       "characters"));
    }
    const std::vector<std::string> inputs = files_read(input);
    if (auto problem = refuse_outputs_over_inputs(names, inputs)) return fail(*problem);
    auto image = std::make_unique<analyze_image>();
    if (auto problem = read_volume(input, options, *image)) return fail(*problem);
    AsciiImageCounts counts;
    if (auto problem = write_outputs(names, *image, inputs, options.threads, counts)) {
        return fail(*problem);
    }
    if (!volume_chosen) note_first_volume(input.name, image->header);
    if (input.nifti) {
        print_notices(input.name, nifti_notices(nifti_facts(image->header, options, counts)));
    }
    return 0;
}

}  // namespace

int main(int argc, char** argv) {
    ReadOptions options;  // the check fills them in, the run reads them
    const console::ProgramMain steps{
        .program = program,
        .file_count = 4,
        .most_threads = most_threads,
        .first_line = "program started",
        .check_options = [&options](
                             const console::CommandLine& line,
                             std::string& problem) { return read_options(line, options, problem); },
        .run =
            [&options](const console::CommandLine& line, int threads) {
                options.threads = threads;
                return run(line.files.data(), options, line.has(volume_option));
            },
    };
    return console::run_program(argc, argv, steps);
}
