// SPDX-License-Identifier: MIT
#include <cstdint>

#include <levelset_prep/textio/large_array.hpp>

#if defined(__linux__)
#include <sys/mman.h>
#endif

namespace levelset_prep::textio {

void advise_large_pages(void* data, std::size_t bytes) {
#if defined(MADV_HUGEPAGE) && !defined(EXPERIMENT_NO_HINT)
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
