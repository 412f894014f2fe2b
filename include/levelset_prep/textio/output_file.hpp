// SPDX-License-Identifier: MIT
// Writing an output file through a large buffer, so that a run that fails
// never leaves a half-written file and never destroys an input the output
// name points to.
//
// open() creates a fresh temporary file in the target's folder, under a
// short hidden name (".~out.XXXXXXXX", so a target name as long as the
// system allows still works), readable by the owner alone; the bytes go
// there, and commit() (or commit_outputs() for several files at once, see
// output_set.hpp) puts it in place of the target only when everything has
// been written. A file that is abandoned (no commit, a failed write, a
// signal: see temporary_files.hpp) is removed. A symbolic link as the
// target replaces the file it points to, or creates it when the link
// dangles; the link stays. Where the target already exists and is not a
// regular file (/dev/stdout, a pipe, /dev/full) there is nothing to
// replace: the bytes go straight to it, and a failed write is still
// reported.
//
// Every error names the target file and the system's reason.
#pragma once

#include <atomic>
#include <cstddef>
#include <cstdint>
#include <memory>
#include <optional>
#include <span>
#include <string>
#include <string_view>

#include <levelset_prep/textio/error.hpp>
#include <levelset_prep/textio/number_format.hpp>
#include <levelset_prep/textio/temporary_files.hpp>

namespace levelset_prep::textio {

class OutputFile {
public:
    // What put(), reserve() and a slice written in turn may hold at once.
    static constexpr std::size_t buffer_size = std::size_t{1} << 20;

    OutputFile() = default;
    OutputFile(const OutputFile&) = delete;
    OutputFile& operator=(const OutputFile&) = delete;
    ~OutputFile();

    MaybeError open(std::string target);

    void put(std::string_view text) {
        if (text.size() > static_cast<std::size_t>(limit_ - cursor_)) {
            put_slow(text);
            return;
        }
        std::char_traits<char>::copy(cursor_, text.data(), text.size());
        cursor_ += text.size();
    }
    void put(char c) {
        if (cursor_ == limit_) flush_buffer();
        *cursor_++ = c;
    }
    void put_int(std::int64_t value) {
        make_room(max_number_chars);
        cursor_ = format_int(cursor_, value);
    }
    void put_general(double value) {
        make_room(max_number_chars);
        cursor_ = format_general(cursor_, value);
    }

    // Text laid out elsewhere in a large block (a slice formatted on another
    // thread): the same bytes as put(), but a block that would fill the
    // buffer is written from where it lies, after what is buffered, instead
    // of being copied first.
    void put_block(std::string_view text);

    // The same for slices written by several threads at once. In the
    // slices' order, one call at a time, claim_block() says where the next
    // `size` bytes go, after everything put so far; put_block_at() then
    // writes them there from any thread, while other threads write theirs.
    // Only a regular file (a temporary beside its target) takes positioned
    // writes: for a pipe or a device claim_block() returns nothing, and the
    // slice must be put in order with put_block().
    std::optional<std::uint64_t> claim_block(std::size_t size);
    void put_block_at(std::uint64_t offset, std::string_view text);

    // For loops that write many numbers: reserve() makes room for `bytes`
    // (far below the 1 MiB buffer) and returns where they go; the loop
    // writes through its own pointer, which the compiler can keep in a
    // register, and hands back the end with advance().
    char* reserve(std::size_t bytes) {
        make_room(bytes);
        return cursor_;
    }
    void advance(char* end) { cursor_ = end; }

    // Writes out what is buffered and closes the file; reports any write
    // that did not go through.
    MaybeError finish();
    // Puts the finished file in place of the target.
    MaybeError commit();

    const std::string& target() const { return target_; }

private:
    friend struct OutputCommit;  // output_set.cpp

    void make_room(std::size_t bytes) {
        if (static_cast<std::size_t>(limit_ - cursor_) < bytes) flush_buffer();
    }
    void put_slow(std::string_view text);
    void flush_buffer();
    void write_bytes(const char* data, std::size_t size);
    void discard();
    void close_file();

    std::string target_;
    int fd_ = -1;
    // The destination's folder, or -1 when the bytes go straight to the target.
    int folder_fd_ = -1;
    std::string leaf_;                          // the destination's name in that folder
    char temporary_[temporary_name_size] = {};  // the temporary file's name there
    int temporary_entry_ = -1;                  // its entry in the signal handler's list
    bool temporary_exists_ = false;
    std::unique_ptr<char[]> buffer_;
    char* cursor_ = nullptr;
    char* limit_ = nullptr;
    int write_errno_ = 0;  // first failed write, 0 when all went through
    // A failed positioned write, kept apart because several threads may
    // fail at once; finish() reports it as any other.
    std::atomic<int> block_errno_{0};
    bool finished_ = false;
    bool committed_ = false;
};

}  // namespace levelset_prep::textio
