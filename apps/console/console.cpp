// SPDX-License-Identifier: MIT
#include "console.hpp"

#include <cstring>

#include <levelset_prep/textio/shown_text.hpp>

namespace levelset_prep::console {
namespace {

bool quiet_run = false;

}  // namespace

void set_quiet(bool quiet) { quiet_run = quiet; }

void say(const char* line) {
    if (quiet_run) return;
    std::fputs(line, stdout);
    std::fputc('\n', stdout);
    std::fflush(stdout);
}

void print_error(const char* tool, const textio::Error& error) {
    std::fprintf(stderr, "%s: %s\n", tool, error.message().c_str());
}

void print_unexpected_failure(const char* tool, const char* file, const char* problem) {
    std::fprintf(stderr, "%s: ", tool);
    textio::print_shown(stderr, file);
    std::fputs(": ", stderr);
    textio::print_shown(stderr, problem);
    std::fputc('\n', stderr);
}

void print_usage(std::FILE* stream, const char* program, const char* usage_words) {
    std::fprintf(stream, "Usage: %s%s\n", program, usage_words);
}

void print_missing_parameters(const char* program, const char* usage_words) {
    std::fputs("Missing Parameters \n", stderr);
    print_usage(stderr, program, usage_words);
}

const char* overlong_argument(char* const* names, int count) {
    for (int i = 0; i < count; ++i) {
        if (std::strlen(names[i]) > max_file_name) return names[i];
    }
    return nullptr;
}

}  // namespace levelset_prep::console
