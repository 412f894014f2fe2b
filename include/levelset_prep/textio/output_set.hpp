// SPDX-License-Identifier: MIT
// Putting a run's output files in place all together, or not at all.
//
//   commit_outputs({&nodes, &elements}, {node_in, ele_in, level_set, parameters})
//
// Every output must be finished. The replacements happen in the given order
// with the signals of temporary_files.hpp held back, so a signal ends the
// run either before them (the temporary files are removed, no target
// changed) or after them. Before a target is replaced, its old file is kept
// under a second, hidden name in its folder (".~old.XXXXXXXX", a hard link,
// so the target never disappears); when a later replacement fails, every
// target already replaced gets its old file back (a target that did not
// exist before is removed again), and the error names the output that
// failed and the system's reason. The hidden names are removed at the end.
// On a file system without hard links the old file is moved to the hidden
// name instead, for the moment of the replacement.
//
// Runs that write the same outputs at the same time must not end with a
// mix of both: each output folder is locked (flock, exclusive) from the
// first replacement to the last, in the order of the folders' device and
// inode numbers, so two runs never wait for each other crosswise.
//
// A replaced file that is one of `inputs` (cleaning in place) is the only
// copy of its content: the new file is flushed to disk before it replaces
// it, and the folder after, so a crash leaves either the old file or the
// whole new one. Other outputs can be made again from the inputs and are
// not flushed, which would cost time for nothing.
//
// A file put in place gets the permissions of the file it replaces (and its
// owner and group where the process may set them), or, when it is new, the
// permissions a newly created file would get (0666 less the umask).
//
// Two outputs must not be one file (check_output_names, output_target.hpp).
#pragma once

#include <span>
#include <string>

#include <levelset_prep/textio/error.hpp>
#include <levelset_prep/textio/output_file.hpp>

namespace levelset_prep::textio {

MaybeError commit_outputs(std::span<OutputFile* const> outputs,
                          std::span<const std::string> inputs);

}  // namespace levelset_prep::textio
