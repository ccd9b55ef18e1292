// Micro benchmarks of the text work a run does per record.

#include "datasource/TextLines.h"
#include "datasource/mLib.h"

#include <benchmark/benchmark.h>
#include <string>

namespace {

// A template of `occurrences` identifiers spread over about `size` bytes of CR LF lines.
std::string makeTemplate(std::size_t size, std::size_t occurrences)
{
    std::string text;
    const std::size_t gap = size / (occurrences + 1);
    for (std::size_t i = 0; i < occurrences; ++i) {
        text.append(gap, 'x');
        text.append("\r\n<b>%Field").append(std::to_string(i % 30)).append("%</b>");
    }
    text.append("\r\n");
    return text;
}

void BM_ReplaceAllOrdinary(benchmark::State& state)
{
    const std::string text = makeTemplate(200 * 1024, static_cast<std::size_t>(state.range(0)));
    for (auto _ : state)
        benchmark::DoNotOptimize(stencilor::ReplaceAll(text, "%Field7%", "Санкт-Петербург"));
    state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations() * text.size()));
}
BENCHMARK(BM_ReplaceAllOrdinary)->Arg(100)->Arg(3000);

void BM_ReplaceAllCascade(benchmark::State& state)
{
    // Every replacement forms a new occurrence with the text after it.
    const std::string text = std::string(static_cast<std::size_t>(state.range(0)), 'a') + "b";
    for (auto _ : state)
        benchmark::DoNotOptimize(stencilor::ReplaceAll(text, "ab", "b"));
}
BENCHMARK(BM_ReplaceAllCascade)->Arg(1000)->Arg(100000);

void BM_NormalizeLineEnds(benchmark::State& state)
{
    std::string text = makeTemplate(200 * 1024, 3000);
    for (char& c : text)
        if (c == '\r')
            c = ' ';
    for (auto _ : state)
        benchmark::DoNotOptimize(stencilor::normalizeLineEnds(text));
    state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations() * text.size()));
}
BENCHMARK(BM_NormalizeLineEnds);

} // namespace

BENCHMARK_MAIN();
