// SPDX-License-Identifier: MIT
// A run's output files, written and put in place all together or not at all.
//
// Each output is a text in slices (TextSlices) under a target name.
// write_outputs() writes them beside their targets, on several threads
// where asked, and commit_outputs() puts finished files in place: the old
// targets stay under hidden names (".~old.XXXXXXXX", hard links) until the
// last replacement has succeeded, and are put back when one fails. The
// replacements run with the signals of temporary_files.hpp held back and
// with each output folder locked (flock, in device and inode order), so
// concurrent runs never leave a mix. An output that replaces one of
// `inputs` is flushed to disk before its rename, and its folder after.
// A replaced file keeps its permissions (and owner, where allowed); a new
// one gets 0666 less the umask.
#pragma once

#include <cstddef>
#include <cstdint>
#include <functional>
#include <span>
#include <string>

#include <levelset_prep/textio/error.hpp>
#include <levelset_prep/textio/output_file.hpp>
#include <levelset_prep/textio/output_target.hpp>

namespace levelset_prep::textio {

// format(buffer, k) lays out slice k of `slices`, at most slice_bytes
// (itself at most OutputFile::buffer_size), and returns its end. It may run
// on any thread, beside other slices, and must not throw.
struct TextSlices {
    std::int64_t slices = 0;
    std::size_t slice_bytes = 0;
    std::function<char*(char* buffer, std::int64_t slice)> format;
};

struct Output {
    NamedOutput name;  // the argument that names it, for errors, and the file
    TextSlices text;
};

// check_output_names over the outputs' names.
MaybeError check_outputs(std::span<const Output> outputs);

// Writes every output and commits them together. With `threads` above 1 the
// slices of all files are laid out on that many threads (sliced_output.hpp);
// otherwise, or when no slice buffer can be had, each file is written in
// turn. The error is the one a run in turn meets first: where a later file
// cannot be opened, the files before it are still written and checked.
MaybeError write_outputs(std::span<const Output> outputs, std::span<const std::string> inputs,
                         int threads);

// Every output must be finished; puts them in place in the given order.
MaybeError commit_outputs(std::span<OutputFile* const> outputs,
                          std::span<const std::string> inputs);

}  // namespace levelset_prep::textio
