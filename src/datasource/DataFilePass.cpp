// SPDX-License-Identifier: GPL-3.0-or-later
#include "datasource/DataFilePass.h"

#include "datasource/DataFileScans.h"
#include "datasource/DataInput.h"
#include "datasource/TextLines.h"
#include "datasource/workbook/Workbook.h"
#include "platform/FileSystem.h"
#include "platform/Messages.h"

#include <algorithm>
#include <cerrno>

namespace stencilor {

namespace {

// The position just after the last CR or LF of `text` at or after `from`; `none` when there is none.
std::size_t afterLastLineEnd(std::string_view text, std::size_t from, std::size_t none)
{
    for (std::size_t at = text.size(); at > from; --at) {
        const char c = text[at - 1];
        if (c == '\n' || c == '\r')
            return at;
    }
    return none;
}

bool stopAsked(const DataFilePass& pass)
{
    return pass.stop && pass.stop->load(std::memory_order_relaxed);
}

enum class Reading { Done, Failed, Stopped };

// A plain data file: its bytes as they are, read in blocks, each block's lines to the scans. A NUL
// ends the text; the bytes after it are read only when the warnings want to know what it cut off.
Reading readPlain(const std::string& path, const DataFilePass& pass, LineShapeScan* shape, WarningsScan* warnings)
{
    FileReader file;
    if (!file.open(path))
        return Reading::Failed;
    std::vector<LineSink*> sinks;
    if (shape)
        sinks.push_back(shape);
    if (warnings)
        sinks.push_back(warnings);
    BlockLines lines(std::move(sinks));
    const std::size_t block = std::max<std::size_t>(pass.blockSize, 1);
    std::string buffer(block, '\0');
    std::uint64_t bytesRead = 0;
    for (;;) {
        if (stopAsked(pass))
            return Reading::Stopped;
        const Result<std::size_t> got = file.read(buffer.data(), block);
        if (!got)
            return Reading::Failed;
        bytesRead += got.value();
        if (pass.progress)
            pass.progress(bytesRead);
        const std::string_view bytes(buffer.data(), got.value());
        if (warnings)
            warnings->bytes(bytes);
        const bool textGoesOn = lines.feed(bytes);
        if (bytes.empty() || (!textGoesOn && !warnings))
            return Reading::Done;
    }
}

// The text of a data file as a record reader reads it, each block of it also given to the
// warnings' scan on its way; reading fails (ECANCELED) once the pass is asked to stop.
class WatchedText final : public ByteSource {
public:
    WatchedText(ByteSource& text, WarningsScan* warnings, const DataFilePass& pass, bool tellProgress)
        : m_text(text)
        , m_warnings(warnings)
        , m_lines(warnings ? std::vector<LineSink*>{warnings} : std::vector<LineSink*>{})
        , m_pass(pass)
        , m_tellProgress(tellProgress)
    {
    }
    Result<std::size_t> read(char* into, std::size_t size) override
    {
        if (stopAsked(m_pass))
            return Error(ErrorKind::ReadFile, {}, ECANCELED);
        Result<std::size_t> got = m_text.read(into, size);
        if (!got)
            return got;
        const std::string_view bytes(into, got.value());
        if (m_warnings) {
            m_warnings->bytes(bytes);
            m_lines.feed(bytes);
        }
        m_total += got.value();
        if (m_tellProgress && m_pass.progress)
            m_pass.progress(m_total);
        return got;
    }
    std::uint64_t offsetBelow(std::uint64_t offset) override { return m_text.offsetBelow(offset); }

private:
    ByteSource& m_text;
    WarningsScan* m_warnings;
    BlockLines m_lines;
    const DataFilePass& m_pass;
    bool m_tellProgress;
    std::uint64_t m_total = 0;
};

// A data file read through DataInput: decoded, cut into records (with quoted fields), or a
// workbook's sheet. With `state`, its records go to the check; with `warnings`, its text to them.
Reading readRecords(const std::string& path, const DataFormat& format, const DataFilePass& pass, DataFileState* state,
                    std::optional<WarningsScan>& warnings)
{
    Result<std::unique_ptr<DataInput>> input =
        DataInput::open(path, DataInput::Options{format.quotes, format.delim, format.encoding, pass.blockSize, false,
                                                 kMaxRecordBytes, format.sheet});
    if (!input) {
        // A missing or unreadable file counts as one without records, as in the plain check.
        if (state && input.error().code == 0)
            state->error = input.error();
        return Reading::Failed;
    }
    DataInput& data = *input.value();
    if (data.workbook())
        warnings.reset();
    if (state) {
        state->encoding = data.encoding();
        if (data.workbook()) {
            state->sheet = data.sheet();
            state->shownAsGeneral = data.shownAsGeneral();
        }
    }
    std::optional<WatchedText> text;
    std::optional<RecordReader> reader;
    if (!data.workbook()) {
        text.emplace(data.text(), warnings ? &*warnings : nullptr, pass, state == nullptr);
        if (state)
            reader.emplace(*text, RecordReader::Options{format.quotes, format.delim, pass.blockSize, kMaxRecordBytes});
    }
    if (state) {
        // A sheet's rows are cut into their cells, whatever the project's delimiter and quotes.
        RecordShapeScan shape(*state, format.header,
                              data.workbook() ? sheetForm() : RecordReader::Options{format.quotes, format.delim});
        DataRecord record;
        for (Result<bool> got = reader ? reader->next(record) : data.next(record);;
             got = reader ? reader->next(record) : data.next(record)) {
            if (stopAsked(pass))
                return Reading::Stopped;
            // A workbook damaged inside its sheet is said so; a text counts as ending where a read fails.
            if (!got && data.workbook())
                state->error = got.error();
            if (!got || !got.value())
                break;
            // A sheet's rows have no offsets in the file: its progress is not told.
            if (pass.progress && !data.workbook())
                pass.progress(record.offset + record.text.size());
            shape.record(record);
        }
        // Counted where the check's reading ended, before the warnings read on.
        state->replaced = data.replaced();
    }
    if (!warnings)
        return Reading::Done;
    // The rest of the text, to learn what a NUL cut off (or all of it, without the check).
    char rest[1 << 16];
    for (Result<std::size_t> got = text->read(rest, sizeof rest); got && got.value() > 0;
         got = text->read(rest, sizeof rest)) {
    }
    return stopAsked(pass) ? Reading::Stopped : Reading::Done;
}

} // namespace

bool BlockLines::feed(std::string_view bytes)
{
    if (m_ended)
        return false;
    std::string_view text = textBeforeNul(bytes);
    const bool atEnd = bytes.empty() || text.size() < bytes.size();
    std::size_t start = 0;
    if (m_skipLeadingLf && !text.empty()) {
        start = text[0] == '\n' ? 1 : 0;
        m_skipLeadingLf = false;
    }
    const std::size_t end = atEnd ? text.size() : afterLastLineEnd(text, start, start);
    if (!atEnd && end == text.size() && end > start && text[end - 1] == '\r')
        m_skipLeadingLf = true;
    LineCursor cursor(text.substr(start, end - start));
    for (std::string_view line; cursor.next(line);) {
        const std::uint64_t at = m_offset + static_cast<std::uint64_t>(line.data() - bytes.data());
        for (LineSink* sink : m_sinks) {
            if (m_inLine) {
                sink->piece(line, at);
                sink->endLine();
            } else {
                sink->line(line, at);
            }
        }
        m_inLine = false;
    }
    if (atEnd) {
        // A line that went on to the end of the text (its last bytes read before) ends here.
        if (m_inLine)
            for (LineSink* sink : m_sinks)
                sink->endLine();
        m_inLine = false;
        m_ended = true;
        return false;
    }
    if (end < text.size()) {
        for (LineSink* sink : m_sinks)
            sink->piece(text.substr(end), m_offset + end);
        m_inLine = true;
    }
    m_offset += bytes.size();
    return true;
}

DataFileFindings examineDataFile(const std::string& path, const DataFormat& format, const DataFilePass& pass)
{
    DataFileFindings found;
    std::optional<WarningsScan> warnings;
    // The UTF-8 and byte-order mark findings only for the bytes as they are (a named or "auto"
    // encoding decodes the file and drops a mark); quoted delimiters only when quotes are off.
    if (pass.warnings)
        warnings.emplace(format.delim, format.quotes, format.encoding.empty());
    const bool workbook = isWorkbookFile(path);
    Reading reading = Reading::Done;
    if (!format.quotes && format.encoding.empty() && !format.header && path != "-" && !workbook) {
        std::optional<LineShapeScan> shape;
        if (pass.check)
            shape.emplace(format.delim);
        reading = readPlain(path, pass, shape ? &*shape : nullptr, warnings ? &*warnings : nullptr);
        // An unreadable file counts as one without lines.
        if (shape && reading == Reading::Done) {
            found.state = std::move(shape->state());
            addSampleFields(found.state, format.delim);
        }
    } else {
        if (workbook && pass.check) {
            found.state.workbook = true;
            if (WorkbookResult<std::unique_ptr<Workbook>> opened = Workbook::open(path)) {
                if (WorkbookResult<std::vector<std::string>> names = opened.value()->sheetNames())
                    found.state.sheets = std::move(names.value());
            }
        }
        if (workbook)
            warnings.reset(); // a workbook's cells are no lines of text: the warnings do not apply
        if (pass.check || warnings)
            reading = readRecords(path, format, pass, pass.check ? &found.state : nullptr, warnings);
    }
    found.stopped = reading == Reading::Stopped;
    if (warnings && reading != Reading::Stopped)
        found.warnings = warnings->finish();
    return found;
}

DataFileState checkDataFile(const std::string& path, std::string_view delim, std::size_t blockSize,
                            const ReadProgress& progress)
{
    // The plain reading whatever the file holds: its bytes as lines.
    LineShapeScan shape(delim);
    if (readPlain(path, DataFilePass{true, false, blockSize, progress, nullptr}, &shape, nullptr) != Reading::Done)
        return {};
    return std::move(shape.state());
}

DataFileState checkDataFile(const std::string& path, const DataFormat& format, std::size_t blockSize,
                            const ReadProgress& progress)
{
    return examineDataFile(path, format, DataFilePass{true, false, blockSize, progress, nullptr}).state;
}

DataFileWarnings scanDataFile(const std::string& path, const std::string& delim, bool quotes,
                              const std::string& encoding, std::size_t blockSize, const ReadProgress& progress,
                              const std::atomic<bool>* stop)
{
    return examineDataFile(path, DataFormat{delim, quotes, encoding, false},
                           DataFilePass{false, true, blockSize, progress, stop})
        .warnings;
}

} // namespace stencilor
