// SPDX-License-Identifier: MIT
#include <fcntl.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>
#include <new>

#include <levelset_prep/textio/output_file.hpp>
#include <levelset_prep/textio/output_set.hpp>
#include <levelset_prep/textio/output_target.hpp>

namespace levelset_prep::textio {
namespace {

// Names whose last part is no file name ("out/", "x/.") are written as
// given, and the system says why that fails.
bool names_a_file_in_a_folder(const std::string& leaf) {
    return !leaf.empty() && leaf != "." && leaf != "..";
}

}  // namespace

OutputFile::~OutputFile() { discard(); }

MaybeError OutputFile::open(std::string target) {
    discard();
    target_ = std::move(target);
    finished_ = committed_ = false;
    write_errno_ = 0;

    // The buffer comes first: a run that cannot have it has touched nothing.
    if (!buffer_) buffer_.reset(new (std::nothrow) char[buffer_size]);
    if (!buffer_) return file_error(target_, "cannot allocate the output buffer (1 MiB)");

    const OutputTarget where = resolve_output_target(target_);
    if (where.kind == OutputTarget::Kind::unusable) {
        return system_error(target_, "cannot create output file", where.error);
    }
    const std::string leaf = leaf_of(where.path);
    if (where.kind == OutputTarget::Kind::direct || !names_a_file_in_a_folder(leaf)) {
        fd_ = ::open(where.path.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC | O_NOCTTY, 0666);
        if (fd_ < 0) return system_error(target_, "cannot create output file", errno);
    } else {
        folder_fd_ = ::open(folder_of(where.path).c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
        if (folder_fd_ < 0) return system_error(target_, "cannot create output file", errno);
        leaf_ = leaf;
        fd_ = create_temporary_file(folder_fd_, temporary_, temporary_entry_);
        if (fd_ < 0) {
            const int error_number = errno;
            discard();
            return system_error(target_, "cannot create output file", error_number);
        }
        temporary_exists_ = true;
    }
    cursor_ = buffer_.get();
    limit_ = cursor_ + buffer_size;
    return std::nullopt;
}

void OutputFile::write_bytes(const char* data, std::size_t pending) {
    while (pending != 0 && write_errno_ == 0 && fd_ >= 0) {
        const ssize_t written = ::write(fd_, data, pending);
        if (written < 0) {
            if (errno != EINTR) write_errno_ = errno;
            continue;
        }
        if (written == 0) write_errno_ = EIO;
        data += written;
        pending -= static_cast<std::size_t>(written);
    }
}

void OutputFile::flush_buffer() {
    write_bytes(buffer_.get(), static_cast<std::size_t>(cursor_ - buffer_.get()));
    cursor_ = buffer_.get();
}

void OutputFile::put_block(std::string_view text) {
    if (text.size() <= static_cast<std::size_t>(limit_ - cursor_)) {
        put(text);
        return;
    }
    flush_buffer();
    write_bytes(text.data(), text.size());
}

std::optional<std::uint64_t> OutputFile::claim_block(std::size_t size) {
    if (!temporary_exists_ || fd_ < 0) return std::nullopt;
    flush_buffer();
    const off_t here = ::lseek(fd_, 0, SEEK_CUR);
    // Later buffered writes go after the block, as if it had been written.
    if (here < 0 || ::lseek(fd_, here + static_cast<off_t>(size), SEEK_SET) < 0) {
        return std::nullopt;
    }
    return static_cast<std::uint64_t>(here);
}

void OutputFile::put_block_at(std::uint64_t offset, std::string_view text) {
    const char* data = text.data();
    std::size_t pending = text.size();
    auto at = static_cast<off_t>(offset);
    while (pending != 0 && block_errno_.load(std::memory_order_relaxed) == 0) {
        const ssize_t written = ::pwrite(fd_, data, pending, at);
        if (written < 0 && errno == EINTR) continue;
        if (written <= 0) {
            int expected = 0;
            block_errno_.compare_exchange_strong(expected, written < 0 ? errno : EIO);
            return;
        }
        data += written;
        at += written;
        pending -= static_cast<std::size_t>(written);
    }
}

void OutputFile::put_slow(std::string_view text) {
    while (!text.empty()) {
        if (cursor_ == limit_) flush_buffer();
        const std::size_t room = static_cast<std::size_t>(limit_ - cursor_);
        const std::size_t part = text.size() < room ? text.size() : room;
        std::char_traits<char>::copy(cursor_, text.data(), part);
        cursor_ += part;
        text.remove_prefix(part);
    }
}

MaybeError OutputFile::finish() {
    if (fd_ < 0) return file_error(target_, "output file is not open");
    flush_buffer();
    if (write_errno_ == 0) write_errno_ = block_errno_.load();
    if (::close(fd_) != 0 && write_errno_ == 0 && errno != EINTR) write_errno_ = errno;
    fd_ = -1;
    if (write_errno_ != 0) {
        MaybeError failed = system_error(target_, "cannot write output file", write_errno_);
        discard();
        return failed;
    }
    finished_ = true;
    return std::nullopt;
}

MaybeError OutputFile::commit() {
    OutputFile* const self[] = {this};
    return commit_outputs(self, {});
}

void OutputFile::close_file() {
    if (fd_ >= 0) ::close(fd_);
    fd_ = -1;
}

void OutputFile::discard() {
    close_file();
    if (temporary_exists_) {
        SignalBlock block;
        unlinkat(folder_fd_, temporary_, 0);
        forget_temporary_file(temporary_entry_);
        temporary_exists_ = false;
    }
    temporary_entry_ = -1;
    if (folder_fd_ >= 0) ::close(folder_fd_);
    folder_fd_ = -1;
    leaf_.clear();
}

}  // namespace levelset_prep::textio
