// SPDX-License-Identifier: MIT
// The console lines both programs print.
#pragma once

#include <cstddef>
#include <cstdio>

#include <levelset_prep/textio/error.hpp>

namespace levelset_prep::console {

inline constexpr std::size_t max_file_name = 3999;

// Silences say() only.
void set_quiet(bool quiet);

// Flushed at once, so a script sees how far a run got.
void say(const char* line);

void print_error(const char* tool, const textio::Error& error);

// Allocates nothing: memory may be what ran out.
void print_unexpected_failure(const char* tool, const char* file, const char* problem);

void print_usage(std::FILE* stream, const char* program, const char* usage_words);

void print_missing_parameters(const char* program, const char* usage_words);

const char* overlong_argument(char* const* names, int count);

}  // namespace levelset_prep::console
