// SPDX-License-Identifier: MIT
// Failures as values, the error model of every library: library code never
// prints or exits, and keeps errno in the Error so nobody reads it late.
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

    // "<file>: <problem>", the name shown escaped; a token quoted in
    // `problem` must be shown already.
    std::string message() const;
};

using MaybeError = std::optional<Error>;

template <typename T>
struct Result {
    T value{};
    MaybeError error;
    explicit operator bool() const { return !error.has_value(); }
};

Error file_error(std::string_view file, std::string_view problem);

// "<what>: <strerror>".
Error system_error(std::string_view file, std::string_view what, int error_number);

// The first 60 characters and "..." of a name too long to show whole.
std::string shortened_name(std::string_view name);

}  // namespace levelset_prep::textio
