// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

// The data file of a run or a check, opened once and read record by record through that open
// file: the regular file named by the project (or standard input for "-"), decoded from its
// encoding when the project names one, split into records by the line rules or the quoting rules.
// A data file whose content is a spreadsheet workbook (.xlsx, .ods) is read a sheet row at a time
// instead: each row is a record, numbered by its row, its cells joined as fields of sheetForm().

#include "datasource/Encoding.h"
#include "datasource/RecordReader.h"
#include "datasource/workbook/Workbook.h"
#include "platform/ContentHash.h"
#include "platform/FileDescriptor.h"
#include "platform/FileSystem.h"
#include "platform/Result.h"

#include <atomic>
#include <cstdint>
#include <ctime>
#include <memory>
#include <optional>
#include <string>

namespace stencilor {

// How the records of a sheet are cut into fields: its cells, as a delimited file with quoted
// fields holds them.
RecordReader::Options sheetForm();

// A file without a name in $TMPDIR (or /tmp), gone when closed: the copy of a pipe, or text kept
// aside while it is read.
Result<FileDescriptor> openSpool();
// The folder openSpool() makes its files in.
std::string spoolFolder();

class DataInput final {
public:
    struct Options {
        bool quotes = false;
        std::string delim = ";";
        std::string encoding; // empty: the bytes as they are; "auto" or a converter name: decoded to UTF-8
        std::size_t blockSize = std::size_t{1} << 20;
        bool restartable = true;                 // a pipe is copied as it is read, so that restart() can read it again
        std::size_t maxRecord = kMaxRecordBytes; // the longest record
        std::string sheet = {};                  // the sheet of a workbook; empty: its first sheet
    };

    // Opens `path` ("-" for standard input, which may be a pipe) and chooses its encoding. Fails
    // with the errno of opening (kNotRegularFile for a FIFO or device named by path), or with
    // unknownEncoding().
    static Result<std::unique_ptr<DataInput>> open(const std::string& path, const Options& options);
    ~DataInput();
    DataInput(const DataInput&) = delete;
    DataInput& operator=(const DataInput&) = delete;

    // The next record; false at the end of the data. Fails with the error of reading.
    Result<bool> next(DataRecord& record) { return m_rows ? nextRow(record) : m_reader->next(record); }
    // Reads the data again from its start, through the same open file. A pipe (standard input) is
    // copied to an unnamed temporary file as it is read: its restart reads the rest of it to the
    // end there first, record by record, and from then on reads the copy. Fails with the error of
    // reading, of the copy or of seeking, or with RecordTooLong.
    Status restart();
    // The (decoded) text as bytes, to be read instead of record by record; only before the first
    // next().
    ByteSource& text() { return *m_text; }
    // Appends the whole (decoded) text to `into` instead of reading it record by record; only
    // before the first next(). Fails with the error of reading.
    Status readAll(std::string& into);

    // The encoding the data is decoded from, when the project names one.
    const std::optional<ChosenEncoding>& encoding() const { return m_encoding; }
    // Whether the text read is decoded from the file's bytes (not the bytes as they are).
    bool decoded() const { return m_decoder != nullptr; }
    // Sequences invalid in that encoding, replaced by U+FFFD so far.
    std::uint64_t replaced() const { return m_decoder ? m_decoder->replaced() : 0; }
    // The size of the file in bytes (for a pipe: 0 until a restart, then the bytes it held).
    std::uint64_t size() const { return m_size; }
    // The identity of the file (for a run that must not replace it); none for a pipe.
    const std::optional<FileIdentity>& identity() const { return m_identity; }
    // When the file was last modified, as it was opened; none for a pipe.
    const std::optional<timespec>& modified() const { return m_modified; }
    // The hash (ContentHash::hex) of the bytes the first pass read from the file, before any
    // decoding: once it has read all records, the data as the run reads it. Passes after a
    // restart are not hashed again. A workbook's hash is that of nothing.
    std::string readHash() const { return m_readHash.hex(); }

    // Whether the data is a sheet of a workbook. Its size() is then its count of rows, and each
    // record begins at the offset of its row less one, so that a part of a sharded job takes its
    // rows as it takes its bytes of a text.
    bool workbook() const { return m_rows != nullptr; }
    // The sheet read, by its name (a workbook only).
    const std::string& sheet() const { return m_layout.sheet; }
    // Cells whose number format was not understood and are shown as General (the whole sheet).
    std::uint64_t shownAsGeneral() const { return m_layout.shownAsGeneral; }
    // Reads past the rows before row `row` without making their text (a workbook only: a text
    // is read as it is).
    void skipTo(std::uint64_t row);
    // From now on the text ends before the next block read once `stop` is set (nullptr: never),
    // so that a pass asked to stop ends within a block even inside a record of any length.
    void setStop(const std::atomic<bool>* stop) { m_stop = stop; }

private:
    DataInput() = default;
    // Makes the sources and the reader over the open file from its current position.
    Status startReading(std::string prefix);
    // Opens the workbook at m_path and its sheet m_options.sheet, surveyed once.
    Status openWorkbook();
    // The sheet's rows from the first again.
    Status startRows();
    Result<bool> nextRow(DataRecord& record);

    FileDescriptor m_file;  // the data file (none for standard input)
    FileDescriptor m_spool; // the copy of standard input
    int m_fd = -1;          // what is read: m_file, standard input or its copy
    std::string m_path;
    Options m_options;
    std::uint64_t m_size = 0;
    std::optional<FileIdentity> m_identity;
    std::optional<timespec> m_modified;
    ContentHash m_readHash;
    const std::atomic<bool>* m_stop = nullptr; // see setStop()
    bool m_restarted = false;                  // restart() has been called: the reading is no first pass
    std::optional<ChosenEncoding> m_encoding;
    std::unique_ptr<ByteSource> m_raw;
    bool m_spooling = false; // m_raw copies standard input as it reads it
    std::unique_ptr<DecodingSource> m_decoder;
    std::unique_ptr<RecordReader> m_reader;
    ByteSource* m_text = nullptr; // the source the reader reads: decoded, or the raw bytes
    // A workbook: its sheet's layout, its rows, and the text of the row handed out.
    std::unique_ptr<Workbook> m_workbook;
    SheetLayout m_layout;
    std::unique_ptr<SheetReader> m_rows;
    SheetRow m_row;
    std::string m_rowText;
};

} // namespace stencilor
