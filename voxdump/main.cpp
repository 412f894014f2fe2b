// voxdump: loads a segmented volume stored as an Analyze 7.5 header/image
// pair and writes it as three text files: the voxel values, the grid
// dimensions and the voxel spacings.
//
//   voxdump segmented_image_file ascii_image_file ascii_size_file ascii_resolution_file
//
// The main only sequences the steps and reports them; reading is in
// analyze_reader, the file contents in text_outputs. A failed read or write
// leaves none of the three files behind and ends with status 1.
#include <sys/stat.h>

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <exception>
#include <memory>
#include <new>
#include <string>

#include "analyze_names.hpp"
#include "analyze_reader.hpp"
#include "analyze_status.hpp"
#include "console.hpp"
#include "error.hpp"
#include "last_resort.hpp"
#include "number_format.hpp"
#include "output_file.hpp"
#include "output_set.hpp"
#include "output_target.hpp"
#include "text_outputs.hpp"

#ifndef VOXDUMP_VERSION
#define VOXDUMP_VERSION "unknown"
#endif

namespace {

using namespace voxdump;

const char* const usage_words =
    " segmented_image_file ascii_image_file ascii_size_file ascii_resolution_file";

using common::say;

int fail(const common::Error& error) {
    common::print_error("voxdump", error);
    return 1;
}

// ": Is a directory" for a folder given where a file belongs: it opens
// like a file and then reads as nothing at all.
std::string folder_note(const std::string& name) {
    struct stat status {};
    if (stat(name.c_str(), &status) == 0 && S_ISDIR(status.st_mode)) {
        return std::string(": ") + std::strerror(EISDIR);
    }
    return "";
}

// What a failed read means, named after the file it concerns. `reason` is
// the errno the reader left for the statuses that come from a failed open.
common::Error read_failure(int status, const std::string& name, const analyze_image& image,
                           int reason) {
    std::string hfname, imgfname;
    make_hdr_name(hfname, name);
    make_img_name(imgfname, name);
    const analyze_header& header = image.header;
    switch (status) {
        case status_header_not_opened:
            return common::file_error(hfname, std::string("cannot open header file: ") +
                                                  std::strerror(reason));
        case status_header_too_short:
            return common::file_error(hfname, "header file is shorter than 348 bytes" +
                                                  folder_note(hfname));
        case status_image_not_opened:
            return common::file_error(imgfname, std::string("cannot open image file: ") +
                                                    std::strerror(reason));
        case status_no_sample_buffer:
            return common::file_error(
                hfname, "cannot hold the samples the header announces (" +
                            std::to_string(header.dim[1]) + " x " + std::to_string(header.dim[2]) +
                            " x " + std::to_string(header.dim[3]) + " voxels, bitpix " +
                            std::to_string(header.bitpix) + ")");
        case status_unsupported_datatype:
            return common::file_error(hfname, "unsupported datatype " +
                                                  std::to_string(header.datatype) + " (bitpix " +
                                                  std::to_string(header.bitpix) + ")");
        case status_image_too_short:
            return common::file_error(imgfname,
                                      "image file is shorter than the samples the header announces" +
                                          folder_note(imgfname));
        default:
            return common::file_error(name, "cannot be read (status " + std::to_string(status) + ")");
    }
}

// Writes one text file into a temporary beside its target; the caller
// commits it once all three are complete.
template <typename Put>
common::MaybeError write_text(common::OutputFile& out, const std::string& name, Put put) {
    if (auto problem = out.open(name)) return problem;
    put(out);
    return out.finish();
}

int run(char** argv) {
    if (const char* name = common::overlong_argument(argv, 4)) {
        return fail(common::file_error(common::shortened_name(name),
                                       "file name is longer than 3999 characters"));
    }
    if (auto problem = common::check_output_names({{"ascii_image_file", argv[2]},
                                                   {"ascii_size_file", argv[3]},
                                                   {"ascii_resolution_file", argv[4]}})) {
        return fail(*problem);
    }
    const std::string image_input_file = argv[1];
    const std::string image_output_file = argv[2];
    const std::string size_file = argv[3];
    const std::string resolution_file = argv[4];

    std::string hfname, imgfname;
    if (!make_hdr_name(hfname, image_input_file) || !make_img_name(imgfname, image_input_file)) {
        return fail(common::file_error(common::shortened_name(image_input_file),
                                       "header or image file name would be longer than 1023 "
                                       "characters"));
    }

    auto image = std::make_unique<analyze_image>();
    const int read_status = read_analyze_image(image_input_file, *image, false);
    const int reason = errno;
    if (read_status == status_ok) {
        char line[64] = "max_intensity = ";
        *common::format_general(line + std::strlen(line), image->max_intensity) = '\0';
        say(line);
    }
    say("img read");
    char status_line[common::max_number_chars + 1];
    *common::format_int(status_line, read_status) = '\0';
    say(status_line);
    if (read_status != status_ok) {
        return fail(read_failure(read_status, image_input_file, *image, reason));
    }

    common::OutputFile image_out, size_out, resolution_out;
    const analyze_header& header = image->header;
    if (auto problem = write_text(image_out, image_output_file,
                                  [&](common::OutputFile& out) { put_ascii_image(out, *image); })) {
        return fail(*problem);
    }
    if (auto problem = write_text(size_out, size_file,
                                  [&](common::OutputFile& out) { put_size_line(out, header); })) {
        return fail(*problem);
    }
    if (auto problem = write_text(resolution_out, resolution_file, [&](common::OutputFile& out) {
            put_resolution_line(out, header);
        })) {
        return fail(*problem);
    }
    common::OutputFile* const outputs[] = {&image_out, &size_out, &resolution_out};
    const std::string inputs[] = {hfname, imgfname};
    if (auto problem = common::commit_outputs(outputs, inputs)) return fail(*problem);
    return 0;
}

}  // namespace

int main(int argc, char** argv) {
    if (common::answer_help_or_version(argc, argv, "voxdump", usage_words, VOXDUMP_VERSION)) {
        return 0;
    }
    say("program started");
    if (argc < 5) {
        common::print_missing_parameters(argc > 0 ? argv[0] : "voxdump", usage_words);
        return 1;
    }
    // The safety nets: an exception that escaped the run still ends it with
    // one error line, and unwinding removes its temporary files; one that
    // could not even be thrown ends in std::terminate, which does the same.
    common::guard_against_termination("voxdump", argv[1]);
    try {
        return run(argv);
    } catch (const std::bad_alloc&) {
        common::print_unexpected_failure("voxdump", argv[1], "cannot allocate memory");
    } catch (const std::exception& failure) {
        common::print_unexpected_failure("voxdump", argv[1], failure.what());
    }
    return 1;
}
