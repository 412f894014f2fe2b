// SPDX-License-Identifier: MIT
// What an output name stands for, and the checks on a run's output names.
//
// An output replaces a regular file (the file a symbolic link points to, not
// the link), creates a new one (also where a dangling link points: the link
// then leads to it), or, where the name is an existing file of another kind
// (/dev/null, /dev/stdout on a terminal or a pipe, a FIFO), is written
// straight to it.
#pragma once

#include <sys/types.h>

#include <initializer_list>
#include <span>
#include <string>

#include <levelset_prep/textio/error.hpp>

namespace levelset_prep::textio {

struct OutputTarget {
    enum class Kind {
        replace,   // an existing regular file: `path`, with `device` and `inode`
        create,    // no file yet: `path`, where it will be made
        direct,    // an existing file that is not a regular file: written as named
        unusable,  // the name cannot be looked up: `error` says why
    };
    Kind kind = Kind::unusable;
    std::string path;  // links resolved (replace, create); the name as given (direct)
    dev_t device = 0;
    ino_t inode = 0;
    int error = 0;
};

OutputTarget resolve_output_target(const std::string& name);

// The folder of a path and the name in it: "a/b/c" -> "a/b", "c";
// "c" -> ".", "c"; "/c" -> "/", "c".
std::string folder_of(const std::string& path);
std::string leaf_of(const std::string& path);

struct NamedOutput {
    const char* argument = nullptr;  // the argument as the usage line names it: "node_file_out"
    std::string name;
};

// Checks a run's output names before anything is read: an empty name, and
// two outputs that are one regular file (one name twice, or two names of
// one file through hard or symbolic links), are refused. Outputs that are
// not regular files (/dev/null) may repeat.
//   "<argument>: output file name is empty"
//   "<later name>: <later argument> names the same file as <earlier argument> (<earlier name>)"
MaybeError check_output_names(std::span<const NamedOutput> outputs);
MaybeError check_output_names(std::initializer_list<NamedOutput> outputs);

}  // namespace levelset_prep::textio
