// SPDX-License-Identifier: MIT
#include "sample_conversion.hpp"

#include <algorithm>
#include <bit>
#include <cstring>
#include <memory>
#include <new>

#if defined(__SSE2__)
#include <emmintrin.h>
#endif

#include <levelset_prep/analyze/analyze_image.hpp>
#include <levelset_prep/analyze/byte_order.hpp>

namespace levelset_prep::analyze::detail {
namespace {

// Each select is one min or max instruction with the strict test's result.
SampleRange see_each(SampleRange range, const float* values, std::size_t count) {
    for (std::size_t i = 0; i < count; ++i) {
        const float value = values[i];
        range.max = value > range.max ? value : range.max;
        range.min = value < range.min ? value : range.min;
    }
    return range;
}

// Sixteen lanes break the chain of dependent min and max instructions; the
// lanes are then ranged in turn. Only which of equal values wins can differ,
// which matters for the two zeros only: where a zero becomes the extreme,
// the first zero of `values` is kept, as one-at-a-time ranging does. Out of
// line, or the compiler keeps the range in memory across library calls.
[[gnu::noinline]] SampleRange see(SampleRange range, const float* values, std::size_t count) {
#if defined(__SSE2__)
    constexpr std::size_t lanes = 16;
    __m128 high[4], low[4];
    for (int k = 0; k < 4; ++k) {
        high[k] = _mm_set1_ps(range.max);
        low[k] = _mm_set1_ps(range.min);
    }
    std::size_t i = 0;
    for (; i + lanes <= count; i += lanes) {
        for (int k = 0; k < 4; ++k) {
            // _mm_max_ps(a, b) is a > b ? a : b, lane by lane.
            const __m128 v = _mm_loadu_ps(values + i + 4 * k);
            high[k] = _mm_max_ps(v, high[k]);
            low[k] = _mm_min_ps(v, low[k]);
        }
    }
    float highs[lanes], lows[lanes];
    for (int k = 0; k < 4; ++k) {
        _mm_storeu_ps(highs + 4 * k, high[k]);
        _mm_storeu_ps(lows + 4 * k, low[k]);
    }
    SampleRange seen = range;
    for (std::size_t lane = 0; lane < lanes; ++lane) {
        seen.max = highs[lane] > seen.max ? highs[lane] : seen.max;
        seen.min = lows[lane] < seen.min ? lows[lane] : seen.min;
    }
    seen = see_each(seen, values + i, count - i);
    auto first_zero = [&] { return *std::find(values, values + count, 0.0f); };
    if (seen.max == 0.0f && seen.max > range.max) seen.max = first_zero();
    if (seen.min == 0.0f && seen.min < range.min) seen.min = first_zero();
    return seen;
#else
    return see_each(range, values, count);
#endif
}

constexpr std::size_t chunk_bytes = std::size_t{1} << 18;

void swap_bytes_64(std::uint64_t& value) {
    std::uint32_t high = static_cast<std::uint32_t>(value >> 32);
    std::uint32_t low = static_cast<std::uint32_t>(value);
    swap_bytes_32(high);
    swap_bytes_32(low);
    value = (std::uint64_t{low} << 32) | high;
}

template <typename Sample, typename Convert>
ReadStatus read_integer_samples(ByteSource& source, std::size_t count, float* out,
                                SampleRange& range, Convert convert) {
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

// Read as Stored, an unsigned type of Value's size, swapped when `swap`.
template <typename Stored, typename Value>
ReadStatus read_stored_samples(ByteSource& source, std::size_t count, float* out,
                               SampleRange& range, bool swap, const SampleScaling* scaling) {
    static_assert(sizeof(Stored) == sizeof(Value));
    const auto value = [=](Stored stored) {
        if constexpr (sizeof(Stored) == 2) {
            if (swap) swap_bytes_16(stored);
        } else if constexpr (sizeof(Stored) == 4) {
            if (swap) swap_bytes_32(stored);
        } else if constexpr (sizeof(Stored) == 8) {
            if (swap) swap_bytes_64(stored);
        }
        return std::bit_cast<Value>(stored);
    };
    if (scaling != nullptr) {
        const double slope = scaling->slope, inter = scaling->inter;
        return read_integer_samples<Stored>(source, count, out, range, [=](Stored stored) {
            return static_cast<float>(slope * static_cast<double>(value(stored)) + inter);
        });
    }
    return read_integer_samples<Stored>(source, count, out, range, [=](Stored stored) {
        return static_cast<float>(value(stored));
    });
}

// Float samples go straight into `out` and are swapped (and scaled) there.
ReadStatus read_float_samples(ByteSource& source, std::size_t count, float* out, SampleRange& range,
                              bool swap, const SampleScaling* scaling) {
    std::size_t done = 0;
    while (done < count) {
        const std::size_t wanted = std::min(count - done, chunk_bytes / sizeof(float));
        const std::size_t got = source.read(out + done, sizeof(float), wanted);
        if (swap) {
            for (std::size_t i = done; i < done + got; ++i) swap_bytes_32(out[i]);
        }
        if (scaling != nullptr) {
            const double slope = scaling->slope, inter = scaling->inter;
            for (std::size_t i = done; i < done + got; ++i) {
                out[i] = static_cast<float>(slope * static_cast<double>(out[i]) + inter);
            }
        }
        range = see(range, out + done, got);
        done += got;
        if (got < wanted) return ReadStatus::image_too_short;
    }
    return ReadStatus::ok;
}

}  // namespace

std::size_t sample_size(SampleType type) {
    switch (type) {
        case SampleType::u8:
        case SampleType::s8:
            return 1;
        case SampleType::u16:
        case SampleType::s16:
            return 2;
        case SampleType::s32:
        case SampleType::u32:
        case SampleType::f32:
            return 4;
        case SampleType::f64:
            return 8;
    }
    return 0;
}

std::optional<SampleType> pair_sample_type(std::int16_t datatype, bool signed_16bit) {
    switch (datatype) {
        case datatype_unsigned_char:
            return SampleType::u8;
        case datatype_signed_short:
            return signed_16bit ? SampleType::s16 : SampleType::u16;
        case datatype_signed_int:
            return SampleType::s32;
        case datatype_float:
            return SampleType::f32;
        default:
            return std::nullopt;
    }
}

std::optional<SampleType> nifti_sample_type(std::int16_t datatype, bool signed_16bit) {
    switch (datatype) {
        case 256:
            return SampleType::s8;
        case 512:
            return SampleType::u16;
        case 768:
            return SampleType::u32;
        case 64:
            return SampleType::f64;
        default:
            return pair_sample_type(datatype, signed_16bit);
    }
}

ReadStatus convert_samples(ByteSource& source, SampleType type, bool swap, std::size_t count,
                           float* out, SampleRange& range, const SampleScaling* scaling) {
    switch (type) {
        case SampleType::u8:
            return read_stored_samples<std::uint8_t, std::uint8_t>(source, count, out, range, false,
                                                                   scaling);
        case SampleType::s8:
            return read_stored_samples<std::uint8_t, std::int8_t>(source, count, out, range, false,
                                                                  scaling);
        case SampleType::u16:
            return read_stored_samples<std::uint16_t, std::uint16_t>(source, count, out, range,
                                                                     swap, scaling);
        case SampleType::s16:
            return read_stored_samples<std::uint16_t, std::int16_t>(source, count, out, range, swap,
                                                                    scaling);
        case SampleType::s32:
            return read_stored_samples<std::uint32_t, std::int32_t>(source, count, out, range, swap,
                                                                    scaling);
        case SampleType::u32:
            return read_stored_samples<std::uint32_t, std::uint32_t>(source, count, out, range,
                                                                     swap, scaling);
        case SampleType::f64:
            return read_stored_samples<std::uint64_t, double>(source, count, out, range, swap,
                                                              scaling);
        case SampleType::f32:
            break;
    }
    return read_float_samples(source, count, out, range, swap, scaling);
}

}  // namespace levelset_prep::analyze::detail
