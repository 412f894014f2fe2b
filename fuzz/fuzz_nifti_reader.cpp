// SPDX-License-Identifier: MIT
// The NIfTI-1 reader (read_nifti_image, in its open-stream form) on any
// file bytes, checked against an independent decoding of the header and
// the samples.
//
// Input: a flag byte (bit 0 signed 16-bit samples; bit 1 the file as a
// stream that cannot seek, as a pipe; bits 2 and 3 the volume asked for,
// 1 to 4), then the file. Files that start as gzip data are read too, with
// only the reader's own promises checked (fuzz_gzip_reader checks them).
#include <bit>
#include <cmath>
#include <cstdint>
#include <cstring>
#include <limits>
#include <string_view>

#include <levelset_prep/analyze/nifti_reader.hpp>

#include "fuzz_support.hpp"

namespace {

using namespace levelset_prep::analyze;
using fuzz::field;

// The status the header and the file's length call for, decoded here.
struct Expected {
    ReadStatus status = ReadStatus::ok;
    bool swap = false;
    std::int16_t datatype = 0;
    std::uint64_t first = 0;  // the volume's first byte
    std::int64_t count = 0;
};

int sample_bytes(std::int16_t datatype) {
    switch (datatype) {
        case 2:
        case 256:
            return 1;
        case 4:
        case 512:
            return 2;
        case 8:
        case 16:
        case 768:
            return 4;
        case 64:
            return 8;
        default:
            return 0;
    }
}

Expected expect(const std::uint8_t* file, std::size_t size, std::int64_t volume) {
    Expected e;
    if (size < 348) return {ReadStatus::header_too_short};
    const auto size_field = field<std::int32_t>(file, 0, false);
    e.swap = size_field != 348;
    if (field<std::int32_t>(file, 0, e.swap) != 348) return {ReadStatus::not_nifti1};
    if (std::memcmp(file + 344, "n+1", 4) != 0) return {ReadStatus::not_nifti1};
    std::int64_t dims[8];
    for (int i = 0; i < 8; ++i) dims[i] = field<std::int16_t>(file, 40 + 2 * i, e.swap);
    if (dims[0] < 1 || dims[0] > 7) return {ReadStatus::not_nifti1};
    for (int i = static_cast<int>(dims[0]) + 1; i < 8; ++i) dims[i] = 1;
    const auto offset = field<float>(file, 108, e.swap);
    if (!(offset >= 352.0f && offset < 9.2e18f) || std::trunc(offset) != offset) {
        return {ReadStatus::not_nifti1};
    }
    e.count = dims[1] > 0 && dims[2] > 0 && dims[3] > 0 ? dims[1] * dims[2] * dims[3] : 0;
    if (e.count > std::numeric_limits<std::int32_t>::max()) return {ReadStatus::no_sample_buffer};
    e.datatype = field<std::int16_t>(file, 70, e.swap);
    const int bytes = sample_bytes(e.datatype);
    if (bytes == 0) return {ReadStatus::unsupported_datatype};
    std::int64_t volumes = 1;
    for (int i = 4; i < 8; ++i) volumes *= dims[i] > 1 ? dims[i] : 1;
    if (volume > volumes) return {ReadStatus::no_such_volume};
    const auto each = static_cast<std::uint64_t>(e.count) * static_cast<std::uint64_t>(bytes);
    e.first = static_cast<std::uint64_t>(offset) + static_cast<std::uint64_t>(volume - 1) * each;
    if (e.first > size || size - e.first < each) e.status = ReadStatus::image_too_short;
    return e;
}

float sample(const Expected& e, const std::uint8_t* at, bool signed_16bit) {
    switch (e.datatype) {
        case 2:
            return *at;
        case 256:
            return static_cast<std::int8_t>(*at);
        case 4: {
            const auto raw = field<std::uint16_t>(at, 0, e.swap);
            return signed_16bit ? static_cast<float>(static_cast<std::int16_t>(raw))
                                : static_cast<float>(raw);
        }
        case 512:
            return field<std::uint16_t>(at, 0, e.swap);
        case 8:
            return static_cast<float>(field<std::int32_t>(at, 0, e.swap));
        case 768:
            return static_cast<float>(field<std::uint32_t>(at, 0, e.swap));
        case 64:
            return static_cast<float>(field<double>(at, 0, e.swap));
        default:
            return field<float>(at, 0, e.swap);
    }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    if (size < 1) return 0;
    const std::uint8_t flags = data[0];
    const ReadOptions options{.signed_16bit = (flags & 1) != 0, .volume = 1 + ((flags >> 2) & 3)};
    const std::uint8_t* file = data + 1;
    const std::size_t file_size = size - 1;
    const std::string_view bytes(reinterpret_cast<const char*>(file), file_size);
    std::FILE* stream = (flags & 2) ? fuzz::open_unseekable(bytes) : fuzz::open_memory(bytes);
    analyze_image image;
    const ReadResult result = read_nifti_image(stream, image, options);
    std::fclose(stream);

    FUZZ_CHECK(result.ok() == !result.error.has_value());
    FUZZ_CHECK(static_cast<bool>(image.data) == result.ok());
    if (file_size >= 2 && file[0] == 0x1f && file[1] == 0x8b) return 0;  // gzip data

    const Expected e = expect(file, file_size, options.volume);
    FUZZ_CHECK(result.status == e.status);
    if (!result.ok()) return 0;
    const std::size_t each = static_cast<std::size_t>(sample_bytes(e.datatype));
    float min = 2147483648.0f, max = -2147483648.0f;
    for (std::int64_t i = 0; i < e.count; ++i) {
        const auto at = static_cast<std::size_t>(e.first) + static_cast<std::size_t>(i) * each;
        const float want = sample(e, file + at, options.signed_16bit);
        const float got = image.data[static_cast<std::size_t>(i)];
        FUZZ_CHECK(std::bit_cast<std::uint32_t>(want) == std::bit_cast<std::uint32_t>(got));
        if (got > max) max = got;
        if (got < min) min = got;
    }
    FUZZ_CHECK(std::bit_cast<std::uint32_t>(min) ==
               std::bit_cast<std::uint32_t>(image.min_intensity));
    FUZZ_CHECK(std::bit_cast<std::uint32_t>(max) ==
               std::bit_cast<std::uint32_t>(image.max_intensity));
    return 0;
}
