// SPDX-License-Identifier: MIT
#include "process_setup.hpp"

#include <signal.h>

#include <levelset_prep/textio/temporary_files.hpp>

#include "last_resort.hpp"

namespace levelset_prep::console {
namespace {

extern "C" void remove_temporaries_and_reraise(int signal_number) {
    textio::remove_listed_temporary_files();
    // The signal is blocked while its handler runs: the raised one is
    // delivered, with the default action, as soon as the handler returns.
    ::signal(signal_number, SIG_DFL);
    ::raise(signal_number);
}

void install_signal_handlers() {
    struct sigaction action {};
    action.sa_handler = remove_temporaries_and_reraise;
    sigemptyset(&action.sa_mask);  // one handler at a time
    for (int signal_number : textio::temporary_file_signals)
        sigaddset(&action.sa_mask, signal_number);
    for (int signal_number : textio::temporary_file_signals) {
        struct sigaction current {};
        if (sigaction(signal_number, nullptr, &current) != 0) continue;
        const bool at_default =
            (current.sa_flags & SA_SIGINFO) == 0 && current.sa_handler == SIG_DFL;
        if (at_default) sigaction(signal_number, &action, nullptr);
    }
}

}  // namespace

void prepare_process(const char* tool, const char* file) {
    install_signal_handlers();
    ::signal(SIGXFSZ, SIG_IGN);
    guard_against_termination(tool, file);
}

}  // namespace levelset_prep::console
