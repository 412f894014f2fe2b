#include <algorithm>
#include <cerrno>
#include <cstdint>
#include <cstring>
#include <limits>
#include <memory>
#include <new>
#include <string>

#include <levelset_prep/analyze/analyze_reader.hpp>
#include <levelset_prep/analyze/byte_order.hpp>
#include <levelset_prep/textio/input_file.hpp>
#include <levelset_prep/textio/large_array.hpp>

#include "image_file_bytes.hpp"
#include "pair_reading.hpp"

namespace levelset_prep::analyze {
namespace {

// The running minimum and maximum. Comparisons are strict, so a NaN changes
// neither, and both are tested for every sample, in file order.
struct running_range {
    float min = 2147483648.0f;
    float max = -2147483648.0f;
};

// `range` after seeing `values`. Kept out of line: inlined next to the
// reads, the two values live across library calls and the compiler keeps
// them in memory, which puts a store and a load on every sample's path.
// Each select is one min or max instruction with the strict test's result.
[[gnu::noinline]] running_range see(running_range range, const float* values, std::size_t count) {
    for (std::size_t i = 0; i < count; ++i) {
        const float value = values[i];
        range.max = value > range.max ? value : range.max;
        range.min = value < range.min ? value : range.min;
    }
    return range;
}

// Samples are read, converted and ranged a chunk at a time, so each chunk is
// still in the cache for the passes after the read.
constexpr std::size_t chunk_bytes = std::size_t{1} << 18;

// The bytes one stored sample of `datatype` takes; 0 for a type the reader
// does not take.
std::size_t stored_sample_bytes(std::int16_t datatype) {
    switch (datatype) {
        case datatype_unsigned_char:
            return 1;
        case datatype_signed_short:
            return 2;
        case datatype_signed_int:
        case datatype_float:
            return 4;
        default:
            return 0;
    }
}

// Where the samples come from: the open image file, or its bytes already
// read into memory. read() takes whole samples, as fread does.
struct sample_source {
    std::FILE* file = nullptr;
    const unsigned char* bytes = nullptr;
    std::size_t left = 0;

    std::size_t read(void* out, std::size_t size, std::size_t count) {
        if (file != nullptr) return std::fread(out, size, count, file);
        const std::size_t whole = std::min(count, left / size);
        if (whole != 0) std::memcpy(out, bytes, whole * size);
        bytes += whole * size;
        left -= whole * size;
        return whole;
    }
};

// Reads `count` samples of type Sample, converts each with `convert` into
// `out` and records it in `range`. Returns 2 when no block buffer can be
// had, 5 when the samples end early, otherwise 0.
template <typename Sample, typename Convert>
ReadStatus read_integer_samples(sample_source& source, std::size_t count, float* out,
                                running_range& range, Convert convert) {
    const std::size_t per_block = std::min(count, chunk_bytes / sizeof(Sample));
    std::unique_ptr<unsigned char[]> block(
        new (std::nothrow) unsigned char[per_block * sizeof(Sample)]);
    if (!block) return ReadStatus::no_sample_buffer;
    std::size_t done = 0;
    while (done < count) {
        const std::size_t wanted = std::min(count - done, per_block);
        const std::size_t got = source.read(block.get(), sizeof(Sample), wanted);
        for (std::size_t i = 0; i < got; ++i) {
            Sample sample;
            std::memcpy(&sample, block.get() + i * sizeof(Sample), sizeof(Sample));
            out[done + i] = convert(sample);
        }
        range = see(range, out + done, got);
        done += got;
        if (got < wanted) return ReadStatus::image_too_short;
    }
    return ReadStatus::ok;
}

// Float samples go straight into `out` and are swapped there.
ReadStatus read_float_samples(sample_source& source, std::size_t count, float* out,
                              running_range& range, bool swap) {
    std::size_t done = 0;
    while (done < count) {
        const std::size_t wanted = std::min(count - done, chunk_bytes / sizeof(float));
        const std::size_t got = source.read(out + done, sizeof(float), wanted);
        if (swap) {
            for (std::size_t i = done; i < done + got; ++i) swap_bytes_32(out[i]);
        }
        range = see(range, out + done, got);
        done += got;
        if (got < wanted) return ReadStatus::image_too_short;
    }
    return ReadStatus::ok;
}

// Everything after the header: count, buffer, conversion, range. `image`
// holds the header in the machine's byte order; `swap` says the samples are
// not. Nothing is allocated from the header's count alone: an unaccepted
// datatype is refused first, and the samples' buffer is obtained only once
// the image file has shown that it holds them (see image_file_bytes.hpp).
ReadStatus read_analyze_samples(analyze_image& image, bool swap, std::FILE* ifile,
                                bool signed_16bit) {
    image.data.reset();
    std::int16_t datatype = image.header.datatype;
    std::int64_t n = voxel_count(image.header);
    if (datatype == datatype_unknown && image.header.bitpix > 32) {  // the zero-datatype rule
        datatype = datatype_float;
        n *= image.header.bitpix / 32;
    }
    if (n > std::numeric_limits<std::int32_t>::max()) return ReadStatus::no_sample_buffer;
    const std::size_t sample_bytes = stored_sample_bytes(datatype);
    if (sample_bytes == 0) return ReadStatus::unsupported_datatype;
    const auto count = static_cast<std::size_t>(n);
    const std::uint64_t needed = std::uint64_t{count} * sample_bytes;

    sample_source source{ifile};
    std::unique_ptr<unsigned char[]> held;  // the file's bytes, when read ahead
    const auto left = bytes_left(ifile);
    if (!left || *left < needed) {
        switch (read_growing(ifile, needed, held)) {
            case fill_result::complete:
                break;
            case fill_result::short_file:
                return ReadStatus::image_too_short;
            case fill_result::no_memory:
                return ReadStatus::no_sample_buffer;
        }
        source = sample_source{nullptr, held.get(), static_cast<std::size_t>(needed)};
    }
    image.data = textio::allocate_large<float>(count);
    if (!image.data) return ReadStatus::no_sample_buffer;
    float* out = image.data.get();

    running_range range;
    ReadStatus status = ReadStatus::ok;
    switch (datatype) {
        case datatype_unsigned_char:
            status = read_integer_samples<std::uint8_t>(
                source, count, out, range, [](std::uint8_t s) { return static_cast<float>(s); });
            break;
        case datatype_signed_short:
            status = read_integer_samples<std::uint16_t>(
                source, count, out, range, [swap, signed_16bit](std::uint16_t s) {
                    if (swap) swap_bytes_16(s);
                    return signed_16bit ? static_cast<float>(static_cast<std::int16_t>(s))
                                        : static_cast<float>(s);
                });
            break;
        case datatype_signed_int:
            status = read_integer_samples<std::int32_t>(source, count, out, range,
                                                        [swap](std::int32_t s) {
                                                            if (swap) swap_bytes_32(s);
                                                            return static_cast<float>(s);
                                                        });
            break;
        default:  // datatype_float, the only other type with a sample size
            status = read_float_samples(source, count, out, range, swap);
            break;
    }
    if (status != ReadStatus::ok) {
        // The file shrank while it was read; a partial volume is not kept.
        image.data.reset();
        return status;
    }
    image.min_intensity = range.min;
    image.max_intensity = range.max;
    return ReadStatus::ok;
}

}  // namespace

ReadResult read_analyze_image(std::string_view name, analyze_image& image, bool signed_16bit) {
    const std::optional<PairNames> names = pair_names(name);
    bool swap = false;
    ReadResult header = detail::read_pair_header(name, names, image.header, swap);
    if (!header.ok()) return header;
    textio::InputFile ifile;
    ReadResult opened = detail::open_pair_image(*names, ifile);
    if (!opened.ok()) return opened;
    return detail::pair_failure(read_analyze_samples(image, swap, ifile.get(), signed_16bit),
                                *names, image.header);
}

ReadResult read_analyze_image(std::span<const unsigned char> header_bytes, std::FILE* ifile,
                              analyze_image& image, bool signed_16bit) {
    bool swap = false;
    ReadResult header = detail::read_pair_header(header_bytes, image.header, swap);
    if (!header.ok()) return header;
    return detail::pair_failure(read_analyze_samples(image, swap, ifile, signed_16bit), {},
                                image.header);
}

}  // namespace levelset_prep::analyze
