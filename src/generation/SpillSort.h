// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

// Sorting more items than memory may hold, as sort(1) does: items gather in a buffer of a set
// size; each full buffer is sorted and written to an unnamed temporary file in $TMPDIR as a run;
// reading merges the runs. Items are byte strings, ordered byte by byte (a shorter item before
// the longer ones it begins), so a caller orders them by how it lays out their bytes.

#include "platform/FileDescriptor.h"
#include "platform/Result.h"

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace stencilor {

class SpillSorter final {
public:
    // `memory` bounds the items held in memory (with their index) before a run is written.
    explicit SpillSorter(std::size_t memory);
    SpillSorter(const SpillSorter&) = delete;
    SpillSorter& operator=(const SpillSorter&) = delete;

    // Adds an item; fails with the error of writing a run.
    Status add(std::string_view item);
    // Ends the adding and starts reading in order; may be called again to read the items once more.
    // Fails with the error of writing the last run or of merging.
    Status startReading();
    // The next item in order (valid until the next call), or false at the end; fails with the error
    // of reading a run.
    Result<bool> next(std::string_view& item);
    // Items added.
    std::uint64_t size() const { return m_count; }

private:
    // A run on the file: where its items lie, and (while merging) how far it has been read.
    struct Run {
        std::uint64_t begin = 0, end = 0;
        std::uint64_t at = 0;
        std::string buffer; // bytes read ahead from the file
        std::size_t used = 0;
        std::string item; // the current item
    };
    // An item held in memory: its first bytes (for fast comparing), where it lies in m_held.
    struct Held {
        std::uint64_t prefix;
        std::uint64_t offset;
        std::uint32_t size;
    };

    // Orders m_index by the items it points to.
    void sortHeld();
    // The order of the merge's heap: the run whose current item comes later is lower.
    auto laterRun() const
    {
        return [this](std::size_t a, std::size_t b) { return m_runs[a].item > m_runs[b].item; };
    }
    Status writeRun();
    // Appends `item` to the file: gathered into blocks, written by flush() (or when a block is full).
    Status append(std::string_view item);
    Status flush();
    Status mergeRuns(std::size_t first, std::size_t last);
    Result<bool> advance(Run& run);
    std::string_view heldItem(const Held& held) const { return {m_held.data() + held.offset, held.size}; }
    Status openFile();

    std::size_t m_memory;
    std::string m_held;              // the items held, one after the other
    std::vector<Held> m_index;       // sorted before a run is written
    std::vector<Run> m_runs;         // on m_file
    std::vector<std::size_t> m_heap; // runs being merged, by their current item (a min-heap)
    FileDescriptor m_file;
    std::uint64_t m_fileSize = 0;
    std::string m_writing; // bytes to append to m_file
    std::uint64_t m_count = 0;
    bool m_fromMemory = false;  // every item fitted: read from m_index
    std::size_t m_nextHeld = 0; // the next of m_index to read
    // The run whose item went out last: it moves on before the next item is chosen.
    static constexpr std::size_t kNone = SIZE_MAX;
    std::size_t m_pending = kNone;
};

} // namespace stencilor
