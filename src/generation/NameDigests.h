// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

// Names a dry run remembers across records, kept as fixed-size digests: a 128-bit hash of a name
// stands for the name, so that what is remembered per name does not depend on its length, and a
// table of them is one flat array that a lookup reaches in one or two memory reads.

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <string_view>
#include <utility>
#include <vector>

namespace stencilor {

// The 128-bit digest of a name (XXH3). Two different names share one with a chance of about
// 2^-128 per pair: far below that of a memory fault, so equal digests are taken as equal names.
struct NameDigest {
    std::uint64_t high = 0;
    std::uint64_t low = 0;

    friend bool operator==(const NameDigest&, const NameDigest&) = default;
};

NameDigest digestOf(std::string_view name);

// A map from name digests to a value each (the first record that had the name, ...), as open
// addressing over one array of indices into a dense array of entries. Entries are never removed.
template <class Value> class DigestMap final {
public:
    // The value of `digest`, and true when it was not there and `value` was put in.
    std::pair<Value*, bool> tryEmplace(const NameDigest& digest, const Value& value)
    {
        if ((m_entries.size() + 1) * 2 > m_slots.size())
            grow();
        std::size_t slot = slotOf(digest);
        while (m_slots[slot] != kEmpty) {
            Entry& entry = m_entries[m_slots[slot]];
            if (entry.digest == digest)
                return {&entry.value, false};
            slot = (slot + 1) & (m_slots.size() - 1);
        }
        m_slots[slot] = static_cast<Index>(m_entries.size());
        m_entries.push_back({digest, value});
        return {&m_entries.back().value, true};
    }

    // The value of `digest`, or null.
    const Value* find(const NameDigest& digest) const
    {
        if (m_slots.empty())
            return nullptr;
        for (std::size_t slot = slotOf(digest); m_slots[slot] != kEmpty; slot = (slot + 1) & (m_slots.size() - 1)) {
            const Entry& entry = m_entries[m_slots[slot]];
            if (entry.digest == digest)
                return &entry.value;
        }
        return nullptr;
    }

    std::size_t size() const { return m_entries.size(); }

    // The bytes the map holds.
    std::size_t bytes() const { return m_slots.capacity() * sizeof(Index) + m_entries.capacity() * sizeof(Entry); }
    // The bytes adding `count` entries may take beside bytes() while it grows (the new arrays are
    // made before the old ones go).
    std::size_t bytesToAdd(std::size_t count) const
    {
        const std::size_t entries = m_entries.size() + count;
        std::size_t extra = 0;
        if (entries > m_entries.capacity())
            extra += std::max(entries, 2 * m_entries.capacity()) * sizeof(Entry);
        std::size_t slots = m_slots.size();
        while ((entries + 1) * 2 > slots)
            slots = slots == 0 ? 64 : slots * 2;
        if (slots != m_slots.size())
            extra += slots * sizeof(Index);
        return extra;
    }

private:
    // 32-bit indices keep the slot array small; the entries of 2^32 names would take 96 GB, so
    // memory runs out long before the indices do.
    using Index = std::uint32_t;
    static constexpr Index kEmpty = ~Index{0};
    struct Entry {
        NameDigest digest;
        Value value;
    };

    std::size_t slotOf(const NameDigest& digest) const { return digest.low & (m_slots.size() - 1); }

    // Twice the slots (at most half of them in use), each entry put back into its new slot.
    void grow()
    {
        m_slots.assign(m_slots.empty() ? 64 : m_slots.size() * 2, kEmpty);
        for (std::size_t i = 0; i < m_entries.size(); ++i) {
            std::size_t slot = slotOf(m_entries[i].digest);
            while (m_slots[slot] != kEmpty)
                slot = (slot + 1) & (m_slots.size() - 1);
            m_slots[slot] = static_cast<Index>(i);
        }
    }

    std::vector<Index> m_slots;
    std::vector<Entry> m_entries;
};

} // namespace stencilor
