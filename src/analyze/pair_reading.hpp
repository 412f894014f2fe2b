// SPDX-License-Identifier: MIT
// The steps the readers and writers of images share, and their errors.
#pragma once

#include <cstdint>
#include <cstdio>
#include <span>
#include <string_view>

#include <levelset_prep/analyze/analyze_image.hpp>
#include <levelset_prep/analyze/analyze_names.hpp>
#include <levelset_prep/analyze/analyze_status.hpp>
#include <levelset_prep/textio/input_file.hpp>

namespace levelset_prep::analyze::detail {

// The header in the machine's byte order; `names` is empty for a name too long.
ReadResult read_pair_header(std::string_view name, const std::optional<PairNames>& names,
                            analyze_header& header, bool& swap);
ReadResult read_pair_header(std::span<const unsigned char> bytes, analyze_header& header,
                            bool& swap);

// The fields series_length and NIfTI-1 files use that swap_header leaves.
void swap_series(analyze_header& header);

ReadResult open_pair_image(const PairNames& names, textio::InputFile& image_file);

// names.image or its .gz form; when neither exists the error names the first.
ReadResult open_pair_samples(const PairNames& names, textio::InputFile& image_file,
                             std::string& opened);

struct FailureDetails {
    std::string header_file;  // statuses 2, 4, 6 and 10 name it
    std::string image_file;   // statuses 5, 8 and 9 name it
    const char* header_what = "header file";
    const char* image_what = "image file";
    std::string compressed_problem;        // status 8: what is wrong with the data
    std::uint64_t announced = 0;           // status 9: the bytes the header announces
    std::int64_t volume = 0, volumes = 0;  // status 10: asked for, and in the series
};

// Statuses 1 and 3 come from the opens, with the system's reason.
ReadResult read_failure(ReadStatus status, const analyze_header& header,
                        const FailureDetails& details);

ReadResult pair_failure(ReadStatus status, const PairNames& names, const analyze_header& header);

WriteResult image_exists(std::string_view name);
WriteResult image_not_written(const std::string& image_file, int reason);

}  // namespace levelset_prep::analyze::detail
