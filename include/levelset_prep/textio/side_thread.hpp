// SPDX-License-Identifier: MIT
// A step run on a second thread, its result taken back where the one-thread
// order would meet it. Without a thread take() does the work itself, so one
// sequence serves one thread and two. The destructor waits for the work, so
// whatever it uses must be declared before. Signals stay on the caller.
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

    // Once only; rethrows what the work threw.
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
