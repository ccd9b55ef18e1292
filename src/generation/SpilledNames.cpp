// SPDX-License-Identifier: GPL-3.0-or-later
#include "generation/SpilledNames.h"

#include "generation/CaseMapping.h"
#include "platform/FileSystem.h"

#include <algorithm>
#include <vector>

namespace stencilor {

namespace {

// No record: later than every record.
constexpr std::uint64_t kNever = UINT64_MAX;

void appendNumber(std::string& out, std::uint64_t number)
{
    for (int shift = 56; shift >= 0; shift -= 8)
        out += static_cast<char>((number >> shift) & 0xFF);
}

std::uint64_t numberAt(std::string_view bytes, std::size_t at)
{
    std::uint64_t number = 0;
    for (std::size_t i = 0; i < 8; ++i)
        number = (number << 8) | static_cast<unsigned char>(bytes[at + i]);
    return number;
}

// A name in a form that sorts a folder's names right after it: "/" becomes the byte 1, which
// sorts before every other byte of a name (0, 1 and 2 are written as two bytes, 2 and one more),
// and the name ends with a 0. So "a", "a/b", "a/c", "a!" sort in that order.
void appendSortable(std::string& out, std::string_view name)
{
    for (const char c : name) {
        const auto byte = static_cast<unsigned char>(c);
        if (c == '/') {
            out += '\x01';
        } else if (byte <= 2) {
            out += '\x02';
            out += static_cast<char>(byte + 1);
        } else {
            out += c;
        }
    }
    out += '\0';
}

// The name of a sorted item, and where its record begins.
std::size_t readSortable(std::string_view item, std::string& name)
{
    name.clear();
    std::size_t i = 0;
    for (; item[i] != '\0'; ++i) {
        if (item[i] == '\x01')
            name += '/';
        else if (item[i] == '\x02')
            name += static_cast<char>(item[++i] - 1);
        else
            name += item[i];
    }
    return i + 1;
}

// Whether the name `name` lies below its first `length` bytes as a folder.
bool isBelow(std::string_view name, std::string_view folder)
{
    return name.size() > folder.size() && name[folder.size()] == '/' && name.substr(0, folder.size()) == folder;
}

// Reads the names of a sorter of names, one name with all its records at a time.
class NameGroups final {
public:
    explicit NameGroups(SpillSorter& sorter)
        : m_sorter(sorter)
    {
    }

    Status start()
    {
        if (Status started = m_sorter.startReading(); !started)
            return started;
        if (Status stepped = step(); !stepped)
            return stepped;
        m_name = m_next;
        return {};
    }
    // True when every group has been read (asked after start() or nextGroup()).
    bool atEnd() const { return !m_haveNext; }
    // The name of the group being read.
    const std::string& name() const { return m_name; }
    // The next record of the group: false after its last.
    Result<bool> nextRecord(std::uint64_t& record, bool& clear)
    {
        if (!m_haveNext || m_next != m_name)
            return false;
        record = m_record;
        clear = m_clear;
        if (Status stepped = step(); !stepped)
            return stepped.error();
        return true;
    }
    // Passes over what is left of the group and starts the next.
    Status nextGroup()
    {
        while (m_haveNext && m_next == m_name)
            if (Status stepped = step(); !stepped)
                return stepped;
        if (m_haveNext)
            m_name = m_next;
        return {};
    }

private:
    // Reads the next item into m_next, m_record and m_clear.
    Status step()
    {
        std::string_view item;
        const Result<bool> got = m_sorter.next(item);
        if (!got)
            return got.error();
        m_haveNext = got.value();
        if (!m_haveNext)
            return {};
        const std::size_t at = readSortable(item, m_next);
        m_record = numberAt(item, at);
        m_clear = item[at + 8] != 0;
        return {};
    }

    SpillSorter& m_sorter;
    std::string m_name, m_next;
    std::uint64_t m_record = 0;
    bool m_clear = false;
    bool m_haveNext = false;
};

} // namespace

SpilledNames::SpilledNames(std::size_t memory)
    : m_names(memory / 2)
    , m_firsts(memory / 4)
    , m_folded(memory / 4)
    , m_answers(memory / 4)
{
}

Status SpilledNames::add(std::string_view relative, std::uint64_t record, bool clear)
{
    m_sortable.clear();
    appendSortable(m_sortable, relative);
    appendNumber(m_sortable, record);
    m_sortable += clear ? '\x01' : '\0';
    return m_names.add(m_sortable);
}

Result<bool> SpilledNames::settle(const std::string& pathPrefix, const std::atomic<bool>* stop)
{
    m_stop = stop;
    if (Status found = findFirstBelow(); !found)
        return found.error();
    if (m_stopped)
        return false;
    if (Status decided = decide(pathPrefix); !decided)
        return decided.error();
    if (m_stopped)
        return false;
    if (Status compared = compareFoldedNames(); !compared)
        return compared.error();
    if (m_stopped)
        return false;
    if (Status started = m_answers.startReading(); !started)
        return started.error();
    return true;
}

bool SpilledNames::stopAsked()
{
    if (++m_sinceLook < 4096)
        return m_stopped;
    m_sinceLook = 0;
    m_stopped = m_stop && m_stop->load(std::memory_order_relaxed);
    return m_stopped;
}

Status SpilledNames::findFirstBelow()
{
    // The names are read in order, each after the folders above it: the names open above the
    // one read are those it lies below. When a name closes, the first record of its own and of
    // all below it is known.
    struct Open {
        std::size_t length;
        std::uint64_t number; // the name's place in the order
        std::uint64_t first;  // its first clear record
        std::uint64_t below;  // the first clear record of the names below it
    };
    std::vector<Open> open;
    std::string last; // the name read last: every open name is its beginning
    std::string item;
    const auto close = [&]() -> Status {
        const Open closed = open.back();
        open.pop_back();
        item.clear();
        appendNumber(item, closed.number);
        appendNumber(item, closed.first);
        appendNumber(item, closed.below);
        if (!open.empty())
            open.back().below = std::min({open.back().below, closed.first, closed.below});
        return m_firsts.add(item);
    };
    NameGroups groups(m_names);
    if (Status started = groups.start(); !started)
        return started;
    for (std::uint64_t number = 0; !groups.atEnd() && !stopAsked(); ++number) {
        const std::string& name = groups.name();
        while (!open.empty() && !isBelow(name, std::string_view(last).substr(0, open.back().length)))
            if (Status closed = close(); !closed)
                return closed;
        std::uint64_t first = kNever, record = 0;
        bool clear = false;
        for (;;) {
            const Result<bool> got = groups.nextRecord(record, clear);
            if (!got)
                return got.error();
            if (!got.value())
                break;
            if (clear && first == kNever)
                first = record;
        }
        open.push_back({name.size(), number, first, kNever});
        last = name;
        if (Status next = groups.nextGroup(); !next)
            return next;
    }
    while (!open.empty())
        if (Status closed = close(); !closed)
            return closed;
    return m_firsts.startReading();
}

Status SpilledNames::decide(const std::string& pathPrefix)
{
    // The one placed name above a name, when there is one: the outermost name above that comes
    // first among the names below it.
    struct Open {
        std::size_t length;
        bool placedAbove;
        std::size_t placedLength;
        std::uint64_t placedFirst;
    };
    std::vector<Open> open;
    std::string last, item;
    const auto answer = [&](std::uint64_t record, NameAnswer::Kind kind, std::uint64_t first, std::uint64_t length) {
        item.clear();
        appendNumber(item, record);
        item += static_cast<char>(kind);
        appendNumber(item, first);
        appendNumber(item, length);
        return m_answers.add(item);
    };
    NameGroups groups(m_names);
    if (Status started = groups.start(); !started)
        return started;
    while (!groups.atEnd() && !stopAsked()) {
        const std::string& name = groups.name();
        while (!open.empty() && !isBelow(name, std::string_view(last).substr(0, open.back().length)))
            open.pop_back();
        std::string_view firsts;
        const Result<bool> got = m_firsts.next(firsts);
        if (!got)
            return got.error();
        const std::uint64_t first = numberAt(firsts, 8), below = numberAt(firsts, 16);
        // A name that comes first among the names below it is placed unless a name above is.
        const bool placedHere = first < below;
        const bool placedAbove = !open.empty() && open.back().placedAbove;
        const std::size_t aboveLength = placedAbove ? open.back().placedLength : 0;
        const std::uint64_t aboveFirst = placedAbove ? open.back().placedFirst : kNever;
        // The first record of a placed name below this one, which makes it a folder.
        const std::uint64_t folderFrom = !placedAbove && !placedHere ? below : kNever;
        std::uint64_t record = 0;
        bool clear = false;
        for (;;) {
            const Result<bool> next = groups.nextRecord(record, clear);
            if (!next)
                return next.error();
            if (!next.value())
                break;
            Status added;
            if (aboveFirst < record) {
                added = answer(record, NameAnswer::Kind::Blocked, aboveFirst, aboveLength);
            } else if (folderFrom < record) {
                added = answer(record, NameAnswer::Kind::IsFolder, folderFrom, 0);
            } else if (!clear) {
                continue;
            } else if (record > first) {
                added = answer(record, NameAnswer::Kind::SameName, first, 0);
            } else {
                // The name's first record places it: it is compared with the other placed names
                // by its full path, ignoring case and normalization.
                const std::string path = pathPrefix + name;
                const std::string composed = toComposedForm(path);
                const NameDigest folded = digestOf(toLowerCase(composed));
                item.clear();
                appendNumber(item, folded.high);
                appendNumber(item, folded.low);
                appendNumber(item, record);
                appendNumber(item, digestOf(composed).low);
                item += fileNamePart(path);
                added = m_folded.add(item);
            }
            if (!added)
                return added;
        }
        if (placedAbove)
            open.push_back({name.size(), true, aboveLength, aboveFirst});
        else
            open.push_back({name.size(), placedHere, name.size(), first});
        last = name;
        if (Status next = groups.nextGroup(); !next)
            return next;
    }
    return {};
}

Status SpilledNames::compareFoldedNames()
{
    if (Status started = m_folded.startReading(); !started)
        return started;
    std::string firstKey, firstName, item;
    std::uint64_t firstRecord = 0, firstComposed = 0;
    while (!stopAsked()) {
        std::string_view folded;
        const Result<bool> got = m_folded.next(folded);
        if (!got)
            return got.error();
        if (!got.value())
            return {};
        const std::uint64_t record = numberAt(folded, 16), composed = numberAt(folded, 24);
        if (folded.substr(0, 16) != firstKey) {
            firstKey = folded.substr(0, 16);
            firstRecord = record;
            firstComposed = composed;
            firstName = folded.substr(32);
            continue;
        }
        item.clear();
        appendNumber(item, record);
        item += static_cast<char>(composed == firstComposed ? NameAnswer::Kind::SameNormalized
                                                            : NameAnswer::Kind::SameIgnoringCase);
        appendNumber(item, firstRecord);
        appendNumber(item, 0);
        item += firstName;
        if (Status added = m_answers.add(item); !added)
            return added;
    }
    return {};
}

Result<NameAnswer> SpilledNames::answer(std::uint64_t record)
{
    NameAnswer found;
    while (m_answersLeft) {
        if (m_nextAnswer.empty()) {
            const Result<bool> got = m_answers.next(m_nextAnswer);
            if (!got)
                return got.error();
            if (!got.value()) {
                m_answersLeft = false;
                break;
            }
        }
        const std::uint64_t at = numberAt(m_nextAnswer, 0);
        if (at > record)
            break;
        if (at == record) {
            found.kind = static_cast<NameAnswer::Kind>(m_nextAnswer[8]);
            found.first = numberAt(m_nextAnswer, 9);
            found.length = numberAt(m_nextAnswer, 17);
            found.subject = m_nextAnswer.substr(25);
        }
        m_nextAnswer = {};
    }
    return found;
}

} // namespace stencilor
