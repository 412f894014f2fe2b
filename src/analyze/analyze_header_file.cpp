// SPDX-License-Identifier: MIT
#include <cerrno>
#include <cstdio>
#include <cstring>
#include <string>

#include <levelset_prep/analyze/analyze_header_file.hpp>
#include <levelset_prep/analyze/analyze_names.hpp>
#include <levelset_prep/textio/input_file.hpp>

namespace levelset_prep::analyze {
namespace {

textio::Error name_too_long(std::string_view name, const char* what) {
    return textio::system_error(textio::shortened_name(name), what, ENAMETOOLONG);
}

}  // namespace

textio::Result<std::size_t> load_analyze_header(std::string_view name, analyze_header& header) {
    std::string hfname;
    if (!make_hdr_name(hfname, name)) return {0, name_too_long(name, "cannot open header file")};
    textio::Result<textio::InputFile> file = textio::open_input(hfname, "header file");
    if (!file) return {0, std::move(file.error)};
    unsigned char bytes[sizeof(analyze_header)];
    const std::size_t got = std::fread(bytes, 1, sizeof bytes, file.value.get());
    std::memcpy(&header, bytes, got);
    return {got, std::nullopt};
}

textio::MaybeError read_analyze_header(std::string_view name, analyze_header& header) {
    return load_analyze_header(name, header).error;
}

textio::MaybeError write_analyze_header(std::string_view name, const analyze_header& header) {
    std::string hfname;
    if (!make_hdr_name(hfname, name)) return name_too_long(name, "cannot write header file");
    errno = 0;
    std::FILE* ofile = std::fopen(hfname.c_str(), "wb");
    if (ofile == nullptr) return textio::system_error(hfname, "cannot write header file", errno);
    errno = 0;
    const bool written = std::fwrite(&header, sizeof header, 1, ofile) == 1;
    int reason = errno;
    // fclose writes what stdio still buffers; its failure is a failed write.
    errno = 0;
    const bool closed = std::fclose(ofile) == 0;
    if (reason == 0) reason = errno;
    if (written && closed) return std::nullopt;
    return textio::system_error(hfname, "cannot write header file", reason != 0 ? reason : EIO);
}

}  // namespace levelset_prep::analyze
