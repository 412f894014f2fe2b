// SPDX-License-Identifier: MIT
// Arrays of many megabytes that a run fills once.
//
// Their memory is asked for in large pages (2 MiB) only where such a
// request cannot make a page fault wait for the system to compact or win
// back memory: where the kernel's transparent huge page "defrag" mode is
// "defer" or "never". Elsewhere a large page must come from a free 2 MiB
// block, which after another program has run is often one the system (or
// the host of a virtual machine) has just taken back, and the run waits
// for it; small pages come from the pieces that program left. Pages are
// mapped only when first written, so an array filled only in part
// occupies little more than the part that is filled.
#pragma once

#include <cstddef>
#include <memory>
#include <new>
#include <string_view>

namespace levelset_prep::textio {

// Whether a "defrag" setting's text (the selected mode in brackets, as in
// "always defer [madvise] never") lets large-page faults go without waiting.
bool large_pages_cannot_stall(std::string_view defrag);

// Asks for large pages, where they cannot stall, over the whole 2 MiB pages
// inside [data, data+bytes). Only a hint: nothing fails without it.
void advise_large_pages(void* data, std::size_t bytes);

// `count` default-initialised values (not zeroed: no page is touched), or
// null when the memory cannot be had.
template <typename T>
std::unique_ptr<T[]> allocate_large(std::size_t count) {
    std::unique_ptr<T[]> array(new (std::nothrow) T[count]);
    if (array) advise_large_pages(array.get(), count * sizeof(T));
    return array;
}

}  // namespace levelset_prep::textio
