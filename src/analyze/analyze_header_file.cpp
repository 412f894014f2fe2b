#include <levelset_prep/analyze/analyze_header_file.hpp>

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <string>

#include <levelset_prep/analyze/analyze_names.hpp>
#include <levelset_prep/textio/input_file.hpp>

namespace levelset_prep::analyze {

std::optional<std::size_t> load_analyze_header(std::string_view name, analyze_header& header) {
    std::string hfname;
    if (!make_hdr_name(hfname, name)) {
        errno = ENAMETOOLONG;
        return std::nullopt;
    }
    textio::InputFile ifile(std::fopen(hfname.c_str(), "rb"));
    if (!ifile) return std::nullopt;
    unsigned char bytes[sizeof(analyze_header)];
    const std::size_t got = std::fread(bytes, 1, sizeof bytes, ifile.get());
    std::memcpy(&header, bytes, got);
    return got;
}

bool read_analyze_header(std::string_view name, analyze_header& header) {
    return load_analyze_header(name, header).has_value();
}

bool write_analyze_header(std::string_view name, const analyze_header& header) {
    std::string hfname;
    if (!make_hdr_name(hfname, name)) return false;
    std::FILE* ofile = std::fopen(hfname.c_str(), "wb");
    if (ofile == nullptr) return false;
    const bool written = std::fwrite(&header, sizeof header, 1, ofile) == 1;
    // fclose writes what stdio still buffers; its failure is a failed write.
    const bool closed = std::fclose(ofile) == 0;
    return written && closed;
}

}  // namespace levelset_prep::analyze
