// SPDX-License-Identifier: MIT
// A step run on a second thread while the calling thread goes on, its
// result taken back where the one-thread order of the steps would meet it.
//
// SideThread<R> starts `work` at once (unless `start` is false); take()
// waits for it and returns its R, or rethrows what it threw. Where no thread
// is started, take() does the work itself, so one sequence of steps serves
// one thread and two. The destructor waits for a started work: whatever the
// work uses must be declared before the SideThread. The thread runs with
// the signals of temporary_files.hpp blocked, so their handler runs on the
// calling thread.
#pragma once

#include <exception>
#include <functional>
#include <optional>
#include <system_error>
#include <thread>
#include <utility>

#include <levelset_prep/textio/temporary_files.hpp>

namespace levelset_prep::textio {

template <typename R>
class SideThread {
public:
    explicit SideThread(std::function<R()> work, bool start = true) : work_(std::move(work)) {
        if (!start) return;
        try {
            // A new thread starts with its creator's signal mask.
            const SignalBlock block;
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

}  // namespace levelset_prep::textio
