// SPDX-License-Identifier: MIT
// Leaves the machine's free memory as a memory-heavy program before a run
// leaves it: fragmented.
//
//   fragment_memory <MiB> <file>
//
// Maps and touches <MiB> MiB in blocks of 16 KiB to 1 MiB, writing 4 KiB
// to <file> after each block, unmaps half of the blocks in a scattered
// order, maps and touches a quarter of <MiB> more the same way, and exits.
// The file's pages were taken from the same free memory as the blocks, in
// between them, and stay in the page cache after the exit, so the memory
// the blocks gave back is free only in small pieces until the file goes (as
// a step of a pipeline leaves its output for the next). Without them, the
// exit would hand back every block and the free memory would merge whole
// again. The blocks are mapped and unmapped directly, not through malloc,
// so that each unmapping returns its pages to the system whatever malloc's
// thresholds are. The same arguments always give the same blocks, order and
// file (<MiB> / 256 KiB pages of it on average).
#include <fcntl.h>
#include <sys/mman.h>
#include <unistd.h>

#include <cerrno>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <utility>
#include <vector>

namespace {

struct Block {
    char* data;
    std::size_t bytes;
};

// xorshift64: the same sequence on every system.
struct Random {
    std::uint64_t state = 0x9e3779b97f4a7c15u;
    std::uint64_t next() {
        state ^= state << 13;
        state ^= state >> 7;
        state ^= state << 17;
        return state;
    }
};

constexpr std::size_t chunk = 4096;

// Maps and touches blocks until `blocks` hold `goal` bytes, one chunk of
// `fd` written after each; what failed, or null.
const char* grow(std::vector<Block>& blocks, std::size_t& held, std::size_t goal, int fd,
                 Random& random) {
    static const std::vector<char> page(chunk, 'x');
    const auto page_bytes = static_cast<std::size_t>(sysconf(_SC_PAGESIZE));
    while (held < goal) {
        const std::size_t bytes = (4 + random.next() % 253) * chunk;  // 16 KiB to 1 MiB
        void* data =
            mmap(nullptr, bytes, PROT_READ | PROT_WRITE, MAP_PRIVATE | MAP_ANONYMOUS, -1, 0);
        if (data == MAP_FAILED) return "cannot map memory";
        auto* bytes_of = static_cast<char*>(data);
        for (std::size_t at = 0; at < bytes; at += page_bytes) bytes_of[at] = 1;
        blocks.push_back({bytes_of, bytes});
        held += bytes;
        if (write(fd, page.data(), page.size()) != static_cast<ssize_t>(page.size())) {
            return "cannot write the file";
        }
    }
    return nullptr;
}

const char* fragment(std::size_t mib, const char* file) {
    const int fd = open(file, O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0644);
    if (fd < 0) return "cannot create the file";
    Random random;
    std::vector<Block> blocks;
    std::size_t held = 0;
    const char* failed = grow(blocks, held, mib << 20, fd, random);
    // Shuffled, so that the first half is a scattered half.
    for (std::size_t i = blocks.size(); !failed && i > 1; --i) {
        std::swap(blocks[i - 1], blocks[random.next() % i]);
    }
    const std::size_t freed = blocks.size() / 2;
    for (std::size_t i = 0; !failed && i < freed; ++i) {
        munmap(blocks[i].data, blocks[i].bytes);
        held -= blocks[i].bytes;
    }
    if (!failed) failed = grow(blocks, held, held + (mib << 18), fd, random);
    if (close(fd) != 0 && !failed) failed = "cannot write the file";
    return failed;
}

}  // namespace

int main(int argc, char** argv) {
    char* end = nullptr;
    const unsigned long long mib = argc == 3 ? std::strtoull(argv[1], &end, 10) : 0;
    if (argc != 3 || end == argv[1] || *end != '\0' || mib == 0 || mib > (1ull << 20)) {
        std::fprintf(stderr, "usage: %s <MiB, 1 to 1048576> <file>\n", argv[0]);
        return 1;
    }
    if (const char* failed = fragment(static_cast<std::size_t>(mib), argv[2])) {
        std::fprintf(stderr, "fragment_memory: %s: %s: %s\n", argv[2], failed,
                     std::strerror(errno));
        return 1;
    }
    return 0;
}
