// SPDX-License-Identifier: MIT
// One volume's samples read into an analyze_image, from an uncompressed file
// or from compressed data, after the reader has judged the header: where
// the volume lies, how many samples of which type it holds.
//
// No buffer is sized from the header alone. An uncompressed file obtains
// the volume's buffer only once it has shown that it holds the samples (see
// image_file_bytes.hpp). Compressed data obtains it at once only when the
// compressed bytes left could inflate to the samples; from a pipe, whose
// size is unknown, the buffer starts small and doubles as samples arrive.
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

// The plan for volume `volume` (from 1) of `volumes`, each of `count`
// samples of `type`, the first starting `first_at` bytes from the current
// position. Byte counts too large for 64 bits saturate (no file holds them).
// Returns no_such_volume when `volume` is outside 1 to `volumes`.
ReadStatus plan_volume(SamplePlan& plan, std::int64_t volume, std::int64_t volumes,
                       std::uint64_t first_at);

// The stored bytes the header announces from the current position: skip,
// the volume and after (saturating).
std::uint64_t announced_bytes(const SamplePlan& plan);

// From an uncompressed file: passes over `skip` bytes (seeking where it
// can), then reads the samples. Returns ok (image.data and the range set),
// no_sample_buffer or image_too_short; no data is attached on failure.
// Bytes after the volume are not read.
//
// With `threads` above 1, a regular file that holds the whole volume is read
// in contiguous pieces on that many threads (at most), each piece read at
// its own offset into its own part of the volume and ranged on its own; the
// pieces' ranges are joined in file order. Everything read, the range (down
// to which zero is kept) and the status are those of one thread, and the
// file is left after the volume as one thread leaves it.
ReadStatus read_plain_samples(std::FILE* file, const SamplePlan& plan, analyze_image& image,
                              int threads = 1);

// From compressed data: inflates and drops `skip` bytes, inflates the
// samples straight into the volume, then inflates and drops the rest to
// check it. Returns ok, no_sample_buffer, image_too_short (the data ended
// cleanly before the samples), corrupt_compressed_data (see
// source.problem()) or excess_compressed_data (it inflates to more than
// announced_bytes; found without inflating more than one byte beyond).
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
