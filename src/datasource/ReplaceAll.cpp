// SPDX-License-Identifier: GPL-3.0-or-later
#include "datasource/ReplaceAll.h"

#include <algorithm>
#include <cstddef>
#include <limits>
#include <optional>
#include <vector>

namespace stencilor {

// How ReplaceAll works and what it returns
//
// The result required is that of searching again from the first character after every
// replacement. Searching again from the start finds the leftmost occurrence of the current text;
// since the text in front of the previous occurrence held none, the text produced so far (`out`)
// never needs to be searched again, except where a replacement meets the text around it.
//
// Fast mode walks the original text with string_view::find. At each occurrence it checks the few
// characters around the replacement (the last find.size()-1 characters of `out`, the replacement,
// the next find.size()-1 characters of the text): an occurrence that starts in `out` or in the
// replacement and reaches into the rest of the text cannot be longer than find, so it lies in
// that window. When the window holds none, the replacement is final and the scan goes on behind
// the occurrence.
//
// Slow mode takes over when the window holds a new occurrence (a cascade, as 'aabb' with 'ab' ->
// 'a'). A KMP automaton reads the remaining input character by character into `out`; the input
// is the rest of the original text with the pending replacements stacked on top of it. On a
// match the last find.size() characters of `out` are dropped, the automaton state is recomputed
// from the characters left in front, and the replacement is pushed as the next input. Once no
// replacement is pending and no partial match is open, fast mode resumes.
//
// Ending and the result where the repeated search would not end:
// - A replacement that contains find re-creates an occurrence after every replacement, so the
//   repeated search never ends on a text holding find. The result is then one left-to-right pass
//   over the original text: every occurrence replaced once, replacements never searched again.
//   That is also what a user expects when a field value holds its own identifier.
// - A replacement shorter than find shrinks the text at every replacement, so the search ends.
// - A replacement at least as long as find may cascade without end (find 'ab', repl 'bbaa' on
//   'aab') or end only after very many steps (find 'ab', repl 'ba' sorts the text, taking a
//   quadratic number of steps). Such inputs get at most 4 * (text.size() + 1) + 256 replacements
//   in all (maxReplacementsFor); past that bound the result is the one-pass result above. An
//   ordinary text needs at most text.size() / find.size() replacements, far below the bound, so
//   it keeps the repeated-search result; only cascades longer than the bound fall back.
namespace {

// The bound on replacements for a replacement at least as long as find.
std::size_t maxReplacementsFor(std::string_view text)
{
    return 4 * (text.size() + 1) + 256;
}

// Every occurrence of `find` in the original `text` replaced once, from left to right.
std::string replaceOnePass(std::string_view text, std::string_view find, std::string_view repl)
{
    std::string out;
    out.reserve(text.size());
    std::size_t pos = 0;
    for (std::size_t at = text.find(find); at != std::string_view::npos; at = text.find(find, pos)) {
        out.append(text.substr(pos, at - pos));
        out.append(repl);
        pos = at + find.size();
    }
    out.append(text.substr(pos));
    return out;
}

// The last `count` characters of `text` (all of it when shorter).
std::string_view lastChars(std::string_view text, std::size_t count)
{
    return text.substr(text.size() - std::min(text.size(), count));
}

// True when `repl`, put between `out` and `next` (the text behind the occurrence just replaced),
// forms an occurrence of `find` that starts in `out` or in `repl`. `repl` itself must not contain
// `find`. `window` is scratch space kept by the caller to save allocations.
bool formsNewOccurrence(std::string_view out, std::string_view repl, std::string_view next, std::string_view find,
                        std::string& window)
{
    const std::size_t reach = find.size() - 1;
    const std::string_view before = lastChars(out, reach);
    const std::string_view after = next.substr(0, reach);
    if (repl.size() <= 2 * reach) {
        window.assign(before);
        window.append(repl);
        window.append(after);
        const std::size_t at = window.find(find);
        return at != std::string::npos && at < before.size() + repl.size();
    }
    // A long replacement holds no occurrence, so a new one must cross its start or its end; each
    // of these shorter windows is too short to hold an occurrence that does neither.
    window.assign(before);
    window.append(repl.substr(0, reach));
    if (window.find(find) != std::string::npos)
        return true;
    window.assign(lastChars(repl, reach));
    window.append(after);
    return window.find(find) != std::string::npos;
}

// Knuth-Morris-Pratt automaton: the state is the number of characters of `find` matched at the
// end of what was read.
class Matcher final {
public:
    explicit Matcher(std::string_view find)
        : m_find(find)
        , m_border(find.size(), 0)
    {
        for (std::size_t i = 1, k = 0; i < find.size(); ++i) {
            while (k > 0 && find[i] != find[k])
                k = m_border[k - 1];
            if (find[i] == find[k])
                ++k;
            m_border[i] = k;
        }
    }

    // The state after reading `c` in state `state` (below find.size()).
    std::size_t step(std::size_t state, char c) const
    {
        while (state > 0 && m_find[state] != c)
            state = m_border[state - 1];
        return m_find[state] == c ? state + 1 : 0;
    }

    // The state after reading `text` from the start state; `text` must hold no occurrence.
    std::size_t stateAfter(std::string_view text) const
    {
        std::size_t state = 0;
        for (char c : text)
            state = step(state, c);
        return state;
    }

private:
    std::string_view m_find;
    std::vector<std::size_t> m_border;
};

} // namespace

namespace {

// ReplaceAll's result, or nothing when `text` holds no occurrence (which spares the caller a copy).
std::optional<std::string> replaceAllFound(std::string_view text, std::string_view find, std::string_view repl)
{
    if (find.empty() || text.size() < find.size())
        return std::nullopt;
    std::size_t at = text.find(find);
    if (at == std::string_view::npos)
        return std::nullopt;
    if (repl.find(find) != std::string_view::npos)
        return replaceOnePass(text, find, repl);

    const std::size_t m = find.size();
    const std::size_t maxReplacements =
        repl.size() >= m ? maxReplacementsFor(text) : std::numeric_limits<std::size_t>::max();
    std::size_t replacements = 0;
    std::string out;
    out.reserve(text.size());
    std::string window;
    std::optional<Matcher> matcher;
    std::vector<std::string_view> pending; // replacements still to be read, the next one last
    std::size_t pos = 0;
    for (;; at = text.find(find, pos)) {
        if (at == std::string_view::npos) {
            out.append(text.substr(pos));
            return out;
        }
        out.append(text.substr(pos, at - pos));
        pos = at + m;
        ++replacements;
        if (!formsNewOccurrence(out, repl, text.substr(pos), find, window)) {
            out.append(repl);
            continue;
        }

        if (!matcher)
            matcher.emplace(find);
        std::string_view rest = text.substr(pos);
        if (!repl.empty())
            pending.push_back(repl);
        std::size_t state = matcher->stateAfter(lastChars(out, m - 1));
        while (!pending.empty() || state != 0) {
            while (!pending.empty() && pending.back().empty())
                pending.pop_back();
            std::string_view& input = pending.empty() ? rest : pending.back();
            if (input.empty())
                break; // nothing left to read
            const char c = input.front();
            input.remove_prefix(1);
            out.push_back(c);
            state = matcher->step(state, c);
            if (state == m) {
                if (++replacements > maxReplacements)
                    return replaceOnePass(text, find, repl);
                out.resize(out.size() - m);
                state = matcher->stateAfter(lastChars(out, m - 1));
                if (!repl.empty())
                    pending.push_back(repl);
            }
        }
        pos = text.size() - rest.size();
    }
}

} // namespace

std::string ReplaceAll(std::string_view text, std::string_view find, std::string_view repl)
{
    std::optional<std::string> replaced = replaceAllFound(text, find, repl);
    return replaced ? std::move(*replaced) : std::string(text);
}

bool ReplaceAllInPlace(std::string& text, std::string_view find, std::string_view repl)
{
    std::optional<std::string> replaced = replaceAllFound(text, find, repl);
    if (!replaced)
        return false;
    text = std::move(*replaced);
    return true;
}

} // namespace stencilor
