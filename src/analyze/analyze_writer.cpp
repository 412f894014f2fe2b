// SPDX-License-Identifier: MIT
#include <cerrno>
#include <cmath>
#include <cstring>
#include <limits>
#include <new>
#include <string>

#include <levelset_prep/analyze/analyze_header_file.hpp>
#include <levelset_prep/analyze/analyze_names.hpp>
#include <levelset_prep/analyze/analyze_writer.hpp>
#include <levelset_prep/analyze/byte_image_files.hpp>

#include "pair_reading.hpp"

namespace levelset_prep::analyze {
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

analyze_writer::analyze_writer(const analyze_image& written) : image(&written), voxel_count(0) {
    const std::int64_t count = analyze::voxel_count(written.header);
    if (count > std::numeric_limits<std::int32_t>::max()) {
        status = WriteStatus::image_not_written;  // no file could hold its index
    } else {
        voxel_count = static_cast<std::int32_t>(count);
    }
}

textio::MaybeError analyze_writer::open_stream(const std::string& file_name, const char* mode) {
    errno = 0;
    stream.reset(std::fopen(file_name.c_str(), mode));
    if (!stream) return textio::system_error(file_name, "cannot write image file", errno);
    if (!stream_buffer) stream_buffer.reset(new (std::nothrow) char[stream_buffer_size]);
    // Without its own buffer the stream keeps the system's smaller one.
    if (stream_buffer) std::setvbuf(stream.get(), stream_buffer.get(), _IOFBF, stream_buffer_size);
    return std::nullopt;
}

textio::MaybeError analyze_writer::open_image_file(std::string_view name, bool append) {
    stream.reset();
    std::string imgfname;
    textio::MaybeError problem =
        make_img_name(imgfname, name)
            ? open_stream(imgfname, append ? "ab" : "wb")
            : textio::system_error(textio::shortened_name(name), "cannot write image file",
                                   ENAMETOOLONG);
    if (problem) status = WriteStatus::image_not_written;
    return problem;
}

textio::MaybeError analyze_writer::write_header(std::string_view name) const {
    return write_analyze_header(name, image->header);
}

WriteResult analyze_writer::write_image(const analyze_image& source, bool signed_16bit,
                                        std::string_view name, bool overwrite) {
    std::string imgfname;
    if (!make_img_name(imgfname, name)) {
        return detail::image_not_written(textio::shortened_name(name), ENAMETOOLONG);
    }
    const auto refused = [&](const char* why) {
        return WriteResult{
            WriteStatus::image_not_written,
            textio::file_error(imgfname, std::string("cannot write image file: ") + why)};
    };
    if (status != WriteStatus::ok) return refused("the writer has failed before");
    if (!overwrite && image_file_exists(name)) return detail::image_exists(name);
    // The samples read below must exist: a source smaller than the image is
    // refused before any file is touched.
    if (voxel_count > 0 && (!source.data || analyze::voxel_count(source.header) < voxel_count)) {
        return refused("the source holds fewer samples than the image");
    }
    if (stream) return refused("the writer has written an image before");
    if (auto problem = open_stream(imgfname, "wb")) {
        return {WriteStatus::image_not_written, std::move(problem)};
    }
    if (auto problem = write_header(name))
        return {WriteStatus::header_not_written, std::move(problem)};
    bool written = true;
    for (index = 0; index < voxel_count; ++index) {
        written = write_value(source.data[index], signed_16bit) && written;
    }
    // The file stays open, but every byte must have reached it.
    errno = 0;
    if (std::fflush(stream.get()) != 0 || !written) {
        return detail::image_not_written(imgfname, errno);
    }
    return {};
}

bool analyze_writer::write_value(float value, bool signed_16bit) {
    if (!stream) return false;
    std::FILE* out = stream.get();
    switch (image->header.datatype) {
        case datatype_unsigned_char:
            return put(out, static_cast<std::uint8_t>(
                                clamp_rounded(round_half_down(value), 0.0f, 255.0f)));
        case datatype_signed_short:
            if (signed_16bit) {
                return put(out, static_cast<std::int16_t>(
                                    clamp_rounded(round_half_down(value), -32767.0f, 32767.0f)));
            }
            return put(out, static_cast<std::uint16_t>(
                                clamp_rounded(round_half_down(value), 0.0f, 65535.0f)));
        case datatype_signed_int:
            return put(out, static_cast<std::int32_t>(clamp_rounded(
                                round_half_down(value), -2147000064.0f, 2147000064.0f)));
        case datatype_float:
            return put(out, value);
        case datatype_unknown:
            if (image->header.bitpix % 32 == 0) return put(out, value);
            return true;
        default:
            return true;  // no sample type to write
    }
}

}  // namespace levelset_prep::analyze
