// SPDX-License-Identifier: MIT
// Text laid out in slices on several threads and written in order.
//
// write_in_slices hands the slices of all texts out one at a time to
// `threads` threads, the calling one among them. Each lays out a slice in a
// buffer of its own (format(buffer, k), at most slice_bytes, on any thread,
// never throwing) and places it once the slice before it is placed: a
// regular file takes it at its offset while others write theirs, a pipe or
// device in turn. The files get the bytes one thread would write, and the
// memory is threads x slice_bytes. A failed write is reported by the
// file's finish(). False, with nothing written, when not even one slice
// buffer can be had.
#pragma once

#include <cstddef>
#include <cstdint>
#include <functional>
#include <span>

#include <levelset_prep/textio/output_file.hpp>

namespace levelset_prep::textio {

struct SlicedText {
    OutputFile* out;
    std::int64_t slices;
    std::function<char*(char* buffer, std::int64_t slice)> format;
};

bool write_in_slices(std::span<const SlicedText> texts, std::size_t slice_bytes, int threads);

}  // namespace levelset_prep::textio
