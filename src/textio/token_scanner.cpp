// SPDX-License-Identifier: MIT
#include <cerrno>
#include <cstring>
#include <new>

#include <levelset_prep/textio/token_scanner.hpp>

namespace levelset_prep::textio {
// The block is asked for without throwing: a run that cannot have it ends
// with an error line (scanner_failure), not an uncaught exception.
TokenScanner::TokenScanner(std::FILE* file, std::size_t block_size)
    : file_(file), storage_(new (std::nothrow) char[block_size]), capacity_(block_size) {
    begin_ = pos_ = end_ = storage_.get();
    if (!storage_) out_of_memory_ = failed_ = true;
}

TokenScanner::TokenScanner(std::string_view text)
    : begin_(text.data()), pos_(text.data()), end_(text.data() + text.size()), at_eof_(true) {}

bool TokenScanner::refill() {
    if (at_eof_ || failed_) return false;
    if (stop_ != nullptr && stop_->load(std::memory_order_relaxed)) {
        failed_ = true;
        return false;
    }
    // Move the unfinished token (if any) to the front, then fill behind it.
    const std::size_t kept = static_cast<std::size_t>(end_ - pos_);
    if (kept == capacity_) {
        too_long_ = failed_ = true;
        return false;
    }
    char* base = storage_.get();
    if (kept != 0 && pos_ != base) std::memmove(base, pos_, kept);
    errno = 0;
    const std::size_t got = std::fread(base + kept, 1, capacity_ - kept, file_);
    if (got < capacity_ - kept) {
        at_eof_ = true;
        if (std::ferror(file_)) {
            failed_ = true;
            read_error_ = errno != 0 ? errno : EIO;
        }
    }
    begin_ = pos_ = base;
    end_ = base + kept + got;
    return got != 0;
}

std::string_view TokenScanner::peek_slow(std::size_t lookahead) {
    for (;;) {
        while (pos_ != end_ && is_blank(*pos_)) ++pos_;
        if (static_cast<std::size_t>(end_ - pos_) >= lookahead || at_eof_ || failed_) break;
        refill();
    }
    return {pos_, static_cast<std::size_t>(end_ - pos_)};
}

void TokenScanner::skip_space() {
    for (;;) {
        if (in_comment_) {
            const void* line_end = std::memchr(pos_, '\n', static_cast<std::size_t>(end_ - pos_));
            if (line_end == nullptr) {
                pos_ = end_;
                return;
            }
            pos_ = static_cast<const char*>(line_end);
            in_comment_ = false;
        }
        for (; pos_ != end_ && is_blank(*pos_); ++pos_) line_began_ |= *pos_ == '\n';
        if (pos_ == end_ || !comments_ || *pos_ != '#') return;
        in_comment_ = true;
    }
}

std::string_view TokenScanner::next() {
    line_began_ = !started_;
    for (;;) {
        skip_space();
        if (pos_ != end_) break;
        pos_ = end_ = begin_;  // nothing worth keeping
        if (!refill()) return {};
    }
    started_ = true;
    for (;;) {
        const char* p = pos_;
        if (comments_) {
            while (p != end_ && !is_blank(*p) && *p != '#') ++p;
        } else {
            while (p != end_ && !is_blank(*p)) ++p;
        }
        if (p != end_ || at_eof_) {
            const char* start = pos_;
            pos_ = p;
            return {start, static_cast<std::size_t>(p - start)};
        }
        // The token may go on in the next block: keep it and read more.
        // A failed refill at the end of the file leaves at_eof_ set, so the
        // next round hands out the token as it stands.
        refill();
        if (failed_) return {};
    }
}

bool TokenScanner::at_line_end() {
    // The in-place number paths consume the blank behind a token, often the
    // line end itself; next() stops at that blank.
    if (pos_ != begin_ && pos_[-1] == '\n') return true;
    for (;;) {
        while (pos_ != end_ && is_blank(*pos_) && *pos_ != '\n') ++pos_;
        if (pos_ != end_) return *pos_ == '\n' || (comments_ && *pos_ == '#');
        // A read error here is left for the next read to report.
        if (!refill()) return true;
    }
}

std::string block_size_text(std::size_t bytes) {
    if (bytes % (std::size_t{1} << 20) == 0) return std::to_string(bytes >> 20) + " MiB";
    if (bytes % 1024 == 0) return std::to_string(bytes >> 10) + " KiB";
    return std::to_string(bytes) + " bytes";
}

std::string scanner_failure(const TokenScanner& text) {
    if (text.out_of_memory()) {
        return "cannot allocate the read buffer (" + block_size_text(text.block_size()) + ")";
    }
    if (text.token_too_long()) return "a token longer than " + block_size_text(text.block_size());
    return std::strerror(scanner_error_number(text));
}

int scanner_error_number(const TokenScanner& text) {
    return text.read_error() != 0 ? text.read_error() : EIO;
}

}  // namespace levelset_prep::textio
