// SPDX-License-Identifier: MIT
#include <algorithm>
#include <cstdint>
#include <cstring>
#include <limits>
#include <span>
#include <string>

#include <levelset_prep/analyze/nifti_reader.hpp>
#include <levelset_prep/textio/input_file.hpp>

#include "nifti_opening.hpp"

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
    detail::NiftiOpening opening;
    if (ReadResult opened =
            detail::open_nifti(file, name, options.signed_16bit, image.header, opening);
        !opened.ok()) {
        return opened;
    }
    detail::SamplePlan& plan = opening.plan;
    opening.details.volume = options.volume;
    ReadStatus status = detail::plan_volume(plan, options.volume, opening.details.volumes,
                                            opening.check.vox_offset - header_size);
    if (status == ReadStatus::ok) {
        status = opening.compressed
                     ? detail::read_compressed_samples(opening.source, plan, image)
                     : detail::read_plain_samples(file, plan, image, options.threads);
    }
    return detail::nifti_failure(status, image.header, opening);
}

}  // namespace

namespace detail {

ReadResult open_nifti(std::FILE* file, const std::string& name, bool signed_16bit,
                      analyze_header& header, NiftiOpening& opening) {
    FailureDetails& details = opening.details;
    details.header_file = details.image_file = name;
    details.header_what = details.image_what = "file";
    unsigned char* bytes = opening.stored;
    std::size_t got = std::fread(bytes, 1, header_size, file);
    GzipSource& source = opening.source;
    opening.compressed = gzip_magic(bytes, got);
    if (opening.compressed) {
        details.header_what = details.image_what = "decompressed file";
        // start() keeps its own copy of the bytes read so far.
        const std::span<const unsigned char> first(bytes, got);
        got = source.start(file, first) ? source.read(bytes, 1, header_size) : 0;
        if (got < header_size) {
            details.compressed_problem = source.problem();
            return read_failure(short_header(source), header, details);
        }
    } else if (got < header_size) {
        return read_failure(ReadStatus::header_too_short, header, details);
    }
    std::memcpy(&header, bytes, header_size);

    opening.check = check_nifti_header(header);
    if (!opening.check.ok) {
        return {ReadStatus::not_nifti1, textio::file_error(name, opening.check.problem)};
    }
    const std::int64_t n = voxel_count(header);
    if (n > std::numeric_limits<std::int32_t>::max()) {
        return read_failure(ReadStatus::no_sample_buffer, header, details);
    }
    const auto type = nifti_sample_type(header.datatype, signed_16bit);
    if (!type) return read_failure(ReadStatus::unsupported_datatype, header, details);
    opening.plan.type = *type;
    opening.plan.count = static_cast<std::size_t>(n);
    opening.plan.swap = opening.check.swap;
    details.volumes = series_length(header);
    return {};
}

ReadResult nifti_failure(ReadStatus status, const analyze_header& header, NiftiOpening& opening) {
    FailureDetails& details = opening.details;
    details.compressed_problem = opening.source.problem();
    const std::uint64_t after_header = announced_bytes(opening.plan);
    details.announced =
        after_header + std::min<std::uint64_t>(header_size, ~std::uint64_t{0} - after_header);
    return read_failure(status, header, details);
}

}  // namespace detail

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
