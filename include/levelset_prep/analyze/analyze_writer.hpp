// SPDX-License-Identifier: MIT
// Writing float samples out as the image file of an Analyze pair, in the
// sample type that the header of a given image names.
//
// A writer is made for one image (not owned, it must outlive the writer),
// whose header supplies the header file and decides each sample's type:
//   datatype 2          r clamped to 0..255, 1 byte
//   datatype 4          signed_16bit: r clamped to -32767..32767 (not -32768);
//                       otherwise r clamped to 0..65535; 2 bytes
//   datatype 8          r clamped to -2147000064..2147000064 (the float
//                       nearest 2.147e9, not 2^31-1), 4 bytes
//   datatype 16         the float itself, 4 bytes
//   datatype 0          the float itself when bitpix is a multiple of 32,
//                       else nothing
//   any other           nothing
// where r = ceil(v - 0.5) in double precision held as a float: the nearest
// integer, an exact half going down (2.5 -> 2, -2.5 -> -3). The upper bound
// is tested first and a NaN fails it, so a NaN is written as the upper
// bound. Everything is written in the machine's byte order.
//
// Lifecycle: a writer starts closed with status 0. write_image opens the
// image file, writes the header file and every sample, and leaves the file
// open; open_image_file (re)opens it for write_value; destruction closes it.
// write_image opens only a closed writer, so a writer writes one image with
// it: a second call, or a call after open_image_file, returns 2. A failed
// open_image_file sets status 2 for good, and write_image then returns 2
// without touching any file. Every status but 0 comes with an error naming
// the file.
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

    // Closes an open image file, then opens the image file of `name` for
    // binary writing, appending or truncating. Fails (and sets status 2)
    // when it cannot be opened.
    textio::MaybeError open_image_file(std::string_view name, bool append);

    // write_analyze_header with `name` and the header of `image`.
    textio::MaybeError write_header(std::string_view name) const;

    // Writes the first voxel_count samples of `source` in the type of
    // `image`'s header. 0 written (the file stays open); status when it is
    // not 0; 4 image file exists and overwrite is false; 2 image file cannot
    // be opened or fully written, the writer is already open, or `source`
    // holds fewer samples; 1 header file cannot be written.
    WriteResult write_image(const analyze_image& source, bool signed_16bit, std::string_view name,
                            bool overwrite);

    // Converts one value as above and appends it to the open image file.
    // False when no file is open or the bytes cannot be handed on.
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
