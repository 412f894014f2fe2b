// SPDX-License-Identifier: MIT
// The last safety net of a program's main.
//
// An exception the run did not catch, or one that could not even be thrown
// (the memory for the exception object itself ran out, which ends in
// std::terminate), would abort the process and leave its temporary files.
// After guard_against_termination(), std::terminate instead removes the
// temporary files listed for signals (temporary_files.hpp), prints
//   "<tool>: <file>: cannot allocate memory"
// (or the exception's own text when one is active) and ends the process
// with status 1. Nothing in that path allocates memory.
#pragma once

namespace levelset_prep::console {

// `tool` and `file` must live as long as the process (argv does).
void guard_against_termination(const char* tool, const char* file);

}  // namespace levelset_prep::console
