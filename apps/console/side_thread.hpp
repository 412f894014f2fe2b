// SPDX-License-Identifier: MIT
// A step run on a second thread while the main thread goes on, its result
// taken back where the one-thread order of the steps would meet it.
//
// SideThread<R> starts `work` (a callable returning R) at once; take() waits
// for it and returns its R, or throws on the taking thread what the work
// threw, so nothing escapes the second thread and a failure surfaces in the
// same place as without threads. Where no thread can be started, take() does
// the work itself. The destructor waits too: no way out of a scope leaves
// the work running behind it, so whatever the work uses must be declared
// before the SideThread (and a stop flag it watches set before it is
// destroyed).
//
// The second thread starts with the signals that remove temporary output
// files blocked (temporary_files.hpp), so their handler always runs on the
// main thread, between that thread's steps, and never while the main thread
// is halfway through listing or replacing a file.
#pragma once

#include <exception>
#include <functional>
#include <optional>
#include <system_error>
#include <thread>
#include <utility>

#include <levelset_prep/textio/temporary_files.hpp>

namespace levelset_prep::console {

template <typename R>
class SideThread {
public:
    explicit SideThread(std::function<R()> work) : work_(std::move(work)) {
        try {
            // A new thread starts with its creator's signal mask.
            const textio::SignalBlock block;
            thread_ = std::thread([this] { run(); });
        } catch (const std::system_error&) {
            // No thread to be had: take() runs the work.
        }
    }
    SideThread(const SideThread&) = delete;
    SideThread& operator=(const SideThread&) = delete;
    ~SideThread() {
        if (thread_.joinable()) thread_.join();
    }

    // Once only.
    R take() {
        if (thread_.joinable()) {
            thread_.join();
        } else {
            run();
        }
        if (thrown_) std::rethrow_exception(thrown_);
        return std::move(*result_);
    }

private:
    void run() {
        try {
            result_.emplace(work_());
        } catch (...) {
            thrown_ = std::current_exception();
        }
    }

    std::function<R()> work_;
    std::optional<R> result_;
    std::exception_ptr thrown_;
    std::thread thread_;  // last: started once everything it writes exists
};

}  // namespace levelset_prep::console
