// SPDX-License-Identifier: MIT
#include <chrono>
#include <stdexcept>
#include <string>
#include <thread>

#include <gtest/gtest.h>

#include <levelset_prep/textio/side_thread.hpp>

namespace {

using levelset_prep::textio::SideThread;

TEST(SideThread, TakeReturnsTheResultOrRethrowsOnTheTakingThread) {
    SideThread<std::string> result([] { return std::string("done"); });
    EXPECT_EQ(result.take(), "done");

    SideThread<int> thrown([]() -> int { throw std::runtime_error("in the work"); });
    try {
        thrown.take();
        ADD_FAILURE() << "nothing thrown";
    } catch (const std::runtime_error& error) {
        EXPECT_EQ(std::string(error.what()), "in the work");
    }
}

// Leaving the scope without take() waits for the work: nothing it touches
// may be gone while it runs.
TEST(SideThread, DestructorWaitsForTheWork) {
    int done = 0;  // not atomic: only the wait orders the two threads
    {
        SideThread<bool> work([&] {
            std::this_thread::sleep_for(std::chrono::milliseconds(20));
            done = 1;
            return true;
        });
    }
    EXPECT_EQ(done, 1);
}

}  // namespace
