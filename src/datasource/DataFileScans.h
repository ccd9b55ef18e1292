// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

// The parts of the one pass over a data file (DataFilePass.h): the text is read in blocks once,
// cut into lines by BlockLines, and each line goes to the scans that want it: the data source
// check's (sample, widest line, field count) and the data warnings'. A line comes whole or, when
// it is longer than what is read at once, in pieces, so that no scan holds more than a block.

#include "datasource/DataFileWarnings.h"
#include "datasource/DataSourceCheck.h"
#include "datasource/Encoding.h"
#include "datasource/RecordFields.h"
#include "datasource/RecordReader.h"

#include <cstdint>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

namespace stencilor {

// Receives the lines of a text. The views are valid only during the call.
class LineSink {
public:
    virtual ~LineSink() = default;
    // A whole line that begins at `offset` of the text.
    virtual void line(std::string_view line, std::uint64_t offset) = 0;
    // The next bytes of a line that goes on past what has been read (its first piece at `offset`).
    virtual void piece(std::string_view piece, std::uint64_t offset) = 0;
    // The end of a line that came in pieces.
    virtual void endLine() = 0;
};

// Cuts a text that comes in blocks of any size into lines (TextLines.h), which go to `sinks`.
class BlockLines final {
public:
    explicit BlockLines(std::vector<LineSink*> sinks)
        : m_sinks(std::move(sinks))
    {
    }
    // Takes the next bytes of the text; empty bytes are its end. False once the text has ended,
    // at its end or at a NUL byte (later bytes are then passed over).
    bool feed(std::string_view bytes);

private:
    std::vector<LineSink*> m_sinks;
    std::uint64_t m_offset = 0;   // of the next bytes in the text
    bool m_skipLeadingLf = false; // the bytes before ended in CR, whose LF may start the next ones
    bool m_inLine = false;        // a line goes on past the bytes before
    bool m_ended = false;
};

// The data source check's findings, line by line: the sample line, the widest line and the field
// count with delimiter `delim`. Only the first kKeptLineBytes of a line are kept.
class LineShapeScan final : public LineSink {
public:
    explicit LineShapeScan(std::string_view delim)
        : m_delim(delim)
    {
    }
    void line(std::string_view line, std::uint64_t offset) override;
    void piece(std::string_view piece, std::uint64_t offset) override;
    void endLine() override;
    DataFileState& state() { return m_state; }

private:
    // Counts the delimiters of a piece as CountFields counts them in the whole line: from the
    // left, none overlapping. The last bytes of a piece that may start a delimiter wait for the next.
    void countDelimiters(std::string_view piece);

    std::string_view m_delim;
    DataFileState m_state;
    bool m_sampleBlank = true;
    // The line that comes in pieces.
    std::string m_line; // its first kKeptLineBytes
    std::uint64_t m_lineBytes = 0;
    bool m_lineBlank = true;
    std::int64_t m_lineFields = 1;
    std::string m_delimiterStart;
};

// The data source check's findings record by record, for a data format beyond the plain one:
// records cut into fields as `form` says, the header record's names collected (the header is no
// sample). Records and fields are counted as the run counts them.
class RecordShapeScan final {
public:
    RecordShapeScan(DataFileState& state, bool header, RecordReader::Options form)
        : m_state(state)
        , m_header(header)
        , m_form(std::move(form))
    {
    }
    void record(const DataRecord& record);

private:
    DataFileState& m_state;
    bool m_header;
    RecordReader::Options m_form;
    RecordFields m_fields;
    bool m_sampleBlank = true;
};

// The sample line's fields (their first bytes), for a plain data file cut at `delim`.
void addSampleFields(DataFileState& state, std::string_view delim);

// The data warnings' findings: the text's lines (invalid UTF-8 when `checkUtf8`, quoted
// delimiters when `quotes` is off) and its bytes as read, NULs and what follows them included
// (the byte-order mark, the charset guess, what a NUL cuts off).
class WarningsScan final : public LineSink {
public:
    WarningsScan(std::string_view delim, bool quotes, bool checkUtf8);
    ~WarningsScan() override;
    // The next bytes of the text as read, before they are cut into lines.
    void bytes(std::string_view bytes);
    void line(std::string_view line, std::uint64_t offset) override;
    void piece(std::string_view piece, std::uint64_t offset) override;
    void endLine() override;
    // The warnings, once all bytes have been read.
    DataFileWarnings finish();

private:
    class QuotedDelimiters;

    std::string_view m_delim;
    bool m_quotes;
    bool m_checkUtf8;
    DataFileWarnings m_warnings;
    std::uint64_t m_lines = 0;
    std::uint64_t m_textEnd = 0; // where the last line's text ends
    // The line that comes in pieces.
    std::uint64_t m_lineStart = 0;
    std::uint64_t m_lineBytes = 0;
    bool m_inLine = false;
    Utf8Validator m_lineValidator;
    std::unique_ptr<QuotedDelimiters> m_lineQuotes;
    // The bytes as read.
    std::uint64_t m_total = 0;
    std::string m_start;                    // the first bytes, for the mark and the detection
    std::uint64_t m_nulOffset = UINT64_MAX; // the first NUL byte
    bool m_textAfterNul = false;            // something other than NULs and line ends stands after it
};

} // namespace stencilor
