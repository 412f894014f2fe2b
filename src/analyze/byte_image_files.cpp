// SPDX-License-Identifier: MIT
#include <cerrno>
#include <cstdint>
#include <cstdio>
#include <limits>
#include <memory>
#include <new>
#include <string>

#include <levelset_prep/analyze/analyze_header_file.hpp>
#include <levelset_prep/analyze/analyze_names.hpp>
#include <levelset_prep/analyze/byte_image_files.hpp>

#include "image_file_bytes.hpp"
#include "pair_reading.hpp"

namespace levelset_prep::analyze {

bool image_file_exists(std::string_view name) {
    std::string imgfname;
    if (!make_img_name(imgfname, name)) return false;
    return textio::InputFile(std::fopen(imgfname.c_str(), "rb")) != nullptr;
}

namespace {

ReadStatus read_byte_samples(analyze_byte_image& image, std::FILE* ifile) {
    image.data.reset();
    if (image.header.datatype != datatype_unsigned_char) return ReadStatus::unsupported_datatype;
    const auto count = static_cast<std::size_t>(voxel_count(image.header));
    const auto left = bytes_left(ifile);
    if (left && *left >= count) {
        image.data.reset(new (std::nothrow) std::uint8_t[count]);
        if (!image.data) return ReadStatus::no_sample_buffer;
        if (std::fread(image.data.get(), 1, count, ifile) == count) return ReadStatus::ok;
        image.data.reset();  // the file shrank while it was read
        return ReadStatus::image_too_short;
    }
    // A pipe, a device or a file that looks too short: the buffer grows only
    // with the bytes that arrive.
    std::unique_ptr<unsigned char[]> held;
    if (const ReadStatus status = read_growing(ifile, count, held); status != ReadStatus::ok) {
        return status;
    }
    image.data.reset(held.release());
    return ReadStatus::ok;
}

bool count_fits(const analyze_header& header) {
    return voxel_count(header) <= std::numeric_limits<std::int32_t>::max();
}

}  // namespace

ReadResult read_analyze_byte_image(std::string_view name, analyze_byte_image& image) {
    const std::optional<PairNames> names = pair_names(name);
    bool swap = false;
    ReadResult header = detail::read_pair_header(name, names, image.header, swap);
    if (!header.ok()) return header;
    if (!count_fits(image.header)) {
        return detail::pair_failure(ReadStatus::no_sample_buffer, *names, image.header);
    }
    textio::InputFile ifile;
    ReadResult opened = detail::open_pair_image(*names, ifile);
    if (!opened.ok()) return opened;
    return detail::pair_failure(read_byte_samples(image, ifile.get()), *names, image.header);
}

ReadResult read_analyze_byte_image(std::span<const unsigned char> header_bytes, std::FILE* ifile,
                                   analyze_byte_image& image) {
    bool swap = false;
    ReadResult header = detail::read_pair_header(header_bytes, image.header, swap);
    if (!header.ok()) return header;
    const ReadStatus status =
        count_fits(image.header) ? read_byte_samples(image, ifile) : ReadStatus::no_sample_buffer;
    return detail::pair_failure(status, {}, image.header);
}

WriteResult write_analyze_byte_image(std::string_view name, const analyze_byte_image& image,
                                     bool overwrite) {
    const auto count = static_cast<std::size_t>(voxel_count(image.header));
    if (!overwrite && image_file_exists(name)) return detail::image_exists(name);
    if (auto problem = write_analyze_header(name, image.header)) {
        return {WriteStatus::header_not_written, std::move(problem)};
    }
    // The image file's name is as long as the header's, which was not too long.
    std::string imgfname;
    make_img_name(imgfname, name);
    errno = 0;
    std::FILE* ofile = std::fopen(imgfname.c_str(), "wb");
    if (ofile == nullptr) return detail::image_not_written(imgfname, errno);
    errno = 0;
    const bool written =
        count == 0 || (image.data && std::fwrite(image.data.get(), 1, count, ofile) == count);
    int reason = image.data || count == 0 ? errno : EINVAL;
    errno = 0;
    const bool closed = std::fclose(ofile) == 0;
    if (reason == 0) reason = errno;
    if (!written || !closed) return detail::image_not_written(imgfname, reason);
    return {};
}

}  // namespace levelset_prep::analyze
