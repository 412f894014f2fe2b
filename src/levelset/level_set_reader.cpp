// read_level_set: the level-set grid from its text file.
#include <levelset_prep/levelset/level_set.hpp>
#include <levelset_prep/textio/input_file.hpp>
#include <levelset_prep/textio/number_scan.hpp>

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
    for (; got < needed; ++got) {
        if (textio::read_number(text, grid[got], token) != textio::ScanStatus::ok) break;
    }
    if (got == needed) return std::nullopt;

    std::string problem = "holds " + std::to_string(got) + " values";
    if (!token.empty()) {
        problem += " before '" + textio::shown_token(token) + "', which is not a number";
    } else if (text.failed()) {
        problem += " before a read error";
    }
    problem += "; the grid needs " + std::to_string(needed) + " (" + std::to_string(shape.nx) +
               " x " + std::to_string(shape.ny) + " x " + std::to_string(shape.nz) + ")";
    return textio::file_error(file_name, problem);
}

}  // namespace levelset_prep::levelset
