// SPDX-License-Identifier: MIT
// Volume operations of the image module: raw voxel access, copies and
// conversions between float and byte volumes, a threshold into a mask, a
// search for the nearest voxel above a threshold, a box smoothing, a masked
// quantile and two masked neighbourhood filters.
//
// Conventions shared by every operation below:
// - Voxel (x, y, z) of an image is sample x + nx*(y + ny*z), with nx, ny, nz
//   = dim[1], dim[2], dim[3] of that image's header.
// - A byte image passed as a mask selects a voxel when its sample is non-zero.
// - Visiting order (filters, smoothing): x from 0 to nx-1 outermost, then y,
//   then z innermost. Neighbourhood order: x offset outermost, then y offset,
//   then z offset, each from its negative radius up to its positive radius.
//   Voxels of a neighbourhood outside the volume read as 0 (voxel_value).
// - The filters and the smoothing work in place: a voxel's new value is
//   stored before the next voxel is visited, so later neighbourhoods see
//   values already replaced.
// - Sums are 32-bit floats, one addition at a time, in the order in which
//   the values are visited.
// - Every image owns its samples; an operation that gives an image new
//   samples releases the old ones.
//
// Refused arguments: no argument can make an operation read or write outside
// its buffers. An operation refuses, leaving every image unchanged, when an
// image it reads or changes has a dimension dim[1..3] of 0 or less or has no
// samples attached, when a mask's or reference's dimensions differ from the
// image's, when a radius is negative, or when a neighbourhood box holds more
// than 2^31-1 voxels. A refusal is reported as false (0 for masked_quantile).
// The copies refuse a source that has voxels but no samples.
#pragma once

#include <cstdint>

#include <levelset_prep/analyze/analyze_image.hpp>

namespace levelset_prep::volume {

// The volumes are the Analyze library's in-memory images.
using analyze::analyze_byte_image;
using analyze::analyze_header;
using analyze::analyze_image;
using analyze::voxel_count;
using analyze::voxel_value;

// ---- Accessors -------------------------------------------------------------
// No bounds test: the caller keeps (x, y, z) inside the volume and the image
// has samples. Debug builds assert both; release builds do not test.

// The float at (x, y, z).
float voxel_at(const analyze_image& image, std::int32_t x, std::int32_t y, std::int32_t z);

// Stores value at (x, y, z).
void set_voxel_at(analyze_image& image, std::int32_t x, std::int32_t y, std::int32_t z,
                  float value);

// The byte at (x, y, z).
std::uint8_t mask_at(const analyze_byte_image& image, std::int32_t x, std::int32_t y,
                     std::int32_t z);

// Position of the first largest of values[0..count-1]: a strict greater-than
// against the best so far, scanning from position 1, so equals keep the
// earlier position and a NaN is never chosen over an earlier entry. count is
// 1 to 128 (asserted in debug builds); a count of 1 or less gives 0 without
// reading values.
std::int8_t index_of_max(const float* values, std::int32_t count);

// ---- Copies and conversions -------------------------------------------------
// n is the voxel count of the source or template (0 when a dimension is 0 or
// less). Each gives the destination a new buffer of n samples, releasing its
// old one. Each returns false when that buffer cannot be obtained; the
// destination's data is then empty and its header unchanged. A source (not
// a template) whose header announces voxels but that has no samples is
// refused: false, destination unchanged. Otherwise true.

// Copies the 348 header bytes and the n floats; min_intensity and
// max_intensity of the destination are left as they were.
bool copy_image(const analyze_image& source, analyze_image& destination);

// Copies the header and the n bytes.
bool copy_byte_image(const analyze_byte_image& source, analyze_byte_image& destination);

// Copies the template's header; the n floats are 0.
bool make_zero_image(analyze_image& destination, const analyze_image& template_image);

// Copies the template's header and sets its datatype to 2 (unsigned byte;
// bitpix is left as it was); the n bytes are 0.
bool make_zero_mask(analyze_byte_image& destination, const analyze_image& template_image);

// Copies the header unchanged (datatype included); each byte, taken as
// unsigned, becomes one float.
bool byte_to_float_image(const analyze_byte_image& source, analyze_image& destination);

// make_zero_mask from the source, then each byte is 1 where the source value
// is strictly greater than threshold and 0 otherwise (equal gives 0, NaN
// gives 0).
bool threshold_image(const analyze_image& source, analyze_byte_image& destination, float threshold);

// ---- Searches and filters ---------------------------------------------------

// Finds the voxel nearest (x0, y0, z0) whose value is strictly greater than
// threshold. The outputs are first set to the start; if the start itself is
// above, returns true. Otherwise searches the offsets -11..11 on every axis
// in neighbourhood order for the smallest squared distance, starting from
// (nx+ny+nz)^2 and accepting only strictly smaller ones, so ties keep the
// earliest offset. Positions outside the volume read as 0, so with a negative
// threshold they are candidates too. Returns whether anything was found; the
// outputs keep the start otherwise. A start outside the volume is refused:
// false, outputs set to the start.
bool find_nearest_above(const analyze_image& image, std::int32_t x0, std::int32_t y0,
                        std::int32_t z0, std::int32_t& x, std::int32_t& y, std::int32_t& z,
                        float threshold);

// Repeats iterations times (none when 0 or less): every voxel whose value in
// reference is strictly less than threshold becomes the sum of the 7x7x7 box
// around it (offsets -3..3) divided by 343, also at the border where part of
// the box lies outside and adds 0. reference may be image itself. Returns
// false, changing nothing, when reference's dimensions differ from image's
// (or the usual refusals apply); otherwise true.
bool smooth_below(analyze_image& image, const analyze_image& reference, float threshold,
                  std::int32_t iterations);

// The k-th smallest (0-based) of the image values at the voxels that mask
// selects, k = the selected count times fraction formed as a float and
// truncated. Returns 0 when nothing is selected, when k would be the count
// or more (a fraction of 1 gives 0), when fraction is NaN or negative, when
// the working buffer cannot be obtained, and for the usual refusals.
float masked_quantile(const analyze_image& image, const analyze_byte_image& mask, float fraction);

// Every voxel that mask selects becomes the median of its box of offsets
// -rx..rx, -ry..ry, -rz..rz: the m-th smallest (0-based) of the box's size
// values, m = (size-1)/2, so with radii 1, 1, 1 the 14th smallest of 27.
// Radii 0, 0, 0 leave the image unchanged. Returns false, changing nothing,
// when the box's buffer cannot be obtained or for the usual refusals;
// otherwise true.
bool masked_median_filter(analyze_image& image, const analyze_byte_image& mask, std::int32_t rx,
                          std::int32_t ry, std::int32_t rz);

// Every voxel that mask selects becomes the mean of the k values of its box
// (offsets -rx..rx, -ry..ry, -rz..rz) nearest its own value c: the first k
// values of the box are kept, and each later value v replaces the kept value
// farthest from c (first of equals) when that one is strictly farther than
// |v - c|. The mean is the sum of the kept values in their slot order
// divided by k. With k = 1 the image is unchanged. Returns false, changing
// nothing, when k is outside 1..128, when the box holds fewer than k voxels,
// or for the usual refusals; otherwise true.
bool masked_nearest_mean_filter(analyze_image& image, const analyze_byte_image& mask,
                                std::int32_t rx, std::int32_t ry, std::int32_t rz, std::int32_t k);

}  // namespace levelset_prep::volume
