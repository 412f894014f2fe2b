// SPDX-License-Identifier: MIT
#include <sys/stat.h>

#include <cerrno>

#include <levelset_prep/analyze/analyze_names.hpp>

namespace levelset_prep::analyze {
namespace {

// True only when the system says that nothing has (or can have) this name;
// a name that cannot be looked up for another reason (no permission)
// counts as taken, so that the error of opening it is the one reported.
bool no_such_file(const std::string& name) {
    struct stat info;
    return ::stat(name.c_str(), &info) != 0 &&
           (errno == ENOENT || errno == ENOTDIR || errno == ENAMETOOLONG);
}

bool make_pair_name(std::string& destination, std::string_view name, std::string_view extension) {
    const bool has_extension = name.size() >= 4 && name[name.size() - 4] == '.';
    if (has_extension) name.remove_suffix(4);
    if (name.size() + extension.size() > max_pair_name) {
        destination.clear();
        return false;
    }
    destination.assign(name).append(extension);
    return true;
}

}  // namespace

bool make_hdr_name(std::string& destination, std::string_view name) {
    return make_pair_name(destination, name, ".hdr");
}

bool make_img_name(std::string& destination, std::string_view name) {
    return make_pair_name(destination, name, ".img");
}

std::optional<PairNames> pair_names(std::string_view name) {
    PairNames names;
    if (!make_hdr_name(names.header, name) || !make_img_name(names.image, name))
        return std::nullopt;
    return names;
}

std::string pair_image_file(const PairNames& names) {
    if (no_such_file(names.image)) {
        std::string compressed = names.image + ".gz";
        if (!no_such_file(compressed)) return compressed;
    }
    return names.image;
}

bool has_nifti_ending(std::string_view name) {
    return name.ends_with(".nii") || name.ends_with(".nii.gz");
}

bool names_nifti_file(std::string_view name) {
    if (!has_nifti_ending(name)) return false;
    if (!no_such_file(std::string(name))) return true;
    // A name too long for a pair stays a pair's, refused as such.
    std::string header;
    return make_hdr_name(header, name) && no_such_file(header);
}

}  // namespace levelset_prep::analyze
