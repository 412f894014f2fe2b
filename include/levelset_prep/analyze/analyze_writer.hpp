// SPDX-License-Identifier: MIT
// Writing float samples as the image file of an Analyze pair, in the sample
// type that a given image's header names, in the machine's byte order.
//
// Integer types take ceil(v - 0.5) in double, an exact half going down,
// clamped to the type (datatype 4 signed stops at -32767, datatype 8 at
// +-2147000064, the float nearest 2.147e9); a NaN fails the upper test first
// and becomes the upper bound. Datatypes 16, and 0 with bitpix a multiple of
// 32, write the float; other types write nothing.
//
// The image is not owned and must outlive the writer. A writer writes one
// image: write_image on an open writer returns 2, and a failed
// open_image_file sets status 2 for good.
#pragma once

#include <cstdint>
#include <cstdio>
#include <memory>
#include <string_view>

#include <levelset_prep/analyze/analyze_image.hpp>
#include <levelset_prep/analyze/analyze_status.hpp>
#include <levelset_prep/textio/input_file.hpp>

namespace levelset_prep::analyze {

struct analyze_writer {
    explicit analyze_writer(const analyze_image& image);

    // Closes an open image file, then opens `name`'s image file.
    textio::MaybeError open_image_file(std::string_view name, bool append);

    textio::MaybeError write_header(std::string_view name) const;

    // The header file and the first voxel_count samples of `source`; the
    // image file stays open. Refuses a `source` with fewer samples.
    WriteResult write_image(const analyze_image& source, bool signed_16bit, std::string_view name,
                            bool overwrite);

    // Appends one value to the open image file; false when none is open.
    bool write_value(float value, bool signed_16bit);

    const analyze_image* image;
    std::unique_ptr<char[]> stream_buffer;  // outlives stream, which uses it
    std::unique_ptr<std::FILE, textio::FileCloser> stream;
    std::int32_t voxel_count;  // nx*ny*nz of image; 2 in status when beyond 32-bit
    WriteStatus status = WriteStatus::ok;
    std::int32_t index = 0;

private:
    textio::MaybeError open_stream(const std::string& file_name, const char* mode);
};

}  // namespace levelset_prep::analyze
