// voxdump: loads a segmented volume stored as an Analyze 7.5 header/image
// pair and writes it as three text files: the voxel values, the grid
// dimensions and the voxel spacings.
//
//   voxdump [OPTION]... segmented_image_file ascii_image_file ascii_size_file
//           ascii_resolution_file
//
// The main only sequences the steps and reports them; reading is in the
// analyze library, the file contents in text_outputs. A failed read or write
// leaves none of the three files behind and ends with status 1.
#include <cstdio>
#include <cstring>
#include <exception>
#include <memory>
#include <new>
#include <string>

#include <levelset_prep/analyze/analyze_names.hpp>
#include <levelset_prep/analyze/analyze_reader.hpp>
#include <levelset_prep/textio/error.hpp>
#include <levelset_prep/textio/number_format.hpp>
#include <levelset_prep/textio/output_file.hpp>
#include <levelset_prep/textio/output_set.hpp>
#include <levelset_prep/textio/output_target.hpp>

#include "command_line.hpp"
#include "console.hpp"
#include "last_resort.hpp"
#include "text_outputs.hpp"

namespace {

using namespace levelset_prep;
using namespace levelset_prep::analyze;
using namespace levelset_prep::voxdump;

const console::FileArgument file_arguments[] = {
    {"segmented_image_file", "the pair: vol, vol.hdr or vol.img name both files"},
    {"ascii_image_file", "receives every voxel as an integer, x fastest"},
    {"ascii_size_file", "receives the three dimensions: nx ny nz"},
    {"ascii_resolution_file", "receives the three voxel spacings"},
};

const console::Program program{
    "voxdump",
    "Write a volume stored as an Analyze 7.5 header/image pair as three text files:\n"
    "its voxels, its dimensions and its voxel spacings.",
    " segmented_image_file ascii_image_file ascii_size_file ascii_resolution_file",
    file_arguments,
    {},
};

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

int run(char* const* names) {
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

    const std::optional<PairNames> pair = pair_names(image_input_file);
    if (!pair) {
        return fail(textio::file_error(textio::shortened_name(image_input_file),
                                       "header or image file name would be longer than 1023 "
                                       "characters"));
    }

    auto image = std::make_unique<analyze_image>();
    const ReadResult read = read_analyze_image(image_input_file, *image, false);
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
    if (auto problem = write_text(image_out, image_output_file,
                                  [&](textio::OutputFile& out) { put_ascii_image(out, *image); })) {
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
    const std::string inputs[] = {pair->header, pair->image};
    if (auto problem = textio::commit_outputs(outputs, inputs)) return fail(*problem);
    return 0;
}

}  // namespace

int main(int argc, char** argv) {
    const char* invoked_as = argc > 0 ? argv[0] : "voxdump";
    // Even reading the command line takes memory; until the file names are
    // known, a failure names the first argument.
    console::guard_against_termination("voxdump", argc > 1 ? argv[1] : invoked_as);
    const console::CommandLine line = console::parse_command_line(argc, argv, program);
    switch (line.action) {
        case console::CommandLine::Action::help:
            console::print_help(program, invoked_as);
            return 0;
        case console::CommandLine::Action::version:
            console::print_version(program);
            return 0;
        case console::CommandLine::Action::bad_option:
        case console::CommandLine::Action::run:
            break;
    }
    console::set_quiet(line.has(console::quiet_option));
    say("program started");
    if (line.action == console::CommandLine::Action::bad_option) {
        console::print_bad_option(program, line.problem);
        return 1;
    }
    if (line.files.size() < 4) {
        console::print_missing_parameters(invoked_as, program.usage_words);
        return 1;
    }
    // The safety nets: an exception that escaped the run still ends it with
    // one error line, and unwinding removes its temporary files; one that
    // could not even be thrown ends in std::terminate, which does the same.
    console::guard_against_termination("voxdump", line.files[0]);
    try {
        return run(line.files.data());
    } catch (const std::bad_alloc&) {
        console::print_unexpected_failure("voxdump", line.files[0], "cannot allocate memory");
    } catch (const std::exception& failure) {
        console::print_unexpected_failure("voxdump", line.files[0], failure.what());
    }
    return 1;
}
