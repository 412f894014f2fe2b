// SPDX-License-Identifier: MIT
#include "thread_count.hpp"

#include <cstdint>
#include <cstdlib>
#include <string_view>
#include <thread>

#include <levelset_prep/textio/error.hpp>
#include <levelset_prep/textio/number_scan.hpp>
#include <levelset_prep/textio/shown_text.hpp>

#include "console.hpp"

namespace levelset_prep::console {
namespace {

int thread_value(const std::string& text) {
    std::int32_t value = 0;
    if (textio::scan_number(text, value) != textio::ScanStatus::ok || value < 1) return 0;
    return value;
}

// Built piece by piece: g++ 12 at -O3 warns falsely (-Wrestrict) on
// "literal" + std::string temporaries.
std::string refusal(std::string_view prefix, const std::string& text) {
    std::string problem(prefix);
    problem.append(textio::shown_token(text));
    return problem.append(" is not a thread count (a whole number, 1 or more)");
}

}  // namespace

ThreadCount choose_threads(const CommandLine& line, const char* variable, unsigned hardware,
                           int most) {
    ThreadCount count;
    int wanted = hardware == 0 ? 1 : static_cast<int>(hardware < 1024 ? hardware : 1024);
    const std::string* given = line.value(threads_option);  // the last one counts
    if (given != nullptr) {
        count.source = ThreadCount::Source::option;
        wanted = thread_value(*given);
        if (wanted == 0) count.problem = refusal("--threads: ", *given);
    } else if (variable != nullptr && *variable != '\0') {
        count.source = ThreadCount::Source::variable;
        wanted = thread_value(variable);
        if (wanted == 0) count.problem = refusal("", variable);
    }
    count.threads = wanted < 1 ? 1 : (wanted < most ? wanted : most);
    return count;
}

ThreadCount choose_threads(const CommandLine& line, int most) {
    return choose_threads(line, std::getenv(threads_variable), std::thread::hardware_concurrency(),
                          most);
}

void print_thread_problem(const Program& program, const ThreadCount& count) {
    if (count.source == ThreadCount::Source::option) {
        print_bad_option(program, count.problem);
    } else {
        print_error(program.name, textio::file_error(threads_variable, count.problem));
    }
}

}  // namespace levelset_prep::console
