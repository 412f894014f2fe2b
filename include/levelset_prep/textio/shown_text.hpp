// SPDX-License-Identifier: MIT
// File names and tokens as error lines show them.
//
// A name or a token comes from the command line or from a file and may hold
// any byte. Echoed raw, a NUL would cut the error line, a line feed would
// split it, and an escape sequence would reach the terminal. Shown text keeps
// every printable character, ordinary UTF-8 letters included (Gehirn_ö.node
// stays as it is), and spells out the rest:
//
//   tab, line feed, carriage return      \t \n \r
//   other control bytes (0x00-0x1f, 0x7f) \xNN
//   bytes that are not valid UTF-8        \xNN, one per byte
//   invisible characters that change how a line reads, written \xNN per byte:
//     C1 controls U+0080-U+009F, the Arabic letter mark U+061C, zero-width
//     and direction marks U+200B-U+200F, line and paragraph separators and
//     direction embeddings U+2028-U+202E, U+2060-U+206F, and the byte order
//     mark U+FEFF
//
// A backslash is shown as it is, so the names that worked before show
// unchanged.
#pragma once

#include <cstdio>
#include <string>
#include <string_view>

namespace levelset_prep::textio {

std::string shown_text(std::string_view text);

// A token as an error line quotes it: 'abc', cut after 40 bytes (never inside
// a UTF-8 character) with "..." before the closing quote.
std::string shown_token(std::string_view token);

// shown_text written straight to `stream`, with no memory allocated: for the
// line that reports a failed allocation.
void print_shown(std::FILE* stream, std::string_view text);

}  // namespace levelset_prep::textio
