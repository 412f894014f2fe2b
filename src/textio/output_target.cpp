// SPDX-License-Identifier: MIT
#include <limits.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdlib>
#include <filesystem>
#include <memory>
#include <string_view>
#include <vector>

#include <levelset_prep/textio/output_target.hpp>
#include <levelset_prep/textio/shown_text.hpp>

namespace levelset_prep::textio {
namespace {

// Each link's text is taken relative to the link's own folder.
OutputTarget follow_dangling_links(const std::string& name) {
    std::string path = name;
    // As many hops as the system follows before it gives up (ELOOP).
    for (int hop = 0; hop < 40; ++hop) {
        struct stat status {};
        if (lstat(path.c_str(), &status) != 0 || !S_ISLNK(status.st_mode)) {
            return {OutputTarget::Kind::create, path};
        }
        std::string text(PATH_MAX, '\0');
        const ssize_t length = readlink(path.c_str(), text.data(), text.size());
        if (length < 0) return {OutputTarget::Kind::unusable, name, 0, 0, errno};
        text.resize(static_cast<std::size_t>(length));
        const std::size_t slash = path.rfind('/');
        if ((!text.empty() && text.front() == '/') || slash == std::string::npos) {
            path = text;
        } else {
            path = path.substr(0, slash + 1) + text;
        }
    }
    return {OutputTarget::Kind::unusable, name, 0, 0, ELOOP};
}

// A name two fresh targets can be compared by: the folder with its links
// resolved, and the leaf.
std::string comparable_path(const std::string& path) {
    const std::string folder = folder_of(path);
    std::unique_ptr<char, decltype(&std::free)> real(realpath(folder.c_str(), nullptr), &std::free);
    if (real) return std::string(real.get()) + "/" + leaf_of(path);
    std::error_code ignored;
    return std::filesystem::absolute(path, ignored).lexically_normal().string();
}

}  // namespace

std::string folder_of(const std::string& path) {
    const std::size_t slash = path.rfind('/');
    if (slash == std::string::npos) return ".";
    if (slash == 0) return "/";
    return path.substr(0, slash);
}

std::string leaf_of(const std::string& path) {
    const std::size_t slash = path.rfind('/');
    return slash == std::string::npos ? path : path.substr(slash + 1);
}

OutputTarget resolve_output_target(const std::string& name) {
    struct stat status {};
    if (stat(name.c_str(), &status) == 0) {
        if (!S_ISREG(status.st_mode)) {
            return {OutputTarget::Kind::direct, name, status.st_dev, status.st_ino};
        }
        std::unique_ptr<char, decltype(&std::free)> real(realpath(name.c_str(), nullptr),
                                                         &std::free);
        return {OutputTarget::Kind::replace, real ? std::string(real.get()) : name, status.st_dev,
                status.st_ino};
    }
    if (errno != ENOENT) return {OutputTarget::Kind::unusable, name, 0, 0, errno};
    return follow_dangling_links(name);
}

MaybeError check_output_names(std::span<const NamedOutput> outputs) {
    struct Seen {
        const NamedOutput* output;
        OutputTarget target;
        std::string comparable;  // fresh targets only
    };
    std::vector<Seen> seen;
    for (const NamedOutput& output : outputs) {
        if (output.name.empty()) return file_error(output.argument, "output file name is empty");
        Seen current{&output, resolve_output_target(output.name), {}};
        if (current.target.kind == OutputTarget::Kind::create) {
            current.comparable = comparable_path(current.target.path);
        }
        for (const Seen& earlier : seen) {
            const OutputTarget& a = earlier.target;
            const OutputTarget& b = current.target;
            const bool same_file =
                a.kind == b.kind && ((a.kind == OutputTarget::Kind::replace &&
                                      a.device == b.device && a.inode == b.inode) ||
                                     (a.kind == OutputTarget::Kind::create &&
                                      earlier.comparable == current.comparable));
            if (same_file) {
                return file_error(output.name, std::string(output.argument) +
                                                   " names the same file as " +
                                                   earlier.output->argument + " (" +
                                                   shown_text(earlier.output->name) + ")");
            }
        }
        seen.push_back(std::move(current));
    }
    return std::nullopt;
}

MaybeError check_inputs_kept(std::span<const NamedOutput> outputs,
                             std::span<const NamedInput> inputs) {
    for (const NamedOutput& output : outputs) {
        const OutputTarget target = resolve_output_target(output.name);
        if (target.kind != OutputTarget::Kind::replace) continue;
        for (const NamedInput& input : inputs) {
            struct stat status {};
            if (stat(input.name.c_str(), &status) != 0 || status.st_dev != target.device ||
                status.st_ino != target.inode) {
                continue;
            }
            if (output.may_replace != nullptr &&
                std::string_view(output.may_replace) == input.argument) {
                continue;
            }
            return file_error(output.name,
                              std::string(output.argument) + " names the same file as the input " +
                                  input.argument + " (" + shown_text(input.name) + ")");
        }
    }
    return std::nullopt;
}

MaybeError check_output_names(std::initializer_list<NamedOutput> outputs) {
    return check_output_names(std::span(outputs.begin(), outputs.size()));
}

}  // namespace levelset_prep::textio
