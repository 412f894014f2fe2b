// SPDX-License-Identifier: MIT
// The compressed path of the NIfTI-1 reader (gzip data inflated a chunk at
// a time) against its uncompressed path: the input's file is compressed
// here with zlib, changed as the flags ask, and both forms are read.
//
// Input: a flag byte, a position byte, then the file.
//   bits 0-1  what is done to the compressed data: 0 nothing; 1 cut at the
//             position (a fraction of its length); 2 one byte flipped
//             there; 3 the file is compressed in two members split there,
//             with zero padding after them
//   bit 2     the file is taken as the compressed data itself, unchanged
//             (the fuzzer then mutates the gzip bytes directly)
//   bit 3     read as a stream that cannot seek
//   bit 4     signed 16-bit samples; bits 5-6 the volume asked for, 1 to 4
//   bit 7     compression level 1, else 9
// Intact compressed data must read exactly as the plain file does (but for
// a file longer than its header announces, which compressed is refused as
// a bomb); cut data never reads.
#include <zlib.h>

#include <bit>
#include <cstdint>
#include <cstring>
#include <string>
#include <string_view>

#include <levelset_prep/analyze/nifti_reader.hpp>

#include "fuzz_support.hpp"

namespace {

using namespace levelset_prep::analyze;

std::string gzip(std::string_view bytes, int level) {
    z_stream z{};
    FUZZ_CHECK(deflateInit2(&z, level, Z_DEFLATED, 16 + MAX_WBITS, 8, Z_DEFAULT_STRATEGY) == Z_OK);
    std::string out(deflateBound(&z, bytes.size()) + 32, '\0');
    z.next_in = reinterpret_cast<Bytef*>(const_cast<char*>(bytes.data()));
    z.avail_in = static_cast<uInt>(bytes.size());
    z.next_out = reinterpret_cast<Bytef*>(out.data());
    z.avail_out = static_cast<uInt>(out.size());
    FUZZ_CHECK(deflate(&z, Z_FINISH) == Z_STREAM_END);
    out.resize(z.total_out);
    deflateEnd(&z);
    return out;
}

struct Read {
    ReadResult result;
    analyze_image image;
};

void read(std::string_view bytes, bool unseekable, const ReadOptions& options, Read& out) {
    std::FILE* stream = unseekable ? fuzz::open_unseekable(bytes) : fuzz::open_memory(bytes);
    out.result = read_nifti_image(stream, out.image, options);
    std::fclose(stream);
    FUZZ_CHECK(static_cast<bool>(out.image.data) == out.result.ok());
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    if (size < 3) return 0;
    const std::uint8_t flags = data[0], position = data[1];
    const std::string_view file(reinterpret_cast<const char*>(data + 2), size - 2);
    const bool raw = flags & 4, unseekable = flags & 8;
    const ReadOptions options{.signed_16bit = (flags & 16) != 0, .volume = 1 + ((flags >> 5) & 3)};
    const int level = (flags & 128) ? 1 : 9;

    Read compressed;
    if (raw) {
        read(file, unseekable, options, compressed);
        return 0;
    }
    std::string packed = gzip(file, level);
    const std::size_t at = packed.size() * position / 256;
    const int change = flags & 3;
    if (change == 1) packed.resize(at);
    if (change == 2) packed[at] = static_cast<char>(packed[at] ^ 0x5a);
    if (change == 3) {
        const std::size_t split = file.size() * position / 256;
        packed = gzip(file.substr(0, split), level) + gzip(file.substr(split), level) +
                 std::string(position % 5, '\0');
    }
    read(packed, unseekable, options, compressed);
    if (change == 1) {
        FUZZ_CHECK(!compressed.result.ok());
        return 0;
    }
    if (change == 2) return 0;

    Read plain;
    read(file, false, options, plain);
    if (plain.result.ok() && compressed.result.status == ReadStatus::excess_compressed_data) {
        return 0;  // the plain file holds more than its header announces
    }
    if (file.size() >= 2 && static_cast<std::uint8_t>(file[0]) == 0x1f &&
        static_cast<std::uint8_t>(file[1]) == 0x8b) {
        return 0;  // the plain read is itself of compressed data
    }
    // The same status, but where the plain file's short header or samples
    // are the compressed data's clean early end.
    FUZZ_CHECK(compressed.result.status == plain.result.status);
    if (!plain.result.ok()) return 0;
    FUZZ_CHECK(std::memcmp(&compressed.image.header, &plain.image.header, sizeof(analyze_header)) ==
               0);
    const std::int64_t count = voxel_count(plain.image.header);
    FUZZ_CHECK(count == 0 || std::memcmp(compressed.image.data.get(), plain.image.data.get(),
                                         static_cast<std::size_t>(count) * sizeof(float)) == 0);
    FUZZ_CHECK(std::bit_cast<std::uint32_t>(compressed.image.max_intensity) ==
               std::bit_cast<std::uint32_t>(plain.image.max_intensity));
    FUZZ_CHECK(std::bit_cast<std::uint32_t>(compressed.image.min_intensity) ==
               std::bit_cast<std::uint32_t>(plain.image.min_intensity));
    return 0;
}
