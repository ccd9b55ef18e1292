#include "generation/CompiledTemplate.h"

#include <algorithm>
#include <cstring>

namespace stencilor {

bool valueMayTouchIdentifier(std::string_view value, std::string_view identifier)
{
    if (value.empty() || identifier.empty())
        return false;
    if (value.find(identifier) != std::string_view::npos)
        return true;
    // The identifier starts before the value: identifier[t..] lines up with the value's start,
    // either holding the whole value or running into it from the left.
    for (std::size_t t = 1; t < identifier.size(); ++t) {
        if (identifier[t] != value.front())
            continue;
        const std::size_t shared = std::min(value.size(), identifier.size() - t);
        if (std::memcmp(identifier.data() + t, value.data(), shared) == 0)
            return true;
    }
    // The identifier starts inside the value and runs past its end.
    const std::size_t first = value.size() >= identifier.size() ? value.size() - identifier.size() + 1 : 0;
    for (std::size_t d = first; d < value.size(); ++d) {
        if (value[d] != identifier.front())
            continue;
        if (std::memcmp(value.data() + d, identifier.data(), value.size() - d) == 0)
            return true;
    }
    return false;
}

namespace {

bool holdsLineBreak(std::string_view text)
{
    return text.find_first_of("\r\n", 0, 2) != std::string_view::npos;
}

} // namespace

void CompiledTemplate::compile(std::string_view text, const std::vector<std::string_view>& identifiers)
{
    m_text.assign(text);
    m_identifiers.assign(identifiers.begin(), identifiers.end());
    m_renders = std::none_of(identifiers.begin(), identifiers.end(), holdsLineBreak);

    // Apply the rules in order with every replaced occurrence as an opaque slot. A slot never
    // matches, so each rule's repeated search reduces to one left-to-right pass over the runs of
    // template text: the text before an occurrence holds none, and nothing can match across a slot.
    m_pieces.clear();
    if (!text.empty())
        m_pieces.push_back({0, text.size(), -1});
    std::vector<Piece> next;
    for (std::size_t rule = 0; rule < identifiers.size(); ++rule) {
        const std::string_view id = identifiers[rule];
        next.clear();
        for (const Piece& piece : m_pieces) {
            if (piece.rule >= 0) {
                next.push_back(piece);
                continue;
            }
            const std::string_view run(m_text.data() + piece.begin, piece.length);
            std::size_t pos = 0;
            for (std::size_t at = run.find(id); at != std::string_view::npos; at = run.find(id, pos)) {
                if (at > pos)
                    next.push_back({piece.begin + pos, at - pos, -1});
                next.push_back({0, 0, static_cast<int>(rule)});
                pos = at + id.size();
            }
            if (pos < run.size())
                next.push_back({piece.begin + pos, run.size() - pos, -1});
        }
        m_pieces.swap(next);
    }

    // An empty value joins the text on the two sides of its slot. Where both sides are template
    // text, those two characters never change, so the join can form an occurrence only of an
    // identifier holding that pair; a slot beside another slot is judged unsafe outright.
    m_laterBytes.assign(identifiers.size(), {});
    m_laterFirstBytes.assign(identifiers.size(), {});
    for (std::size_t rule = identifiers.size(); rule-- > 0;) {
        if (rule + 1 < identifiers.size()) {
            m_laterBytes[rule] = m_laterBytes[rule + 1];
            m_laterFirstBytes[rule] = m_laterFirstBytes[rule + 1];
        }
        for (char c : identifiers[rule])
            m_laterBytes[rule].set(static_cast<unsigned char>(c));
        m_laterFirstBytes[rule].set(static_cast<unsigned char>(identifiers[rule].front()));
    }

    m_slotCount.assign(identifiers.size(), 0);
    m_emptyValueSafe.assign(identifiers.size(), 1);
    m_templateBytes = 0;
    for (std::size_t p = 0; p < m_pieces.size(); ++p) {
        const int rule = m_pieces[p].rule;
        if (rule < 0) {
            m_templateBytes += m_pieces[p].length;
            continue;
        }
        ++m_slotCount[rule];
        if (!m_emptyValueSafe[rule] || p == 0 || p + 1 == m_pieces.size())
            continue;
        const Piece& before = m_pieces[p - 1];
        const Piece& after = m_pieces[p + 1];
        if (before.rule >= 0 || after.rule >= 0) {
            m_emptyValueSafe[rule] = 0;
            continue;
        }
        const char pair[2] = {m_text[before.begin + before.length - 1], m_text[after.begin]};
        for (std::size_t later = static_cast<std::size_t>(rule); later < identifiers.size(); ++later) {
            if (identifiers[later].find(std::string_view(pair, 2)) != std::string_view::npos) {
                m_emptyValueSafe[rule] = 0;
                break;
            }
        }
    }
}

bool CompiledTemplate::isFor(const std::vector<std::string_view>& identifiers) const
{
    return std::equal(identifiers.begin(), identifiers.end(), m_identifiers.begin(), m_identifiers.end());
}

bool CompiledTemplate::valueIsSafe(std::size_t rule, std::string_view value) const
{
    if (value.empty())
        return m_emptyValueSafe[rule] != 0;
    // The common case, decided by byte lookups: the value's edges are no identifier bytes and it
    // holds no identifier's first byte.
    const auto byte = [](char c) { return static_cast<unsigned char>(c); };
    if (!m_laterBytes[rule].test(byte(value.front())) && !m_laterBytes[rule].test(byte(value.back())) &&
        std::none_of(value.begin(), value.end(), [&](char c) { return m_laterFirstBytes[rule].test(byte(c)); }))
        return true;
    // The value's own identifier (a cascade within the rule) and every later one.
    for (std::size_t later = rule; later < m_identifiers.size(); ++later) {
        if (valueMayTouchIdentifier(value, m_identifiers[later]))
            return false;
    }
    return true;
}

bool CompiledTemplate::render(const std::vector<std::string_view>& values, std::string& out) const
{
    if (!m_renders || values.size() != m_identifiers.size())
        return false;
    std::size_t size = m_templateBytes;
    for (std::size_t rule = 0; rule < values.size(); ++rule) {
        if (m_slotCount[rule] == 0)
            continue;
        if (!valueIsSafe(rule, values[rule]))
            return false;
        size += m_slotCount[rule] * values[rule].size();
    }

    out.resize(size);
    char* at = out.data();
    for (const Piece& piece : m_pieces) {
        const std::string_view part =
            piece.rule < 0 ? std::string_view(m_text.data() + piece.begin, piece.length) : values[piece.rule];
        if (!part.empty())
            std::memcpy(at, part.data(), part.size());
        at += part.size();
    }
    return true;
}

} // namespace stencilor
