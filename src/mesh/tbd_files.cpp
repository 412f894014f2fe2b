// SPDX-License-Identifier: MIT
// Node tbd files: read_tbd_size, read_node_tbd_file, write_node_tbd_file.
#include <limits>

#include <levelset_prep/mesh/tbd_files.hpp>
#include <levelset_prep/textio/input_file.hpp>
#include <levelset_prep/textio/output_file.hpp>

#include "number_reader.hpp"

namespace levelset_prep::mesh {
namespace {

bool valid_level(std::int16_t level) { return level >= 1 && level <= 3; }

textio::Error bad_level(const std::string& file, std::int16_t level) {
    return textio::file_error(file, "level " + std::to_string(level) + " is not 1, 2 or 3");
}

// The entries after the file's own count, which is skipped: `count` (the
// record's, not the file's) entries into 0-based references.
textio::MaybeError read_tbd_entries(textio::TokenScanner& text, const std::string& tbd_file,
                                    std::int32_t* first, std::int32_t* second, std::int32_t count) {
    NumberReader numbers(text, tbd_file);
    std::int32_t skipped = 0;
    if (!numbers.read(skipped, {"tbd count"})) return numbers.take_error();
    for (std::int32_t i = 0; i < count; ++i) {
        const std::int64_t record = std::int64_t{i} + 1;
        if (!numbers.read(skipped, {"index", "tbd", record}) ||
            !numbers.read(first[i], {"first reference", "tbd", record}) ||
            !numbers.read(second[i], {"second reference", "tbd", record})) {
            return numbers.take_error();
        }
        for (std::int32_t* reference : {&first[i], &second[i]}) {
            if (*reference == std::numeric_limits<std::int32_t>::min()) {
                return textio::file_error(tbd_file, "tbd record " + std::to_string(record) +
                                                        ": reference -2147483648 is out of range");
            }
            *reference -= 1;
        }
    }
    return std::nullopt;
}

}  // namespace

textio::MaybeError read_tbd_size(const std::string& tbd_file, RunParameters& param,
                                 std::int16_t level) {
    if (!valid_level(level)) return bad_level(tbd_file, level);
    return textio::scan_text_file(
        tbd_file, "node tbd file",
        [&](textio::TokenScanner& text) -> textio::MaybeError {
            NumberReader numbers(text, tbd_file);
            std::int32_t count = 0;
            if (!numbers.read_count(count, {"tbd count"})) return numbers.take_error();
            param.tbd_size[level] = count;
            return std::nullopt;
        },
        4096);
}

textio::MaybeError read_node_tbd_file(const std::string& tbd_file, std::int32_t* first,
                                      std::int32_t* second, std::int16_t level,
                                      RunParameters param) {
    if (!valid_level(level)) return bad_level(tbd_file, level);
    return textio::scan_text_file(tbd_file, "node tbd file", [&](textio::TokenScanner& text) {
        return read_tbd_entries(text, tbd_file, first, second, param.tbd_size[level]);
    });
}

textio::MaybeError write_node_tbd_file(const std::int32_t* first, const std::int32_t* second,
                                       const std::string& tbd_file, std::int16_t level,
                                       const std::int16_t* marks, RunParameters param) {
    if (!valid_level(level)) return bad_level(tbd_file, level);
    const std::int32_t count = param.tbd_size_out[level];
    const std::int64_t base = param.nodes_number_out[level + 1];
    textio::OutputFile out;
    if (auto problem = out.open(tbd_file)) return problem;
    out.put_int(count);
    out.put('\n');
    for (std::int64_t i = 0; i < count; ++i) {
        // 64-bit sums: a reference of 2147483647 is written, not wrapped.
        out.put_int(base + i + 1);
        out.put(' ');
        out.put_int(std::int64_t{first[i]} + 1);
        out.put(' ');
        out.put_int(std::int64_t{second[i]} + 1);
        out.put(' ');
        out.put_int(marks[base + i]);
        out.put('\n');
    }
    if (auto problem = out.finish()) return problem;
    return out.commit();
}

}  // namespace levelset_prep::mesh
