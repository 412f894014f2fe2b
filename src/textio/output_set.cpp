// SPDX-License-Identifier: MIT
#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <utility>
#include <vector>

#include <levelset_prep/textio/output_set.hpp>
#include <levelset_prep/textio/temporary_files.hpp>

namespace levelset_prep::textio {
namespace {

struct FileId {
    dev_t device;
    ino_t inode;
    auto operator<=>(const FileId&) const = default;
};

// Taken in (device, inode) order, so that runs never deadlock.
class FolderLocks {
public:
    explicit FolderLocks(const std::vector<int>& folders) {
        std::vector<std::pair<FileId, int>> order;
        for (int folder : folders) {
            struct stat status {};
            if (fstat(folder, &status) == 0)
                order.push_back({{status.st_dev, status.st_ino}, folder});
        }
        std::sort(order.begin(), order.end());
        // One lock per folder: a second lock on another descriptor of the
        // same folder would wait for the first one forever.
        order.erase(std::unique(order.begin(), order.end(),
                                [](const auto& a, const auto& b) { return a.first == b.first; }),
                    order.end());
        for (const auto& [id, folder] : order) {
            // The lock is advisory and only orders runs of these tools: a
            // file system that cannot lock still gets its files replaced.
            int result;
            do result = flock(folder, LOCK_EX);
            while (result != 0 && errno == EINTR);
            if (result == 0) locked_.push_back(folder);
        }
    }
    ~FolderLocks() {
        for (int folder : locked_) flock(folder, LOCK_UN);
    }
    FolderLocks(const FolderLocks&) = delete;
    FolderLocks& operator=(const FolderLocks&) = delete;

private:
    std::vector<int> locked_;
};

mode_t new_file_mode() {
    const mode_t mask = umask(0);
    umask(mask);
    return 0666 & ~mask;
}

bool no_hard_links_here(int error_number) {
    return error_number == EPERM || error_number == EXDEV || error_number == EMLINK ||
           error_number == EOPNOTSUPP || error_number == ENOSYS;
}

struct Step {
    OutputFile* output;
    bool had_old = false;    // a file stood at the target before
    bool old_moved = false;  // ...and was moved to `backup` (no hard links)
    bool replaced = false;
    char backup[temporary_name_size] = {};
};

// Keeps the old target under a hidden name: a hard link where the file
// system has them, else moved there for the moment of the rename.
bool keep_old_file(int folder, const char* leaf, Step& step) {
    int linked = -1;
    for (int attempt = 0; attempt < 64 && linked != 0; ++attempt) {
        make_hidden_name(".~old.", step.backup);
        linked = linkat(folder, leaf, folder, step.backup, 0);
        if (linked != 0 && errno != EEXIST) break;
    }
    if (linked != 0 && no_hard_links_here(errno) &&
        renameat(folder, leaf, folder, step.backup) == 0) {
        step.old_moved = true;
        return true;
    }
    return linked == 0;
}

// Owner and group come before the mode: changing them may clear set-id bits.
bool take_over_permissions(int folder, const char* temporary, const struct stat& old,
                           bool had_old) {
    mode_t mode = new_file_mode();
    if (had_old && S_ISREG(old.st_mode)) {
        // Only a privileged process may give a file away; otherwise the new
        // file stays the process's own, which is no error.
        if (fchownat(folder, temporary, old.st_uid, old.st_gid, AT_SYMLINK_NOFOLLOW) != 0) {
        }
        mode = old.st_mode & 07777;
    }
    return fchmodat(folder, temporary, mode, 0) == 0;
}

// The only copy of an input's content reaches the disk before it replaces it.
int sync_file(int folder, const char* name) {
    const int fd = openat(folder, name, O_RDONLY | O_CLOEXEC | O_NOFOLLOW);
    const bool synced = fd >= 0 && fsync(fd) == 0;
    const int error_number = synced ? 0 : errno;
    if (fd >= 0) ::close(fd);
    return error_number;
}

}  // namespace

struct OutputCommit {
    static MaybeError replace_target(OutputFile& out, Step& step,
                                     const std::vector<FileId>& input_ids) {
        const int folder = out.folder_fd_;
        const char* leaf = out.leaf_.c_str();
        const auto fail = [&](const char* what, int error_number) {
            return system_error(out.target_, what, error_number);
        };
        struct stat old {};
        if (fstatat(folder, leaf, &old, AT_SYMLINK_NOFOLLOW) == 0) {
            step.had_old = true;
        } else if (errno != ENOENT) {
            return fail("cannot replace output file", errno);
        }
        // A folder that took the target's name meanwhile is never moved aside.
        if (step.had_old && S_ISDIR(old.st_mode)) return fail("cannot replace output file", EISDIR);
        if (!take_over_permissions(folder, out.temporary_, old, step.had_old)) {
            return fail("cannot replace output file", errno);
        }
        const bool replaces_input =
            step.had_old && std::find(input_ids.begin(), input_ids.end(),
                                      FileId{old.st_dev, old.st_ino}) != input_ids.end();
        if (replaces_input) {
            if (const int error_number = sync_file(folder, out.temporary_)) {
                return fail("cannot write output file", error_number);
            }
        }
        if (step.had_old && !keep_old_file(folder, leaf, step)) {
            return fail("cannot replace output file", errno);
        }
        if (renameat(folder, out.temporary_, folder, leaf) != 0) {
            const int error_number = errno;
            if (step.old_moved) {
                renameat(folder, step.backup, folder, leaf);
            } else if (step.had_old) {
                unlinkat(folder, step.backup, 0);
            }
            return fail("cannot replace output file", error_number);
        }
        step.replaced = true;
        out.temporary_exists_ = false;
        forget_temporary_file(out.temporary_entry_);
        out.temporary_entry_ = -1;
        // A failure here is put back below with the others.
        if (replaces_input && fsync(folder) != 0) return fail("cannot replace output file", errno);
        return std::nullopt;
    }

    // After a failure the old files are put back, and new targets removed.
    static void settle(std::vector<Step>& steps, bool failed) {
        for (std::size_t i = steps.size(); i-- > 0;) {
            Step& step = steps[i];
            if (!step.replaced) continue;
            const int folder = step.output->folder_fd_;
            const char* leaf = step.output->leaf_.c_str();
            if (failed) {
                if (step.had_old) {
                    renameat(folder, step.backup, folder, leaf);
                } else {
                    unlinkat(folder, leaf, 0);
                }
            } else if (step.had_old) {
                unlinkat(folder, step.backup, 0);
            }
        }
    }

    static MaybeError run(std::span<OutputFile* const> outputs,
                          std::span<const std::string> inputs) {
        std::vector<Step> steps;
        std::vector<int> folders;
        for (OutputFile* output : outputs) {
            if (!output->finished_)
                return file_error(output->target_, "output file is not complete");
            if (output->committed_) continue;
            steps.push_back({output});
            if (output->folder_fd_ >= 0) folders.push_back(output->folder_fd_);
        }
        std::vector<FileId> input_ids;
        for (const std::string& input : inputs) {
            struct stat status {};
            if (stat(input.c_str(), &status) == 0)
                input_ids.push_back({status.st_dev, status.st_ino});
        }

        FolderLocks locks(folders);
        SignalBlock block;
        MaybeError failure;
        for (Step& step : steps) {
            // An output written straight to its target has nothing to replace.
            if (step.output->folder_fd_ < 0) continue;
            if ((failure = replace_target(*step.output, step, input_ids))) break;
        }
        settle(steps, failure.has_value());
        if (failure) return failure;
        for (Step& step : steps) step.output->committed_ = true;
        return std::nullopt;
    }
};

MaybeError commit_outputs(std::span<OutputFile* const> outputs,
                          std::span<const std::string> inputs) {
    return OutputCommit::run(outputs, inputs);
}

}  // namespace levelset_prep::textio
