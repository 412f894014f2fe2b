// SPDX-License-Identifier: MIT
#include <cstdint>
#include <fstream>
#include <iterator>
#include <string>

#include <levelset_prep/textio/large_array.hpp>

#if defined(__linux__)
#include <sys/mman.h>
#endif

namespace levelset_prep::textio {

bool large_pages_cannot_stall(std::string_view defrag) {
    const auto open = defrag.find('[');
    const auto close = defrag.find(']', open);
    if (open == std::string_view::npos || close == std::string_view::npos) return false;
    const std::string_view mode = defrag.substr(open + 1, close - open - 1);
    return mode == "defer" || mode == "never";
}

namespace {

// Read once per process: the mode is the administrator's and rarely changes.
bool system_large_pages_cannot_stall() {
    static const bool cannot_stall = [] {
        std::ifstream file("/sys/kernel/mm/transparent_hugepage/defrag");
        const std::string text{std::istreambuf_iterator<char>(file), {}};
        return large_pages_cannot_stall(text);
    }();
    return cannot_stall;
}

}  // namespace

void advise_large_pages(void* data, std::size_t bytes) {
#if defined(MADV_HUGEPAGE)
    if (!system_large_pages_cannot_stall()) return;
    constexpr std::uintptr_t large_page = std::uintptr_t{1} << 21;
    const auto start = reinterpret_cast<std::uintptr_t>(data);
    const std::uintptr_t first = (start + large_page - 1) & ~(large_page - 1);
    const std::uintptr_t last = (start + bytes) & ~(large_page - 1);
    // A refusal changes nothing but speed, so its result is not looked at.
    if (last > first) madvise(reinterpret_cast<void*>(first), last - first, MADV_HUGEPAGE);
#else
    (void)data;
    (void)bytes;
#endif
}

}  // namespace levelset_prep::textio
