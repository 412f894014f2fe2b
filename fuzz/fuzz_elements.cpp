// SPDX-License-Identifier: MIT
// The element reader (read_elements) with the node count taken from the
// input's first byte and the element count and layout from its text, as
// tetclean takes them (at most one record per 12 bytes of the file). Bit 2
// of the second byte makes the nodes zero-based (TetGen's layout). The text
// is read from memory and as a stream in small blocks; both must agree,
// every accepted corner must index the node array, and an accepted text in
// TetGen's layout has four-node elements with a region.
#include <cstdint>
#include <cstring>
#include <limits>
#include <memory>
#include <string_view>

#include <levelset_prep/mesh/mesh_files.hpp>
#include <levelset_prep/textio/token_scanner.hpp>

#include "fuzz_support.hpp"

using namespace levelset_prep;

namespace {

// 0, 4, ..., 996, then the edges of the 32-bit range.
std::int32_t node_count_for(std::uint8_t byte) {
    static constexpr std::int32_t edges[6] = {0,
                                              1,
                                              -1,
                                              std::numeric_limits<std::int32_t>::max(),
                                              std::numeric_limits<std::int32_t>::min(),
                                              729};
    return byte < 250 ? 4 * std::int32_t{byte} : edges[byte - 250];
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    if (size < 2) return 0;
    const std::int32_t node_count = node_count_for(data[0]);
    const std::uint8_t choice = data[1];
    const std::string_view text(reinterpret_cast<const char*>(data) + 2, size - 2);

    // At least 12 bytes an element record, as tetclean's count reader demands.
    const std::optional<std::int32_t> count = fuzz::mesh_count(text, 12);
    if (!count) return 0;
    mesh::RunParameters param;
    param.nodes_number[1] = node_count;
    param.tets_number[1] = *count;
    const std::size_t values = 5 * static_cast<std::size_t>(*count);
    mesh::MeshLayout layout;
    textio::TokenScanner head(text);
    layout.elements = mesh::read_element_layout(head);
    if ((choice & 4) != 0) {
        layout.nodes.kind = mesh::Layout::tetgen;
        layout.nodes.first_number = 0;
    }

    std::unique_ptr<std::int32_t[]> read[2] = {std::make_unique<std::int32_t[]>(values),
                                               std::make_unique<std::int32_t[]>(values)};
    if (!fuzz::read_both_ways(text, choice, "e.ele", [&](textio::TokenScanner& scanner, int which) {
            return mesh::read_elements(read[which].get(), scanner, "e.ele", 1, param, layout);
        })) {
        return 0;
    }
    FUZZ_CHECK(std::memcmp(read[0].get(), read[1].get(), values * sizeof(std::int32_t)) == 0);
    FUZZ_CHECK((layout.elements.kind != mesh::Layout::tetgen) ||
               (layout.elements.nodes_per_element == 4 && layout.elements.attributes >= 1));
    for (std::size_t j = 0; j < static_cast<std::size_t>(*count); ++j) {
        for (int corner = 0; corner < 4; ++corner) {
            const std::int32_t index = read[0][5 * j + corner];
            FUZZ_CHECK(index >= 0 && index < node_count);
        }
    }
    return 0;
}
