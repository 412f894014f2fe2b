// SPDX-License-Identifier: MIT
// Arrays of many megabytes that a run fills once.
//
// Their memory is asked for in large pages where the system offers them on
// request (Linux transparent huge pages in "madvise" mode): a page fault
// then maps 2 MiB instead of 4 KiB, and first touching hundreds of
// megabytes costs a few hundred faults instead of tens of thousands. Pages
// are still mapped only when first written, so an array filled only in
// part occupies little more than the part that is filled.
#pragma once

#include <cstddef>
#include <memory>
#include <new>

namespace levelset_prep::textio {

// Asks for large pages over the whole 2 MiB pages inside [data, data+bytes).
// Only a hint: nothing happens where the system has no such request.
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
