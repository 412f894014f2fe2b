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

// Extent i (0 to 2) from the next token, rounded up to a multiple of 4.
textio::MaybeError read_extent(textio::TokenScanner& text, const std::string& file_name, int i,
                               std::int64_t& extent) {
    const std::string which = std::string("the ") + extent_names[i] + " grid extent";
    const std::string_view token = text.next();
    if (token.empty()) {
        if (!text.failed()) return textio::file_error(file_name, which + " is missing");
        if (text.out_of_memory())
            return textio::file_error(file_name, textio::scanner_failure(text));
        if (text.token_too_long()) {
            return textio::file_error(file_name,
                                      textio::scanner_failure(text) + " before " + which);
        }
        return textio::system_error(file_name, "cannot read the parameter file",
                                    textio::scanner_error_number(text));
    }
    std::int32_t value = 0;
    if (textio::scan_number(token, value) != textio::ScanStatus::ok) {
        return textio::file_error(
            file_name, which + " '" + textio::shown_text(token) + "' is not a whole number");
    }
    extent = round_extent(value);
    return std::nullopt;
}

// A grid of no points, or of more values than 32 bits count, is refused.
textio::MaybeError check_levels(const std::int64_t (&extent)[3], const std::string& file_name) {
    const auto refused = [&](const char* verdict) {
        return textio::file_error(file_name, "grid extents " + std::to_string(extent[0]) + " " +
                                                 std::to_string(extent[1]) + " " +
                                                 std::to_string(extent[2]) +
                                                 " give a level-set grid " + verdict);
    };
    const Level level1 = derive_level(extent[0], extent[1], extent[2], 1);
    if (level1.nx < 1 || level1.ny < 1 || level1.nz < 1) return refused("with no points");
    for (const std::int64_t divisor : {1, 2, 4}) {
        if (derive_level(extent[0], extent[1], extent[2], divisor).count() < 0) {
            return refused("too large for 2147483647 values");
        }
    }
    return std::nullopt;
}

void store(const Level& level, std::int32_t& nx, std::int32_t& ny, std::int32_t& nz,
           std::int32_t& count) {
    nx = static_cast<std::int32_t>(level.nx);
    ny = static_cast<std::int32_t>(level.ny);
    nz = static_cast<std::int32_t>(level.nz);
    count = static_cast<std::int32_t>(level.count());
}

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
        if (auto problem = read_extent(text, file_name, i, extent[i])) return problem;
    }
    if (auto problem = check_levels(extent, file_name)) return problem;

    const bool flag = reserved_flag;  // the caller's, kept
    *this = RunParameters();
    reserved_flag = flag;
    size_x = static_cast<std::int32_t>(extent[0]);
    size_y = static_cast<std::int32_t>(extent[1]);
    size_z = static_cast<std::int32_t>(extent[2]);
    store(derive_level(extent[0], extent[1], extent[2], 4), grid3_nx, grid3_ny, grid3_nz,
          grid3_count);
    store(derive_level(extent[0], extent[1], extent[2], 2), grid2_nx, grid2_ny, grid2_nz,
          grid2_count);
    store(derive_level(extent[0], extent[1], extent[2], 1), grid1_nx, grid1_ny, grid1_nz,
          grid1_count);
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
