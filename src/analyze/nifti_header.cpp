// SPDX-License-Identifier: MIT
#include "nifti_header.hpp"

#include <bit>
#include <cmath>
#include <cstring>

#include <levelset_prep/analyze/byte_order.hpp>
#include <levelset_prep/textio/number_format.hpp>

#include "pair_reading.hpp"

namespace levelset_prep::analyze::detail {
namespace {

constexpr std::int32_t nifti1_size = 348;
constexpr std::int32_t nifti2_size = 540;
constexpr float first_sample_offset = 352.0f;  // 348 bytes and the extension flags

std::int32_t swapped(std::int32_t value) {
    swap_bytes_32(value);
    return value;
}

std::string shown(double value) {
    char text[textio::max_number_chars + 1];
    *textio::format_general(text, value) = '\0';
    return text;
}

}  // namespace

NiftiHeaderCheck check_nifti_header(analyze_header& header) {
    NiftiHeaderCheck check;
    const std::int32_t size = header.sizeof_hdr;
    if (size != nifti1_size && swapped(size) != nifti1_size) {
        check.problem = size == nifti2_size || swapped(size) == nifti2_size
                            ? "is a NIfTI-2 file; only NIfTI-1 files are read"
                            : "is not a NIfTI-1 file: its first four bytes are not the header "
                              "size 348 in either byte order";
        return check;
    }
    const char* magic = header.data_history + 196;  // bytes 344 to 347
    if (std::memcmp(magic, "ni1", 4) == 0) {
        check.problem =
            "holds the header of a NIfTI-1 pair (magic \"ni1\"), not a single file with its "
            "samples; name the pair's .hdr file";
        return check;
    }
    if (std::memcmp(magic, "n+1", 4) != 0) {
        check.problem = "is not a NIfTI-1 file: no \"n+1\" magic at byte 344";
        return check;
    }
    check.swap = header_needs_swap(header);
    if (check.swap) {
        swap_header(header);
        swap_series(header);
        swap_bytes_32(header.funused1);  // scl_slope
        swap_bytes_32(header.funused2);  // scl_inter
    }
    const std::int16_t dims = header.dim[0];
    if (dims < 1 || dims > 7) {
        check.problem =
            "dim[0] is " + std::to_string(dims) + "; a NIfTI-1 file has 1 to 7 dimensions";
        return check;
    }
    for (int i = dims + 1; i <= 7; ++i) header.dim[i] = 1;
    const float offset = header.vox_offset;
    // Below 2^63 every float is a whole number of bytes or not, exactly.
    if (!(offset >= first_sample_offset && offset < 9.2e18f) || std::trunc(offset) != offset) {
        check.problem = "vox_offset " + shown(offset) +
                        " is not a whole number of bytes from 352 on, where the samples may start";
        return check;
    }
    check.vox_offset = static_cast<std::uint64_t>(offset);
    check.ok = true;
    return check;
}

}  // namespace levelset_prep::analyze::detail
