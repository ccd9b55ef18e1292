// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

// A template prepared for one rule list, so that a record's text is built in one pass.
//
// Applying the rules one by one searches the whole text once per rule and searches again after
// every replacement. Compiling does those searches once, with every replaced occurrence kept as
// an opaque slot for its rule's value; a record's text is then the template's pieces with the
// record's values put into the slots. That gives the same text as applying the rules one by one
// unless a value can form an occurrence of its own or a later rule's identifier, alone or with
// the template text beside its slots: `render` checks each value for that and declines, so the
// caller applies the rules one by one for that record.

#include <array>
#include <bitset>
#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

namespace stencilor {

class CompiledTemplate final {
public:
    // Prepares `text` (with normalized line ends) for `identifiers`, applied in this order. No
    // identifier may be empty.
    void compile(std::string_view text, const std::vector<std::string_view>& identifiers);

    // True when the last compile was for exactly these identifiers, in this order.
    bool isFor(const std::vector<std::string_view>& identifiers) const;

    // True when render can ever succeed: no identifier holds a line break (a rule whose identifier
    // holds one re-reads the text's lines after replacing, which a single pass does not model).
    bool renders() const { return m_renders; }

    // The template text compiled, for applying the rules one by one when render declines.
    const std::string& text() const { return m_text; }

    // How render went.
    enum class Render {
        Done,     // `out` holds the text
        Declined, // a value could make the one pass differ from the rules one by one
        TooLarge, // the text would be longer than the limit
    };

    // Replaces `out` with the text the rules give when rule i's value is values[i]. Declines,
    // leaving `out` unspecified, when a value could make that text differ from applying the
    // rules one by one, and refuses a text longer than `limit` bytes. Values must hold no line
    // break (values are fields of a data line).
    Render render(const std::vector<std::string_view>& values, std::string& out, std::size_t limit) const;

private:
    // A run of template text [begin, begin + length), or the slot of rule `rule` when rule >= 0.
    struct Piece {
        std::size_t begin = 0;
        std::size_t length = 0;
        int rule = -1;
    };

    // A place in an identifier: the rule's, and the byte's index in it.
    struct Position {
        std::size_t rule = 0;
        std::size_t at = 0;
    };

    // The template text next to a rule's slots, up to one byte less than the longest identifier:
    // what a value's edges can join with. A context is open when another slot lies within that
    // reach (its text is not known when the rules run), closed when the template text or the
    // text itself ends first. Kept sorted (the text before a slot reversed), so that a lookup is
    // a binary search whatever the number of slots.
    struct Contexts {
        std::vector<std::string> closed;
        std::vector<std::string> open;
    };
    // True when some context of `contexts` can continue `needed` (a context starting with it, or
    // an open one that `needed` starts with).
    static bool canContinue(const Contexts& contexts, std::string_view needed);
    // Records the contexts of the slot at m_pieces[slot], up to `reach` bytes on each side.
    void addContexts(std::size_t slot, std::size_t reach);
    bool valueIsSafe(std::size_t rule, std::string_view value) const;
    // The two halves of valueIsSafe: an occurrence that starts before the value, and one that
    // starts inside it.
    bool startIsSafe(std::size_t rule, std::string_view value) const;
    bool restIsSafe(std::size_t rule, std::string_view value) const;
    // startIsSafe through the places in `candidates` (those of rules before `rule` are passed over).
    bool candidatesAreSafe(std::size_t rule, std::string_view value, const std::vector<Position>& candidates) const;
    // The place of the first byte at or after `from` in `value` that some identifier starts with;
    // npos when there is none.
    std::size_t nextFirstByte(std::string_view value, std::size_t from) const;
    // True when `head` followed by the text after some slot of `rule` begins with the rule's or a
    // later identifier that runs past the end of `head` (or may, where that text is open).
    bool formsWithAfter(std::size_t rule, std::string_view head) const;
    // The last rule whose identifier is `text` (a proper prefix of an identifier, for the second),
    // plus one; 0 when there is none.
    std::size_t ruleAfterIdentifier(std::string_view text) const;
    std::size_t ruleAfterPrefix(std::string_view text) const;

    std::string m_text;
    std::vector<std::string> m_identifiers;
    std::vector<Piece> m_pieces;
    std::size_t m_templateBytes = 0; // template text left between the slots
    // Per rule: its number of slots, and whether an empty value in its slots is safe (the text on
    // the two sides of every slot cannot join into an occurrence of its or a later identifier).
    std::vector<std::size_t> m_slotCount;
    std::vector<std::uint8_t> m_emptyValueSafe;
    // For each byte: the rules whose identifier starts with it, and the places after the first
    // where it stands in an identifier. A value can overlap an identifier only where one of its
    // bytes stands in it, so render looks at those places alone.
    std::array<std::vector<std::size_t>, 256> m_startingWith;
    std::array<std::vector<Position>, 256> m_containing;
    // The same places by the byte before them as well (the key is the two bytes): an identifier
    // that a value finishes ends the text before a slot, so only the places after that text's
    // last byte need a look. All lists are in the order of the rules.
    std::unordered_map<std::uint16_t, std::vector<Position>> m_containingAfter;
    std::bitset<65536> m_pairs; // the keys of m_containingAfter, looked at before the map
    // Per rule: the last bytes of the text before its slots, and whether some slot has another
    // slot right before it (whose last byte can be any).
    std::vector<std::string> m_lastBytesBefore;
    std::vector<std::uint8_t> m_anyByteBefore;
    std::bitset<256> m_firstBytes;
    int m_onlyFirstByte = -1;       // the byte every identifier starts with, when they share one; else -1
    std::vector<Contexts> m_after;  // per rule: the text after its slots
    std::vector<Contexts> m_before; // per rule: the text before its slots, reversed
    // Each identifier, and each of its proper prefixes, with the last rule (plus one) that has it:
    // a value's edge is looked up in these together with the contexts of its slots, which costs
    // the same however many rules share a first or last byte.
    // They are kept as a tree of the identifiers' bytes, which a look-up walks byte by byte
    // without hashing: render makes a few of them for every value that holds an identifier's
    // first byte. Node 0 is the empty text; children are chained through their siblings.
    struct Node {
        std::uint32_t child = 0;
        std::uint32_t sibling = 0;
        unsigned char byte = 0;
        std::size_t identifierRule = 0; // the last rule whose identifier is the node's text, plus one
        std::size_t prefixRule = 0;     // the last rule whose identifier it is a proper prefix of, plus one
        std::bitset<256> childBytes;    // the bytes of its children: a byte without one costs no walk
    };
    std::vector<Node> m_nodes;
    // The node of `text`; null when no identifier starts with it.
    const Node* nodeOf(std::string_view text) const;
    // The child of `node` for `byte`; null when there is none.
    const Node* childOf(const Node* node, char byte) const;
    // formsWithAfter for a head of `headSize` bytes whose node is `head` (null: none).
    bool formsWithAfter(std::size_t rule, std::size_t headSize, const Node* head) const;
    std::size_t m_longestIdentifier = 0;
    bool m_renders = false;
};

// Applies one rule to the whole text as a run does: every occurrence of `identifier` replaced by
// `value` (ReplaceAll), then the text's lines read again when either holds a line break. False,
// leaving `text` untouched, when the identifier does not occur.
bool applyRule(std::string& text, std::string_view identifier, std::string_view value);

// Applies the rules one by one (rule i replaces identifiers[i] by values[i]) as applyRule does.
// False, leaving `text` unspecified, as soon as the text would grow beyond `limit` bytes: a
// value that holds identifiers can double the text with every rule.
bool applyRules(std::string& text, const std::vector<std::string_view>& identifiers,
                const std::vector<std::string_view>& values, std::size_t limit);

} // namespace stencilor
