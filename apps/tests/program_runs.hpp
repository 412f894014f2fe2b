// SPDX-License-Identifier: MIT
// Running a built program as a child process that a test can watch while
// it runs: wait for its temporary files to appear, send it a signal, hold a
// lock it needs, and learn how it ended.
#pragma once

#include <fcntl.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <filesystem>
#include <string>
#include <thread>
#include <vector>

#include "test_files.hpp"

namespace program_runs {

namespace fs = std::filesystem;

// The hidden files the programs keep beside their targets while they run.
inline std::vector<std::string> hidden_files(const fs::path& dir) {
    std::vector<std::string> names;
    for (const auto& entry : fs::directory_iterator(dir)) {
        const std::string name = entry.path().filename();
        if (name.rfind(".~", 0) == 0) names.push_back(name);
    }
    return names;
}

class Child {
public:
    // Starts `program` in `dir` with `args`; standard input is empty,
    // standard output and error go to `log` (outside `dir`, so that they do
    // not show in its listing). The four signals the programs clean up on
    // are at their default action and unblocked, whatever the test runner
    // set.
    Child(const fs::path& dir, const std::string& program, const std::vector<std::string>& args,
          const fs::path& log) {
        std::vector<std::string> words{program};
        words.insert(words.end(), args.begin(), args.end());
        std::vector<char*> argv;
        for (std::string& word : words) argv.push_back(word.data());
        argv.push_back(nullptr);
        pid_ = fork();
        if (pid_ == 0) {
            if (chdir(dir.c_str()) != 0) _exit(126);
            const int in = open("/dev/null", O_RDONLY);
            const int out = open(log.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
            dup2(in, 0);
            dup2(out, 1);
            dup2(out, 2);
            for (int signal_number : {SIGINT, SIGTERM, SIGHUP, SIGPIPE})
                ::signal(signal_number, SIG_DFL);
            sigset_t none;
            sigemptyset(&none);
            sigprocmask(SIG_SETMASK, &none, nullptr);
            execv(program.c_str(), argv.data());
            _exit(127);
        }
    }
    ~Child() {
        if (pid_ > 0 && !ended_) {
            kill(pid_, SIGKILL);
            waitpid(pid_, &status_, 0);
        }
    }
    Child(const Child&) = delete;
    Child& operator=(const Child&) = delete;

    // True once the child has ended, waiting at most `seconds`.
    bool wait(double seconds) {
        const auto deadline =
            std::chrono::steady_clock::now() + std::chrono::duration<double>(seconds);
        while (!ended_) {
            if (waitpid(pid_, &status_, WNOHANG) == pid_) {
                ended_ = true;
                break;
            }
            if (std::chrono::steady_clock::now() > deadline) break;
            std::this_thread::sleep_for(std::chrono::milliseconds(5));
        }
        return ended_;
    }
    bool running() { return !wait(0); }
    void send(int signal_number) const { kill(pid_, signal_number); }
    int exit_status() const { return ended_ && WIFEXITED(status_) ? WEXITSTATUS(status_) : -1; }
    int end_signal() const { return ended_ && WIFSIGNALED(status_) ? WTERMSIG(status_) : 0; }

private:
    pid_t pid_ = -1;
    int status_ = 0;
    bool ended_ = false;
};

// Waits (at most 30 seconds) until `dir` holds `count` hidden files.
inline bool wait_for_hidden_files(const fs::path& dir, std::size_t count, Child& child) {
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(30);
    while (hidden_files(dir).size() < count) {
        if (!child.running() || std::chrono::steady_clock::now() > deadline) return false;
        std::this_thread::sleep_for(std::chrono::milliseconds(5));
    }
    return true;
}

// Opens the FIFO the child is blocked on for reading and reads until the
// child closes it, so that its run goes on.
inline void drain_fifo(const fs::path& fifo) {
    const int fd = open(fifo.c_str(), O_RDONLY);
    if (fd < 0) return;
    char bytes[4096];
    while (read(fd, bytes, sizeof bytes) > 0) {
    }
    close(fd);
}

// Runs `program` in `dir` through the shell with `shell_setup` (such as
// "ulimit -f 16") applied first.
inline testing_support::RunResult run_with(const fs::path& dir, const std::string& shell_setup,
                                           const std::string& program,
                                           const std::vector<std::string>& args) {
    const fs::path out = dir.parent_path() / (dir.filename().string() + ".stdout");
    const fs::path err = dir.parent_path() / (dir.filename().string() + ".stderr");
    std::string command = shell_setup;
    command.append("; cd ").append(testing_support::shell_quote(dir.string()));
    command.append(" && exec ").append(testing_support::shell_quote(program));
    for (const std::string& arg : args)
        command.append(" ").append(testing_support::shell_quote(arg));
    command.append(" </dev/null >").append(testing_support::shell_quote(out.string()));
    command.append(" 2>").append(testing_support::shell_quote(err.string()));
    const int raw = std::system(command.c_str());
    testing_support::RunResult result;
    if (raw != -1 && WIFEXITED(raw)) result.status = WEXITSTATUS(raw);
    result.out = testing_support::read_file(out);
    result.err = testing_support::read_file(err);
    fs::remove(out);
    fs::remove(err);
    return result;
}

}  // namespace program_runs
