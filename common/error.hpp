// Error values shared by both programs.
//
// Library code never prints and never exits: a reader or writer that fails
// returns an Error whose message names the file and the problem, and the
// program's main decides what to print and which exit status to use.
#pragma once

#include <optional>
#include <string>
#include <string_view>
#include <utility>

#include "shown_text.hpp"

namespace common {

struct Error {
    std::string message;       // "<file>: <problem>", without the program name
    bool cannot_open = false;  // the input file could not be opened at all
};

// The result of an operation that produces nothing but may fail.
using MaybeError = std::optional<Error>;

// "<file>: <problem>", the file name shown with its control bytes spelt out
// (shown_text.hpp); a token quoted in `problem` must be shown already.
inline Error file_error(std::string_view file, std::string_view problem) {
    std::string text = shown_text(file);
    text.append(": ").append(problem);
    return Error{std::move(text)};
}

// A name too long to show whole (a refused argument) is shown by its
// first 60 characters and "...".
inline std::string shortened_name(std::string_view name) {
    if (name.size() <= 60) return std::string(name);
    return std::string(name.substr(0, 60)) + "...";
}

}  // namespace common
