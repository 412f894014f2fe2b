// SPDX-License-Identifier: MIT
// Temporary output files that a signal must not leave behind.
//
// While a run writes, its outputs sit in temporary files beside their
// targets. SIGINT, SIGTERM, SIGHUP and SIGPIPE would end the process and
// leave them, so the first temporary file installs a handler for each of
// these signals (where the signal is at its default action: an ignored
// signal stays ignored, as nohup and background shells expect, and a
// program's own handler stays). The handler removes every temporary file
// still listed, restores the default action and raises the signal again, so
// the process ends by it as it would have without the handler.
//
// SIGXFSZ is ignored from then on: a write beyond the file-size limit then
// fails with EFBIG and is reported like any failed write, instead of ending
// the process with no message.
//
// The list is a fixed table of folder descriptors and short names, so the
// handler reads it without allocating. It has room for far more files than
// a run writes; a file beyond it is still written and removed on failure,
// only not on a signal.
#pragma once

#include <signal.h>

#include <cstddef>

namespace levelset_prep::textio {

// Blocks the four signals above for the object's lifetime, so that a step
// is not cut in two: a signal sent meanwhile is delivered when the step is
// over.
class SignalBlock {
public:
    SignalBlock();
    ~SignalBlock();
    SignalBlock(const SignalBlock&) = delete;
    SignalBlock& operator=(const SignalBlock&) = delete;

private:
    sigset_t previous_;
};

// Installs the handlers described above (once; later calls do nothing).
void prepare_signal_handling();

inline constexpr std::size_t temporary_name_size = 16;

// Creates a new file in `folder` (an open folder descriptor) under a fresh
// hidden name of the form ".~out.XXXXXXXX" (written to `name`), readable and
// writable by the owner alone, and lists it for removal on a signal.
// Returns the open descriptor and the list entry in `entry` (-1 when the
// list is full), or -1 with errno set.
int create_temporary_file(int folder, char (&name)[temporary_name_size], int& entry);

// Takes a file off the list: it has been removed or renamed. The caller
// blocks signals around the removal or rename and this call together.
void forget_temporary_file(int entry);

// Removes every listed file now, without allocating: for a process that
// must end at once (last_resort.hpp).
void remove_listed_temporary_files();

// A hidden name "<prefix>XXXXXXXX" (eight random hexadecimal digits) that
// has not been handed out before in this process.
void make_hidden_name(const char* prefix, char (&name)[temporary_name_size]);

}  // namespace levelset_prep::textio
