// SPDX-License-Identifier: MIT
// The grid's storage and the file it is read from.
#include <levelset_prep/analyze/analyze_names.hpp>
#include <levelset_prep/levelset/level_set.hpp>
#include <levelset_prep/levelset/level_set_grid.hpp>
#include <levelset_prep/textio/input_file.hpp>
#include <levelset_prep/textio/large_array.hpp>
#include <levelset_prep/textio/number_scan.hpp>

#include "level_set_volume.hpp"

namespace levelset_prep::levelset {

bool LevelSetGrid::allocate(const mesh::GridShape& grid_shape) {
    values = textio::allocate_large<float>(static_cast<std::size_t>(grid_shape.points()));
    shape = values ? grid_shape : mesh::GridShape{};
    return values != nullptr;
}

mesh::RunParameters LevelSetGrid::parameters() const {
    mesh::RunParameters param;
    param.grid1_nx = shape.nx;
    param.grid1_ny = shape.ny;
    param.grid1_nz = shape.nz;
    return param;
}

textio::MaybeError read_level_set_file(const std::string& file_name, LevelSetGrid& grid,
                                       const std::atomic<bool>* stop, LevelSetFileNotes* notes) {
    if (analyze::has_nifti_ending(file_name)) {
        return detail::read_level_set_volume(file_name, grid, stop, notes);
    }
    const mesh::RunParameters param = grid.parameters();
    return textio::scan_text_file(file_name, "level-set file", [&](textio::TokenScanner& text) {
        if (stop != nullptr) text.stop_when(*stop);
        auto error = read_level_set(text, file_name, grid.values.get(), param, 1);
        if (!error && notes != nullptr) {
            // One more number is enough to tell a grid of other extents.
            float next = 0;
            std::string_view token;
            const textio::ScanStatus status = textio::read_number(text, next, token);
            notes->more_values =
                status == textio::ScanStatus::ok || status == textio::ScanStatus::out_of_range;
        }
        return error;
    });
}

}  // namespace levelset_prep::levelset
