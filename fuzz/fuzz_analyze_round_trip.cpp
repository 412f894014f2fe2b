// SPDX-License-Identifier: MIT
// The Analyze writers and readers round trip: a small volume of any float
// samples is written by analyze_writer in the sample type its header names
// (every datatype, either signedness), optionally turned into the other
// byte order on disk, and read back by read_analyze_image; a byte mask goes
// through write_analyze_byte_image and read_analyze_byte_image. What comes
// back must be each sample rounded and clamped as the writer specifies, and
// the overwrite rule must leave existing files alone.
#include <fuzzer/FuzzedDataProvider.h>

#include <bit>
#include <cmath>
#include <cstdint>
#include <cstring>
#include <filesystem>
#include <string>
#include <vector>

#include <levelset_prep/analyze/analyze_reader.hpp>
#include <levelset_prep/analyze/analyze_status.hpp>
#include <levelset_prep/analyze/analyze_writer.hpp>
#include <levelset_prep/analyze/byte_image_files.hpp>
#include <levelset_prep/analyze/byte_order.hpp>

#include "fuzz_support.hpp"

namespace {

using namespace levelset_prep::analyze;

// The writer's conversion, written out again: nearest integer with halves
// going down, upper bound first (a NaN takes it), then the lower bound.
float rounded_clamped(float value, float lower, float upper) {
    const auto r = static_cast<float>(std::ceil(static_cast<double>(value) - 0.5));
    if (!(r <= upper)) return upper;
    return r < lower ? lower : r;
}

float expected_back(float value, std::int16_t datatype, bool signed_16bit) {
    switch (datatype) {
        case 2:
            return rounded_clamped(value, 0.0f, 255.0f);
        case 4:
            return signed_16bit ? rounded_clamped(value, -32767.0f, 32767.0f)
                                : rounded_clamped(value, 0.0f, 65535.0f);
        case 8:
            return rounded_clamped(value, -2147000064.0f, 2147000064.0f);
        default:
            return value;
    }
}

std::size_t stored_bytes(std::int16_t datatype, std::int16_t bitpix) {
    switch (datatype) {
        case 2:
            return 1;
        case 4:
            return 2;
        case 8:
        case 16:
            return 4;
        case 0:
            return bitpix % 32 == 0 ? 4 : 0;
        default:
            return 0;
    }
}

// Rewrites the pair at `base` in the other byte order: the header's listed
// fields and every 2- or 4-byte sample.
void turn_byte_order(const std::string& base, std::size_t sample_size) {
    std::string header = fuzz::read_bytes(base + ".hdr");
    FUZZ_CHECK(header.size() == sizeof(analyze_header));
    analyze_header fields;
    std::memcpy(&fields, header.data(), sizeof fields);
    swap_header(fields);
    fuzz::write_bytes(base + ".hdr",
                      std::string_view(reinterpret_cast<const char*>(&fields), sizeof fields));
    std::string image = fuzz::read_bytes(base + ".img");
    if (sample_size > 1) {
        for (std::size_t i = 0; i + sample_size <= image.size(); i += sample_size) {
            for (std::size_t k = 0; k < sample_size / 2; ++k)
                std::swap(image[i + k], image[i + sample_size - 1 - k]);
        }
    }
    fuzz::write_bytes(base + ".img", image);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    FuzzedDataProvider input(data, size);
    static constexpr std::int16_t datatypes[] = {0, 2, 4, 8, 16, 64, 1};
    static constexpr std::int16_t bitpixes[] = {0, 8, 16, 32, 48, 64, 96, 128};
    analyze_image volume;
    analyze_header& header = volume.header;
    header.datatype = input.PickValueInArray(datatypes);
    header.bitpix = input.PickValueInArray(bitpixes);
    header.dim[0] = 4;
    header.dim[1] = input.ConsumeIntegralInRange<std::int16_t>(-1, 6);
    header.dim[2] = input.ConsumeIntegralInRange<std::int16_t>(-1, 6);
    header.dim[3] = input.ConsumeIntegralInRange<std::int16_t>(-1, 4);
    header.pixdim[1] = input.ConsumeFloatingPoint<float>();
    const bool signed_16bit = input.ConsumeBool();
    const bool foreign = input.ConsumeBool();
    const std::size_t count = static_cast<std::size_t>(voxel_count(header));
    volume.data.reset(new float[count]);
    for (std::size_t i = 0; i < count; ++i) {
        // Raw bits: NaNs, infinities and subnormals come through as they are.
        volume.data[i] = std::bit_cast<float>(input.ConsumeIntegral<std::uint32_t>());
    }

    const std::int16_t datatype = header.datatype, bitpix = header.bitpix;
    const std::size_t sample_size = stored_bytes(datatype, bitpix);

    const std::filesystem::path& folder = fuzz::scratch_folder();
    for (const auto& entry : std::filesystem::directory_iterator(folder))
        std::filesystem::remove(entry.path());
    const std::string base = (folder / "v").string();
    {
        analyze_writer writer(volume);
        FUZZ_CHECK(writer.write_image(volume, signed_16bit, base, false).ok());
    }
    const std::string header_file = fuzz::read_bytes(base + ".hdr");
    const std::string image_file = fuzz::read_bytes(base + ".img");
    FUZZ_CHECK(header_file.size() == sizeof header &&
               std::memcmp(header_file.data(), &header, sizeof header) == 0);
    FUZZ_CHECK(image_file.size() == count * sample_size);
    {
        // An existing image file stays as it is unless overwriting is asked for.
        analyze_writer writer(volume);
        FUZZ_CHECK(writer.write_image(volume, signed_16bit, base + ".img", false).status ==
                   WriteStatus::image_exists);
        FUZZ_CHECK(fuzz::read_bytes(base + ".hdr") == header_file &&
                   fuzz::read_bytes(base + ".img") == image_file);
    }
    {
        // Sample by sample into a file of its own; write_image refuses an open writer.
        analyze_writer writer(volume);
        const std::string other = (folder / "w").string();
        FUZZ_CHECK(!writer.open_image_file(other, false));
        for (std::size_t i = 0; i < count; ++i)
            FUZZ_CHECK(writer.write_value(volume.data[i], signed_16bit));
        FUZZ_CHECK(writer.write_image(volume, signed_16bit, other, true).status ==
                   WriteStatus::image_not_written);
        writer.stream.reset();
        FUZZ_CHECK(fuzz::read_bytes(other + ".img") == image_file);
    }

    if (foreign) turn_byte_order(base, sample_size);
    analyze_image back;
    const ReadStatus status = read_analyze_image(base, back, signed_16bit).status;
    FUZZ_CHECK(std::memcmp(&back.header, &header, sizeof header) == 0);
    ReadStatus expected = ReadStatus::ok;
    if (datatype == 0) {
        // The zero-datatype rule reads bitpix/32 floats per voxel; the writer
        // wrote one (or none when bitpix is not a multiple of 32).
        if (bitpix <= 32) {
            expected = ReadStatus::unsupported_datatype;
        } else if (count != 0) {
            expected = ReadStatus::image_too_short;
        }
    } else if (sample_size == 0) {
        expected = ReadStatus::unsupported_datatype;
    }
    FUZZ_CHECK(status == expected);
    if (status == ReadStatus::ok && datatype != 0) {
        for (std::size_t i = 0; i < count; ++i) {
            const float want = expected_back(volume.data[i], datatype, signed_16bit);
            const float got = back.data[i];
            FUZZ_CHECK(std::bit_cast<std::uint32_t>(want) == std::bit_cast<std::uint32_t>(got) ||
                       (datatype != 16 && want == got));
        }
    }

    // A byte mask of the same shape, from the samples' low bits.
    analyze_byte_image mask;
    mask.header = header;
    mask.header.datatype = 2;
    mask.header.bitpix = 8;
    mask.data.reset(new std::uint8_t[count]);
    for (std::size_t i = 0; i < count; ++i) {
        mask.data[i] = static_cast<std::uint8_t>(std::bit_cast<std::uint32_t>(volume.data[i]));
    }
    const std::string mask_base = (folder / "m.hdr").string();
    FUZZ_CHECK(write_analyze_byte_image(mask_base, mask, false).ok());
    const std::string mask_image = fuzz::read_bytes(folder / "m.img");
    FUZZ_CHECK(write_analyze_byte_image(mask_base, mask, false).status ==
               WriteStatus::image_exists);
    FUZZ_CHECK(fuzz::read_bytes(folder / "m.img") == mask_image);
    if (foreign) turn_byte_order((folder / "m").string(), 1);
    analyze_byte_image mask_back;
    FUZZ_CHECK(read_analyze_byte_image(mask_base, mask_back).ok());
    FUZZ_CHECK(std::memcmp(&mask_back.header, &mask.header, sizeof mask.header) == 0);
    FUZZ_CHECK(count == 0 || std::memcmp(mask_back.data.get(), mask.data.get(), count) == 0);
    return 0;
}
