// SPDX-License-Identifier: MIT
// Temporary output files that a signal must not leave behind.
//
// While a run writes, its outputs sit in temporary files beside their
// targets, listed in a fixed table of folder descriptors and short names.
// SIGINT, SIGTERM, SIGHUP and SIGPIPE would end the process and leave them,
// so a program's handler for these signals calls
// remove_listed_temporary_files(); the library installs no handler itself.
// The table has room for far more files than a run writes; a file beyond it
// is still written and removed on failure, only not on a signal.
#pragma once

#include <signal.h>

#include <cstddef>

namespace levelset_prep::textio {

// The signals whose handler removes the listed files.
inline constexpr int temporary_file_signals[] = {SIGINT, SIGTERM, SIGHUP, SIGPIPE};

// Blocks these signals for the object's lifetime, so that a step is not cut
// in two: a signal sent meanwhile is delivered when the step is over.
class SignalBlock {
public:
    SignalBlock();
    ~SignalBlock();
    SignalBlock(const SignalBlock&) = delete;
    SignalBlock& operator=(const SignalBlock&) = delete;

private:
    sigset_t previous_;
};

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

// Removes every listed file now; async-signal-safe, for a signal handler or
// a process that must end at once.
void remove_listed_temporary_files();

// A hidden name "<prefix>XXXXXXXX" (eight random hexadecimal digits) that
// has not been handed out before in this process.
void make_hidden_name(const char* prefix, char (&name)[temporary_name_size]);

}  // namespace levelset_prep::textio
