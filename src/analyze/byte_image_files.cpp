#include <levelset_prep/analyze/byte_image_files.hpp>

#include <algorithm>
#include <cstdint>
#include <cstdio>
#include <cstring>
#include <memory>
#include <limits>
#include <new>
#include <string>

#include <levelset_prep/analyze/analyze_header_file.hpp>
#include <levelset_prep/analyze/analyze_names.hpp>
#include <levelset_prep/analyze/analyze_status.hpp>
#include <levelset_prep/analyze/byte_order.hpp>
#include "image_file_bytes.hpp"
#include <levelset_prep/textio/input_file.hpp>

namespace levelset_prep::analyze {

bool image_file_exists(std::string_view name) {
    std::string imgfname;
    if (!make_img_name(imgfname, name)) return false;
    return textio::InputFile(std::fopen(imgfname.c_str(), "rb")) != nullptr;
}

namespace {

// Everything after the header, which `image` holds in the machine's order.
int read_byte_samples(analyze_byte_image& image, std::FILE* ifile) {
    image.data.reset();
    if (image.header.datatype != datatype_unsigned_char) return status_unsupported_datatype;
    const auto count = static_cast<std::size_t>(voxel_count(image.header));
    const auto left = bytes_left(ifile);
    if (left && *left >= count) {
        image.data.reset(new (std::nothrow) std::uint8_t[count]);
        if (!image.data) return status_no_sample_buffer;
        if (std::fread(image.data.get(), 1, count, ifile) == count) return status_ok;
        image.data.reset();  // the file shrank while it was read
        return status_image_too_short;
    }
    // A pipe, a device or a file that looks too short: the buffer grows only
    // with the bytes that arrive.
    std::unique_ptr<unsigned char[]> held;
    switch (read_growing(ifile, count, held)) {
        case fill_result::complete: break;
        case fill_result::short_file: return status_image_too_short;
        case fill_result::no_memory: return status_no_sample_buffer;
    }
    image.data.reset(held.release());
    return status_ok;
}

// The sample count must fit a 32-bit signed integer.
bool count_fits(const analyze_header& header) {
    return voxel_count(header) <= std::numeric_limits<std::int32_t>::max();
}

}  // namespace

int read_analyze_byte_image(std::string_view name, analyze_byte_image& image) {
    const auto header_bytes = load_analyze_header(name, image.header);
    if (!header_bytes) return status_header_not_opened;
    if (*header_bytes < sizeof(analyze_header)) return status_header_too_short;
    if (header_needs_swap(image.header)) swap_header(image.header);
    if (!count_fits(image.header)) return status_no_sample_buffer;

    std::string imgfname;
    if (!make_img_name(imgfname, name)) return status_image_not_opened;
    textio::InputFile ifile(std::fopen(imgfname.c_str(), "rb"));
    if (!ifile) return status_image_not_opened;
    return read_byte_samples(image, ifile.get());
}

int read_analyze_byte_image(std::span<const unsigned char> header_bytes, std::FILE* ifile,
                            analyze_byte_image& image) {
    const std::size_t got = std::min(header_bytes.size(), sizeof(analyze_header));
    if (got != 0) std::memcpy(&image.header, header_bytes.data(), got);
    if (got < sizeof(analyze_header)) return status_header_too_short;
    if (header_needs_swap(image.header)) swap_header(image.header);
    if (!count_fits(image.header)) return status_no_sample_buffer;
    return read_byte_samples(image, ifile);
}

int write_analyze_byte_image(std::string_view name, const analyze_byte_image& image, bool overwrite) {
    const auto count = static_cast<std::size_t>(voxel_count(image.header));
    if (!overwrite && image_file_exists(name)) return status_image_exists;
    if (!write_analyze_header(name, image.header)) return status_header_not_written;

    std::string imgfname;
    if (!make_img_name(imgfname, name)) return status_image_not_written;
    std::FILE* ofile = std::fopen(imgfname.c_str(), "wb");
    if (ofile == nullptr) return status_image_not_written;
    const bool written =
        count == 0 || (image.data && std::fwrite(image.data.get(), 1, count, ofile) == count);
    const bool closed = std::fclose(ofile) == 0;
    return written && closed ? status_ok : status_image_not_written;
}

}  // namespace levelset_prep::analyze
