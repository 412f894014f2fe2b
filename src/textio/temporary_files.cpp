// SPDX-License-Identifier: MIT
#include <fcntl.h>
#include <sys/random.h>
#include <time.h>
#include <unistd.h>

#include <cerrno>
#include <cstdint>
#include <cstdio>
#include <cstring>
#include <random>

#include <levelset_prep/textio/temporary_files.hpp>

namespace levelset_prep::textio {
namespace {

struct Entry {
    volatile sig_atomic_t used;
    int folder;
    char name[temporary_name_size];
};

// Entries change only while the signals are blocked, so the handler never
// sees one half written.
constexpr int entry_count = 64;
Entry entries[entry_count];

void remove_listed() {
    for (Entry& entry : entries) {
        if (entry.used) unlinkat(entry.folder, entry.name, 0);
    }
}

sigset_t cleaned_signal_set() {
    sigset_t set;
    sigemptyset(&set);
    for (int signal_number : temporary_file_signals) sigaddset(&set, signal_number);
    return set;
}

}  // namespace

SignalBlock::SignalBlock() {
    const sigset_t set = cleaned_signal_set();
    sigprocmask(SIG_BLOCK, &set, &previous_);
}

SignalBlock::~SignalBlock() { sigprocmask(SIG_SETMASK, &previous_, nullptr); }

void make_hidden_name(const char* prefix, char (&name)[temporary_name_size]) {
    // Seeded once without any way to throw; where the system has no seed
    // the clock and process number differ, and exclusive creation catches
    // any clash.
    static std::mt19937_64 generator = [] {
        std::uint64_t seed = 0;
        if (getrandom(&seed, sizeof seed, GRND_NONBLOCK) != static_cast<ssize_t>(sizeof seed)) {
            timespec now{};
            clock_gettime(CLOCK_REALTIME, &now);
            seed = static_cast<std::uint64_t>(now.tv_nsec) ^
                   (static_cast<std::uint64_t>(now.tv_sec) << 30);
        }
        seed ^= static_cast<std::uint64_t>(getpid()) << 16;
        return std::mt19937_64(seed);
    }();
    std::snprintf(name, temporary_name_size, "%s%08x", prefix,
                  static_cast<unsigned>(generator() & 0xffffffffu));
}

int create_temporary_file(int folder, char (&name)[temporary_name_size], int& entry) {
    entry = -1;
    // Blocked from before the file exists until it is listed: a signal in
    // between would leave it behind.
    SignalBlock block;
    for (int attempt = 0; attempt < 64; ++attempt) {
        make_hidden_name(".~out.", name);
        const int fd =
            openat(folder, name, O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC | O_NOFOLLOW, 0600);
        if (fd < 0) {
            if (errno == EEXIST) continue;
            return -1;
        }
        for (int i = 0; i < entry_count; ++i) {
            if (entries[i].used) continue;
            entries[i].folder = folder;
            std::memcpy(entries[i].name, name, temporary_name_size);
            entries[i].used = 1;
            entry = i;
            break;
        }
        return fd;
    }
    errno = EEXIST;
    return -1;
}

void remove_listed_temporary_files() {
    SignalBlock block;
    remove_listed();
}

void forget_temporary_file(int entry) {
    if (entry < 0 || entry >= entry_count) return;
    SignalBlock block;
    entries[entry].used = 0;
}

}  // namespace levelset_prep::textio
