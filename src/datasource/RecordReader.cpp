#include "datasource/RecordReader.h"

#include "platform/FileSystem.h"

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <unistd.h>

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
    for (;;) {
        const ssize_t got = ::read(m_fd, into, size);
        if (got >= 0)
            return static_cast<std::size_t>(got);
        if (errno != EINTR)
            return Error{errno, "cannot read file \"" + m_path + "\": " + systemReason(errno)};
    }
}

RecordReader::RecordReader(ByteSource& source, Options options)
    : m_source(source)
    , m_options(std::move(options))
{
    m_options.blockSize = std::max<std::size_t>(m_options.blockSize, 1);
}

Result<bool> RecordReader::fill(std::size_t count)
{
    while (m_end - m_pos < count) {
        if (m_ended)
            return false;
        // Bytes before the record in progress are no longer needed.
        if (m_pos > 0) {
            std::memmove(m_buffer.data(), m_buffer.data() + m_pos, m_end - m_pos);
            m_offset += m_pos;
            m_end -= m_pos;
            m_pos = 0;
        }
        if (m_buffer.size() < m_end + m_options.blockSize)
            m_buffer.resize(m_end + m_options.blockSize);
        const Result<std::size_t> got = m_source.read(m_buffer.data() + m_end, m_options.blockSize);
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

Result<std::size_t> RecordReader::quotedRecordLength(bool& unclosed)
{
    const std::string_view delim = m_options.delim;
    std::size_t at = 0; // relative to m_pos, which fill() may move
    bool fieldStart = true;
    for (;;) {
        // fill() is asked only when the buffer runs short: most bytes are already there.
        if (m_end - m_pos <= at) {
            const Result<bool> more = fill(at + 1);
            if (!more)
                return more.error();
            if (!more.value())
                return at;
        }
        const char c = m_buffer[m_pos + at];
        if (fieldStart && c == '"') {
            // A quoted field: up to the quote that is not doubled; line ends inside belong to it.
            ++at;
            for (;;) {
                if (m_end - m_pos <= at) {
                    const Result<bool> inside = fill(at + 1);
                    if (!inside)
                        return inside.error();
                    if (!inside.value()) {
                        unclosed = true;
                        return at;
                    }
                }
                const char* start = m_buffer.data() + m_pos + at;
                const void* quote = std::memchr(start, '"', m_end - m_pos - at);
                if (!quote) {
                    // No closing quote yet: count the line ends read so far and read on. A CR at
                    // the very end waits for the next byte, which may be its LF.
                    std::size_t upTo = m_end - m_pos;
                    if (m_buffer[m_end - 1] == '\r')
                        --upTo;
                    for (std::size_t i = at; i < upTo; ++i) {
                        const char b = m_buffer[m_pos + i];
                        if (b == '\n' || (b == '\r' && m_buffer[m_pos + i + 1] != '\n'))
                            ++m_lines;
                    }
                    if (upTo > at) {
                        at = upTo;
                    } else {
                        // Only the CR is left unread past: its next byte decides.
                        const Result<bool> next = fill(at + 2);
                        if (!next)
                            return next.error();
                        if (!next.value()) {
                            ++m_lines;
                            at = m_end - m_pos;
                        } else if (m_buffer[m_pos + at + 1] != '\n') {
                            ++m_lines;
                            ++at;
                        } else {
                            at += 2;
                            ++m_lines;
                        }
                    }
                    continue;
                }
                const std::size_t q =
                    static_cast<std::size_t>(static_cast<const char*>(quote) - m_buffer.data()) - m_pos;
                for (std::size_t i = at; i < q; ++i) {
                    const char b = m_buffer[m_pos + i];
                    if (b == '\n' || (b == '\r' && m_buffer[m_pos + i + 1] != '\n'))
                        ++m_lines;
                }
                // Whether the quote is doubled needs the byte after it.
                bool hasNext = m_end - m_pos >= q + 2;
                if (!hasNext) {
                    const Result<bool> after = fill(q + 2);
                    if (!after)
                        return after.error();
                    hasNext = after.value();
                }
                if (hasNext && m_buffer[m_pos + q + 1] == '"') {
                    at = q + 2;
                    continue;
                }
                at = q + 1;
                break;
            }
            fieldStart = false;
            continue;
        }
        if (c == '\n' || c == '\r')
            return at;
        if (!delim.empty() && c == delim.front()) {
            bool whole = m_end - m_pos >= at + delim.size();
            if (!whole) {
                const Result<bool> more = fill(at + delim.size());
                if (!more)
                    return more.error();
                whole = more.value();
            }
            if (whole && std::string_view(m_buffer.data() + m_pos + at, delim.size()) == delim) {
                at += delim.size();
                fieldStart = true;
                continue;
            }
        }
        fieldStart = false;
        ++at;
    }
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
    record.offset = m_offset + m_pos;
    record.unclosedQuote = unclosed;
    m_pos += length + lineEnd;
    return true;
}

namespace {

// One field's place: in the text, or (when it needed a change) in the scratch text.
struct FieldSpan {
    std::size_t begin = 0;
    std::size_t length = 0;
    bool inScratch = false;
};

// Calls `visit(span)` for each field of the quoted record `text`, up to `count` fields; quoted
// fields that need a change are written to `scratch`.
template <class Visit>
void forEachQuotedField(std::string_view text, std::string_view delim, std::size_t count, std::string* scratch,
                        Visit visit)
{
    std::size_t pos = 0;
    for (std::size_t field = 0; field < count; ++field) {
        FieldSpan span;
        std::size_t next = std::string_view::npos; // where the delimiter after the field is
        if (pos < text.size() && text[pos] == '"') {
            // The quoted part, then any text up to the delimiter after the closing quote.
            std::size_t at = pos + 1;
            std::size_t quote = text.find('"', at);
            bool plain = true; // no doubled quote and nothing after the closing one
            const std::size_t scratchBegin = scratch ? scratch->size() : 0;
            while (quote != std::string_view::npos && quote + 1 < text.size() && text[quote + 1] == '"') {
                if (scratch) {
                    scratch->append(text, at, quote + 1 - at);
                }
                plain = false;
                at = quote + 2;
                quote = text.find('"', at);
            }
            const std::size_t close = quote == std::string_view::npos ? text.size() : quote;
            const std::size_t tailStart = std::min(close + 1, text.size());
            next = delim.empty() ? std::string_view::npos : text.find(delim, tailStart);
            const std::size_t tailEnd = next == std::string_view::npos ? text.size() : next;
            if (tailEnd > tailStart)
                plain = false;
            if (plain) {
                span = {pos + 1, close - pos - 1, false};
            } else {
                if (scratch) {
                    scratch->append(text, at, close - at);
                    scratch->append(text, tailStart, tailEnd - tailStart);
                }
                span = {scratchBegin, scratch ? scratch->size() - scratchBegin : 0, true};
            }
        } else {
            next = delim.empty() ? std::string_view::npos : text.find(delim, pos);
            span = {pos, (next == std::string_view::npos ? text.size() : next) - pos, false};
        }
        visit(span);
        if (next == std::string_view::npos)
            return;
        pos = next + delim.size();
    }
}

} // namespace

void splitQuotedFields(std::string_view text, std::string_view delim, std::size_t count, std::string& scratch,
                       std::vector<std::string_view>& fields)
{
    // The spans first, then the views: the scratch text may move while it grows.
    scratch.clear();
    // Reused from call to call, so that cutting a record allocates nothing once warmed up.
    thread_local std::vector<FieldSpan> spans;
    spans.clear();
    forEachQuotedField(text, delim, count, &scratch, [](const FieldSpan& span) { spans.push_back(span); });
    fields.clear();
    for (const FieldSpan& span : spans)
        fields.push_back(span.inScratch ? std::string_view(scratch).substr(span.begin, span.length)
                                        : text.substr(span.begin, span.length));
}

std::int64_t countQuotedFields(std::string_view text, std::string_view delim)
{
    std::int64_t count = 0;
    forEachQuotedField(text, delim, SIZE_MAX, nullptr, [&count](const FieldSpan&) { ++count; });
    return count;
}

} // namespace stencilor
