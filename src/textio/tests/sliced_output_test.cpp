// SPDX-License-Identifier: MIT
#include <optional>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include <levelset_prep/textio/sliced_output.hpp>

#include "test_files.hpp"

namespace {

using levelset_prep::textio::OutputFile;
using levelset_prep::textio::SlicedText;
using levelset_prep::textio::write_in_slices;

// Slice k of text t: its own letters, of a length that varies from slice to
// slice, so that a slice out of order or twice shows.
std::string slice_text(std::size_t t, std::int64_t k) {
    // Appended piece by piece: g++ 12 -O3 -Wrestrict misreads the sum.
    std::string text(static_cast<std::size_t>(1 + (k * 7919) % 61), static_cast<char>('a' + t));
    text.append(std::to_string(k)).append("\n");
    return text;
}

std::string file_name(std::size_t t) { return std::string("t").append(std::to_string(t)); }

TEST(SlicedOutput, EveryTextInOrderWhateverTheThreads) {
    testing_support::TempDir dir;
    const std::vector<std::int64_t> slice_counts[] = {{1}, {500}, {3, 0, 200}, {97, 1, 350}};
    for (const auto& counts : slice_counts) {
        for (int threads : {1, 2, 3, 8}) {
            std::string trace = std::to_string(counts.size());
            trace.append(" texts, ").append(std::to_string(threads)).append(" threads");
            SCOPED_TRACE(trace);
            std::vector<OutputFile> outputs(counts.size());
            std::vector<SlicedText> texts;
            std::vector<std::string> expected(counts.size());
            for (std::size_t t = 0; t < counts.size(); ++t) {
                ASSERT_FALSE(outputs[t].open((dir / file_name(t)).string()));
                for (std::int64_t k = 0; k < counts[t]; ++k) expected[t] += slice_text(t, k);
                texts.push_back({&outputs[t], counts[t], [t](char* buffer, std::int64_t k) {
                                     const std::string text = slice_text(t, k);
                                     return text.copy(buffer, text.size()) + buffer;
                                 }});
            }
            ASSERT_TRUE(write_in_slices(texts, 128, threads));
            for (std::size_t t = 0; t < counts.size(); ++t) {
                ASSERT_FALSE(outputs[t].finish());
                ASSERT_FALSE(outputs[t].commit());
                EXPECT_TRUE(testing_support::read_file(dir / file_name(t)) == expected[t]) << t;
            }
        }
    }
}

// Text put before and after the slices stays around them, whether the
// slices go to a regular file at their places or to a pipe in turn.
TEST(SlicedOutput, TextAroundTheSlicesKeepsItsPlace) {
    testing_support::TempDir dir;
    for (const bool regular : {true, false}) {
        SCOPED_TRACE(regular ? "regular file" : "device");
        const std::string name = regular ? (dir / "t").string() : "/dev/null";
        OutputFile out;
        ASSERT_FALSE(out.open(name));
        const std::optional<std::uint64_t> none = out.claim_block(0);
        EXPECT_EQ(none.has_value(), regular);
        out.put("head\n");
        std::string expected = "head\n";
        for (std::int64_t k = 0; k < 40; ++k) expected += slice_text(0, k);
        const SlicedText text{&out, 40, [](char* buffer, std::int64_t k) {
                                  const std::string laid_out = slice_text(0, k);
                                  return laid_out.copy(buffer, laid_out.size()) + buffer;
                              }};
        ASSERT_TRUE(write_in_slices({&text, 1}, 128, 2));
        out.put("tail\n");
        ASSERT_FALSE(out.finish());
        ASSERT_FALSE(out.commit());
        if (regular) {
            EXPECT_TRUE(testing_support::read_file(dir / "t") == expected + "tail\n");
        }
    }
}

}  // namespace
