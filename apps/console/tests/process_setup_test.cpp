// SPDX-License-Identifier: MIT
// Each case runs in a child process (a death test), since it changes the
// process's signal actions.
#include "process_setup.hpp"

#include <fcntl.h>
#include <signal.h>
#include <unistd.h>

#include <cstdlib>
#include <filesystem>
#include <string>

#include <gtest/gtest.h>

#include <levelset_prep/textio/temporary_files.hpp>

#include "test_files.hpp"

namespace {

namespace fs = std::filesystem;
using levelset_prep::console::prepare_process;
namespace textio = levelset_prep::textio;

extern "C" void own_handler(int) {}

void (*handler_of(int signal_number))(int) {
    struct sigaction current {};
    sigaction(signal_number, nullptr, &current);
    return current.sa_handler;
}

// The four signals at their default action and unblocked, whatever the
// test runner set.
void reset_signals() {
    for (int signal_number : textio::temporary_file_signals) ::signal(signal_number, SIG_DFL);
    sigset_t none;
    sigemptyset(&none);
    sigprocmask(SIG_SETMASK, &none, nullptr);
}

// A signal ignored or handled before stays so; the others get the handler;
// SIGXFSZ is ignored.
TEST(ProcessSetup, HandlesOnlySignalsAtTheirDefault) {
    EXPECT_EXIT(
        {
            reset_signals();
            ::signal(SIGHUP, SIG_IGN);
            ::signal(SIGTERM, own_handler);
            prepare_process("tool", "file");
            const bool kept = handler_of(SIGHUP) == SIG_IGN && handler_of(SIGTERM) == own_handler;
            const bool handled = handler_of(SIGINT) != SIG_DFL && handler_of(SIGINT) != SIG_IGN &&
                                 handler_of(SIGPIPE) == handler_of(SIGINT);
            std::_Exit(kept && handled && handler_of(SIGXFSZ) == SIG_IGN ? 0 : 1);
        },
        ::testing::ExitedWithCode(0), "");
}

// The handler removes the listed temporary files and the process ends by
// the signal.
TEST(ProcessSetup, SignalRemovesTemporaryFilesAndEndsTheProcess) {
    for (int signal_number : textio::temporary_file_signals) {
        SCOPED_TRACE(strsignal(signal_number));
        testing_support::TempDir dir;
        const std::string folder = dir.path().string();
        EXPECT_EXIT(
            {
                reset_signals();
                prepare_process("tool", "file");
                const int at = open(folder.c_str(), O_RDONLY | O_DIRECTORY);
                char name[textio::temporary_name_size];
                int entry = -1;
                if (textio::create_temporary_file(at, name, entry) < 0 || entry < 0) std::_Exit(2);
                ::raise(signal_number);
                std::_Exit(3);
            },
            ::testing::KilledBySignal(signal_number), "");
        EXPECT_TRUE(fs::is_empty(dir.path()));
    }
}

}  // namespace
