// SPDX-License-Identifier: GPL-3.0-or-later
#include "datasource/RecordReader.h"

#include "platform/FileSystem.h"

#include <algorithm>
#include <cstring>
#include <functional>
#include <new>
#include <optional>

namespace stencilor {

Result<std::size_t> TextSource::read(char* into, std::size_t size)
{
    const std::size_t count = std::min(size, m_text.size());
    if (count > 0)
        std::memcpy(into, m_text.data(), count);
    m_text.remove_prefix(count);
    return count;
}

Result<std::size_t> DescriptorSource::read(char* into, std::size_t size)
{
    Result<std::size_t> got = readSome(m_fd, into, size);
    if (!got)
        return systemError(ErrorKind::ReadFile, m_path, got.error().code);
    return got;
}

RecordReader::RecordReader(ByteSource& source, Options options)
    : m_source(source)
    , m_options(std::move(options))
{
    m_options.blockSize = std::max<std::size_t>(m_options.blockSize, 1);
}

void ReadBuffer::grow(std::size_t size)
{
    void* grown = std::realloc(m_data, size);
    if (grown == nullptr)
        throw std::bad_alloc();
    m_data = static_cast<char*>(grown);
    m_size = size;
}

Error RecordReader::tooLong() const
{
    return Error(ErrorKind::RecordTooLong, {}, 0, {m_records + 1, m_options.maxRecord, m_lines + 1});
}

Result<bool> RecordReader::fill(std::size_t count)
{
    // A record, its line end (two bytes at most) and the byte that tells whether it goes on.
    const std::size_t most = m_options.maxRecord + 2;
    while (m_end - m_pos < count) {
        if (m_ended)
            return false;
        if (count > most)
            return tooLong();
        // Bytes before the record in progress are no longer needed.
        if (m_pos > 0) {
            std::memmove(m_buffer.data(), m_buffer.data() + m_pos, m_end - m_pos);
            m_offset += m_pos;
            m_end -= m_pos;
            m_pos = 0;
        }
        // Never more than the longest record wants: the buffer stays within it.
        const std::size_t wanted = std::min(m_options.blockSize, most - m_end);
        if (m_buffer.size() < m_end + wanted) {
            // Grown by doubling, but to no more than the longest record needs (at once when the
            // next doubling would come close to it).
            std::size_t doubled = 2 * m_buffer.size();
            if (doubled + m_options.blockSize >= most)
                doubled = most;
            m_buffer.grow(std::max(m_end + wanted, doubled));
        }
        const Result<std::size_t> got = m_source.read(m_buffer.data() + m_end, wanted);
        if (!got)
            return got.error();
        if (got.value() == 0) {
            m_ended = true;
            continue;
        }
        // A NUL byte ends the text: nothing behind it is read.
        const char* fresh = m_buffer.data() + m_end;
        if (const void* nul = std::memchr(fresh, '\0', got.value())) {
            m_end += static_cast<std::size_t>(static_cast<const char*>(nul) - fresh);
            m_ended = true;
            continue;
        }
        m_end += got.value();
    }
    return true;
}

namespace {

// The position of the first CR or LF in [from, to) of `text`, or `to`.
std::size_t findLineEnd(const char* text, std::size_t from, std::size_t to)
{
    const char* begin = text + from;
    const std::size_t length = to - from;
    const void* lf = std::memchr(begin, '\n', length);
    const std::size_t lfLength = lf ? static_cast<std::size_t>(static_cast<const char*>(lf) - begin) : length;
    // A CR can only come before the LF; look for it in that shorter stretch.
    const void* cr = std::memchr(begin, '\r', lfLength);
    return from + (cr ? static_cast<std::size_t>(static_cast<const char*>(cr) - begin) : lfLength);
}

} // namespace

namespace {

// The grammar of quoted records, in one place for the reader that finds where a record ends and
// for the cutting of a record into its fields. A field that begins with '"' runs to the '"' that
// is not doubled, then (like any other field) to the next delimiter; delimiters and line breaks
// between the quotes belong to it, and a quote that never closes runs to the end of the data.
//
// `bytes` gives the record's bytes from its start: have(i) makes sure byte i is there (false when
// the data ends first), at(i) is that byte, present() how many are there now, find(c, from) the
// first `c` at or after `from` among those, matches(i, text) whether `text` stands at i.
// `visit` hears of each part: quoted(from, to) for the bytes between quotes, doubled(i) and
// closed(i) for the quotes, unclosed() at the end of the data inside quotes, next(i) for a
// delimiter at i (false ends the scan), and endsAtLineEnd() whether a line end outside quotes ends
// the record. Returns where the record (or the last field scanned) ends.
template <class Bytes, class Visit> std::size_t scanQuoted(Bytes& bytes, std::string_view delim, Visit& visit)
{
    std::size_t at = 0;
    bool fieldStart = true;
    while (bytes.have(at)) {
        const char c = bytes.at(at);
        if (fieldStart && c == '"') {
            for (++at;;) {
                const std::size_t quote = bytes.find('"', at);
                if (quote == std::string_view::npos) {
                    const std::size_t present = bytes.present();
                    visit.quoted(at, present);
                    at = present;
                    if (!bytes.have(at)) {
                        visit.unclosed();
                        return at;
                    }
                    continue;
                }
                visit.quoted(at, quote);
                if (bytes.have(quote + 1) && bytes.at(quote + 1) == '"') {
                    visit.doubled(quote);
                    at = quote + 2;
                    continue;
                }
                visit.closed(quote);
                at = quote + 1;
                break;
            }
            fieldStart = false;
            continue;
        }
        if ((c == '\n' || c == '\r') && visit.endsAtLineEnd())
            return at;
        if (!delim.empty() && c == delim.front() && bytes.have(at + delim.size() - 1) && bytes.matches(at, delim)) {
            if (!visit.next(at))
                return at;
            at += delim.size();
            fieldStart = true;
            continue;
        }
        fieldStart = false;
        ++at;
    }
    return at;
}

// The bytes of the record in the reader's buffer, read on as the scan needs them.
class BufferedBytes final {
public:
    BufferedBytes(const ReadBuffer& buffer, std::size_t& pos, std::size_t& end,
                  const std::function<Result<bool>(std::size_t)>& fill)
        : m_buffer(buffer)
        , m_pos(pos)
        , m_end(end)
        , m_fill(fill)
    {
    }

    bool have(std::size_t i)
    {
        if (m_end - m_pos > i)
            return true;
        if (m_error)
            return false;
        Result<bool> more = m_fill(i + 1);
        if (!more) {
            m_error = more.error();
            return false;
        }
        return more.value();
    }
    char at(std::size_t i) const { return m_buffer[m_pos + i]; }
    std::size_t present() const { return m_end - m_pos; }
    std::size_t find(char c, std::size_t from) const
    {
        if (from >= present())
            return std::string_view::npos;
        const char* start = m_buffer.data() + m_pos;
        const void* found = std::memchr(start + from, c, present() - from);
        return found ? static_cast<std::size_t>(static_cast<const char*>(found) - start) : std::string_view::npos;
    }
    bool matches(std::size_t i, std::string_view text) const
    {
        return std::string_view(m_buffer.data() + m_pos + i, text.size()) == text;
    }
    const std::optional<Error>& error() const { return m_error; }

private:
    const ReadBuffer& m_buffer; // its data moves when a fill grows it
    std::size_t& m_pos;
    std::size_t& m_end;
    const std::function<Result<bool>(std::size_t)>& m_fill;
    std::optional<Error> m_error;
};

// The reader's look at a quoted record: the line ends between quotes (a CR, and an LF that no CR
// comes just before), and whether a quote never closes.
class RecordEnd final {
public:
    RecordEnd(const BufferedBytes& bytes, std::uint64_t& lines)
        : m_bytes(bytes)
        , m_lines(lines)
    {
    }
    void quoted(std::size_t from, std::size_t to)
    {
        for (std::size_t i = from; i < to; ++i) {
            const char b = m_bytes.at(i);
            if (b == '\r' || (b == '\n' && !(i > from ? m_bytes.at(i - 1) == '\r' : m_lastWasCr)))
                ++m_lines;
        }
        if (to > from)
            m_lastWasCr = m_bytes.at(to - 1) == '\r';
    }
    void doubled(std::size_t) { m_lastWasCr = false; }
    void closed(std::size_t) { m_lastWasCr = false; }
    void unclosed() { m_unclosed = true; }
    bool next(std::size_t) { return true; }
    static bool endsAtLineEnd() { return true; }
    bool isUnclosed() const { return m_unclosed; }

private:
    const BufferedBytes& m_bytes;
    std::uint64_t& m_lines;
    bool m_lastWasCr = false;
    bool m_unclosed = false;
};

} // namespace

Result<std::size_t> RecordReader::quotedRecordLength(bool& unclosed)
{
    const std::function<Result<bool>(std::size_t)> fill = [this](std::size_t count) { return this->fill(count); };
    BufferedBytes bytes(m_buffer, m_pos, m_end, fill);
    RecordEnd end(bytes, m_lines);
    const std::size_t length = scanQuoted(bytes, m_options.delim, end);
    if (bytes.error())
        return *bytes.error();
    unclosed = end.isUnclosed();
    return length;
}

Result<bool> RecordReader::next(DataRecord& record)
{
    const Result<bool> any = fill(1);
    if (!any)
        return any.error();
    if (!any.value())
        return false;

    const std::uint64_t firstLine = m_lines + 1;
    bool unclosed = false;
    std::size_t length = 0;
    if (m_options.quotes) {
        const Result<std::size_t> found = quotedRecordLength(unclosed);
        if (!found)
            return found.error();
        length = found.value();
    } else {
        // Search the fresh bytes for a line end, reading more until one comes or the data ends.
        std::size_t searched = 0;
        for (;;) {
            const std::size_t end = findLineEnd(m_buffer.data(), m_pos + searched, m_end);
            if (end < m_end) {
                length = end - m_pos;
                break;
            }
            searched = m_end - m_pos;
            const Result<bool> more = fill(searched + 1);
            if (!more)
                return more.error();
            if (!more.value()) {
                length = searched;
                break;
            }
        }
    }

    if (length > m_options.maxRecord)
        return tooLong();
    // The line end that closes the record: CR LF, a lone CR or a lone LF (none at the end).
    std::size_t lineEnd = 0;
    const Result<bool> hasEnd = fill(length + 1);
    if (!hasEnd)
        return hasEnd.error();
    if (hasEnd.value()) {
        lineEnd = 1;
        if (m_buffer[m_pos + length] == '\r') {
            const Result<bool> pair = fill(length + 2);
            if (!pair)
                return pair.error();
            if (pair.value() && m_buffer[m_pos + length + 1] == '\n')
                lineEnd = 2;
        }
        ++m_lines;
    }

    record.text = std::string_view(m_buffer.data() + m_pos, length);
    record.number = ++m_records;
    record.firstLine = firstLine;
    record.offset = m_source.offsetBelow(m_offset + m_pos);
    record.unclosedQuote = unclosed;
    m_pos += length + lineEnd;
    return true;
}

namespace {

// The bytes of a record held whole.
class TextBytes final {
public:
    explicit TextBytes(std::string_view text)
        : m_text(text)
    {
    }
    bool have(std::size_t i) const { return i < m_text.size(); }
    char at(std::size_t i) const { return m_text[i]; }
    std::size_t present() const { return m_text.size(); }
    std::size_t find(char c, std::size_t from) const { return m_text.find(c, from); }
    bool matches(std::size_t i, std::string_view text) const { return m_text.compare(i, text.size(), text) == 0; }

private:
    std::string_view m_text;
};

// One field's place: in the text, or (when it needed a change) in the scratch text.
struct FieldSpan {
    std::size_t begin = 0;
    std::size_t length = 0;
    bool inScratch = false;
};

// The cutting of a record into fields: each field's span once its end is known; a quoted field
// without doubled quotes or text after its closing quote stays a view into the text, any other is
// written to the scratch text without its quotes.
class FieldCutter final {
public:
    FieldCutter(std::string_view text, std::size_t count, std::string& scratch, std::vector<FieldSpan>& spans)
        : m_text(text)
        , m_count(count)
        , m_scratch(scratch)
        , m_spans(spans)
    {
    }
    void quoted(std::size_t, std::size_t) {}
    void doubled(std::size_t) { m_doubled = true; }
    void closed(std::size_t at) { m_close = at; }
    void unclosed() {}
    bool next(std::size_t delimiterAt)
    {
        end(delimiterAt);
        m_start = delimiterAt + m_delimSize;
        m_close = std::string_view::npos;
        m_doubled = false;
        return m_spans.size() < m_count;
    }
    static bool endsAtLineEnd() { return false; }

    void setDelimiterSize(std::size_t size) { m_delimSize = size; }
    // The field that began last ends at `at`.
    void end(std::size_t at)
    {
        if (m_start >= m_text.size() || m_text[m_start] != '"') {
            m_spans.push_back({m_start, at - m_start, false});
            return;
        }
        const std::size_t open = m_start + 1;
        const std::size_t close = m_close == std::string_view::npos ? at : m_close;
        const std::size_t tail = std::min(close + 1, at);
        if (!m_doubled && tail >= at) {
            m_spans.push_back({open, close - open, false});
            return;
        }
        const std::size_t begin = m_scratch.size();
        // Between the quotes, every '"' is the first of a doubled pair: one of them stays.
        for (std::size_t i = open; i < close; ++i) {
            m_scratch += m_text[i];
            if (m_text[i] == '"')
                ++i;
        }
        m_scratch.append(m_text, tail, at - tail);
        m_spans.push_back({begin, m_scratch.size() - begin, true});
    }

private:
    std::string_view m_text;
    std::size_t m_count;
    std::string& m_scratch;
    std::vector<FieldSpan>& m_spans;
    std::size_t m_delimSize = 0;
    std::size_t m_start = 0;
    std::size_t m_close = std::string_view::npos;
    bool m_doubled = false;
};

} // namespace

void splitQuotedFields(std::string_view text, std::string_view delim, std::size_t count, std::string& scratch,
                       std::vector<std::string_view>& fields)
{
    // The spans first, then the views: the scratch text may move while it grows.
    scratch.clear();
    fields.clear();
    if (count == 0)
        return;
    // Reused from call to call, so that cutting a record allocates nothing once warmed up.
    thread_local std::vector<FieldSpan> spans;
    spans.clear();
    TextBytes bytes(text);
    FieldCutter cutter(text, count, scratch, spans);
    cutter.setDelimiterSize(delim.size());
    const std::size_t end = scanQuoted(bytes, delim, cutter);
    if (spans.size() < count)
        cutter.end(end);
    for (const FieldSpan& span : spans)
        fields.push_back(span.inScratch ? std::string_view(scratch).substr(span.begin, span.length)
                                        : text.substr(span.begin, span.length));
}

} // namespace stencilor
