// read_level_set: the level-set grid from its text file.
#include "input_file.hpp"
#include "level_set.hpp"
#include "number_scan.hpp"

namespace tetclean {

common::MaybeError read_level_set(const std::string& file_name, float* grid, RunParameters param,
                                  std::int16_t level) {
    common::MaybeError problem;
    common::InputFile file = common::open_input(file_name, "level-set file", problem);
    if (!file) return problem;
    common::TokenScanner text(file.get());
    return read_level_set(text, file_name, grid, param, level);
}

common::MaybeError read_level_set(common::TokenScanner& text, const std::string& file_name,
                                  float* grid, const RunParameters& param, std::int16_t level) {
    const GridShape shape = grid_shape(param, level);
    const std::int64_t needed = shape.points();
    std::int64_t got = 0;
    std::string_view token;
    common::ScanStatus status = common::ScanStatus::ok;
    for (; got < needed; ++got) {
        status = common::read_number(text, grid[got], token);
        if (status != common::ScanStatus::ok) break;
    }
    if (got == needed) return std::nullopt;
    if (text.out_of_memory()) return common::file_error(file_name, common::scanner_failure(text));

    std::string problem = "holds " + std::to_string(got) + " values";
    if (!token.empty()) {
        problem += " before " + common::shown_token(token) +
                   (status == common::ScanStatus::out_of_range ? ", which is out of range"
                                                               : ", which is not a number");
    } else if (text.token_too_long()) {
        problem += " before " + common::scanner_failure(text);
    } else if (text.failed()) {
        problem += " before a read error (" + common::scanner_failure(text) + ")";
    }
    problem += "; the grid needs " + std::to_string(needed) + " (" + std::to_string(shape.nx) +
               " x " + std::to_string(shape.ny) + " x " + std::to_string(shape.nz) + ")";
    return common::file_error(file_name, problem);
}

}  // namespace tetclean
