// SPDX-License-Identifier: MIT
#include "pair_reading.hpp"

#include <sys/stat.h>

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <string>

#include <levelset_prep/analyze/analyze_header_file.hpp>
#include <levelset_prep/analyze/byte_order.hpp>

namespace levelset_prep::analyze::detail {
namespace {

// ": Is a directory" for a folder given where a file belongs: it opens
// like a file and then reads as nothing at all.
std::string folder_note(const std::string& name) {
    struct stat status {};
    if (stat(name.c_str(), &status) == 0 && S_ISDIR(status.st_mode)) {
        return std::string(": ") + std::strerror(EISDIR);
    }
    return "";
}

ReadResult checked_header(std::size_t got, analyze_header& header, bool& swap,
                          const std::string& header_name) {
    if (got < sizeof(analyze_header)) {
        return pair_failure(ReadStatus::header_too_short, {header_name, {}}, header);
    }
    swap = header_needs_swap(header);
    if (swap) {
        swap_header(header);
        swap_series(header);
    }
    return {};
}

}  // namespace

ReadResult read_pair_header(std::string_view name, const std::optional<PairNames>& names,
                            analyze_header& header, bool& swap) {
    textio::Result<std::size_t> got = load_analyze_header(name, header);
    if (!got) return {ReadStatus::header_not_opened, std::move(got.error)};
    return checked_header(got.value, header, swap, names ? names->header : std::string());
}

ReadResult read_pair_header(std::span<const unsigned char> bytes, analyze_header& header,
                            bool& swap) {
    const std::size_t got = std::min(bytes.size(), sizeof(analyze_header));
    if (got != 0) std::memcpy(&header, bytes.data(), got);
    return checked_header(got, header, swap, {});
}

void swap_series(analyze_header& header) {
    for (int i = 5; i <= 7; ++i) swap_bytes_16(header.dim[i]);
    swap_bytes_32(header.vox_offset);
}

ReadResult open_pair_image(const PairNames& names, textio::InputFile& image_file) {
    textio::Result<textio::InputFile> file = textio::open_input(names.image, "image file");
    if (!file) return {ReadStatus::image_not_opened, std::move(file.error)};
    image_file = std::move(file.value);
    return {};
}

ReadResult open_pair_samples(const PairNames& names, textio::InputFile& image_file,
                             std::string& opened) {
    opened = pair_image_file(names);
    textio::Result<textio::InputFile> file = textio::open_input(opened, "image file");
    if (!file) return {ReadStatus::image_not_opened, std::move(file.error)};
    image_file = std::move(file.value);
    return {};
}

ReadResult read_failure(ReadStatus status, const analyze_header& header,
                        const FailureDetails& details) {
    const auto failed = [status](const std::string& file, const std::string& problem) {
        return ReadResult{status, textio::file_error(file, problem)};
    };
    const std::string& hdr = details.header_file;
    const std::string& img = details.image_file;
    switch (status) {
        case ReadStatus::ok:
            return {};
        case ReadStatus::header_too_short:
            return failed(hdr, std::string(details.header_what) + " is shorter than 348 bytes" +
                                   folder_note(hdr));
        case ReadStatus::unsupported_datatype:
            return failed(hdr, "unsupported datatype " + std::to_string(header.datatype) +
                                   " (bitpix " + std::to_string(header.bitpix) + ")");
        case ReadStatus::image_too_short:
            return failed(img, std::string(details.image_what) +
                                   " is shorter than the samples the header announces" +
                                   folder_note(img));
        case ReadStatus::corrupt_compressed_data:
            return failed(img, details.compressed_problem);
        case ReadStatus::excess_compressed_data:
            return failed(img, "compressed data inflates to more than the " +
                                   std::to_string(details.announced) +
                                   " bytes the header announces");
        case ReadStatus::no_such_volume:
            return failed(hdr, "no volume " + std::to_string(details.volume) +
                                   ": the header announces " + std::to_string(details.volumes) +
                                   (details.volumes == 1 ? " volume" : " volumes"));
        default:  // no_sample_buffer; 1, 3 and 7 come with their own errors
            return failed(hdr, "cannot hold the samples the header announces (" +
                                   std::to_string(header.dim[1]) + " x " +
                                   std::to_string(header.dim[2]) + " x " +
                                   std::to_string(header.dim[3]) + " voxels, bitpix " +
                                   std::to_string(header.bitpix) + ")");
    }
}

ReadResult pair_failure(ReadStatus status, const PairNames& names, const analyze_header& header) {
    FailureDetails details;
    details.header_file = names.header;
    details.image_file = names.image;
    return read_failure(status, header, details);
}

WriteResult image_exists(std::string_view name) {
    std::string imgfname;
    make_img_name(imgfname, name);
    return {WriteStatus::image_exists,
            textio::file_error(imgfname, "image file exists and overwriting was not asked for")};
}

WriteResult image_not_written(const std::string& image_file, int reason) {
    return {
        WriteStatus::image_not_written,
        textio::system_error(image_file, "cannot write image file", reason != 0 ? reason : EIO)};
}

}  // namespace levelset_prep::analyze::detail
