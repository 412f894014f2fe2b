// SPDX-License-Identifier: MIT
// read_level_set: the level-set grid from its text file.
#include <levelset_prep/levelset/level_set.hpp>
#include <levelset_prep/textio/input_file.hpp>
#include <levelset_prep/textio/number_scan.hpp>
#include <levelset_prep/textio/shown_text.hpp>

namespace levelset_prep::levelset {

using mesh::RunParameters;

textio::MaybeError read_level_set(const std::string& file_name, float* grid, RunParameters param,
                                  std::int16_t level) {
    return textio::scan_text_file(file_name, "level-set file", [&](textio::TokenScanner& text) {
        return read_level_set(text, file_name, grid, param, level);
    });
}

textio::MaybeError read_level_set(textio::TokenScanner& text, const std::string& file_name,
                                  float* grid, const RunParameters& param, std::int16_t level) {
    const mesh::GridShape shape = mesh::grid_shape(param, level);
    const std::int64_t needed = shape.points();
    std::int64_t got = 0;
    std::string_view token;
    textio::ScanStatus status = textio::ScanStatus::ok;
    for (; got < needed; ++got) {
        status = textio::read_number(text, grid[got], token);
        if (status != textio::ScanStatus::ok) break;
    }
    if (got == needed) return std::nullopt;
    if (text.out_of_memory()) return textio::file_error(file_name, textio::scanner_failure(text));

    std::string problem = "holds " + std::to_string(got) + " values";
    if (!token.empty()) {
        problem += " before " + textio::shown_token(token) +
                   (status == textio::ScanStatus::out_of_range ? ", which is out of range"
                                                               : ", which is not a number");
    } else if (text.token_too_long()) {
        problem += " before " + textio::scanner_failure(text);
    } else if (text.failed()) {
        problem += " before a read error (" + textio::scanner_failure(text) + ")";
    }
    problem += "; the grid needs " + std::to_string(needed) + " (" + std::to_string(shape.nx) +
               " x " + std::to_string(shape.ny) + " x " + std::to_string(shape.nz) + ")";
    textio::Error error = textio::file_error(file_name, problem);
    if (text.failed() && !text.token_too_long()) {
        error.saved_errno = textio::scanner_error_number(text);
    }
    return error;
}

}  // namespace levelset_prep::levelset
