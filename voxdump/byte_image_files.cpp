#include "byte_image_files.hpp"

#include <algorithm>
#include <cstdint>
#include <cstdio>
#include <limits>
#include <new>
#include <string>

#include "analyze_header_file.hpp"
#include "analyze_names.hpp"
#include "analyze_status.hpp"
#include "byte_order.hpp"
#include "input_file.hpp"

namespace voxdump {

bool image_file_exists(std::string_view name) {
    std::string imgfname;
    if (!make_img_name(imgfname, name)) return false;
    return common::InputFile(std::fopen(imgfname.c_str(), "rb")) != nullptr;
}

int read_analyze_byte_image(std::string_view name, analyze_byte_image& image) {
    const auto header_bytes = load_analyze_header(name, image.header);
    if (!header_bytes) return status_header_not_opened;
    if (*header_bytes < sizeof(analyze_header)) return status_header_too_short;
    if (header_needs_swap(image.header)) swap_header(image.header);

    const std::int64_t n = voxel_count(image.header);
    if (n > std::numeric_limits<std::int32_t>::max()) return status_no_sample_buffer;
    const auto count = static_cast<std::size_t>(n);
    image.data.reset(new (std::nothrow) std::uint8_t[count]);
    if (!image.data) return status_no_sample_buffer;

    std::string imgfname;
    if (!make_img_name(imgfname, name)) return status_image_not_opened;
    common::InputFile ifile(std::fopen(imgfname.c_str(), "rb"));
    if (!ifile) return status_image_not_opened;
    if (image.header.datatype != datatype_unsigned_char) {
        std::fill(image.data.get(), image.data.get() + count, std::uint8_t{0});
        return status_unsupported_datatype;
    }
    const std::size_t got = std::fread(image.data.get(), 1, count, ifile.get());
    if (got < count) {
        std::fill(image.data.get() + got, image.data.get() + count, std::uint8_t{0});
        return status_image_too_short;
    }
    return status_ok;
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

}  // namespace voxdump
