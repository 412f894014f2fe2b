// The node reader (read_nodes) with its count taken from the input, as
// tetclean takes it: a count that the text could not hold is refused before
// anything is allocated, so the fuzzer allocates exactly what the program
// would. The text is read from memory and as a stream in small blocks; both
// must give the same result, and accepted coordinates are finite.
#include <cmath>
#include <cstdint>
#include <cstring>
#include <memory>
#include <string_view>

#include "fuzz_support.hpp"
#include "mesh_files.hpp"
#include "number_scan.hpp"
#include "token_scanner.hpp"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    if (size == 0) return 0;
    const std::uint8_t choice = data[0];
    const std::string_view text(reinterpret_cast<const char*>(data) + 1, size - 1);

    // The count as read_mesh_sizes takes it: the first number, not negative,
    // at most one record per 8 bytes of the file.
    std::int32_t count = 0;
    {
        common::TokenScanner head(text);
        std::string_view token;
        if (common::read_number(head, count, token) != common::ScanStatus::ok || count < 0) count = 0;
        if (static_cast<std::uint64_t>(count) * 8 > text.size()) return 0;
    }
    tetclean::RunParameters param;
    param.nodes_number[1] = count;
    const std::size_t values = 3 * static_cast<std::size_t>(count);

    std::unique_ptr<double[]> from_memory(new double[values]);
    std::unique_ptr<double[]> from_stream(new double[values]);
    common::TokenScanner memory_text(text);
    const auto memory_problem = tetclean::read_nodes(from_memory.get(), memory_text, "n.node", 1, param);
    std::FILE* file = fuzz::open_memory(text);
    common::TokenScanner file_text(file, fuzz::block_size_for(text, choice));
    const auto stream_problem = tetclean::read_nodes(from_stream.get(), file_text, "n.node", 1, param);
    std::fclose(file);

    FUZZ_CHECK(memory_problem.has_value() == stream_problem.has_value());
    if (memory_problem) {
        FUZZ_CHECK(memory_problem->message == stream_problem->message);
        FUZZ_CHECK(memory_problem->message.rfind("n.node: ", 0) == 0);
        return 0;
    }
    FUZZ_CHECK(std::memcmp(from_memory.get(), from_stream.get(), values * sizeof(double)) == 0);
    for (std::size_t i = 0; i < values; ++i) FUZZ_CHECK(std::isfinite(from_memory[i]));
    return 0;
}
