#include <levelset_prep/analyze/analyze_names.hpp>

namespace levelset_prep::analyze {
namespace {

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

}  // namespace levelset_prep::analyze
