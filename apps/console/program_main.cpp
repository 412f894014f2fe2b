// SPDX-License-Identifier: MIT
#include "program_main.hpp"

#include <exception>
#include <new>

#include "console.hpp"
#include "last_resort.hpp"
#include "process_setup.hpp"
#include "thread_count.hpp"

namespace levelset_prep::console {

int run_program(int argc, char** argv, const ProgramMain& steps) {
    const Program& program = steps.program;
    const char* invoked_as = argc > 0 ? argv[0] : program.name;
    // Even reading the command line takes memory; until the file names are
    // known, a failure names the first argument.
    prepare_process(program.name, argc > 1 ? argv[1] : invoked_as);
    const CommandLine line = parse_command_line(argc, argv, program);
    switch (line.action) {
        case CommandLine::Action::help:
            print_help(program, invoked_as);
            return 0;
        case CommandLine::Action::version:
            print_version(program);
            return 0;
        case CommandLine::Action::bad_option:
        case CommandLine::Action::run:
            break;
    }
    set_quiet(line.has(quiet_option));
    if (steps.first_line != nullptr) say(steps.first_line);
    if (line.action == CommandLine::Action::bad_option) {
        print_bad_option(program, line.problem);
        return 1;
    }
    std::string problem;
    if (steps.check_options && !steps.check_options(line, problem)) {
        print_bad_option(program, problem);
        return 1;
    }
    const ThreadCount threads = choose_threads(line, steps.most_threads);
    if (!threads.ok()) {
        print_thread_problem(program, threads);
        return 1;
    }
    if (line.files.size() < steps.file_count) {
        print_missing_parameters(invoked_as, program.usage_words);
        return 1;
    }
    guard_against_termination(program.name, line.files[0]);
    try {
        return steps.run(line, threads.threads);
    } catch (const std::bad_alloc&) {
        print_unexpected_failure(program.name, line.files[0], "cannot allocate memory");
    } catch (const std::exception& failure) {
        print_unexpected_failure(program.name, line.files[0], failure.what());
    }
    return 1;
}

}  // namespace levelset_prep::console
