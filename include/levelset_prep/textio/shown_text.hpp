// SPDX-License-Identifier: MIT
// File names and tokens as error lines show them. Raw, a NUL would cut the
// line, a line feed split it and an escape reach the terminal. Printable
// characters, UTF-8 letters included, stay; \t \n \r, other control bytes,
// invalid UTF-8 and invisible characters that change how a line reads become
// escapes. A backslash stays as it is, so ordinary names show unchanged.
#pragma once

#include <cstdio>
#include <string>
#include <string_view>

namespace levelset_prep::textio {

std::string shown_text(std::string_view text);

// 'abc', cut after 40 bytes (never inside a character) with "...".
std::string shown_token(std::string_view token);

// Allocates nothing: for the line that reports a failed allocation.
void print_shown(std::FILE* stream, std::string_view text);

}  // namespace levelset_prep::textio
