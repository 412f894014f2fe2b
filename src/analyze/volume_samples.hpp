// SPDX-License-Identifier: MIT
// One volume's samples read into an analyze_image, plain or compressed, once
// the reader has judged the header. No buffer is sized from the header
// alone: it is obtained once the file has shown it holds the samples, or
// could inflate to them; from a pipe it starts small and doubles.
#pragma once

#include <atomic>
#include <cstdint>
#include <cstdio>

#include <levelset_prep/analyze/analyze_image.hpp>
#include <levelset_prep/analyze/analyze_status.hpp>

#include "gzip_source.hpp"
#include "sample_conversion.hpp"

namespace levelset_prep::analyze::detail {

struct SamplePlan {
    SampleType type = SampleType::u8;
    std::size_t count = 0;    // samples in the volume (at most 2^31 - 1)
    bool swap = false;        // the samples are in the other byte order
    std::uint64_t skip = 0;   // stored bytes before the volume's first sample
    std::uint64_t after = 0;  // stored bytes the header announces after the volume
};

// `volume` counts from 1; the first volume starts `first_at` bytes on. Byte
// counts beyond 64 bits saturate (no file holds them).
ReadStatus plan_volume(SamplePlan& plan, std::int64_t volume, std::int64_t volumes,
                       std::uint64_t first_at);

// skip, the volume and after (saturating).
std::uint64_t announced_bytes(const SamplePlan& plan);

// Seeks past `skip` where it can; no data is attached on failure. A regular
// file holding the whole volume may be read in pieces on up to `threads`
// threads, their ranges joined in file order: samples, range, status and the
// file position are those of one thread.
ReadStatus read_plain_samples(std::FILE* file, const SamplePlan& plan, analyze_image& image,
                              int threads = 1);

// Inflates the rest after the samples to check it; excess data is found
// without inflating more than one byte beyond announced_bytes.
ReadStatus read_compressed_samples(GzipSource& source, const SamplePlan& plan,
                                   analyze_image& image);

// The same two reads into `out`, room for plan.count floats that the caller
// holds, with no buffer of their own and no range: each sample scaled when
// `scaling` is given, and the read given up (image_too_short) once `stop`
// is set. On failure `out` holds whatever had been read.
struct IntoOptions {
    const SampleScaling* scaling = nullptr;
    const std::atomic<bool>* stop = nullptr;
};
ReadStatus read_plain_samples_into(std::FILE* file, const SamplePlan& plan, float* out,
                                   const IntoOptions& options);
ReadStatus read_compressed_samples_into(GzipSource& source, const SamplePlan& plan, float* out,
                                        const IntoOptions& options);

}  // namespace levelset_prep::analyze::detail
