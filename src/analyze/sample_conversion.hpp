// SPDX-License-Identifier: MIT
// Stored samples turned into 32-bit floats, shared by every reader of the
// module (pairs and NIfTI-1 files, plain or compressed): the stored types,
// where their bytes come from, and the conversion with the running range.
//
// Samples are read, converted and ranged a chunk at a time, so each chunk
// is still in the cache for the passes after the read; 32-bit floats are
// read straight into the volume and swapped there.
#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>

#include <levelset_prep/analyze/analyze_status.hpp>

namespace levelset_prep::analyze::detail {

// Where stored bytes come from: read() takes whole samples, as fread does,
// and returns how many it took; fewer than asked means the bytes ended.
class ByteSource {
public:
    virtual std::size_t read(void* out, std::size_t size, std::size_t count) = 0;

protected:
    ~ByteSource() = default;
};

// The stored sample types, each converted to the nearest float (integers of
// up to 24 bits exactly; 64-bit floats beyond the float range become
// infinities).
enum class SampleType { u8, s8, u16, s16, s32, u32, f32, f64 };

// The bytes one stored sample takes.
std::size_t sample_size(SampleType type);

// The stored type of a pair's datatype (2, 4, 8, 16; 0 is the caller's
// zero-datatype rule) or of a NIfTI-1 file's, which adds 256 (int8), 512
// (uint16), 768 (uint32) and 64 (float64); nothing for any other. Datatype
// 4 is signed when `signed_16bit`, else 0 to 65535.
std::optional<SampleType> pair_sample_type(std::int16_t datatype, bool signed_16bit);
std::optional<SampleType> nifti_sample_type(std::int16_t datatype, bool signed_16bit);

// The running minimum and maximum. Comparisons are strict, so a NaN changes
// neither, and both are tested for every sample, in file order.
struct SampleRange {
    float min = 2147483648.0f;
    float max = -2147483648.0f;
};

// A linear map applied while converting: value = slope * stored + inter,
// computed in double from the stored value and rounded once to float.
struct SampleScaling {
    double slope = 1.0;
    double inter = 0.0;
};

// Reads `count` samples of `type` from `source` into `out` (room for
// `count` floats), swapping each when `swap`, scaling it when `scaling` is
// given, and records them in `range`. Returns ok; image_too_short when the
// source ends first; no_sample_buffer when no chunk buffer can be had.
ReadStatus convert_samples(ByteSource& source, SampleType type, bool swap, std::size_t count,
                           float* out, SampleRange& range, const SampleScaling* scaling = nullptr);

}  // namespace levelset_prep::analyze::detail
