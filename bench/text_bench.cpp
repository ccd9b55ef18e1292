// SPDX-License-Identifier: GPL-3.0-or-later
// Micro benchmarks of the text work a run does per record.

#include "datasource/Fields.h"
#include "datasource/RecordFields.h"
#include "datasource/ReplaceAll.h"
#include "datasource/TextLines.h"
#include "generation/CompiledTemplate.h"
#include "generation/OutputNaming.h"

#include <benchmark/benchmark.h>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

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

// A data line of `fields` fields of mixed ASCII and UTF-8 text.
std::string makeLine(std::size_t fields)
{
    std::string line;
    for (std::size_t i = 0; i < fields; ++i) {
        if (i > 0)
            line.push_back(';');
        line.append(i % 3 == 0 ? "Санкт-Петербург" : i % 3 == 1 ? "Anna Weiß" : "2024-05-17").append(std::to_string(i));
    }
    return line;
}

void BM_GetFieldEveryField(benchmark::State& state)
{
    const std::size_t fields = static_cast<std::size_t>(state.range(0));
    const std::string line = makeLine(fields);
    for (auto _ : state) {
        for (std::size_t n = 1; n <= fields; ++n)
            benchmark::DoNotOptimize(stencilor::GetField(line, ";", static_cast<std::int64_t>(n)));
    }
}
BENCHMARK(BM_GetFieldEveryField)->Arg(3)->Arg(30);

void BM_SplitFields(benchmark::State& state)
{
    const std::size_t fields = static_cast<std::size_t>(state.range(0));
    const std::string line = makeLine(fields);
    std::vector<std::string_view> split;
    for (auto _ : state) {
        stencilor::SplitFields(line, ";", fields, split);
        benchmark::DoNotOptimize(split.data());
    }
}
BENCHMARK(BM_SplitFields)->Arg(3)->Arg(30);

// The record's fields as the run cuts them: plain (arg 0) or quoted (arg 1, every field in
// quotes, one in three holding the delimiter and a doubled quote).
void BM_RecordFields(benchmark::State& state)
{
    const bool quoted = state.range(0) != 0;
    std::string line;
    for (std::size_t i = 0; i < 10; ++i) {
        if (i > 0)
            line.push_back(';');
        // Appended piece by piece: "literal" + std::string trips a false -Wrestrict of GCC 12.
        if (quoted)
            line += '"';
        line += makeLine(1);
        if (quoted && i % 3 == 0)
            line += "; \"\"Ltd\"\"";
        if (quoted)
            line += '"';
    }
    stencilor::RecordFields fields;
    for (auto _ : state) {
        fields.assign(line, ";", quoted);
        benchmark::DoNotOptimize(fields.field(10).data());
    }
    state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations() * line.size()));
}
BENCHMARK(BM_RecordFields)->Arg(0)->Arg(1);

// The data's records found in 16 MiB of quoted text (the record reader with quotes on), beside
// BM_LineCursor for the plain rule.
void BM_QuotedRecords(benchmark::State& state)
{
    std::string data;
    std::string line(1, '"');
    line.append(makeLine(5)).append("\";\"a \"\"b\"\"\r\nc\";").append(makeLine(4));
    while (data.size() < 16 * 1024 * 1024)
        data.append(line).append("\r\n");
    for (auto _ : state) {
        stencilor::TextSource source(data);
        stencilor::RecordReader records(source, {true, ";"});
        std::size_t count = 0;
        for (stencilor::DataRecord record; records.next(record).value();)
            ++count;
        benchmark::DoNotOptimize(count);
    }
    state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations() * data.size()));
}
BENCHMARK(BM_QuotedRecords);

void BM_LineCursor(benchmark::State& state)
{
    std::string data;
    const std::string line = makeLine(10);
    while (data.size() < 16 * 1024 * 1024)
        data.append(line).append("\r\n");
    for (auto _ : state) {
        stencilor::LineCursor cursor(data);
        std::size_t lines = 0;
        for (std::string_view l; cursor.next(l);)
            ++lines;
        benchmark::DoNotOptimize(lines);
    }
    state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations() * data.size()));
}
BENCHMARK(BM_LineCursor);

// The per-record text work of a run on a `size`-byte template with `occurrences` identifiers of
// 30 rules: the values of the record's line, the one-pass render, and the output name.
void BM_RecordTextAndName(benchmark::State& state)
{
    const std::string text =
        makeTemplate(static_cast<std::size_t>(state.range(0)), static_cast<std::size_t>(state.range(1)));
    std::vector<std::string> identifiers;
    for (int i = 0; i < 30; ++i)
        identifiers.push_back("%Field" + std::to_string(i) + "%");
    const std::vector<std::string_view> views(identifiers.begin(), identifiers.end());
    stencilor::CompiledTemplate compiled;
    compiled.compile(text, views);
    const std::string line = makeLine(30);
    stencilor::ProjectSettings settings;
    settings.outputdir = "/tmp/out";
    settings.nameFromFld = true;
    settings.FileNameFld = "Field 2";
    settings.CopyDirFld = true;
    settings.directoryFile = "Field 1";
    settings.AddExt = true;
    std::vector<std::string_view> fields;
    std::string out;
    std::uint64_t number = 0;
    for (auto _ : state) {
        stencilor::SplitFields(line, ";", 30, fields);
        if (compiled.render(fields, out, SIZE_MAX) != stencilor::CompiledTemplate::Render::Done)
            state.SkipWithError("the one-pass render declined an ordinary record");
        benchmark::DoNotOptimize(stencilor::recordOutputName(settings, settings.outputdir, line, ++number));
    }
    state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations() * out.size()));
}
BENCHMARK(BM_RecordTextAndName)->Args({2 * 1024, 20})->Args({200 * 1024, 3000});

// A record of `rules` values that end with "%" (as "50%"), in a table of one cell per rule: the
// one-pass check must see that the text after each slot cannot continue an identifier, so the
// cost stays linear in rules (applying the rules one by one would be quadratic).
void BM_RenderValuesEndingWithPercent(benchmark::State& state)
{
    const auto rules = static_cast<std::size_t>(state.range(0));
    std::string text;
    std::vector<std::string> identifiers;
    for (std::size_t i = 0; i < rules; ++i) {
        identifiers.push_back("%F" + std::to_string(i) + "%");
        text += "<td>" + identifiers.back() + "</td>\r\n";
    }
    const std::vector<std::string_view> ids(identifiers.begin(), identifiers.end());
    stencilor::CompiledTemplate compiled;
    compiled.compile(text, ids);
    const std::vector<std::string_view> values(rules, "50%");
    std::string out;
    for (auto _ : state) {
        if (compiled.render(values, out, SIZE_MAX) != stencilor::CompiledTemplate::Render::Done)
            state.SkipWithError("the one-pass render declined values ending with %");
        benchmark::DoNotOptimize(out.data());
    }
}
BENCHMARK(BM_RenderValuesEndingWithPercent)->Arg(150)->Arg(300)->Arg(600);

// A record of `rules` values, one identifier a line as in a plain letter, with identifiers of
// the form %R1%: plain values ("50", kind 0) against values holding the start of an identifier
// ("%R", kind 1), as URL-encoded text (%C3) holds the start of %City%. The check of the text
// before each slot must cost the same for both, not a look at every identifier for each value.
void BM_RenderValuesHoldingAnIdentifierStart(benchmark::State& state)
{
    const auto rules = static_cast<std::size_t>(state.range(0));
    std::string text;
    std::vector<std::string> identifiers;
    for (std::size_t i = 1; i <= rules; ++i) {
        identifiers.push_back("%R" + std::to_string(i) + "%");
        text += identifiers.back() + "\r\n";
    }
    const std::vector<std::string_view> ids(identifiers.begin(), identifiers.end());
    stencilor::CompiledTemplate compiled;
    compiled.compile(text, ids);
    const std::vector<std::string_view> values(rules, state.range(1) == 0 ? "50" : "%R");
    std::string out;
    for (auto _ : state) {
        if (compiled.render(values, out, SIZE_MAX) != stencilor::CompiledTemplate::Render::Done)
            state.SkipWithError("the one-pass render declined values that cannot form an identifier");
        benchmark::DoNotOptimize(out.data());
    }
}
BENCHMARK(BM_RenderValuesHoldingAnIdentifierStart)->ArgsProduct({{150, 300, 600}, {0, 1}});

void BM_CompileTemplate(benchmark::State& state)
{
    const std::string text = makeTemplate(200 * 1024, 3000);
    std::vector<std::string> identifiers;
    for (int i = 0; i < 30; ++i)
        identifiers.push_back("%Field" + std::to_string(i) + "%");
    const std::vector<std::string_view> views(identifiers.begin(), identifiers.end());
    stencilor::CompiledTemplate compiled;
    for (auto _ : state)
        compiled.compile(text, views);
    state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations() * text.size()));
}
BENCHMARK(BM_CompileTemplate);

} // namespace

BENCHMARK_MAIN();
