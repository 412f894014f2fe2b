// The console side that both programs share: progress lines, error lines,
// the usage line, --help and --version, and the longest file name taken.
#pragma once

#include <cstddef>
#include <cstdio>
#include <cstring>

#include "error.hpp"
#include "shown_text.hpp"

namespace common {

inline constexpr std::size_t max_file_name = 3999;

// Progress lines are flushed one by one, so a script sees how far a run got.
inline void say(const char* line) {
    std::fputs(line, stdout);
    std::fputc('\n', stdout);
    std::fflush(stdout);
}

// "<tool>: <file>: <problem>" on standard error.
inline void print_error(const char* tool, const Error& error) {
    std::fprintf(stderr, "%s: %s\n", tool, error.message.c_str());
}

// "<tool>: <file>: <problem>" on standard error without allocating memory,
// for an exception caught in main (memory may be what ran out).
inline void print_unexpected_failure(const char* tool, const char* file, const char* problem) {
    std::fprintf(stderr, "%s: ", tool);
    print_shown(stderr, file);
    std::fputs(": ", stderr);
    print_shown(stderr, problem);
    std::fputc('\n', stderr);
}

// "Usage: <program><usage_words>" on `stream`.
inline void print_usage(std::FILE* stream, const char* program, const char* usage_words) {
    std::fprintf(stream, "Usage: %s%s\n", program, usage_words);
}

// Answers `--help`, `-h` (the usage line) and `--version` given as the only
// argument. True when it did; the program then ends with status 0.
inline bool answer_help_or_version(int argc, char** argv, const char* tool,
                                   const char* usage_words, const char* version) {
    if (argc != 2) return false;
    if (std::strcmp(argv[1], "--help") == 0 || std::strcmp(argv[1], "-h") == 0) {
        print_usage(stdout, argv[0], usage_words);
        return true;
    }
    if (std::strcmp(argv[1], "--version") == 0) {
        std::printf("%s %s\n", tool, version);
        return true;
    }
    return false;
}

// The too-few-arguments lines on standard error.
inline void print_missing_parameters(const char* program, const char* usage_words) {
    std::fputs("Missing Parameters \n", stderr);
    print_usage(stderr, program, usage_words);
}

// The first argument of argv[1..count] longer than max_file_name, or null.
inline const char* overlong_argument(char** argv, int count) {
    for (int i = 1; i <= count; ++i) {
        if (std::strlen(argv[i]) > max_file_name) return argv[i];
    }
    return nullptr;
}

}  // namespace common
