// SPDX-License-Identifier: MIT
// Text laid out in slices on several threads and written in order.
//
// A SlicedText is `slices` pieces of one output file; format(buffer, k)
// lays out slice k at `buffer` (at most the slice_bytes given to
// write_in_slices) and returns its end. It runs on any of the threads, at
// the same time as other slices' format, and must not throw.
// write_in_slices hands the slices of all texts out one at a time, text
// after text, to `threads` threads (the calling one among them): a thread
// lays out the next slice not yet taken in a buffer of its own and, as soon
// as the slice before it in the same text has been placed, places it. A
// regular file then takes it at its place while other threads write theirs
// (OutputFile::claim_block, put_block_at); a pipe or a device takes it in
// turn (OutputFile::put_block). The files receive the bytes one thread would
// write slice after slice; each thread holds one slice at a time, so the
// memory is threads x slice_bytes, whatever the size of the texts.
//
// The slice written next in a text is always held by a thread that can
// write it, so the threads never wait for each other in a circle, and a
// thread that cannot be started only leaves more slices to the others.
// Only the calling thread opens, finishes and commits the files; a failed
// write is kept by its OutputFile and reported by finish(), as without
// threads. Returns false, having written nothing, when not even one slice
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
