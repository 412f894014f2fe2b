// SPDX-License-Identifier: MIT
// The Analyze readers (read_analyze_image and read_analyze_byte_image, in
// their header-bytes-and-open-stream form) on any header and image bytes,
// in either byte order and with any datatype, checked against an
// independent decoding of the same bytes.
//
// Input: a flag byte (bit 0 signed 16-bit samples; bit 1 the image as a
// stream that cannot seek, as a pipe; bit 2 a short header whose length is
// the next byte), then the header (348 bytes unless short), then the image.
#include <bit>
#include <cmath>
#include <cstdint>
#include <cstring>
#include <limits>
#include <span>
#include <string_view>

#include <levelset_prep/analyze/analyze_reader.hpp>
#include <levelset_prep/analyze/analyze_status.hpp>
#include <levelset_prep/analyze/byte_image_files.hpp>

#include "fuzz_support.hpp"
#include "text_outputs.hpp"

namespace {

using namespace levelset_prep::analyze;
using fuzz::field;

// What the header announces, decoded here without the module's code.
struct Announced {
    bool swap = false;
    std::int64_t nx = 0, ny = 0, nz = 0, count = 0;  // count with the zero-datatype rule
    std::int16_t datatype = 0, bitpix = 0;
    int sample_bytes = 0;  // 0: not accepted
};

Announced decode(const std::uint8_t* header) {
    Announced a;
    a.swap = field<std::int32_t>(header, 0, false) != 348;
    a.nx = field<std::int16_t>(header, 42, a.swap);
    a.ny = field<std::int16_t>(header, 44, a.swap);
    a.nz = field<std::int16_t>(header, 46, a.swap);
    a.datatype = field<std::int16_t>(header, 70, a.swap);
    a.bitpix = field<std::int16_t>(header, 72, a.swap);
    a.count = a.nx > 0 && a.ny > 0 && a.nz > 0 ? a.nx * a.ny * a.nz : 0;
    std::int16_t type = a.datatype;
    if (type == 0 && a.bitpix > 32) {
        type = 16;
        a.count *= a.bitpix / 32;
    }
    a.sample_bytes = type == 2 ? 1 : type == 4 ? 2 : (type == 8 || type == 16) ? 4 : 0;
    return a;
}

ReadStatus expected_status(const Announced& a, std::size_t image_size) {
    if (a.count > std::numeric_limits<std::int32_t>::max()) return ReadStatus::no_sample_buffer;
    if (a.sample_bytes == 0) return ReadStatus::unsupported_datatype;
    if (static_cast<std::uint64_t>(a.count) * a.sample_bytes > image_size)
        return ReadStatus::image_too_short;
    return ReadStatus::ok;
}

// Sample i decoded from the image bytes.
float expected_sample(const Announced& a, const std::uint8_t* image, std::size_t i,
                      bool signed_16bit) {
    const std::int16_t type = a.sample_bytes == 4 && a.datatype != 8 ? 16 : a.datatype;
    switch (type) {
        case 2:
            return image[i];
        case 4: {
            const auto raw = field<std::uint16_t>(image, 2 * i, a.swap);
            return signed_16bit ? static_cast<float>(static_cast<std::int16_t>(raw))
                                : static_cast<float>(raw);
        }
        case 8:
            return static_cast<float>(field<std::int32_t>(image, 4 * i, a.swap));
        default:
            return field<float>(image, 4 * i, a.swap);
    }
}

std::FILE* open_image(std::string_view image, bool unseekable) {
    return unseekable ? fuzz::open_unseekable(image) : fuzz::open_memory(image);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    if (size < 2) return 0;
    const std::uint8_t flags = data[0];
    const bool signed_16bit = flags & 1, unseekable = flags & 2, short_header = flags & 4;
    std::size_t header_size = short_header ? data[1] : sizeof(analyze_header);
    const std::uint8_t* header = data + (short_header ? 2 : 1);
    const std::size_t left = size - (short_header ? 2 : 1);
    if (header_size > left) header_size = left;
    const std::string_view image(reinterpret_cast<const char*>(header + header_size),
                                 left - header_size);

    analyze_image volume;
    std::FILE* file = open_image(image, unseekable);
    const ReadStatus status =
        read_analyze_image(std::span(header, header_size), file, volume, signed_16bit).status;
    std::fclose(file);

    analyze_byte_image mask;
    file = open_image(image, unseekable);
    const ReadStatus mask_status =
        read_analyze_byte_image(std::span(header, header_size), file, mask).status;
    std::fclose(file);

    if (header_size < sizeof(analyze_header)) {
        FUZZ_CHECK(status == ReadStatus::header_too_short &&
                   mask_status == ReadStatus::header_too_short);
        FUZZ_CHECK(!volume.data && !mask.data);
        return 0;
    }
    const Announced a = decode(header);
    FUZZ_CHECK(volume.header.dim[1] == a.nx && volume.header.datatype == a.datatype);
    FUZZ_CHECK(status == expected_status(a, image.size()));
    FUZZ_CHECK(static_cast<bool>(volume.data) == (status == ReadStatus::ok));

    // The mask reader takes datatype 2 only, with no zero-datatype rule.
    const std::int64_t voxels = a.nx > 0 && a.ny > 0 && a.nz > 0 ? a.nx * a.ny * a.nz : 0;
    const ReadStatus mask_expected =
        voxels > std::numeric_limits<std::int32_t>::max()   ? ReadStatus::no_sample_buffer
        : a.datatype != 2                                   ? ReadStatus::unsupported_datatype
        : static_cast<std::uint64_t>(voxels) > image.size() ? ReadStatus::image_too_short
                                                            : ReadStatus::ok;
    FUZZ_CHECK(mask_status == mask_expected);
    FUZZ_CHECK(static_cast<bool>(mask.data) == (mask_status == ReadStatus::ok));
    if (mask_status == ReadStatus::ok && voxels != 0) {
        FUZZ_CHECK(std::memcmp(mask.data.get(), image.data(), static_cast<std::size_t>(voxels)) ==
                   0);
    }
    if (status != ReadStatus::ok) return 0;

    // Every sample, the range and the text form.
    float min = 2147483648.0f, max = -2147483648.0f;
    for (std::int64_t i = 0; i < a.count; ++i) {
        const float want =
            expected_sample(a, header + header_size, static_cast<std::size_t>(i), signed_16bit);
        const float got = volume.data[static_cast<std::size_t>(i)];
        FUZZ_CHECK(std::bit_cast<std::uint32_t>(want) == std::bit_cast<std::uint32_t>(got));
        if (got > max) max = got;
        if (got < min) min = got;
        const std::int32_t text = levelset_prep::voxdump::ascii_value(got);
        if (std::isnan(got) || got >= 2147483648.0f || got < -2147483648.0f) {
            FUZZ_CHECK(text == std::numeric_limits<std::int32_t>::min());
        } else {
            FUZZ_CHECK(text == static_cast<std::int32_t>(std::trunc(got)));
        }
    }
    FUZZ_CHECK(std::bit_cast<std::uint32_t>(min) ==
               std::bit_cast<std::uint32_t>(volume.min_intensity));
    FUZZ_CHECK(std::bit_cast<std::uint32_t>(max) ==
               std::bit_cast<std::uint32_t>(volume.max_intensity));

    // The bounds-tested fetch at the edges of the volume and beyond.
    const auto nx = static_cast<std::int32_t>(a.nx), ny = static_cast<std::int32_t>(a.ny),
               nz = static_cast<std::int32_t>(a.nz);
    for (std::int32_t x : {-1, 0, nx - 1, nx}) {
        for (std::int32_t y : {-1, 0, ny - 1, ny}) {
            for (std::int32_t z : {-1, 0, nz - 1, nz}) {
                const float value = voxel_value(volume, x, y, z);
                const bool inside = x >= 0 && y >= 0 && z >= 0 && x < nx && y < ny && z < nz;
                if (!inside) {
                    FUZZ_CHECK(value == 0.0f);
                } else {
                    const float stored = volume.data[static_cast<std::size_t>(
                        x + std::int64_t{nx} * (y + std::int64_t{ny} * z))];
                    FUZZ_CHECK(std::bit_cast<std::uint32_t>(value) ==
                               std::bit_cast<std::uint32_t>(stored));
                }
            }
        }
    }
    return 0;
}
