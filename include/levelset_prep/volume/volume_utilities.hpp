// SPDX-License-Identifier: MIT
// Volume operations on the Analyze library's images: voxel access, copies,
// a threshold into a mask, a nearest-voxel search, a box smoothing, a masked
// quantile and two masked neighbourhood filters.
//
// Voxel (x, y, z) is sample x + nx*(y + ny*z); a mask selects non-zero bytes.
// Visits run x outermost, z innermost, and neighbourhood offsets from -r to
// +r in the same order; voxels outside the volume read as 0. Filters work in
// place, so later neighbourhoods see values already replaced, and sums are
// floats added in visiting order: both fix the results bit for bit.
//
// An operation refuses (false, or 0 from masked_quantile), leaving every image
// unchanged, when an image has a dimension of 0 or less or no samples, when a
// mask or reference differs in dimensions, when a radius is negative, or when
// a box holds more than 2^31-1 voxels; no argument reaches outside a buffer.
#pragma once

#include <cstdint>

#include <levelset_prep/analyze/analyze_image.hpp>

namespace levelset_prep::volume {

using analyze::analyze_byte_image;
using analyze::analyze_header;
using analyze::analyze_image;
using analyze::voxel_count;
using analyze::voxel_value;

// Unchecked accessors: the caller keeps (x, y, z) inside a volume that has
// samples (asserted in debug builds only).
float voxel_at(const analyze_image& image, std::int32_t x, std::int32_t y, std::int32_t z);
void set_voxel_at(analyze_image& image, std::int32_t x, std::int32_t y, std::int32_t z,
                  float value);
std::uint8_t mask_at(const analyze_byte_image& image, std::int32_t x, std::int32_t y,
                     std::int32_t z);

// Position of the first largest of values[0..count-1], count at most 128;
// equals keep the earlier position and a NaN never wins over an earlier entry.
std::int8_t index_of_max(const float* values, std::int32_t count);

// Copies give the destination a new buffer, releasing its old one. False when
// the buffer cannot be obtained (destination then empty, header unchanged) or
// when a source announces voxels but has no samples (destination unchanged).

// min_intensity and max_intensity of the destination are left as they were.
bool copy_image(const analyze_image& source, analyze_image& destination);

bool copy_byte_image(const analyze_byte_image& source, analyze_byte_image& destination);

bool make_zero_image(analyze_image& destination, const analyze_image& template_image);

// Datatype becomes 2 (unsigned byte); bitpix is left as it was.
bool make_zero_mask(analyze_byte_image& destination, const analyze_image& template_image);

// The header is copied unchanged, datatype included.
bool byte_to_float_image(const analyze_byte_image& source, analyze_image& destination);

// 1 where the value is strictly above threshold (not for equal or NaN).
bool threshold_image(const analyze_image& source, analyze_byte_image& destination, float threshold);

// The voxel nearest (x0, y0, z0), within offsets -11..11, whose value is
// strictly above threshold; ties keep the earliest offset, and outside
// positions (value 0) count when threshold is negative. Returns whether one
// was found; otherwise, or for a start outside the volume, the outputs hold
// the start.
bool find_nearest_above(const analyze_image& image, std::int32_t x0, std::int32_t y0,
                        std::int32_t z0, std::int32_t& x, std::int32_t& y, std::int32_t& z,
                        float threshold);

// iterations times, each voxel whose reference value is below threshold
// becomes the sum of its 7x7x7 box divided by 343, at the border too.
// reference may be image itself.
bool smooth_below(analyze_image& image, const analyze_image& reference, float threshold,
                  std::int32_t iterations);

// The k-th smallest (0-based) selected value, k = float(count * fraction)
// truncated. 0 when nothing is selected, k >= count (fraction 1 included),
// fraction is NaN or negative, or memory runs out.
float masked_quantile(const analyze_image& image, const analyze_byte_image& mask, float fraction);

// Each selected voxel becomes the ((size-1)/2)-th smallest (0-based) value of
// its box of offsets -rx..rx, -ry..ry, -rz..rz.
bool masked_median_filter(analyze_image& image, const analyze_byte_image& mask, std::int32_t rx,
                          std::int32_t ry, std::int32_t rz);

// Each selected voxel becomes the mean of the k box values nearest its own
// value c: the first k are kept, and a later v replaces the kept value
// farthest from c (first of equals) only when strictly farther than |v - c|.
// Refuses k outside 1..128 or a box of fewer than k voxels.
bool masked_nearest_mean_filter(analyze_image& image, const analyze_byte_image& mask,
                                std::int32_t rx, std::int32_t ry, std::int32_t rz, std::int32_t k);

}  // namespace levelset_prep::volume
