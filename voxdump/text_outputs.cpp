#include "text_outputs.hpp"

#include <limits>

namespace voxdump {

std::int32_t ascii_value(float value) {
    // 2^31 is exact as a float; every float below it and at or above -2^31
    // truncates to a value in range. The negated test also catches NaN.
    if (!(value >= -2147483648.0f && value < 2147483648.0f)) {
        return std::numeric_limits<std::int32_t>::min();
    }
    return static_cast<std::int32_t>(value);
}

void put_ascii_image(common::OutputFile& out, const analyze_image& image) {
    // Index order is x fastest, then y, then z: the file order of the samples.
    const std::int64_t n = voxel_count(image.header);
    const float* samples = image.data.get();
    for (std::int64_t i = 0; i < n; ++i) {
        out.put_int(ascii_value(samples[i]));
        out.put(' ');
    }
}

void put_size_line(common::OutputFile& out, const analyze_header& header) {
    out.put_int(header.dim[1]);
    out.put(' ');
    out.put_int(header.dim[2]);
    out.put(' ');
    out.put_int(header.dim[3]);
    out.put('\n');
}

void put_resolution_line(common::OutputFile& out, const analyze_header& header) {
    out.put_general(header.pixdim[1]);
    out.put(' ');
    out.put_general(header.pixdim[2]);
    out.put(' ');
    out.put_general(header.pixdim[3]);
    out.put('\n');
}

}  // namespace voxdump
