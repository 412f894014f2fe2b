// SPDX-License-Identifier: MIT
// A plain image file read on several threads gives what one thread gives:
// every sample's bits, the range down to which zero is kept, the status
// and the error.
#include <bit>
#include <cstdint>
#include <limits>
#include <string>
#include <type_traits>
#include <vector>

#include <gtest/gtest.h>

#include <levelset_prep/analyze/analyze_reader.hpp>
#include <levelset_prep/analyze/nifti_reader.hpp>

#include "nifti_test_files.hpp"

namespace {

using namespace levelset_prep::analyze;
using namespace nifti_test_files;
using analyze_test_files::header_bytes;
using analyze_test_files::header_fields;
using analyze_test_files::write_pair;
using testing_support::TempDir;

// Large enough for three pieces of a few hundred kilobytes, and divisible
// by neither 2 nor 3, so the pieces differ in length.
constexpr std::int16_t nx = 32767, ny = 7;
constexpr std::size_t count = std::size_t{nx} * ny;

// Varied values, NaNs among the floats, and both zeros (the sign of the first
// zero in file order is the one the range keeps when a zero is an extreme).
template <typename T>
std::string samples(std::size_t n, byte_order order, float zeros_sign) {
    std::vector<T> values(n);
    for (std::size_t i = 0; i < n; ++i) {
        const auto mixed = static_cast<std::uint32_t>(i * 2654435761u);
        if constexpr (std::is_floating_point_v<T>) {
            values[i] = static_cast<T>(-zeros_sign * static_cast<float>(1 + mixed % 5000));
            if (i % 997 == 0) values[i] = std::numeric_limits<T>::quiet_NaN();
        } else {
            values[i] = static_cast<T>(mixed >> (32 - 8 * sizeof(T)));
        }
    }
    if constexpr (std::is_floating_point_v<T>) {
        values[n / 5] = static_cast<T>(zeros_sign * 0.0f);  // in the first piece
        values[n - 2] = static_cast<T>(-zeros_sign * 0.0f);
    }
    return analyze_test_files::sample_bytes(values, order);
}

struct Case {
    const char* what;
    bool nifti;
    std::int16_t datatype, bitpix, volumes, volume;
    std::size_t voxels, cut;  // cut: bytes missing at the end of the image file
    std::string (*bytes)(std::size_t, byte_order);
    bool signed_16bit = false;
};

// clang-format off
const Case cases[] = {
    {"float, -0.0 first", false, 16, 32, 1, 1, count, 0, [](std::size_t n, byte_order o) { return samples<float>(n, o, -1.0f); }},
    {"float, 0.0 first", true, 16, 32, 1, 1, count, 0, [](std::size_t n, byte_order o) { return samples<float>(n, o, 1.0f); }},
    {"uint8", false, 2, 8, 1, 1, count, 0, [](std::size_t n, byte_order o) { return samples<std::uint8_t>(n, o, 1); }},
    {"16-bit signed", false, 4, 16, 1, 1, count, 0, [](std::size_t n, byte_order o) { return samples<std::uint16_t>(n, o, 1); }, true},
    {"int32", true, 8, 32, 1, 1, count, 0, [](std::size_t n, byte_order o) { return samples<std::int32_t>(n, o, 1); }},
    {"float64", true, 64, 64, 1, 1, count, 0, [](std::size_t n, byte_order o) { return samples<double>(n, o, -1.0f); }},
    {"uint16, second volume of a series", true, 512, 16, 2, 2, count, 0, [](std::size_t n, byte_order o) { return samples<std::uint16_t>(2 * n, o, 1); }},
    {"tiny float volume", true, 16, 32, 1, 1, 5, 0, [](std::size_t n, byte_order o) { return samples<float>(n, o, -1.0f); }},
    {"image file one byte short", false, 16, 32, 1, 1, count, 1, [](std::size_t n, byte_order o) { return samples<float>(n, o, 1.0f); }},
    {"NIfTI-1 file a sample short", true, 4, 16, 1, 1, count, 2, [](std::size_t n, byte_order o) { return samples<std::uint16_t>(n, o, 1); }},
};
// clang-format on

struct Outcome {
    int status;
    std::string error;
    std::vector<std::uint32_t> bits;  // the samples', then the minimum's and maximum's
};

Outcome read_with(const std::string& name, const Case& c, int threads) {
    analyze_image image;
    const ReadOptions options{
        .signed_16bit = c.signed_16bit, .volume = c.volume, .threads = threads};
    const ReadResult result =
        c.nifti ? read_nifti_image(name, image, options) : read_analyze_image(name, image, options);
    Outcome outcome{status_number(result.status), result.error ? result.error->message() : "", {}};
    if (!result.ok()) return outcome;
    for (std::size_t i = 0; i < c.voxels; ++i)
        outcome.bits.push_back(std::bit_cast<std::uint32_t>(image.data[i]));
    outcome.bits.push_back(std::bit_cast<std::uint32_t>(image.min_intensity));
    outcome.bits.push_back(std::bit_cast<std::uint32_t>(image.max_intensity));
    return outcome;
}

TEST(ThreadedRead, SameAsOneThread) {
    TempDir dir;
    for (const Case& c : cases) {
        for (byte_order order : {byte_order::little, byte_order::big}) {
            SCOPED_TRACE(std::string(c.what) + (order == byte_order::big ? ", big" : ", little"));
            const std::int16_t x = c.voxels == count ? nx : static_cast<std::int16_t>(c.voxels);
            const std::int16_t y = c.voxels == count ? ny : 1;
            std::string image = c.bytes(c.voxels, order);
            image.resize(image.size() - c.cut);
            std::string name = (dir / "v").string();
            if (c.nifti) {
                const nifti_fields fields{.dims = {4, x, y, 1, c.volumes, 1, 1, 1},
                                          .datatype = c.datatype,
                                          .bitpix = c.bitpix};
                name += ".nii";
                testing_support::write_file(name, nifti_bytes(fields, order, image));
            } else {
                const header_fields fields{
                    .nx = x, .ny = y, .nz = 1, .datatype = c.datatype, .bitpix = c.bitpix};
                write_pair(name, header_bytes(fields, order), image);
            }
            const Outcome serial = read_with(name, c, 1);
            EXPECT_EQ(serial.status, c.cut == 0 ? 0 : 5);
            for (int threads : {2, 3, 4}) {
                const Outcome threaded = read_with(name, c, threads);
                EXPECT_EQ(threaded.status, serial.status) << threads << " threads";
                EXPECT_EQ(threaded.error, serial.error) << threads << " threads";
                EXPECT_TRUE(threaded.bits == serial.bits) << threads << " threads";
            }
        }
    }
}

}  // namespace
