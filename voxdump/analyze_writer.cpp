#include "analyze_writer.hpp"

#include <cmath>
#include <cstring>
#include <limits>
#include <new>
#include <string>

#include "analyze_header_file.hpp"
#include "analyze_names.hpp"
#include "analyze_status.hpp"
#include "byte_image_files.hpp"

namespace voxdump {
namespace {

constexpr std::size_t stream_buffer_size = std::size_t{1} << 20;

// Nearest integer, an exact half going down; the double result is held as a
// float, as the clamps and conversions below expect.
float round_half_down(float value) {
    return static_cast<float>(std::ceil(static_cast<double>(value) - 0.5));
}

// Upper bound first; `!(r <= upper)` is how a NaN comes out as the bound.
float clamp_rounded(float r, float lower, float upper) {
    if (!(r <= upper)) return upper;
    if (r < lower) return lower;
    return r;
}

template <typename T>
bool put(std::FILE* stream, T value) {
    return std::fwrite(&value, sizeof value, 1, stream) == 1;
}

}  // namespace

analyze_writer::analyze_writer(const analyze_image& image) : image(&image), voxel_count(0) {
    const std::int64_t count = voxdump::voxel_count(image.header);
    if (count > std::numeric_limits<std::int32_t>::max()) {
        status = status_image_not_written;  // no file could hold its index
    } else {
        voxel_count = static_cast<std::int32_t>(count);
    }
}

bool analyze_writer::open_stream(const char* file_name, const char* mode) {
    stream.reset(std::fopen(file_name, mode));
    if (!stream) return false;
    // Without memory for the large buffer the stream keeps its own small one.
    if (!stream_buffer) stream_buffer.reset(new (std::nothrow) char[stream_buffer_size]);
    if (stream_buffer) std::setvbuf(stream.get(), stream_buffer.get(), _IOFBF, stream_buffer_size);
    return true;
}

bool analyze_writer::open_image_file(std::string_view name, bool append) {
    stream.reset();
    std::string imgfname;
    if (!make_img_name(imgfname, name) || !open_stream(imgfname.c_str(), append ? "ab" : "wb")) {
        status = status_image_not_written;
        return false;
    }
    return true;
}

bool analyze_writer::write_header(std::string_view name) const {
    return write_analyze_header(name, image->header);
}

int analyze_writer::write_image(const analyze_image& source, bool signed_16bit,
                                std::string_view name, bool overwrite) {
    if (status != status_ok) return status;
    if (!overwrite && image_file_exists(name)) return status_image_exists;
    // The samples read below must exist: a source smaller than the image is
    // refused before any file is touched.
    if (voxel_count > 0 && (!source.data || voxdump::voxel_count(source.header) < voxel_count)) {
        return status_image_not_written;
    }
    std::string imgfname;
    if (stream || !make_img_name(imgfname, name) || !open_stream(imgfname.c_str(), "wb")) {
        return status_image_not_written;
    }
    if (!write_header(name)) return status_header_not_written;
    bool written = true;
    for (index = 0; index < voxel_count; ++index) {
        written = write_value(source.data[index], signed_16bit) && written;
    }
    // The file stays open, but every byte must have reached it.
    if (std::fflush(stream.get()) != 0 || !written) return status_image_not_written;
    return status_ok;
}

bool analyze_writer::write_value(float value, bool signed_16bit) {
    if (!stream) return false;
    std::FILE* out = stream.get();
    switch (image->header.datatype) {
        case datatype_unsigned_char:
            return put(out, static_cast<std::uint8_t>(clamp_rounded(round_half_down(value), 0.0f, 255.0f)));
        case datatype_signed_short:
            if (signed_16bit) {
                return put(out, static_cast<std::int16_t>(
                                    clamp_rounded(round_half_down(value), -32767.0f, 32767.0f)));
            }
            return put(out, static_cast<std::uint16_t>(
                                clamp_rounded(round_half_down(value), 0.0f, 65535.0f)));
        case datatype_signed_int:
            return put(out, static_cast<std::int32_t>(clamp_rounded(round_half_down(value),
                                                                    -2147000064.0f, 2147000064.0f)));
        case datatype_float:
            return put(out, value);
        case datatype_unknown:
            if (image->header.bitpix % 32 == 0) return put(out, value);
            return true;
        default:
            return true;  // no sample type to write
    }
}

}  // namespace voxdump
