// SPDX-License-Identifier: MIT
// Stored samples turned into floats for every reader, a chunk at a time so
// that each chunk is still in the cache for the passes after the read.
#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>

#include <levelset_prep/analyze/analyze_status.hpp>

namespace levelset_prep::analyze::detail {

// read() takes whole samples, as fread does; fewer than asked means the end.
class ByteSource {
public:
    virtual std::size_t read(void* out, std::size_t size, std::size_t count) = 0;

protected:
    ~ByteSource() = default;
};

// Each becomes the nearest float; 64-bit floats beyond range become infinities.
enum class SampleType { u8, s8, u16, s16, s32, u32, f32, f64 };

std::size_t sample_size(SampleType type);

// Nothing for a datatype the format does not accept; 0 is the caller's rule.
std::optional<SampleType> pair_sample_type(std::int16_t datatype, bool signed_16bit);
std::optional<SampleType> nifti_sample_type(std::int16_t datatype, bool signed_16bit);

// Strict comparisons, both for every sample in file order: a NaN changes neither.
struct SampleRange {
    float min = 2147483648.0f;
    float max = -2147483648.0f;
};

// value = slope * stored + inter, in double, rounded once to float.
struct SampleScaling {
    double slope = 1.0;
    double inter = 0.0;
};

ReadStatus convert_samples(ByteSource& source, SampleType type, bool swap, std::size_t count,
                           float* out, SampleRange& range, const SampleScaling* scaling = nullptr);

}  // namespace levelset_prep::analyze::detail
