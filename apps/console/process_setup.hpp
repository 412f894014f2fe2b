// SPDX-License-Identifier: MIT
// What a program sets up for its whole process before it reads its command
// line; the libraries leave these process-wide settings alone.
//
// - SIGINT, SIGTERM, SIGHUP and SIGPIPE, where at their default action, get
//   a handler that removes the temporary files still listed
//   (temporary_files.hpp), restores the default action and raises the
//   signal again, so that the process ends by it. A signal ignored at start
//   stays ignored, as nohup and background shells expect.
// - SIGXFSZ is ignored: a write beyond the file-size limit then fails with
//   EFBIG ("File too large") and is reported like any other failed write.
// - std::terminate ends the run as last_resort.hpp says, naming `tool` and
//   `file`.
#pragma once

namespace levelset_prep::console {

// `tool` and `file` must live as long as the process (argv does).
void prepare_process(const char* tool, const char* file);

}  // namespace levelset_prep::console
