// SPDX-License-Identifier: MIT
// An exception that could not even be thrown ends in std::terminate, which
// would abort and leave the temporary files. Guarded, it removes them, prints
// one error line and exits with status 1, allocating nothing.
#pragma once

namespace levelset_prep::console {

// `tool` and `file` must live as long as the process (argv does).
void guard_against_termination(const char* tool, const char* file);

}  // namespace levelset_prep::console
