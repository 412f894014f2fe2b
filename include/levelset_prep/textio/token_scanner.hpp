// SPDX-License-Identifier: MIT
// Whitespace-separated tokens from a text file read in large blocks, or from
// text already in memory (the same code path, so fuzzers and tests can feed
// it without touching the disk).
//
// White space is what formatted stream extraction skips in the "C" locale:
// blank, tab, line feed, vertical tab, form feed, carriage return. Line ends
// carry no meaning. A token is a maximal run of other bytes and is handed out
// as a view that stays valid until the next call to next().
//
// With comments on (set_comments), '#' starts a comment that runs to the end
// of its line: it ends a token, and the comment counts as white space. Mesh
// files have comments; the other files do not, and read '#' as text. The
// in-place number paths never see a comment: '#' is no number, so they hand
// such a token to next().
#pragma once

#include <atomic>
#include <cstddef>
#include <cstdio>
#include <memory>
#include <string>
#include <string_view>

namespace levelset_prep::textio {

// What formatted stream extraction skips in the "C" locale.
inline bool is_blank(char c) {
    return c == ' ' || c == '\n' || c == '\t' || c == '\r' || c == '\v' || c == '\f';
}

class TokenScanner {
public:
    // Reads from an open file, which the caller keeps owning.
    explicit TokenScanner(std::FILE* file, std::size_t block_size = default_block_size);
    // Scans text in memory; the text must outlive the scanner.
    explicit TokenScanner(std::string_view text);

    // The next token, or an empty view at the end of the input. After an
    // empty view, failed() is true when the input could not be read to its
    // end (a read error, a token longer than a block, or no memory for the
    // block).
    std::string_view next();

    // '#' starts a comment from here on (see above).
    void set_comments(bool on) { comments_ = on; }

    // Line structure, for the few places that need it. line_began(): whether
    // a line end, or the start of the input, came before the token next()
    // returned last (tokens read by the in-place paths are not followed).
    // at_line_end(): after a token was read by any path, whether nothing but
    // blanks and a comment stand between it and the end of its line or of
    // the input; skips those blanks, never the line end.
    bool line_began() const { return line_began_; }
    bool at_line_end();

    // The unread input from the start of the next token on: at least
    // `lookahead` bytes of it where the input has that many (lookahead far
    // below the block size). Empty at the end of the input. Lets a caller
    // parse a token in place and then consume() it.
    std::string_view peek(std::size_t lookahead) {
        while (pos_ != end_ && is_blank(*pos_)) ++pos_;
        const auto available = static_cast<std::size_t>(end_ - pos_);
        return available >= lookahead ? std::string_view(pos_, available) : peek_slow(lookahead);
    }
    // Consumes the input up to `end`, a position inside the last peek().
    void consume(const char* end) { pos_ = end; }
    // True when `end` (inside the last peek()) is where a token stops: at
    // a blank, or at the very end of the input.
    bool token_ends_at(const char* end) const { return end != end_ ? is_blank(*end) : at_eof_; }

    // Makes the scanner stop once `stop` is set, as if the file could not be
    // read further; it is looked at before every block is read. Lets a run
    // abandon a read on another thread. `stop` must outlive the scanner.
    void stop_when(const std::atomic<bool>& stop) { stop_ = &stop; }

    bool failed() const { return failed_; }
    bool token_too_long() const { return too_long_; }
    // The block could not be allocated; nothing was read.
    bool out_of_memory() const { return out_of_memory_; }
    // The system's error number of a failed read (EISDIR for a folder), 0
    // when no read failed.
    int read_error() const { return read_error_; }
    // A token from a file must be shorter than this.
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

// A block size as error lines state it: "4 KiB", "1 MiB".
std::string block_size_text(std::size_t bytes);

// Why a scanner that failed() stopped, as the end of an error line:
// "cannot allocate the read buffer (1 MiB)", "a token longer than 1 MiB",
// or "<reason>" for a read error.
std::string scanner_failure(const TokenScanner& text);
// The system's error number of that read error (EIO where it gave none),
// for the error's saved_errno.
int scanner_error_number(const TokenScanner& text);

}  // namespace levelset_prep::textio
