// SPDX-License-Identifier: MIT
// The parameter-file reader (RunParameters::read_parameters) on any text,
// read once from memory and once as a stream in small blocks: both must
// agree, and an accepted file must give a consistent record.
#include <cstdint>
#include <cstring>
#include <string>
#include <string_view>

#include <levelset_prep/mesh/run_parameters.hpp>
#include <levelset_prep/textio/token_scanner.hpp>

#include "fuzz_support.hpp"

using namespace levelset_prep;

namespace {

using mesh::RunParameters;

// The fields that read_parameters fills, for comparing two records.
std::string fields(const RunParameters& p) {
    std::string all;
    for (std::int32_t v : {p.size_x, p.size_y, p.size_z, p.grid3_nx, p.grid3_ny, p.grid3_nz,
                           p.grid3_count, p.grid2_nx, p.grid2_ny, p.grid2_nz, p.grid2_count,
                           p.grid1_nx, p.grid1_ny, p.grid1_nz, p.grid1_count}) {
        all += std::to_string(v) + " ";
    }
    return all;
}

void check_level(std::int64_t size_x, std::int64_t size_y, std::int64_t size_z,
                 std::int64_t divisor, std::int32_t nx, std::int32_t ny, std::int32_t nz,
                 std::int32_t count) {
    FUZZ_CHECK(nx == 2 * (size_x / divisor) + 32);
    FUZZ_CHECK(ny == 2 * (size_y / divisor) + 32);
    FUZZ_CHECK(nz == 2 * (size_z / divisor) + 32);
    FUZZ_CHECK(std::int64_t{count} == std::int64_t{nx} * ny * nz * 8);
    FUZZ_CHECK(nx >= 1 && ny >= 1 && nz >= 1 && count >= 8);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    if (size == 0) return 0;
    const std::uint8_t choice = data[0];
    const std::string_view text(reinterpret_cast<const char*>(data) + 1, size - 1);

    RunParameters read[2];
    read[0].nodes_number[1] = read[1].nodes_number[1] = 7;  // cleared only by a successful read
    if (!fuzz::read_both_ways(text, choice, "params.txt",
                              [&](textio::TokenScanner& scanner, int which) {
                                  return read[which].read_parameters(scanner, "params.txt");
                              })) {
        FUZZ_CHECK(read[0].nodes_number[1] == 7 && read[0].grid1_count == 0);  // left as it was
        return 0;
    }
    FUZZ_CHECK(fields(read[0]) == fields(read[1]));
    const RunParameters& p = read[0];
    FUZZ_CHECK(p.nodes_number[1] == 0 && p.tets_number[1] == 0 && p.tbd_size[1] == 0);
    for (std::int32_t extent : {p.size_x, p.size_y, p.size_z}) {
        FUZZ_CHECK(extent < 0 || extent % 4 == 0);
    }
    check_level(p.size_x, p.size_y, p.size_z, 1, p.grid1_nx, p.grid1_ny, p.grid1_nz, p.grid1_count);
    check_level(p.size_x, p.size_y, p.size_z, 2, p.grid2_nx, p.grid2_ny, p.grid2_nz, p.grid2_count);
    check_level(p.size_x, p.size_y, p.size_z, 4, p.grid3_nx, p.grid3_ny, p.grid3_nz, p.grid3_count);
    const mesh::GridShape shape = mesh::grid_shape(p, 1);
    FUZZ_CHECK(shape.points() * 8 == p.grid1_count);
    return 0;
}
