// SPDX-License-Identifier: MIT
// The names of the two files of an Analyze pair, built from the name the
// user gives: "brain", "brain.hdr" and "brain.img" all name brain.hdr and
// brain.img. When the name has at least four characters and its fourth-last
// is '.', its last four characters are replaced by the extension; otherwise
// the extension is appended ("brain.gz" gives "brain.gz.hdr").
//
// The result must fit the pair's 1024-character name buffers, so it holds at
// most 1023 characters (max_pair_name). Each function stores the name in
// `destination` and returns true, or clears `destination` and returns false
// when the result would be longer.
#pragma once

#include <cstddef>
#include <optional>
#include <string>
#include <string_view>

namespace levelset_prep::analyze {

inline constexpr std::size_t max_pair_name = 1023;

bool make_hdr_name(std::string& destination, std::string_view name);
bool make_img_name(std::string& destination, std::string_view name);

struct PairNames {
    std::string header;  // the name with ".hdr"
    std::string image;   // the name with ".img"
};
// Both names at once, or nothing when they would be too long.
std::optional<PairNames> pair_names(std::string_view name);

// The image file of a pair to read: names.image, or names.image + ".gz"
// (gzip-compressed) when no file has the first name but one has the second.
std::string pair_image_file(const PairNames& names);

// Whether `name` ends in ".nii" or ".nii.gz", as NIfTI-1 single files do.
bool has_nifti_ending(std::string_view name);

// Whether `name` is read as a NIfTI-1 single file: it has a NIfTI ending,
// and a file of that name exists or else the pair header that
// make_hdr_name derives from it does not. So "brain.nii" naming no file
// while brain.hdr exists keeps reading that pair, as before NIfTI-1 files
// were read; with neither, the errors name brain.nii. A name that names no
// file and is too long for a pair's names stays a pair's (and is refused).
bool names_nifti_file(std::string_view name);

}  // namespace levelset_prep::analyze
