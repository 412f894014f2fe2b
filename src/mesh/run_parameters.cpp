// SPDX-License-Identifier: MIT
#include <limits>

#include <levelset_prep/mesh/run_parameters.hpp>
#include <levelset_prep/textio/input_file.hpp>
#include <levelset_prep/textio/number_scan.hpp>
#include <levelset_prep/textio/shown_text.hpp>

namespace levelset_prep::mesh {
namespace {

constexpr std::int64_t int32_max = std::numeric_limits<std::int32_t>::max();

// Rounds a positive extent up to the next multiple of 4; remainders carry
// the extent's sign, so a negative extent comes through unchanged.
std::int64_t round_extent(std::int64_t size) {
    if (size % 2 == 1) size += 1;
    if (size % 4 == 2) size += 2;
    return size;
}

struct Level {
    std::int64_t nx, ny, nz;
    // 8*nx*ny*nz, or -1 when it would pass 2147483647 (or a dimension is
    // below 1). Checked step by step: two dimensions near 2^32 and a third
    // would overflow even 64 bits.
    std::int64_t count() const {
        std::int64_t product = 8;
        for (const std::int64_t n : {nx, ny, nz}) {
            if (n < 1 || product > int32_max / n) return -1;
            product *= n;
        }
        return product;
    }
};

// 2*(size/divisor) + 32 per axis; division truncates toward zero.
Level derive_level(std::int64_t x, std::int64_t y, std::int64_t z, std::int64_t divisor) {
    return {2 * (x / divisor) + 32, 2 * (y / divisor) + 32, 2 * (z / divisor) + 32};
}

const char* const extent_names[3] = {"first", "second", "third"};

}  // namespace

textio::MaybeError RunParameters::read_parameter_file(const std::string& file_name) {
    return textio::scan_text_file(file_name, "parameter file", [&](textio::TokenScanner& text) {
        return read_parameters(text, file_name);
    });
}

textio::MaybeError RunParameters::read_parameters(textio::TokenScanner& text,
                                                  const std::string& file_name) {
    // Only the three extents matter; the thirteen simulation values that
    // follow are neither needed nor checked.
    std::int64_t extent[3];
    for (int i = 0; i < 3; ++i) {
        const std::string_view token = text.next();
        if (token.empty()) {
            const std::string which = std::string("the ") + extent_names[i] + " grid extent";
            if (!text.failed()) return textio::file_error(file_name, which + " is missing");
            if (text.out_of_memory()) {
                return textio::file_error(file_name, textio::scanner_failure(text));
            }
            if (text.token_too_long()) {
                return textio::file_error(file_name,
                                          textio::scanner_failure(text) + " before " + which);
            }
            return textio::file_error(
                file_name, "cannot read the parameter file: " + textio::scanner_failure(text));
        }
        std::int32_t value = 0;
        if (textio::scan_number(token, value) != textio::ScanStatus::ok) {
            // Shown whole, as before, but with its control bytes spelt out.
            return textio::file_error(file_name, std::string("the ") + extent_names[i] +
                                                     " grid extent '" + textio::shown_text(token) +
                                                     "' is not a whole number");
        }
        extent[i] = round_extent(value);
    }

    const Level level1 = derive_level(extent[0], extent[1], extent[2], 1);
    const Level level2 = derive_level(extent[0], extent[1], extent[2], 2);
    const Level level3 = derive_level(extent[0], extent[1], extent[2], 4);
    const auto refused = [&](const char* verdict) {
        return textio::file_error(file_name, "grid extents " + std::to_string(extent[0]) + " " +
                                                 std::to_string(extent[1]) + " " +
                                                 std::to_string(extent[2]) +
                                                 " give a level-set grid " + verdict);
    };
    if (level1.nx < 1 || level1.ny < 1 || level1.nz < 1) return refused("with no points");
    for (const Level& level : {level1, level2, level3}) {
        if (level.count() < 0) return refused("too large for 2147483647 values");
    }

    nodes_number = {};
    tets_number = {};
    nodes_number_out = {};
    tets_number_out = {};
    tbd_size = {};
    tbd_size_out = {};
    size_x = static_cast<std::int32_t>(extent[0]);
    size_y = static_cast<std::int32_t>(extent[1]);
    size_z = static_cast<std::int32_t>(extent[2]);
    auto store = [](const Level& level, std::int32_t& nx, std::int32_t& ny, std::int32_t& nz,
                    std::int32_t& count) {
        nx = static_cast<std::int32_t>(level.nx);
        ny = static_cast<std::int32_t>(level.ny);
        nz = static_cast<std::int32_t>(level.nz);
        count = static_cast<std::int32_t>(level.count());
    };
    store(level3, grid3_nx, grid3_ny, grid3_nz, grid3_count);
    store(level2, grid2_nx, grid2_ny, grid2_nz, grid2_count);
    store(level1, grid1_nx, grid1_ny, grid1_nz, grid1_count);
    reserved_short = 0;
    return std::nullopt;
}

GridShape grid_shape(const RunParameters& param, std::int16_t level) {
    switch (level) {
        case 1:
            return {param.grid1_nx, param.grid1_ny, param.grid1_nz};
        case 2:
            return {param.grid2_nx, param.grid2_ny, param.grid2_nz};
        case 3:
            return {param.grid3_nx, param.grid3_ny, param.grid3_nz};
        default:
            return {};
    }
}

}  // namespace levelset_prep::mesh
