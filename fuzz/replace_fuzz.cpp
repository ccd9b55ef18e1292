// SPDX-License-Identifier: GPL-3.0-or-later
// ReplaceAll against the plain repeated search: replace the first occurrence, search again, until
// none is left. Where that search ends within the documented bound the results must be equal;
// where it would not end (or only after very many steps) ReplaceAll must still end, with the
// documented one-pass result.

#include "FuzzSupport.h"
#include "datasource/ReplaceAll.h"

#include <algorithm>
#include <optional>
#include <string>

using namespace stencilor;

namespace {

// Every occurrence in the original text replaced once, left to right: the documented result
// where the repeated search would not end.
std::string onePass(std::string_view text, std::string_view find, std::string_view repl)
{
    std::string out;
    std::size_t pos = 0;
    for (std::size_t at = text.find(find); at != std::string_view::npos; at = text.find(find, pos)) {
        out.append(text.substr(pos, at - pos)).append(repl);
        pos = at + find.size();
    }
    return out.append(text.substr(pos));
}

struct NaiveResult {
    std::string text;
    std::size_t steps = 0;
    bool finished = false;
};

// The repeated search, at most `maxSteps` replacements. Each search starts find.size() - 1
// characters before the last replacement: no occurrence can begin further left, since the text
// in front of it held none before.
NaiveResult naive(std::string_view text, std::string_view find, std::string_view repl, std::size_t maxSteps)
{
    NaiveResult result{std::string(text)};
    std::size_t from = 0;
    while (result.steps < maxSteps) {
        const std::size_t at = result.text.find(find, from);
        if (at == std::string::npos) {
            result.finished = true;
            return result;
        }
        result.text.replace(at, find.size(), repl);
        ++result.steps;
        from = at >= find.size() - 1 ? at - (find.size() - 1) : 0;
    }
    return result;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    // Two length bytes, then find, then the replacement, then the text. The lengths are kept
    // small so that the repeated search, which copies the text at every step, stays fast.
    if (size < 2)
        return 0;
    const std::size_t findLength = data[0] % 17;
    const std::size_t replLength = data[1] % 33;
    const std::string_view rest = fuzz::asText(data + 2, size - 2);
    if (rest.size() < findLength + replLength)
        return 0;
    const std::string_view find = rest.substr(0, findLength);
    const std::string_view repl = rest.substr(findLength, replLength);
    const std::string_view text = rest.substr(findLength + replLength, 512);

    const std::string result = ReplaceAll(text, find, repl);
    std::string inPlace(text);
    const bool changed = ReplaceAllInPlace(inPlace, find, repl);
    fuzz::checkEqual(inPlace, result, "ReplaceAllInPlace = ReplaceAll");
    fuzz::check(changed == (!find.empty() && text.find(find) != std::string_view::npos),
                "ReplaceAllInPlace reports whether there was an occurrence");

    if (find.empty()) {
        fuzz::checkEqual(result, text, "an empty find changes nothing");
        return 0;
    }
    if (repl.find(find) != std::string_view::npos) {
        // The repeated search never ends on a text that holds find.
        fuzz::checkEqual(result, onePass(text, find, repl), "a replacement holding find gives one pass");
        return 0;
    }
    // The bound of Fields.cpp: 4 * (size + 1) + 256 replacements for a replacement at least as long
    // as find; a shorter replacement shrinks the text, so the search always ends.
    const std::size_t bound = repl.size() >= find.size() ? 4 * (text.size() + 1) + 256 : text.size() + 1;
    // Past the bound ReplaceAll falls back at its next cascading replacement; at most
    // text.size() replacements that cascade no further can follow one that did.
    const NaiveResult reference = naive(text, find, repl, bound + text.size() + 1);
    if (reference.finished && reference.steps <= bound) {
        fuzz::checkEqual(result, reference.text, "the repeated search's result within the bound");
    } else if (reference.finished) {
        if (result != reference.text && result != onePass(text, find, repl))
            fuzz::fail("past the bound: the repeated search's or the one-pass result", result, reference.text);
    } else {
        fuzz::checkEqual(result, onePass(text, find, repl), "a search that does not end gives one pass");
    }
    return 0;
}
