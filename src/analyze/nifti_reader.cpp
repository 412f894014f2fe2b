// SPDX-License-Identifier: MIT
#include <algorithm>
#include <cstdint>
#include <cstring>
#include <limits>
#include <span>
#include <string>

#include <levelset_prep/analyze/nifti_reader.hpp>
#include <levelset_prep/textio/input_file.hpp>

#include "gzip_source.hpp"
#include "nifti_header.hpp"
#include "pair_reading.hpp"
#include "volume_samples.hpp"

namespace levelset_prep::analyze {
namespace {

using detail::GzipSource;

constexpr std::size_t header_size = sizeof(analyze_header);

bool gzip_magic(const unsigned char* bytes, std::size_t size) {
    return size >= 2 && bytes[0] == 0x1f && bytes[1] == 0x8b;
}

// The status of compressed data that ended (or failed) inside the header.
ReadStatus short_header(const GzipSource& source) {
    switch (source.fault()) {
        case GzipSource::Fault::none:
            return ReadStatus::header_too_short;
        case GzipSource::Fault::no_memory:
            return ReadStatus::no_sample_buffer;
        default:
            return ReadStatus::corrupt_compressed_data;
    }
}

ReadResult read_nifti(std::FILE* file, analyze_image& image, const ReadOptions& options,
                      const std::string& name) {
    image.data.reset();
    detail::FailureDetails details;
    details.header_file = details.image_file = name;
    details.header_what = details.image_what = "file";
    unsigned char bytes[header_size];
    std::size_t got = std::fread(bytes, 1, header_size, file);
    GzipSource source;
    const bool compressed = gzip_magic(bytes, got);
    if (compressed) {
        details.header_what = details.image_what = "decompressed file";
        const std::span<const unsigned char> first(bytes, got);
        got = source.start(file, first) ? source.read(bytes, 1, header_size) : 0;
        if (got < header_size) {
            details.compressed_problem = source.problem();
            return detail::read_failure(short_header(source), image.header, details);
        }
    } else if (got < header_size) {
        return detail::read_failure(ReadStatus::header_too_short, image.header, details);
    }
    std::memcpy(&image.header, bytes, header_size);

    const detail::NiftiHeaderCheck check = detail::check_nifti_header(image.header);
    if (!check.ok) return {ReadStatus::not_nifti1, textio::file_error(name, check.problem)};
    const std::int64_t n = voxel_count(image.header);
    if (n > std::numeric_limits<std::int32_t>::max()) {
        return detail::read_failure(ReadStatus::no_sample_buffer, image.header, details);
    }
    const auto type = detail::nifti_sample_type(image.header.datatype, options.signed_16bit);
    if (!type) return detail::read_failure(ReadStatus::unsupported_datatype, image.header, details);

    detail::SamplePlan plan;
    plan.type = *type;
    plan.count = static_cast<std::size_t>(n);
    plan.swap = check.swap;
    details.volume = options.volume;
    details.volumes = series_length(image.header);
    ReadStatus status =
        detail::plan_volume(plan, options.volume, details.volumes, check.vox_offset - header_size);
    if (status == ReadStatus::ok) {
        status = compressed ? detail::read_compressed_samples(source, plan, image)
                            : detail::read_plain_samples(file, plan, image, options.threads);
    }
    details.compressed_problem = source.problem();
    const std::uint64_t after_header = detail::announced_bytes(plan);
    details.announced =
        after_header + std::min<std::uint64_t>(header_size, ~std::uint64_t{0} - after_header);
    return detail::read_failure(status, image.header, details);
}

}  // namespace

ReadResult read_nifti_image(std::string_view name, analyze_image& image,
                            const ReadOptions& options) {
    const std::string file_name(name);
    textio::Result<textio::InputFile> file = textio::open_input(file_name, "NIfTI-1 file");
    if (!file) return {ReadStatus::header_not_opened, std::move(file.error)};
    return read_nifti(file.value.get(), image, options, file_name);
}

ReadResult read_nifti_image(std::FILE* file, analyze_image& image, const ReadOptions& options) {
    return read_nifti(file, image, options, {});
}

NiftiScaling nifti_scaling(const analyze_header& header) {
    return {header.funused1, header.funused2};
}

}  // namespace levelset_prep::analyze
