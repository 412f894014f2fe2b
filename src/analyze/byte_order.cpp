// SPDX-License-Identifier: MIT
#include <levelset_prep/analyze/byte_order.hpp>

namespace levelset_prep::analyze {

bool header_needs_swap(const analyze_header& header) { return header.sizeof_hdr != 348; }

void swap_header(analyze_header& header) {
    swap_bytes_32(header.sizeof_hdr);
    swap_bytes_32(header.extents);
    for (int i = 0; i <= 4; ++i) swap_bytes_16(header.dim[i]);
    swap_bytes_16(header.datatype);
    swap_bytes_16(header.bitpix);
    for (int i = 1; i <= 6; ++i) swap_bytes_32(header.pixdim[i]);
    swap_bytes_32(header.glmax);
    swap_bytes_32(header.glmin);
}

}  // namespace levelset_prep::analyze
