// SPDX-License-Identifier: MIT
// Shared by the fuzz targets: a check that stops the fuzzer with a message,
// text held as an open stream (so the block-reading path of the token
// scanner is fuzzed as well as the in-memory one), and a scratch folder.
#pragma once

#include <stdio.h>
#include <stdlib.h>
#include <unistd.h>

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <optional>
#include <string>
#include <string_view>
#include <system_error>
#include <utility>

#include <levelset_prep/textio/error.hpp>
#include <levelset_prep/textio/number_scan.hpp>
#include <levelset_prep/textio/token_scanner.hpp>

using namespace levelset_prep;

// A property every input must keep; a violation is a finding.
#define FUZZ_CHECK(condition)                                                                  \
    do {                                                                                       \
        if (!(condition)) {                                                                    \
            std::fprintf(stderr, "%s:%d: check failed: %s\n", __FILE__, __LINE__, #condition); \
            std::abort();                                                                      \
        }                                                                                      \
    } while (false)

namespace fuzz {

// A field of a stored header or image, in its own byte order (`swap`: the
// other order than this machine's).
template <typename T>
T field(const std::uint8_t* bytes, std::size_t offset, bool swap) {
    std::uint8_t raw[sizeof(T)];
    std::memcpy(raw, bytes + offset, sizeof(T));
    if (swap) {
        for (std::size_t i = 0; i < sizeof(T) / 2; ++i) std::swap(raw[i], raw[sizeof(T) - 1 - i]);
    }
    T value;
    std::memcpy(&value, raw, sizeof(T));
    return value;
}

// `text` as a read-only stream over the same bytes (no copy, no disk).
inline std::FILE* open_memory(std::string_view text) {
    std::FILE* file = ::fmemopen(const_cast<char*>(text.data()), text.size(), "rb");
    FUZZ_CHECK(file != nullptr);
    return file;
}

// `text` as a stream that cannot seek and hands out its bytes in small
// pieces, as a pipe does.
inline std::FILE* open_unseekable(std::string_view text) {
    struct Cookie {
        std::string_view text;
        std::size_t pos = 0;
    };
    cookie_io_functions_t io{};
    io.read = [](void* cookie, char* buffer, std::size_t size) -> ssize_t {
        auto* state = static_cast<Cookie*>(cookie);
        std::size_t part = state->text.size() - state->pos;
        if (part > size) part = size;
        if (part > 1000) part = 1000;
        state->text.copy(buffer, part, state->pos);
        state->pos += part;
        return static_cast<ssize_t>(part);
    };
    io.close = [](void* cookie) -> int {
        delete static_cast<Cookie*>(cookie);
        return 0;
    };
    std::FILE* file = ::fopencookie(new Cookie{text}, "rb", io);  // no seek: ftell fails
    FUZZ_CHECK(file != nullptr);
    return file;
}

// The longest run of bytes that are not white space: the scanner's block
// must be longer than any token for the two paths to read alike.
inline std::size_t longest_token(std::string_view text) {
    std::size_t longest = 0, run = 0;
    for (char c : text) {
        const bool blank =
            c == ' ' || c == '\n' || c == '\t' || c == '\r' || c == '\v' || c == '\f';
        run = blank ? 0 : run + 1;
        if (run > longest) longest = run;
    }
    return longest;
}

// A block size for the stream path: small enough that ordinary inputs
// cross block boundaries, never shorter than a token of `text`.
inline std::size_t block_size_for(std::string_view text, std::uint8_t choice) {
    static constexpr std::size_t sizes[4] = {128, 257, 1024, 4096};
    std::size_t size = sizes[choice % 4];
    const std::size_t needed = longest_token(text) + 1;
    return size > needed ? size : needed;
}

// Runs `read(text, which)` on `text` twice: from memory (which 0) and as
// a stream read in small blocks (which 1). Both must report the same
// problem, naming `file_name`, or none. True when they read it.
template <typename Read>
bool read_both_ways(std::string_view text, std::uint8_t choice, const std::string& file_name,
                    Read read) {
    textio::TokenScanner memory_text(text);
    const textio::MaybeError from_memory = read(memory_text, 0);
    std::FILE* file = open_memory(text);
    textio::TokenScanner file_text(file, block_size_for(text, choice));
    const textio::MaybeError from_stream = read(file_text, 1);
    std::fclose(file);
    FUZZ_CHECK(from_memory.has_value() == from_stream.has_value());
    if (!from_memory) return true;
    FUZZ_CHECK(from_memory->message() == from_stream->message());
    FUZZ_CHECK(from_memory->message().rfind(file_name + ": ", 0) == 0);
    return false;
}

// The record count at the head of a mesh text as tetclean's count reader
// takes it: 0 when it is not a count (the reader then fails on it), and
// nothing when the text could not hold that many records of at least
// `min_record_bytes` each (the program refuses it before allocating).
inline std::optional<std::int32_t> mesh_count(std::string_view text,
                                              std::uint64_t min_record_bytes) {
    textio::TokenScanner head(text);
    head.set_comments(true);
    std::int32_t count = 0;
    std::string_view token;
    if (textio::read_number(head, count, token) != textio::ScanStatus::ok || count < 0) count = 0;
    if (static_cast<std::uint64_t>(count) * min_record_bytes > text.size()) return std::nullopt;
    return count;
}

// A folder of this process's own, in memory where the system has one,
// removed when the process ends.
inline const std::filesystem::path& scratch_folder() {
    static const std::filesystem::path folder = [] {
        const char* base = ::access("/dev/shm", W_OK) == 0 ? "/dev/shm" : "/tmp";
        std::string pattern = std::string(base) + "/levelset_prep_fuzz_XXXXXX";
        FUZZ_CHECK(::mkdtemp(pattern.data()) != nullptr);
        static const std::string made = pattern;
        std::atexit([] {
            std::error_code ignored;
            std::filesystem::remove_all(made, ignored);
        });
        return std::filesystem::path(pattern);
    }();
    return folder;
}

inline void write_bytes(const std::filesystem::path& path, std::string_view bytes) {
    std::FILE* file = std::fopen(path.c_str(), "wb");
    FUZZ_CHECK(file != nullptr);
    FUZZ_CHECK(std::fwrite(bytes.data(), 1, bytes.size(), file) == bytes.size());
    FUZZ_CHECK(std::fclose(file) == 0);
}

inline std::string read_bytes(const std::filesystem::path& path) {
    std::string bytes;
    std::FILE* file = std::fopen(path.c_str(), "rb");
    if (file == nullptr) return bytes;
    char block[4096];
    std::size_t got = 0;
    while ((got = std::fread(block, 1, sizeof block, file)) != 0) bytes.append(block, got);
    std::fclose(file);
    return bytes;
}

}  // namespace fuzz
