// SPDX-License-Identifier: MIT
// The steps that the readers (and writers) of a pair share, each reader calling them in
// its own order of statuses: the header (status 1 or 6, then the swap), the
// image file (status 3), and the error that goes with a status; the errors
// of NIfTI-1 files come from here too.
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

// The header of the pair `names`, in the machine's byte order, with whether
// its samples need swapping: ok, or status 1 or 6 with its error. `names`
// is empty when the name was too long (status 1). Besides the fields that
// swap_header swaps, dim[5..7] and vox_offset are swapped (swap_series).
ReadResult read_pair_header(std::string_view name, const std::optional<PairNames>& names,
                            analyze_header& header, bool& swap);
// The same from the header file's bytes already in memory.
ReadResult read_pair_header(std::span<const unsigned char> bytes, analyze_header& header,
                            bool& swap);

// Swaps dim[5..7] and vox_offset, which series_length and NIfTI-1 files
// use and swap_header leaves.
void swap_series(analyze_header& header);

// Opens the image file: ok, or status 3 with its error.
ReadResult open_pair_image(const PairNames& names, textio::InputFile& image_file);

// Opens the image file to read samples from, names.image or its compressed
// form (see pair_image_file), and stores its name in `opened`: ok, or
// status 3 with its error (naming names.image when neither exists).
ReadResult open_pair_samples(const PairNames& names, textio::InputFile& image_file,
                             std::string& opened);

// What a failed read reports besides its status.
struct FailureDetails {
    std::string header_file;  // statuses 2, 4, 6 and 10 name it
    std::string image_file;   // statuses 5, 8 and 9 name it
    const char* header_what = "header file";
    const char* image_what = "image file";
    std::string compressed_problem;        // status 8: what is wrong with the data
    std::uint64_t announced = 0;           // status 9: the bytes the header announces
    std::int64_t volume = 0, volumes = 0;  // status 10: asked for, and in the series
};

// The error of any status but 1 and 3 (which come with the system's
// reason from the open).
ReadResult read_failure(ReadStatus status, const analyze_header& header,
                        const FailureDetails& details);

// The result of a read that ended in `status`: ok, or 2, 4, 5 or 6 (the
// statuses that come with no system error) with its error
// naming the header or the image file as the status concerns.
ReadResult pair_failure(ReadStatus status, const PairNames& names, const analyze_header& header);

// The writers' refusals: the image file of `name` exists and overwriting was
// not asked for (status 4), or `image_file` could not be written (status 2).
WriteResult image_exists(std::string_view name);
WriteResult image_not_written(const std::string& image_file, int reason);

}  // namespace levelset_prep::analyze::detail
