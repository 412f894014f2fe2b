// SPDX-License-Identifier: MIT
// The console side that both programs share: progress lines (silenced by
// --quiet), error lines, the usage lines, and the longest file name taken.
#pragma once

#include <cstddef>
#include <cstdio>

#include <levelset_prep/textio/error.hpp>

namespace levelset_prep::console {

inline constexpr std::size_t max_file_name = 3999;

// With quiet set, say() prints nothing; errors still go to standard error.
void set_quiet(bool quiet);

// A progress line on standard output, flushed at once, so a script sees how
// far a run got.
void say(const char* line);

// "<tool>: <file>: <problem>" on standard error.
void print_error(const char* tool, const textio::Error& error);

// "<tool>: <file>: <problem>" on standard error without allocating memory,
// for an exception caught in main (memory may be what ran out).
void print_unexpected_failure(const char* tool, const char* file, const char* problem);

// "Usage: <program><usage_words>" on `stream`.
void print_usage(std::FILE* stream, const char* program, const char* usage_words);

// The too-few-arguments lines on standard error.
void print_missing_parameters(const char* program, const char* usage_words);

// The first of `names` longer than max_file_name, or null.
const char* overlong_argument(char* const* names, int count);

}  // namespace levelset_prep::console
