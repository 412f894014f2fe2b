// SPDX-License-Identifier: MIT
// Temporary output files that a signal must not leave behind, listed in a
// fixed table for the program's handler; the library installs none. A file
// beyond the table is still removed on failure, only not on a signal.
#pragma once

#include <signal.h>

#include <cstddef>

namespace levelset_prep::textio {

inline constexpr int temporary_file_signals[] = {SIGINT, SIGTERM, SIGHUP, SIGPIPE};

// Holds these signals back so that a step is not cut in two.
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

// An owner-only file under a fresh hidden name, listed; `entry` is -1 when
// the list is full. -1 with errno on failure.
int create_temporary_file(int folder, char (&name)[temporary_name_size], int& entry);

// After a removal or rename, inside the same SignalBlock.
void forget_temporary_file(int entry);

// Async-signal-safe.
void remove_listed_temporary_files();

// "<prefix>XXXXXXXX", never handed out before in this process.
void make_hidden_name(const char* prefix, char (&name)[temporary_name_size]);

}  // namespace levelset_prep::textio
