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

// Exclusive locks on a set of folders, taken in (device, inode) order and
// released together.
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

// The errors that say the file system cannot make a second name for a file.
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

}  // namespace

// Friend of OutputFile: it reads and updates the files' folder, names and
// temporary state.
MaybeError commit_outputs(std::span<OutputFile* const> outputs,
                          std::span<const std::string> inputs) {
    std::vector<Step> steps;
    std::vector<int> folders;
    for (OutputFile* output : outputs) {
        if (!output->finished_) return file_error(output->target_, "output file is not complete");
        if (output->committed_) continue;
        steps.push_back({output});
        if (output->folder_fd_ >= 0) folders.push_back(output->folder_fd_);
    }
    std::vector<FileId> input_ids;
    for (const std::string& input : inputs) {
        struct stat status {};
        if (stat(input.c_str(), &status) == 0) input_ids.push_back({status.st_dev, status.st_ino});
    }

    FolderLocks locks(folders);
    SignalBlock block;
    MaybeError failure;
    for (Step& step : steps) {
        OutputFile& out = *step.output;
        if (out.folder_fd_ < 0) continue;  // written straight to the target
        const int folder = out.folder_fd_;
        const char* leaf = out.leaf_.c_str();
        const auto fail = [&](const char* what, int error_number) {
            failure = file_error(out.target_, std::string(what) + std::strerror(error_number));
        };

        struct stat old {};
        if (fstatat(folder, leaf, &old, AT_SYMLINK_NOFOLLOW) == 0) {
            step.had_old = true;
        } else if (errno != ENOENT) {
            fail("cannot replace output file: ", errno);
            break;
        }
        // A folder that took the target's name meanwhile is never moved
        // aside: the output fails, as renaming over it would.
        if (step.had_old && S_ISDIR(old.st_mode)) {
            fail("cannot replace output file: ", EISDIR);
            break;
        }
        mode_t mode = new_file_mode();
        if (step.had_old && S_ISREG(old.st_mode)) {
            // Owner and group first: changing them may clear the set-id bits.
            // Only a privileged process may give a file away: otherwise
            // the new file stays the process's own, so a failure is no error.
            if (fchownat(folder, out.temporary_, old.st_uid, old.st_gid, AT_SYMLINK_NOFOLLOW) !=
                0) {
            }
            mode = old.st_mode & 07777;
        }
        if (fchmodat(folder, out.temporary_, mode, 0) != 0) {
            fail("cannot replace output file: ", errno);
            break;
        }
        const bool replaces_input =
            step.had_old && std::find(input_ids.begin(), input_ids.end(),
                                      FileId{old.st_dev, old.st_ino}) != input_ids.end();
        if (replaces_input) {
            const int fd = openat(folder, out.temporary_, O_RDONLY | O_CLOEXEC | O_NOFOLLOW);
            const bool synced = fd >= 0 && fsync(fd) == 0;
            const int error_number = errno;
            if (fd >= 0) ::close(fd);
            if (!synced) {
                fail("cannot write output file: ", error_number);
                break;
            }
        }
        if (step.had_old) {
            int linked = -1;
            for (int attempt = 0; attempt < 64 && linked != 0; ++attempt) {
                make_hidden_name(".~old.", step.backup);
                linked = linkat(folder, leaf, folder, step.backup, 0);
                if (linked != 0 && errno != EEXIST) break;
            }
            if (linked != 0 && no_hard_links_here(errno)) {
                if (renameat(folder, leaf, folder, step.backup) == 0) {
                    linked = 0;
                    step.old_moved = true;
                }
            }
            if (linked != 0) {
                fail("cannot replace output file: ", errno);
                break;
            }
        }
        if (renameat(folder, out.temporary_, folder, leaf) != 0) {
            const int error_number = errno;
            if (step.old_moved) {
                renameat(folder, step.backup, folder, leaf);
            } else if (step.had_old) {
                unlinkat(folder, step.backup, 0);
            }
            fail("cannot replace output file: ", error_number);
            break;
        }
        step.replaced = true;
        out.temporary_exists_ = false;
        forget_temporary_file(out.temporary_entry_);
        out.temporary_entry_ = -1;
        if (replaces_input && fsync(folder) != 0) {
            fail("cannot replace output file: ", errno);  // put back below with the others
            break;
        }
    }

    for (std::size_t i = steps.size(); i-- > 0;) {
        Step& step = steps[i];
        if (!step.replaced) continue;
        const int folder = step.output->folder_fd_;
        const char* leaf = step.output->leaf_.c_str();
        if (failure) {
            if (step.had_old) {
                renameat(folder, step.backup, folder, leaf);
            } else {
                unlinkat(folder, leaf, 0);
            }
        } else if (step.had_old) {
            unlinkat(folder, step.backup, 0);
        }
    }
    if (failure) return failure;
    for (Step& step : steps) step.output->committed_ = true;
    return std::nullopt;
}

}  // namespace levelset_prep::textio
