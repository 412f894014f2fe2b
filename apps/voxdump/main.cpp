// SPDX-License-Identifier: MIT
// voxdump: loads a segmented volume stored as an Analyze 7.5 header/image
// pair or a NIfTI-1 file (.nii, .nii.gz) and writes it as three text files:
// the voxel values, the grid dimensions and the voxel spacings.
//
//   voxdump [OPTION]... segmented_image_file ascii_image_file ascii_size_file
//           ascii_resolution_file
//
// --volume N writes volume N of a 4-D series; --signed-16bit reads
// datatype 4 as signed.
//
// The main only sequences the steps and reports them; reading is in the
// analyze library, the file contents in text_outputs. A failed read or write
// leaves none of the three files behind and ends with status 1. Notices on
// what a NIfTI-1 file means that its text does not show (nifti_notices.hpp)
// follow a good run on standard error.
#include <cstdio>
#include <cstring>
#include <memory>
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

const console::Option program_options[] = {
    {"volume", 0, "N", "write volume N (from 1) of a 4-D series; default 1"},
    {"signed-16bit", 0, nullptr, "read datatype 4 as signed (-32768 to 32767)"},
    console::threads_option,
};
// The command line names an option by its entry in the table.
const console::Option& volume_option = program_options[0];
const console::Option& signed_option = program_options[1];

const console::Program program{
    "voxdump",
    "Write a volume stored as an Analyze 7.5 header/image pair or a NIfTI-1 file\n"
    "(.nii, .nii.gz) as three text files: its voxels, its dimensions and its voxel\n"
    "spacings.",
    " segmented_image_file ascii_image_file ascii_size_file ascii_resolution_file",
    file_arguments,
    program_options,
};

// The text image is formatted in slices, one a thread, and written in order
// by one thread at a time; beyond four threads the writing is the limit.
constexpr int most_threads = 4;

using console::say;

int fail(const textio::Error& error) {
    console::print_error("voxdump", error);
    return 1;
}

// Writes one text file into a temporary beside its target; the caller
// commits it once all three are complete.
template <typename Put>
textio::MaybeError write_text(textio::OutputFile& out, const std::string& name, Put put) {
    if (auto problem = out.open(name)) return problem;
    put(out);
    return out.finish();
}

// The reader's options from the command line; false, with `problem` set,
// for a --volume that is not a whole number from 1.
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

// A series read without --volume gives its first volume; say so, except
// for an uncompressed pair, which was read so before series were and keeps
// its console lines.
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

// After the note on the volume, as they speak of the values of the volume
// written: what a NIfTI-1 file means that its text does not show.
void print_notices(const std::string& name, const std::vector<std::string>& notices) {
    for (const std::string& notice : notices) {
        console::print_error("voxdump", textio::file_error(name, notice));
    }
}

int run(char* const* names, const ReadOptions& options, bool volume_chosen, int threads) {
    if (const char* name = console::overlong_argument(names, 4)) {
        return fail(textio::file_error(textio::shortened_name(name),
                                       "file name is longer than 3999 characters"));
    }
    if (auto problem = textio::check_output_names({{"ascii_image_file", names[1]},
                                                   {"ascii_size_file", names[2]},
                                                   {"ascii_resolution_file", names[3]}})) {
        return fail(*problem);
    }
    const std::string image_input_file = names[0];
    const std::string image_output_file = names[1];
    const std::string size_file = names[2];
    const std::string resolution_file = names[3];

    const bool nifti = names_nifti_file(image_input_file);
    const std::optional<PairNames> pair = pair_names(image_input_file);
    if (!nifti && !pair) {
        return fail(textio::file_error(textio::shortened_name(image_input_file),
                                       "header or image file name would be longer than 1023 "
                                       "characters"));
    }

    auto image = std::make_unique<analyze_image>();
    const ReadResult read = nifti ? read_nifti_image(image_input_file, *image, options)
                                  : read_analyze_image(image_input_file, *image, options);
    if (read.ok()) {
        char line[64] = "max_intensity = ";
        *textio::format_general(line + std::strlen(line), image->max_intensity) = '\0';
        say(line);
    }
    say("img read");
    char status_line[textio::max_number_chars + 1];
    *textio::format_int(status_line, status_number(read.status)) = '\0';
    say(status_line);
    if (!read.ok()) return fail(*read.error);

    textio::OutputFile image_out, size_out, resolution_out;
    const analyze_header& header = image->header;
    AsciiImageCounts counts;
    if (auto problem = write_text(image_out, image_output_file, [&](textio::OutputFile& out) {
            counts = put_ascii_image(out, *image, threads);
        })) {
        return fail(*problem);
    }
    if (auto problem = write_text(size_out, size_file,
                                  [&](textio::OutputFile& out) { put_size_line(out, header); })) {
        return fail(*problem);
    }
    if (auto problem = write_text(resolution_out, resolution_file, [&](textio::OutputFile& out) {
            put_resolution_line(out, header);
        })) {
        return fail(*problem);
    }
    textio::OutputFile* const outputs[] = {&image_out, &size_out, &resolution_out};
    const std::vector<std::string> inputs =
        nifti ? std::vector<std::string>{image_input_file}
              : std::vector<std::string>{pair->header, pair_image_file(*pair)};
    if (auto problem = textio::commit_outputs(outputs, inputs)) return fail(*problem);
    if (!volume_chosen) note_first_volume(image_input_file, header);
    if (nifti) print_notices(image_input_file, nifti_notices(nifti_facts(header, options, counts)));
    return 0;
}

bool check_options(const console::CommandLine& line, std::string& problem) {
    ReadOptions options;
    return read_options(line, options, problem);
}

// The run as the command line asks for it, once its options were checked.
int run_command_line(const console::CommandLine& line, int threads) {
    ReadOptions options;
    std::string problem;
    read_options(line, options, problem);
    options.threads = threads;
    return run(line.files.data(), options, line.has(volume_option), threads);
}

}  // namespace

int main(int argc, char** argv) {
    const console::ProgramMain steps{
        .program = program,
        .file_count = 4,
        .most_threads = most_threads,
        .first_line = "program started",
        .check_options = check_options,
        .run = run_command_line,
    };
    return console::run_program(argc, argv, steps);
}
