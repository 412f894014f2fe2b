// SPDX-License-Identifier: MIT
// The node reader (read_nodes) with its count and layout taken from the
// input, as tetclean takes them: a count that the text could not hold is
// refused before anything is allocated, so the fuzzer allocates exactly what
// the program would. The text is read from memory and as a stream in small
// blocks; both must give the same result, and accepted coordinates are
// finite. An accepted text in TetGen's layout declares dimension 3.
#include <cmath>
#include <cstdint>
#include <cstring>
#include <memory>
#include <string_view>

#include <levelset_prep/mesh/mesh_files.hpp>
#include <levelset_prep/textio/token_scanner.hpp>

#include "fuzz_support.hpp"

using namespace levelset_prep;

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    if (size == 0) return 0;
    const std::uint8_t choice = data[0];
    const std::string_view text(reinterpret_cast<const char*>(data) + 1, size - 1);

    // At least 8 bytes a node record, as tetclean's count reader demands.
    const std::optional<std::int32_t> count = fuzz::mesh_count(text, 8);
    if (!count) return 0;
    mesh::RunParameters param;
    param.nodes_number[1] = *count;
    const std::size_t values = 3 * static_cast<std::size_t>(*count);
    textio::TokenScanner head(text);
    const mesh::NodeLayout layout = mesh::read_node_layout(head);

    std::unique_ptr<double[]> read[2] = {std::make_unique<double[]>(values),
                                         std::make_unique<double[]>(values)};
    if (!fuzz::read_both_ways(
            text, choice, "n.node", [&](textio::TokenScanner& scanner, int which) {
                return mesh::read_nodes(read[which].get(), scanner, "n.node", 1, param, layout);
            })) {
        return 0;
    }
    FUZZ_CHECK(std::memcmp(read[0].get(), read[1].get(), values * sizeof(double)) == 0);
    for (std::size_t i = 0; i < values; ++i) FUZZ_CHECK(std::isfinite(read[0][i]));
    FUZZ_CHECK((layout.kind != mesh::Layout::tetgen) || layout.dimension == 3);
    return 0;
}
