// SPDX-License-Identifier: MIT
// What an output name stands for, and the checks on a run's output names.
// Symbolic links are followed, dangling ones too.
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

// "a/b/c" -> "a/b", "c"; "c" -> ".", "c"; "/c" -> "/", "c".
std::string folder_of(const std::string& path);
std::string leaf_of(const std::string& path);

struct NamedOutput {
    const char* argument = nullptr;  // the argument as the usage line names it: "node_file_out"
    std::string name;
    const char* may_replace = nullptr;  // the one input argument it may name, if any
};

struct NamedInput {
    const char* argument = nullptr;  // "node_file_in"
    std::string name;
};

// Refuses an empty name and two outputs that are one regular file, through
// links too; /dev/null may repeat.
MaybeError check_output_names(std::span<const NamedOutput> outputs);
MaybeError check_output_names(std::initializer_list<NamedOutput> outputs);

// Refuses an output that is an input file, but for the one it may_replace.
MaybeError check_inputs_kept(std::span<const NamedOutput> outputs,
                             std::span<const NamedInput> inputs);

}  // namespace levelset_prep::textio
