// SPDX-License-Identifier: MIT
// New samples are built in a fresh buffer before they are attached, so an
// image can be copied onto itself.
#include <algorithm>
#include <cstddef>
#include <new>

#include <levelset_prep/volume/volume_utilities.hpp>

namespace levelset_prep::volume {

namespace {

template <typename T>
std::unique_ptr<T[]> new_buffer(std::int64_t count) {
    return std::unique_ptr<T[]>(new (std::nothrow) T[static_cast<std::size_t>(count)]);
}

template <typename T>
std::unique_ptr<T[]> new_zero_buffer(std::int64_t count) {
    return std::unique_ptr<T[]>(new (std::nothrow) T[static_cast<std::size_t>(count)]());
}

template <typename Image>
bool can_read_samples(const Image& source) {
    return voxel_count(source.header) == 0 || source.data != nullptr;
}

// A failed allocation still drops the old samples: the destination must not
// keep samples that disagree with what was asked for.
template <typename Image, typename T>
bool attach(Image& destination, std::unique_ptr<T[]> buffer) {
    const bool obtained = buffer != nullptr;
    destination.data = std::move(buffer);
    return obtained;
}

template <typename Source, typename Destination>
bool copy_samples(const Source& source, Destination& destination) {
    if (!can_read_samples(source)) return false;
    using Sample = typename decltype(Destination::data)::element_type;
    const std::int64_t n = voxel_count(source.header);
    auto buffer = new_buffer<Sample>(n);
    if (buffer) std::copy_n(source.data.get(), n, buffer.get());
    if (!attach(destination, std::move(buffer))) return false;
    destination.header = source.header;
    return true;
}

}  // namespace

bool copy_image(const analyze_image& source, analyze_image& destination) {
    return copy_samples(source, destination);
}

bool copy_byte_image(const analyze_byte_image& source, analyze_byte_image& destination) {
    return copy_samples(source, destination);
}

bool make_zero_image(analyze_image& destination, const analyze_image& template_image) {
    const analyze_header header = template_image.header;  // template may be destination
    if (!attach(destination, new_zero_buffer<float>(voxel_count(header)))) return false;
    destination.header = header;
    return true;
}

bool make_zero_mask(analyze_byte_image& destination, const analyze_image& template_image) {
    if (!attach(destination, new_zero_buffer<std::uint8_t>(voxel_count(template_image.header))))
        return false;
    destination.header = template_image.header;
    destination.header.datatype = analyze::datatype_unsigned_char;
    return true;
}

bool byte_to_float_image(const analyze_byte_image& source, analyze_image& destination) {
    return copy_samples(source, destination);
}

bool threshold_image(const analyze_image& source, analyze_byte_image& destination,
                     float threshold) {
    if (!can_read_samples(source)) return false;
    if (!make_zero_mask(destination, source)) return false;
    const std::int64_t n = voxel_count(source.header);
    for (std::int64_t i = 0; i < n; ++i)
        destination.data[i] = source.data[i] > threshold ? 1 : 0;  // NaN compares false
    return true;
}

}  // namespace levelset_prep::volume
