// SPDX-License-Identifier: MIT
#include <cstdint>
#include <limits>
#include <string>

#include <levelset_prep/analyze/analyze_reader.hpp>
#include <levelset_prep/textio/input_file.hpp>

#include "gzip_source.hpp"
#include "pair_reading.hpp"
#include "volume_samples.hpp"

namespace levelset_prep::analyze {
namespace {

using detail::SamplePlan;

// From the header alone, so nothing is allocated here: the samples' buffer
// waits for the image file.
ReadStatus plan_pair_volume(const analyze_header& header, bool swap, const ReadOptions& options,
                            SamplePlan& plan) {
    std::int16_t datatype = header.datatype;
    std::int64_t n = voxel_count(header);
    if (datatype == datatype_unknown && header.bitpix > 32) {  // the zero-datatype rule
        datatype = datatype_float;
        n *= header.bitpix / 32;
    }
    if (n > std::numeric_limits<std::int32_t>::max()) return ReadStatus::no_sample_buffer;
    const auto type = detail::pair_sample_type(datatype, options.signed_16bit);
    if (!type) return ReadStatus::unsupported_datatype;
    plan.type = *type;
    plan.count = static_cast<std::size_t>(n);
    plan.swap = swap;
    return detail::plan_volume(plan, options.volume, series_length(header), 0);
}

}  // namespace

ReadResult read_analyze_image(std::string_view name, analyze_image& image,
                              const ReadOptions& options) {
    const std::optional<PairNames> names = pair_names(name);
    bool swap = false;
    ReadResult header = detail::read_pair_header(name, names, image.header, swap);
    if (!header.ok()) return header;
    textio::InputFile ifile;
    detail::FailureDetails details;
    details.header_file = names->header;
    ReadResult opened = detail::open_pair_samples(*names, ifile, details.image_file);
    if (!opened.ok()) return opened;

    image.data.reset();
    SamplePlan plan;
    ReadStatus status = plan_pair_volume(image.header, swap, options, plan);
    details.volume = options.volume;
    details.volumes = series_length(image.header);
    if (status == ReadStatus::ok && details.image_file != names->image) {
        detail::GzipSource source;
        status = source.start(ifile.get(), {})
                     ? detail::read_compressed_samples(source, plan, image)
                     : ReadStatus::no_sample_buffer;
        details.image_what = "decompressed image file";
        details.compressed_problem = source.problem();
        details.announced = detail::announced_bytes(plan);
    } else if (status == ReadStatus::ok) {
        status = detail::read_plain_samples(ifile.get(), plan, image, options.threads);
    }
    return detail::read_failure(status, image.header, details);
}

ReadResult read_analyze_image(std::string_view name, analyze_image& image, bool signed_16bit) {
    return read_analyze_image(name, image, ReadOptions{.signed_16bit = signed_16bit});
}

ReadResult read_analyze_image(std::span<const unsigned char> header_bytes, std::FILE* ifile,
                              analyze_image& image, bool signed_16bit) {
    bool swap = false;
    ReadResult header = detail::read_pair_header(header_bytes, image.header, swap);
    if (!header.ok()) return header;
    image.data.reset();
    SamplePlan plan;
    ReadStatus status =
        plan_pair_volume(image.header, swap, ReadOptions{.signed_16bit = signed_16bit}, plan);
    if (status == ReadStatus::ok) status = detail::read_plain_samples(ifile, plan, image);
    return detail::read_failure(status, image.header, {});
}

}  // namespace levelset_prep::analyze
