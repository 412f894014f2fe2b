#include "analyze_reader.hpp"

#include <algorithm>
#include <cerrno>
#include <cstdint>
#include <cstring>
#include <limits>
#include <memory>
#include <new>
#include <string>

#include "analyze_header_file.hpp"
#include "analyze_names.hpp"
#include "analyze_status.hpp"
#include "byte_order.hpp"
#include "input_file.hpp"
#include "large_array.hpp"

namespace voxdump {
namespace {

// The running minimum and maximum. Comparisons are strict, so a NaN changes
// neither, and both are tested for every sample, in file order.
struct running_range {
    float min = 2147483648.0f;
    float max = -2147483648.0f;
};

// `range` after seeing `values`. Kept out of line: inlined next to the
// reads, the two values live across library calls and the compiler keeps
// them in memory, which puts a store and a load on every sample's path.
// Each select is one min or max instruction with the strict test's result.
[[gnu::noinline]] running_range see(running_range range, const float* values, std::size_t count) {
    for (std::size_t i = 0; i < count; ++i) {
        const float value = values[i];
        range.max = value > range.max ? value : range.max;
        range.min = value < range.min ? value : range.min;
    }
    return range;
}

// Samples are read, converted and ranged a chunk at a time, so each chunk is
// still in the cache for the passes after the read.
constexpr std::size_t chunk_bytes = std::size_t{1} << 18;

// Reads `count` samples of type Sample, converts each with `convert` into
// `out` and records it in `range`. Returns 2 when no block buffer can be
// had, 5 (the rest of `out` zeroed) when the file ends early, otherwise 0.
template <typename Sample, typename Convert>
int read_integer_samples(std::FILE* ifile, std::size_t count, float* out, running_range& range,
                         Convert convert) {
    const std::size_t per_block = std::min(count, chunk_bytes / sizeof(Sample));
    std::unique_ptr<unsigned char[]> block(new (std::nothrow) unsigned char[per_block * sizeof(Sample)]);
    if (!block) return status_no_sample_buffer;
    std::size_t done = 0;
    while (done < count) {
        const std::size_t wanted = std::min(count - done, per_block);
        const std::size_t got = std::fread(block.get(), sizeof(Sample), wanted, ifile);
        for (std::size_t i = 0; i < got; ++i) {
            Sample sample;
            std::memcpy(&sample, block.get() + i * sizeof(Sample), sizeof(Sample));
            out[done + i] = convert(sample);
        }
        range = see(range, out + done, got);
        done += got;
        if (got < wanted) {
            std::fill(out + done, out + count, 0.0f);
            return status_image_too_short;
        }
    }
    return status_ok;
}

// Float samples go straight into `out` and are swapped there.
int read_float_samples(std::FILE* ifile, std::size_t count, float* out, running_range& range,
                       bool swap) {
    std::size_t done = 0;
    while (done < count) {
        const std::size_t wanted = std::min(count - done, chunk_bytes / sizeof(float));
        const std::size_t got = std::fread(out + done, sizeof(float), wanted, ifile);
        if (swap) {
            for (std::size_t i = done; i < done + got; ++i) swap_bytes_32(out[i]);
        }
        range = see(range, out + done, got);
        done += got;
        if (got < wanted) {
            std::fill(out + done, out + count, 0.0f);
            return status_image_too_short;
        }
    }
    return status_ok;
}

// Everything after the header: count, buffer, conversion, range. `image`
// holds the header in the machine's byte order; `swap` says the samples are
// not.
int read_analyze_samples(analyze_image& image, bool swap, std::FILE* ifile, bool signed_16bit) {
    std::int16_t datatype = image.header.datatype;
    std::int64_t n = voxel_count(image.header);
    if (datatype == datatype_unknown && image.header.bitpix > 32) {  // the zero-datatype rule
        datatype = datatype_float;
        n *= image.header.bitpix / 32;
    }
    if (n > std::numeric_limits<std::int32_t>::max()) return status_no_sample_buffer;
    const auto count = static_cast<std::size_t>(n);
    image.data = common::allocate_large<float>(count);
    if (!image.data) return status_no_sample_buffer;
    float* out = image.data.get();

    running_range range;
    int status = status_ok;
    switch (datatype) {
        case datatype_unsigned_char:
            status = read_integer_samples<std::uint8_t>(
                ifile, count, out, range, [](std::uint8_t s) { return static_cast<float>(s); });
            break;
        case datatype_signed_short:
            status = read_integer_samples<std::uint16_t>(
                ifile, count, out, range, [swap, signed_16bit](std::uint16_t s) {
                    if (swap) swap_bytes_16(s);
                    return signed_16bit ? static_cast<float>(static_cast<std::int16_t>(s))
                                        : static_cast<float>(s);
                });
            break;
        case datatype_signed_int:
            status = read_integer_samples<std::int32_t>(ifile, count, out, range,
                                                        [swap](std::int32_t s) {
                                                            if (swap) swap_bytes_32(s);
                                                            return static_cast<float>(s);
                                                        });
            break;
        case datatype_float:
            status = read_float_samples(ifile, count, out, range, swap);
            break;
        default:
            // The buffer stays attached; it must not hold indeterminate values.
            std::fill(out, out + count, 0.0f);
            return status_unsupported_datatype;
    }
    if (status != status_ok) return status;
    image.min_intensity = range.min;
    image.max_intensity = range.max;
    return status_ok;
}

}  // namespace

int read_analyze_image(std::string_view name, analyze_image& image, bool signed_16bit) {
    const auto header_bytes = load_analyze_header(name, image.header);
    if (!header_bytes) return status_header_not_opened;
    if (*header_bytes < sizeof(analyze_header)) return status_header_too_short;
    const bool swap = header_needs_swap(image.header);
    if (swap) swap_header(image.header);

    std::string imgfname;
    if (!make_img_name(imgfname, name)) {
        errno = ENAMETOOLONG;
        return status_image_not_opened;
    }
    common::InputFile ifile(std::fopen(imgfname.c_str(), "rb"));
    if (!ifile) return status_image_not_opened;
    return read_analyze_samples(image, swap, ifile.get(), signed_16bit);
}

int read_analyze_image(std::span<const unsigned char> header_bytes, std::FILE* ifile,
                       analyze_image& image, bool signed_16bit) {
    const std::size_t got = std::min(header_bytes.size(), sizeof(analyze_header));
    if (got != 0) std::memcpy(&image.header, header_bytes.data(), got);
    if (got < sizeof(analyze_header)) return status_header_too_short;
    const bool swap = header_needs_swap(image.header);
    if (swap) swap_header(image.header);
    return read_analyze_samples(image, swap, ifile, signed_16bit);
}

}  // namespace voxdump
