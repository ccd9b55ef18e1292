// SPDX-License-Identifier: GPL-3.0-or-later
// The compiled template of the run against applying the rules one by one with ReplaceAll: where
// render accepts a record's values, its text must be exactly the rule-by-rule text.

#include "FuzzSupport.h"
#include "datasource/ReplaceAll.h"
#include "datasource/TextLines.h"
#include "generation/CompiledTemplate.h"

#include <cstdint>
#include <cstdio>
#include <fuzzer/FuzzedDataProvider.h>
#include <string>
#include <vector>

using namespace stencilor;

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    FuzzedDataProvider input(data, size);
    std::vector<std::string> identifiers(input.ConsumeIntegralInRange<std::size_t>(1, 5));
    for (std::string& identifier : identifiers) {
        identifier = input.ConsumeRandomLengthString(8);
        if (identifier.empty())
            identifier = "%";
    }
    // Values are fields of a data line, which never hold a line break.
    std::vector<std::vector<std::string>> records(input.ConsumeIntegralInRange<std::size_t>(1, 3));
    for (auto& values : records) {
        values.resize(identifiers.size());
        for (std::string& value : values) {
            value = input.ConsumeRandomLengthString(12);
            std::erase_if(value, [](char c) { return c == '\r' || c == '\n'; });
        }
    }
    const std::string templ = input.ConsumeRemainingBytesAsString();

    const std::vector<std::string_view> ids(identifiers.begin(), identifiers.end());
    CompiledTemplate compiled;
    const std::string text = normalizeLineEnds(templ);
    compiled.compile(text, ids);
    fuzz::check(compiled.isFor(ids), "compiled for its identifiers");
    fuzz::checkEqual(compiled.text(), text, "the compiled text");

    std::string rendered;
    for (const auto& values : records) {
        const std::vector<std::string_view> view(values.begin(), values.end());
        std::string expected = text;
        for (std::size_t i = 0; i < ids.size(); ++i) {
            if (ReplaceAllInPlace(expected, ids[i], view[i]) && (holdsLineBreak(ids[i]) || holdsLineBreak(view[i])))
                expected = normalizeLineEnds(expected);
        }
        if (compiled.render(view, rendered, SIZE_MAX) == CompiledTemplate::Render::Done && rendered != expected) {
            std::string rules;
            for (std::size_t i = 0; i < ids.size(); ++i)
                rules += "\n  rule " + std::to_string(i) + ": \"" + fuzz::printable(ids[i]) + "\" -> \"" +
                         fuzz::printable(view[i]) + "\"";
            std::fprintf(stderr, "template \"%s\"%s\n", fuzz::printable(text).c_str(), rules.c_str());
            fuzz::checkEqual(rendered, expected, "render = the rules one by one");
        }
    }
    return 0;
}
