// SPDX-License-Identifier: MIT
// A run's output files, put in place all together or not at all: old targets
// stay as hidden hard links until the last replacement succeeded, and are put
// back when one fails. Replacements run with signals held back and each
// folder locked (in device and inode order), so concurrent runs never leave
// a mix. An output replacing an input is flushed to disk before its rename.
// A replaced file keeps its permissions; a new one gets 0666 less the umask.
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

// format(buffer, k) lays out slice k, at most slice_bytes (at most
// OutputFile::buffer_size), and returns its end; on any thread, never throwing.
struct TextSlices {
    std::int64_t slices = 0;
    std::size_t slice_bytes = 0;
    std::function<char*(char* buffer, std::int64_t slice)> format;
};

struct Output {
    NamedOutput name;  // the argument that names it, for errors, and the file
    TextSlices text;
};

MaybeError check_outputs(std::span<const Output> outputs);

// The error is the one a run on one thread meets first, whatever `threads`.
MaybeError write_outputs(std::span<const Output> outputs, std::span<const std::string> inputs,
                         int threads);

// Every output must be finished.
MaybeError commit_outputs(std::span<OutputFile* const> outputs,
                          std::span<const std::string> inputs);

}  // namespace levelset_prep::textio
