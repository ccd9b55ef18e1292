// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

// The names of a check whose records are too many to remember in memory, kept in sorted files
// on disk instead. The check reads its records twice. The first reading hands every name that
// reaches the output folder to add(), with whether the folder would take it (`clear`: nothing on
// disk refuses it). settle() then works out from all of them what each record meets in the
// records before it: the same answers, for every record, as a reading that remembered every name
// would have given record by record. The second reading asks for them in record order.
//
// How: a name is placed when nothing placed earlier stands in its way: an earlier file at one of
// its subfolders, or an earlier file below it (its name is then a folder). Equal names never stand
// in each other's way, so every name has a first record that the folder would take (its first
// clear one), and a name is placed from that record on, or never. A name is placed exactly when
// its first record comes before that of every name below it, and no name above it is so placed.
// With the names sorted so that a folder's names follow it, one reading finds for every name the
// first record of all names below it, and a second reading decides, name by name, from the names
// above: which stands in its way, and which record made it a folder.

#include "generation/NameDigests.h"
#include "generation/SpillSort.h"
#include "platform/Result.h"

#include <atomic>
#include <cstdint>
#include <string>
#include <string_view>

namespace stencilor {

// What the records before one record mean for its name.
struct NameAnswer {
    enum class Kind : std::uint8_t {
        Clear,            // nothing: the name is new (or the folder refuses it for a reason of its own)
        Blocked,          // a subfolder of the name is the file of record `first`; `length` bytes of the name
        IsFolder,         // the name is a subfolder of record `first`'s file
        SameName,         // record `first` has the same name
        SameIgnoringCase, // record `first` has the name `subject` (its file name), the same in another case
        SameNormalized,   // the same, in another Unicode normalization
    };
    Kind kind = Kind::Clear;
    std::uint64_t first = 0;
    std::uint64_t length = 0;
    std::string subject;
};

class SpilledNames final {
public:
    // `memory` bounds what the sorting holds in memory at once.
    explicit SpilledNames(std::size_t memory);

    // First reading: the name `relative` of record `record` (in record order), `clear` when the
    // output folder would take it.
    Status add(std::string_view relative, std::uint64_t record, bool clear);
    // Works out the answers: true when done, false when `stop` was set meanwhile. `pathPrefix` is
    // what comes before a relative name in its full path (the output folder and "/"): names that
    // differ only in letter case or normalization are compared by their full paths, as the first
    // reading does.
    Result<bool> settle(const std::string& pathPrefix, const std::atomic<bool>* stop = nullptr);
    // Second reading: the answer for record `record`; records are asked for in increasing order.
    Result<NameAnswer> answer(std::uint64_t record);

private:
    Status findFirstBelow();
    Status decide(const std::string& pathPrefix);
    Status compareFoldedNames();
    // True when the caller asked to stop (looked at every few thousand names).
    bool stopAsked();

    SpillSorter m_names;    // name (sortable form), record, clear: by name, then record
    SpillSorter m_firsts;   // name number, first record of the name, first record below it
    SpillSorter m_folded;   // folded path digest, record, composed path digest, file name
    SpillSorter m_answers;  // record, answer
    std::string m_sortable; // add()'s buffer
    const std::atomic<bool>* m_stop = nullptr;
    bool m_stopped = false;
    std::uint32_t m_sinceLook = 0;
    std::string_view m_nextAnswer; // the next answer, not yet asked for
    bool m_answersLeft = true;
};

} // namespace stencilor
