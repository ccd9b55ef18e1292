// SPDX-License-Identifier: GPL-3.0-or-later
#include "generation/CompiledTemplate.h"

#include "datasource/ReplaceAll.h"
#include "datasource/TextLines.h"

#include <algorithm>
#include <cstring>

namespace stencilor {

namespace {

unsigned char byteOf(char c)
{
    return static_cast<unsigned char>(c);
}

// About how many candidate compares one hash look-up of a short text costs, for choosing between
// the two exact ways of checking a value's edges.
constexpr std::size_t kLookUpCost = 8;

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
    // Where each byte stands in the identifiers, for the per-value check in render.
    for (auto& list : m_startingWith)
        list.clear();
    for (auto& list : m_containing)
        list.clear();
    m_containingAfter.clear();
    m_pairs.reset();
    m_firstBytes.reset();
    m_nodes.assign(1, Node{});
    m_longestIdentifier = 0;
    for (std::size_t rule = 0; rule < identifiers.size(); ++rule) {
        // Views into m_identifiers, whose strings stay in place until the next compile.
        const std::string_view own = m_identifiers[rule];
        std::uint32_t node = 0;
        for (std::size_t length = 1; length <= own.size(); ++length) {
            std::uint32_t child = m_nodes[node].child;
            while (child != 0 && m_nodes[child].byte != byteOf(own[length - 1]))
                child = m_nodes[child].sibling;
            if (child == 0) {
                child = static_cast<std::uint32_t>(m_nodes.size());
                Node added;
                added.byte = byteOf(own[length - 1]);
                added.sibling = m_nodes[node].child;
                m_nodes.push_back(added);
                m_nodes[node].child = child;
                m_nodes[node].childBytes.set(added.byte);
            }
            node = child;
            (length == own.size() ? m_nodes[node].identifierRule : m_nodes[node].prefixRule) = rule + 1;
        }
        m_longestIdentifier = std::max(m_longestIdentifier, own.size());
        const std::string_view id = identifiers[rule];
        m_startingWith[byteOf(id.front())].push_back(rule);
        m_firstBytes.set(byteOf(id.front()));
        for (std::size_t at = 1; at < id.size(); ++at) {
            m_containing[byteOf(id[at])].push_back({rule, at});
            const auto pair = static_cast<std::uint16_t>(byteOf(id[at - 1]) << 8 | byteOf(id[at]));
            m_containingAfter[pair].push_back({rule, at});
            m_pairs.set(pair);
        }
    }

    // Identifiers commonly share their first byte (a "%"): then a value is searched for that one byte.
    m_onlyFirstByte = -1;
    if (m_firstBytes.count() == 1)
        m_onlyFirstByte = byteOf(identifiers.front().front());

    m_slotCount.assign(identifiers.size(), 0);
    m_emptyValueSafe.assign(identifiers.size(), 1);
    m_after.assign(identifiers.size(), Contexts{});
    m_before.assign(identifiers.size(), Contexts{});
    m_templateBytes = 0;
    std::size_t reach = 0;
    for (std::string_view id : identifiers)
        reach = std::max(reach, id.size() - 1);
    for (std::size_t p = 0; p < m_pieces.size(); ++p) {
        const int rule = m_pieces[p].rule;
        if (rule < 0) {
            m_templateBytes += m_pieces[p].length;
            continue;
        }
        ++m_slotCount[rule];
        addContexts(p, reach);
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
    for (std::vector<Contexts>* side : {&m_after, &m_before}) {
        for (Contexts& contexts : *side) {
            for (std::vector<std::string>* list : {&contexts.closed, &contexts.open}) {
                std::sort(list->begin(), list->end());
                list->erase(std::unique(list->begin(), list->end()), list->end());
            }
        }
    }
    // The text before a slot, reversed, begins with its last byte; an empty closed one is the
    // start of the text, before which nothing stands.
    m_lastBytesBefore.assign(identifiers.size(), std::string());
    m_anyByteBefore.assign(identifiers.size(), 0);
    for (std::size_t rule = 0; rule < identifiers.size(); ++rule) {
        std::string& bytes = m_lastBytesBefore[rule];
        for (const std::vector<std::string>* list : {&m_before[rule].closed, &m_before[rule].open}) {
            for (const std::string& context : *list) {
                if (context.empty())
                    m_anyByteBefore[rule] |= list == &m_before[rule].open ? 1 : 0;
                else if (bytes.find(context.front()) == std::string::npos)
                    bytes.push_back(context.front());
            }
        }
    }
}

void CompiledTemplate::addContexts(std::size_t slot, std::size_t reach)
{
    const auto rule = static_cast<std::size_t>(m_pieces[slot].rule);
    // After the slot: template text up to `reach` bytes, open when another slot comes first.
    std::string text;
    bool open = false;
    for (std::size_t p = slot + 1; p < m_pieces.size() && text.size() < reach; ++p) {
        if (m_pieces[p].rule >= 0) {
            open = true;
            break;
        }
        text.append(m_text, m_pieces[p].begin, std::min(m_pieces[p].length, reach - text.size()));
    }
    (open ? m_after[rule].open : m_after[rule].closed).push_back(std::move(text));

    // Before the slot, read backwards, so that the nearest byte comes first.
    text.clear();
    open = false;
    for (std::size_t p = slot; p-- > 0 && text.size() < reach;) {
        if (m_pieces[p].rule >= 0) {
            open = true;
            break;
        }
        const std::size_t take = std::min(m_pieces[p].length, reach - text.size());
        const std::size_t end = m_pieces[p].begin + m_pieces[p].length;
        for (std::size_t i = 0; i < take; ++i)
            text.push_back(m_text[end - 1 - i]);
    }
    (open ? m_before[rule].open : m_before[rule].closed).push_back(std::move(text));
}

bool CompiledTemplate::canContinue(const Contexts& contexts, std::string_view needed)
{
    // Any context continues `needed` when its known text starts with it (a shorter closed one
    // ends first).
    for (const std::vector<std::string>* list : {&contexts.closed, &contexts.open}) {
        const auto first =
            std::lower_bound(list->begin(), list->end(), needed,
                             [](const std::string& context, std::string_view key) { return context < key; });
        if (first != list->end() && std::string_view(*first).starts_with(needed))
            return true;
    }
    // An open context may continue it in any way once its known text has matched.
    for (std::size_t length = 0; length <= needed.size(); ++length) {
        const std::string_view known = needed.substr(0, length);
        if (std::binary_search(contexts.open.begin(), contexts.open.end(), known,
                               [](std::string_view a, std::string_view b) { return a < b; }))
            return true;
    }
    return false;
}

bool CompiledTemplate::isFor(const std::vector<std::string_view>& identifiers) const
{
    return std::equal(identifiers.begin(), identifiers.end(), m_identifiers.begin(), m_identifiers.end());
}

const CompiledTemplate::Node* CompiledTemplate::childOf(const Node* node, char byte) const
{
    if (!node->childBytes[byteOf(byte)])
        return nullptr;
    std::uint32_t child = node->child;
    while (child != 0 && m_nodes[child].byte != byteOf(byte))
        child = m_nodes[child].sibling;
    return child == 0 ? nullptr : &m_nodes[child];
}

const CompiledTemplate::Node* CompiledTemplate::nodeOf(std::string_view text) const
{
    const Node* node = &m_nodes.front();
    for (std::size_t i = 0; node && i < text.size(); ++i)
        node = childOf(node, text[i]);
    return node;
}

std::size_t CompiledTemplate::ruleAfterIdentifier(std::string_view text) const
{
    const Node* node = nodeOf(text);
    return node ? node->identifierRule : 0;
}

std::size_t CompiledTemplate::ruleAfterPrefix(std::string_view text) const
{
    const Node* node = nodeOf(text);
    return node ? node->prefixRule : 0;
}

bool CompiledTemplate::formsWithAfter(std::size_t rule, std::string_view head) const
{
    if (head.size() >= m_longestIdentifier)
        return false;
    return formsWithAfter(rule, head.size(), nodeOf(head));
}

bool CompiledTemplate::formsWithAfter(std::size_t rule, std::size_t headSize, const Node* head) const
{
    if (head == nullptr || head->prefixRule <= rule)
        return false;
    for (const std::vector<std::string>* list : {&m_after[rule].closed, &m_after[rule].open}) {
        const bool open = list == &m_after[rule].open;
        for (const std::string& context : *list) {
            const Node* node = head;
            bool goesOn = true; // some identifier of the rule or a later one begins with the head and context[..i]
            for (std::size_t i = 0; goesOn && i < context.size() && headSize + i < m_longestIdentifier; ++i) {
                node = childOf(node, context[i]);
                if (node && node->identifierRule > rule)
                    return true;
                goesOn = node && node->prefixRule > rule;
            }
            // The text after an open context is not known: an identifier it could go on with counts.
            if (open && goesOn)
                return true;
        }
    }
    return false;
}

bool CompiledTemplate::startIsSafe(std::size_t rule, std::string_view value) const
{
    // Only a value whose first byte stands inside an identifier can finish one begun before it.
    const std::vector<Position>& candidates = m_containing[byteOf(value.front())];
    if (candidates.empty())
        return true;
    std::string head;
    // Two ways to look, both exact: through the places where the byte stands in identifiers (a
    // compare of a few bytes each), or, when it stands in very many (a "%" ending every
    // identifier), through the text before the slots (a few look-ups per byte of it).
    const std::size_t contextWork = m_before[rule].closed.size() * m_longestIdentifier * kLookUpCost;
    if (m_before[rule].open.empty() && contextWork < candidates.size()) {
        // Each end S of the text before a slot that an identifier of this or a later rule starts
        // with, joined with the value: the identifier ends inside the value, or runs past it into
        // the text after a slot.
        for (const std::string& reversed : m_before[rule].closed) {
            head.clear();
            for (std::size_t length = 1; length <= reversed.size(); ++length) {
                head.insert(head.begin(), reversed[length - 1]);
                if (ruleAfterPrefix(head) <= rule)
                    continue;
                const std::string joined = head + std::string(value.substr(0, m_longestIdentifier - length));
                for (std::size_t end = length + 1; end <= joined.size(); ++end)
                    if (ruleAfterIdentifier(std::string_view(joined).substr(0, end)) > rule)
                        return false;
                if (joined.size() == length + value.size() && formsWithAfter(rule, joined))
                    return false;
            }
        }
        return true;
    }
    // Another slot lies close before some slot of the rule: look at each place where the value's
    // first byte stands in an identifier instead, after a byte that ends the text before a slot
    // (any byte where another slot comes right before one).
    if (m_anyByteBefore[rule])
        return candidatesAreSafe(rule, value, candidates);
    for (const char last : m_lastBytesBefore[rule]) {
        const auto pair = static_cast<std::uint16_t>(byteOf(last) << 8 | byteOf(value.front()));
        if (m_pairs[pair] && !candidatesAreSafe(rule, value, m_containingAfter.at(pair)))
            return false;
    }
    return true;
}

bool CompiledTemplate::candidatesAreSafe(std::size_t rule, std::string_view value,
                                         const std::vector<Position>& candidates) const
{
    // The identifier starts before the value when the value begins with identifier[at..]
    // (at >= 1), or the value lies inside it; the text before a slot must end with
    // identifier[..at], and when the value ends first, the text after a slot must go on with the
    // rest. Only the rule's own identifier and later ones count.
    std::string head;
    const auto first = std::lower_bound(candidates.begin(), candidates.end(), rule,
                                        [](const Position& position, std::size_t r) { return position.rule < r; });
    for (auto it = first; it != candidates.end(); ++it) {
        const Position& position = *it;
        const std::string_view id = m_identifiers[position.rule];
        const std::size_t shared = std::min(value.size(), id.size() - position.at);
        if (std::memcmp(id.data() + position.at, value.data(), shared) != 0)
            continue;
        head.assign(id.rbegin() + static_cast<std::ptrdiff_t>(id.size() - position.at), id.rend());
        if (!canContinue(m_before[rule], head))
            continue;
        if (position.at + shared == id.size() || canContinue(m_after[rule], id.substr(position.at + shared)))
            return false;
    }
    return true;
}

bool CompiledTemplate::restIsSafe(std::size_t rule, std::string_view value) const
{
    // An identifier that starts inside the value lies in it whole, or the value ends with its
    // start and the text after a slot goes on with the rest. Only places where the value holds
    // an identifier's first byte need a look: through the identifiers starting with that byte
    // when they are few, else through the identifiers and the text after the slots.
    const std::size_t contextWork =
        (m_after[rule].closed.size() + m_after[rule].open.size() + m_longestIdentifier) * kLookUpCost;
    for (std::size_t at = nextFirstByte(value, 0); at != std::string_view::npos; at = nextFirstByte(value, at + 1)) {
        const std::string_view rest = value.substr(at);
        const std::vector<std::size_t>& candidates = m_startingWith[byteOf(value[at])];
        if (candidates.size() <= contextWork) {
            for (auto later = std::lower_bound(candidates.begin(), candidates.end(), rule); later != candidates.end();
                 ++later) {
                const std::string_view id = m_identifiers[*later];
                const std::size_t shared = std::min(rest.size(), id.size());
                if (std::memcmp(rest.data(), id.data(), shared) != 0)
                    continue;
                if (shared == id.size() || canContinue(m_after[rule], id.substr(shared)))
                    return false;
            }
            continue;
        }
        // One walk down the identifiers' tree along the rest: an identifier it holds, or one it
        // begins that the text after a slot may finish (a shorter start that no identifier of the
        // rule or a later one goes on from has no longer one either).
        const Node* node = &m_nodes.front();
        std::size_t length = 0;
        for (; node && length < std::min(rest.size(), m_longestIdentifier); ++length) {
            node = childOf(node, rest[length]);
            if (node && node->identifierRule > rule)
                return false;
            if (!node || node->prefixRule <= rule)
                break;
        }
        if (length == rest.size() && rest.size() < m_longestIdentifier && formsWithAfter(rule, rest.size(), node))
            return false;
    }
    return true;
}

std::size_t CompiledTemplate::nextFirstByte(std::string_view value, std::size_t from) const
{
    // The library's find of one char is a memchr.
    if (m_onlyFirstByte >= 0)
        return value.find(static_cast<char>(m_onlyFirstByte), from);
    for (std::size_t at = from; at < value.size(); ++at) {
        if (m_firstBytes[byteOf(value[at])])
            return at;
    }
    return std::string_view::npos;
}

bool CompiledTemplate::valueIsSafe(std::size_t rule, std::string_view value) const
{
    if (value.empty())
        return m_emptyValueSafe[rule] != 0;
    // An occurrence of the value's own identifier (a cascade within the rule) or of a later one
    // can include characters of the value only where they meet the template text beside its slots.
    return startIsSafe(rule, value) && restIsSafe(rule, value);
}

CompiledTemplate::Render CompiledTemplate::render(const std::vector<std::string_view>& values, std::string& out,
                                                  std::size_t limit) const
{
    if (!m_renders || values.size() != m_identifiers.size())
        return Render::Declined;
    std::size_t size = m_templateBytes;
    for (std::size_t rule = 0; rule < values.size(); ++rule) {
        if (m_slotCount[rule] == 0)
            continue;
        if (!valueIsSafe(rule, values[rule]))
            return Render::Declined;
        // Compared by division: the product of a slot count and a value size may not fit.
        const std::size_t room = limit - std::min(limit, size);
        if (!values[rule].empty() && m_slotCount[rule] > room / values[rule].size())
            return Render::TooLarge;
        size += m_slotCount[rule] * values[rule].size();
    }
    if (size > limit)
        return Render::TooLarge;

    out.resize(size);
    char* at = out.data();
    for (const Piece& piece : m_pieces) {
        const std::string_view part =
            piece.rule < 0 ? std::string_view(m_text.data() + piece.begin, piece.length) : values[piece.rule];
        if (!part.empty())
            std::memcpy(at, part.data(), part.size());
        at += part.size();
    }
    return Render::Done;
}

bool applyRule(std::string& text, std::string_view identifier, std::string_view value)
{
    if (!ReplaceAllInPlace(text, identifier, value))
        return false;
    // The text's lines are read again after the rule; that changes it only when a line break
    // was removed or inserted, which needs one in the identifier or the value.
    if (holdsLineBreak(identifier) || holdsLineBreak(value))
        text = normalizeLineEnds(text);
    return true;
}

} // namespace stencilor

namespace stencilor {

bool applyRules(std::string& text, const std::vector<std::string_view>& identifiers,
                const std::vector<std::string_view>& values, std::size_t limit)
{
    if (text.size() > limit)
        return false;
    for (std::size_t i = 0; i < identifiers.size(); ++i) {
        const std::string_view id = identifiers[i];
        const std::string_view value = values[i];
        if (value.size() > id.size()) {
            // Each occurrence grows the text by the difference; refuse before building a text
            // beyond the limit (occurrences formed by a replacement are caught after it).
            std::size_t grown = text.size();
            for (std::size_t at = text.find(id); at != std::string::npos; at = text.find(id, at + id.size())) {
                grown += value.size() - id.size();
                if (grown > limit)
                    return false;
            }
        }
        applyRule(text, id, value);
        if (text.size() > limit)
            return false;
    }
    return true;
}

} // namespace stencilor
