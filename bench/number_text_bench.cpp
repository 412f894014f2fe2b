// SPDX-License-Identifier: MIT
// Micro-benchmarks: the project's number scanner and formatter against
// formatted stream extraction and insertion, on the same text and values.
//
// Each benchmark handles one batch of 1,000,000 values; the text is what
// the tools meet: integers of up to seven digits (element files), and
// values written with six significant digits (grids and coordinates).
#include <cmath>
#include <cstdint>
#include <random>
#include <sstream>
#include <string>
#include <type_traits>
#include <vector>

#include <benchmark/benchmark.h>

#include <levelset_prep/textio/number_format.hpp>
#include <levelset_prep/textio/number_scan.hpp>
#include <levelset_prep/textio/token_scanner.hpp>

using namespace levelset_prep;

namespace {

constexpr int batch = 1000000;

std::vector<double> sample_doubles() {
    std::mt19937_64 random(7);
    std::uniform_real_distribution<double> mantissa(-100.0, 100.0);
    std::uniform_int_distribution<int> exponent(-3, 3);
    std::vector<double> values(batch);
    for (double& value : values) value = mantissa(random) * std::pow(10.0, exponent(random));
    return values;
}

std::vector<std::int64_t> sample_ints() {
    std::mt19937_64 random(8);
    std::uniform_int_distribution<std::int64_t> value(0, 9999999);
    std::vector<std::int64_t> values(batch);
    for (std::int64_t& v : values) v = value(random);
    return values;
}

// The values as a file would hold them: one space between, a line end now
// and then.
template <typename Number>
std::string as_text(const std::vector<Number>& values) {
    std::string text;
    char buffer[textio::max_number_chars];
    for (std::size_t i = 0; i < values.size(); ++i) {
        char* end = nullptr;
        if constexpr (std::is_integral_v<Number>) {
            end = textio::format_int(buffer, values[i]);
        } else {
            end = textio::format_general(buffer, values[i]);
        }
        text.append(buffer, end);
        text += i % 6 == 5 ? '\n' : ' ';
    }
    return text;
}

const std::string& double_text() {
    static const std::string text = as_text(sample_doubles());
    return text;
}
const std::string& int_text() {
    static const std::string text = as_text(sample_ints());
    return text;
}

template <typename Number>
void scan_project(benchmark::State& state, const std::string& text) {
    for (auto _ : state) {
        textio::TokenScanner scanner{std::string_view(text)};
        std::string_view token;
        Number value{};
        Number sum{};
        while (textio::read_number(scanner, value, token) == textio::ScanStatus::ok) sum += value;
        benchmark::DoNotOptimize(sum);
    }
    state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations() * text.size()));
    state.SetItemsProcessed(state.iterations() * batch);
}

template <typename Number>
void scan_stream(benchmark::State& state, const std::string& text) {
    for (auto _ : state) {
        std::istringstream in(text);
        Number value{};
        Number sum{};
        while (in >> value) sum += value;
        benchmark::DoNotOptimize(sum);
    }
    state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations() * text.size()));
    state.SetItemsProcessed(state.iterations() * batch);
}

void BM_scan_int_project(benchmark::State& state) { scan_project<std::int32_t>(state, int_text()); }
void BM_scan_int_stream(benchmark::State& state) { scan_stream<std::int32_t>(state, int_text()); }
void BM_scan_float_project(benchmark::State& state) { scan_project<float>(state, double_text()); }
void BM_scan_float_stream(benchmark::State& state) { scan_stream<float>(state, double_text()); }
void BM_scan_double_project(benchmark::State& state) { scan_project<double>(state, double_text()); }
void BM_scan_double_stream(benchmark::State& state) { scan_stream<double>(state, double_text()); }

// Formatting writes each value and a space into memory: a buffer for the
// project's formatter, a string stream for operator<<.
template <typename Number, typename Format>
void format_project(benchmark::State& state, const std::vector<Number>& values, Format format) {
    std::string buffer(values.size() * (textio::max_number_chars + 1), '\0');
    for (auto _ : state) {
        char* out = buffer.data();
        for (const Number value : values) {
            out = format(out, value);
            *out++ = ' ';
        }
        benchmark::DoNotOptimize(out);
    }
    state.SetItemsProcessed(state.iterations() * batch);
}

template <typename Number>
void format_stream(benchmark::State& state, const std::vector<Number>& values) {
    for (auto _ : state) {
        std::ostringstream out;
        for (const Number value : values) out << value << ' ';
        benchmark::DoNotOptimize(out.str().size());
    }
    state.SetItemsProcessed(state.iterations() * batch);
}

void BM_format_double_project(benchmark::State& state) {
    static const auto values = sample_doubles();
    format_project(state, values,
                   [](char* out, double v) { return textio::format_general(out, v); });
}
void BM_format_double_stream(benchmark::State& state) {
    static const auto values = sample_doubles();
    format_stream(state, values);
}
void BM_format_int_project(benchmark::State& state) {
    static const auto values = sample_ints();
    format_project(state, values,
                   [](char* out, std::int64_t v) { return textio::format_int(out, v); });
}
void BM_format_int_stream(benchmark::State& state) {
    static const auto values = sample_ints();
    format_stream(state, values);
}

}  // namespace

BENCHMARK(BM_scan_int_project)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_scan_int_stream)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_scan_float_project)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_scan_float_stream)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_scan_double_project)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_scan_double_stream)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_format_double_project)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_format_double_stream)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_format_int_project)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_format_int_stream)->Unit(benchmark::kMillisecond);

BENCHMARK_MAIN();
