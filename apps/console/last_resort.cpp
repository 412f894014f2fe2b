// SPDX-License-Identifier: MIT
#include "last_resort.hpp"

#include <unistd.h>

#include <exception>
#include <new>

#include <levelset_prep/textio/temporary_files.hpp>

#include "console.hpp"

namespace levelset_prep::console {
namespace {

const char* guarded_tool = "";
const char* guarded_file = "";

[[noreturn]] void end_failed_run() {
    textio::remove_listed_temporary_files();
    const char* problem = "cannot allocate memory";
    // Without an active exception, terminate came from a throw that found
    // no memory for its exception. Looking into an active one throws again,
    // which may itself end here: that second time, it is not looked into.
    static bool looking = false;
    std::exception_ptr active = looking ? nullptr : std::current_exception();
    looking = true;
    if (active) {
        try {
            std::rethrow_exception(active);
        } catch (const std::bad_alloc&) {
        } catch (const std::exception& failure) {
            problem = failure.what();
        } catch (...) {
            problem = "unexpected failure";
        }
    }
    print_unexpected_failure(guarded_tool, guarded_file, problem);
    _exit(1);
}

}  // namespace

void guard_against_termination(const char* tool, const char* file) {
    guarded_tool = tool;
    guarded_file = file;
    std::set_terminate(end_failed_run);
}

}  // namespace levelset_prep::console
