// SPDX-License-Identifier: MIT
// Loading a NIfTI-1 single file (.nii, or gzip-compressed .nii.gz) into an
// analyze_image: the 348-byte header, then every sample of one volume
// converted to a 32-bit float, with the smallest and largest value, as
// read_analyze_image does for a pair.
//
// The file is gzip data when its first two bytes are gzip's (1f 8b, which
// no NIfTI-1 header starts with), whatever its name. The samples start at
// vox_offset (after any extensions, which are not read). Values are the
// stored ones: scl_slope and scl_inter are not applied (nifti_scaling
// tells what they are).
//
// Accepted sample types (datatype): 2 unsigned 8-bit, 4 16-bit (signed when
// options.signed_16bit, else 0..65535, as in a pair), 8 signed 32-bit, 16
// 32-bit float, 256 signed 8-bit, 512 unsigned 16-bit, 768 unsigned 32-bit
// (rounded to the nearest float), 64 64-bit float (rounded to the nearest
// float; beyond the float range an infinity). No zero-datatype rule.
//
// Byte order is judged by sizeof_hdr as for a pair; the header comes back
// in the machine's order for the fields the module uses (see
// nifti_header.hpp in the sources, scl_slope and scl_inter among them) with
// every dim beyond dim[0] set to 1.
// A series (dims 4 to 7, see series_length) holds its volumes one after the
// other; options.volume picks one. Compressed data must be intact to its
// end and hold no more than vox_offset and the whole series; that is
// checked without inflating more than one byte beyond, and the volume's
// buffer is obtained only once the compressed bytes could hold it.
//
// Returns a status of analyze_status.hpp with an error naming the file for
// every status but 0 (the FILE form names none), and prints nothing:
//   0  data, min_intensity, max_intensity set (for no samples: 2^31 and -2^31)
//   1  the file cannot be opened (name form)
//   6  the file (or its decompressed data) is shorter than 348 bytes
//   7  not a NIfTI-1 single file: a NIfTI-2 file, a pair's header (magic
//      "ni1"), neither, dim[0] outside 1 to 7, vox_offset not a whole
//      number from 352 on
//   2  the sample count does not fit a 32-bit signed integer, or no buffer
//   4  datatype not accepted
//   10 options.volume is not in the series
//   5  the file (or its decompressed data) ends before the volume's samples
//   8  the compressed data is corrupt or truncated
//   9  the compressed data inflates to more than the header announces
// found in this order (5, 8 and 9 as inflating meets them). No data is
// attached unless the status is 0.
#pragma once

#include <cstdio>
#include <string_view>

#include <levelset_prep/analyze/analyze_image.hpp>
#include <levelset_prep/analyze/analyze_reader.hpp>
#include <levelset_prep/analyze/analyze_status.hpp>

namespace levelset_prep::analyze {

ReadResult read_nifti_image(std::string_view name, analyze_image& image,
                            const ReadOptions& options);

// The same read from a stream open at the file's first byte (errors name
// no file): a pipe, or bytes in memory.
ReadResult read_nifti_image(std::FILE* file, analyze_image& image, const ReadOptions& options);

// The scaling a NIfTI-1 header announces, real = slope * stored + inter,
// from a header read_nifti_image has read: scl_slope and scl_inter, bytes
// 112 and 116, which a pair's header calls funused1 and funused2.
struct NiftiScaling {
    float slope = 0.0f;
    float inter = 0.0f;
};
NiftiScaling nifti_scaling(const analyze_header& header);

}  // namespace levelset_prep::analyze
