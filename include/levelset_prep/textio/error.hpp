// SPDX-License-Identifier: MIT
// Failures as values, the one error model of every library.
//
// Library code never prints and never exits: an operation that fails returns
// an Error that names the file, says what went wrong with it and keeps the
// system's error number where a system call failed, so nobody reads errno
// after the fact. The program's main decides what to print and which exit
// status to use.
#pragma once

#include <optional>
#include <string>
#include <string_view>
#include <utility>

namespace levelset_prep::textio {

struct Error {
    std::string file;          // as the caller named it; empty where no file applies
    std::string problem;       // what went wrong, without the file name
    int saved_errno = 0;       // the system's reason where a system call failed, else 0
    bool cannot_open = false;  // the input file could not be opened at all

    // "<file>: <problem>", or the problem alone where no file applies. The
    // file name is shown with its control bytes spelt out (shown_text.hpp);
    // a token quoted in `problem` must be shown already.
    std::string message() const;
};

// The result of an operation that produces nothing but may fail.
using MaybeError = std::optional<Error>;

// The result of an operation that produces a value or fails.
template <typename T>
struct Result {
    T value{};
    MaybeError error;
    explicit operator bool() const { return !error.has_value(); }
};

Error file_error(std::string_view file, std::string_view problem);

// "<what>: <the system's text for error_number>", keeping the number.
Error system_error(std::string_view file, std::string_view what, int error_number);

// A name too long to show whole (a refused argument) is shown by its first
// 60 characters and "...".
std::string shortened_name(std::string_view name);

}  // namespace levelset_prep::textio
