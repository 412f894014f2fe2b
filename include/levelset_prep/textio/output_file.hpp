// Writing an output file through a large buffer, so that a run that fails
// never leaves a half-written file and never destroys an input the output
// name points to.
//
// open() creates a fresh temporary file beside the target; the bytes go
// there, and commit() renames it over the target only when everything has
// been written and closed. A file that is abandoned (no commit, or a failed
// write) is removed by the destructor. Where the target already exists and
// is not a regular file (/dev/stdout, a pipe, /dev/full) there is nothing to
// replace: the bytes go straight to it, and a failed write is still
// reported.
//
// Every error names the target file and the system's reason.
#pragma once

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <memory>
#include <string>
#include <string_view>

#include <levelset_prep/textio/error.hpp>
#include <levelset_prep/textio/number_format.hpp>

namespace levelset_prep::textio {

class OutputFile {
public:
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
    void make_room(std::size_t bytes) {
        if (static_cast<std::size_t>(limit_ - cursor_) < bytes) flush_buffer();
    }
    void put_slow(std::string_view text);
    void flush_buffer();
    void discard();

    static constexpr std::size_t buffer_size = std::size_t{1} << 20;

    std::string target_;
    std::string destination_;  // the file renamed over: the target, links resolved
    std::string temporary_;    // empty when writing straight to the target
    std::FILE* file_ = nullptr;
    std::unique_ptr<char[]> buffer_;
    char* cursor_ = nullptr;
    char* limit_ = nullptr;
    int write_errno_ = 0;  // first failed write, 0 when all went through
    bool finished_ = false;
    bool committed_ = false;
};

}  // namespace levelset_prep::textio
