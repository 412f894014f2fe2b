// SPDX-License-Identifier: MIT
// Reading the sample bytes of an image file without trusting the header's
// count: a header of 348 bytes may announce up to 2^31 samples, and a buffer
// for them is obtained only once the image file is known to hold them.
//
// A seekable file whose remaining size covers the samples is read straight
// into a buffer of the announced size. Any other file (a pipe, a device, or
// a file that looks too short) is read into a buffer that grows with the
// bytes that actually arrive, so memory always follows the file, never the
// header alone.
#pragma once

#include <cstdint>
#include <cstdio>
#include <memory>
#include <optional>

#include <levelset_prep/analyze/analyze_status.hpp>

namespace levelset_prep::analyze {

// The bytes from the current position to the end of `file`, or nothing when
// it cannot seek (a pipe). A device that seeks may report 0; callers take
// the answer as a hint that a file holds enough, never as proof that it
// does not.
std::optional<std::uint64_t> bytes_left(std::FILE* file);

// Reads `needed` bytes of `file` into `buffer`, which starts small and
// doubles (never beyond `needed`) while bytes keep arriving. ok: `buffer`
// holds exactly the `needed` bytes. image_too_short: the file ended (or
// failed) first. no_sample_buffer: a larger buffer could not be had.
ReadStatus read_growing(std::FILE* file, std::uint64_t needed,
                        std::unique_ptr<unsigned char[]>& buffer);

}  // namespace levelset_prep::analyze
