// SPDX-License-Identifier: MIT
// Whitespace-separated tokens from a file read in large blocks, or from text
// in memory through the same code. White space is what formatted stream
// extraction skips in the "C" locale; line ends carry no meaning. A token is
// a view valid until the next call to next().
//
// With comments on, '#' starts a comment to the end of its line, which ends
// a token and counts as white space. The in-place number paths never see a
// comment: '#' is no number, so they hand such a token to next().
#pragma once

#include <atomic>
#include <cstddef>
#include <cstdio>
#include <memory>
#include <string>
#include <string_view>

namespace levelset_prep::textio {

inline bool is_blank(char c) {
    return c == ' ' || c == '\n' || c == '\t' || c == '\r' || c == '\v' || c == '\f';
}

class TokenScanner {
public:
    // The caller keeps owning the file.
    explicit TokenScanner(std::FILE* file, std::size_t block_size = default_block_size);
    // The text must outlive the scanner.
    explicit TokenScanner(std::string_view text);

    // Empty at the end of the input, or when failed().
    std::string_view next();

    void set_comments(bool on) { comments_ = on; }

    // line_began(): a line end or the input's start came before the token
    // next() returned last. at_line_end(): only blanks and a comment follow
    // the last token on its line; skips the blanks, never the line end.
    bool line_began() const { return line_began_; }
    bool at_line_end();

    // For parsing in place: the unread input from the next token on, at least
    // `lookahead` bytes (far below the block size) where the input has them.
    std::string_view peek(std::size_t lookahead) {
        while (pos_ != end_ && is_blank(*pos_)) ++pos_;
        const auto available = static_cast<std::size_t>(end_ - pos_);
        return available >= lookahead ? std::string_view(pos_, available) : peek_slow(lookahead);
    }
    void consume(const char* end) { pos_ = end; }
    bool token_ends_at(const char* end) const { return end != end_ ? is_blank(*end) : at_eof_; }

    // Once `stop` is set the scanner fails before its next block, so a run
    // can abandon a read on another thread.
    void stop_when(const std::atomic<bool>& stop) { stop_ = &stop; }

    bool failed() const { return failed_; }
    bool token_too_long() const { return too_long_; }
    bool out_of_memory() const { return out_of_memory_; }
    // errno of a failed read (EISDIR for a folder), else 0.
    int read_error() const { return read_error_; }
    std::size_t block_size() const { return capacity_; }

    static constexpr std::size_t default_block_size = std::size_t{1} << 20;

private:
    bool refill();      // keeps [pos_, end_) and reads more behind it
    void skip_space();  // blanks and comments, up to a token or the end of the block
    std::string_view peek_slow(std::size_t lookahead);  // peek() near the end of a block

    std::FILE* file_ = nullptr;
    const std::atomic<bool>* stop_ = nullptr;
    std::unique_ptr<char[]> storage_;
    std::size_t capacity_ = 0;
    const char* begin_ = nullptr;
    const char* pos_ = nullptr;
    const char* end_ = nullptr;
    bool at_eof_ = false;
    bool failed_ = false;
    bool too_long_ = false;
    bool out_of_memory_ = false;
    int read_error_ = 0;
    bool comments_ = false;
    bool in_comment_ = false;  // a comment goes on in the next block
    bool started_ = false;     // next() has returned a token
    bool line_began_ = false;
};

// "4 KiB", "1 MiB".
std::string block_size_text(std::size_t bytes);

// Why a scanner failed, as the end of an error line.
std::string scanner_failure(const TokenScanner& text);
// The system's error number of that read error (EIO where it gave none),
// for the error's saved_errno.
int scanner_error_number(const TokenScanner& text);

}  // namespace levelset_prep::textio
