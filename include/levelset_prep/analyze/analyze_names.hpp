// SPDX-License-Identifier: MIT
// The two file names of an Analyze pair: "brain", "brain.hdr" and
// "brain.img" all name brain.hdr and brain.img. A name whose fourth-last
// character is '.' has its last four replaced; others get the extension
// appended ("brain.gz" gives "brain.gz.hdr"). Names longer than
// max_pair_name are refused (false, destination cleared).
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
std::optional<PairNames> pair_names(std::string_view name);

// names.image, or names.image + ".gz" when only the second exists.
std::string pair_image_file(const PairNames& names);

bool has_nifti_ending(std::string_view name);

// A NIfTI ending, and either the file exists or the pair header derived from
// it does not: "brain.nii" naming no file while brain.hdr exists reads that
// pair, so existing command lines keep working. A missing name too long for
// a pair stays a pair's, and is refused as one.
bool names_nifti_file(std::string_view name);

}  // namespace levelset_prep::analyze
