// SPDX-License-Identifier: MIT
#include <fcntl.h>
#include <signal.h>
#include <unistd.h>

#include <filesystem>
#include <string>

#include <gtest/gtest.h>

#include <levelset_prep/textio/temporary_files.hpp>

#include "test_files.hpp"

namespace {

namespace fs = std::filesystem;
using namespace levelset_prep::textio;

void (*handler_of(int signal_number))(int) {
    struct sigaction current {};
    sigaction(signal_number, nullptr, &current);
    return current.sa_handler;
}

// The listed files go at once; a file taken off the list stays. Creating
// them changes no signal action: that is the program's to set.
TEST(TemporaryFiles, ListedFilesAreRemovedAndSignalsLeftAlone) {
    testing_support::TempDir dir;
    const int folder = open(dir.path().c_str(), O_RDONLY | O_DIRECTORY);
    ASSERT_GE(folder, 0);
    void (*before[4])(int) = {};
    for (int i = 0; i < 4; ++i) before[i] = handler_of(temporary_file_signals[i]);
    const auto size_limit = handler_of(SIGXFSZ);

    char listed[temporary_name_size], forgotten[temporary_name_size];
    int listed_entry = -1, forgotten_entry = -1;
    const int fd1 = create_temporary_file(folder, listed, listed_entry);
    const int fd2 = create_temporary_file(folder, forgotten, forgotten_entry);
    ASSERT_GE(fd1, 0);
    ASSERT_GE(fd2, 0);
    EXPECT_NE(std::string(listed), std::string(forgotten));
    EXPECT_EQ(std::string(listed).rfind(".~out.", 0), 0u);
    forget_temporary_file(forgotten_entry);
    remove_listed_temporary_files();
    EXPECT_FALSE(fs::exists(dir / listed));
    EXPECT_TRUE(fs::exists(dir / forgotten));

    for (int i = 0; i < 4; ++i) EXPECT_EQ(handler_of(temporary_file_signals[i]), before[i]);
    EXPECT_EQ(handler_of(SIGXFSZ), size_limit);
    close(fd1);
    close(fd2);
    close(folder);
}

}  // namespace
