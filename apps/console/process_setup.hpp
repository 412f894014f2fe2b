// SPDX-License-Identifier: MIT
// Process-wide settings, which the libraries leave alone: the signals that
// would leave temporary files remove them and end the process by the signal
// (one ignored at start stays ignored, as nohup expects); SIGXFSZ is ignored,
// so a write beyond the size limit fails as any other; the terminate guard.
#pragma once

namespace levelset_prep::console {

// `tool` and `file` must live as long as the process (argv does).
void prepare_process(const char* tool, const char* file);

}  // namespace levelset_prep::console
