// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

// Where each record of a data file starts, found in one streaming pass, so that any record can be
// read again at once without holding the file: the cost is eight bytes a record. Data read as its
// bytes is read again from the data file itself. Decoded data (an encoding, a workbook's sheet)
// starts at no exact byte of the file, so the pass keeps its decoded text in a file without a
// name in $TMPDIR as it goes, each record followed by a line feed, and records are read from there.
//
// index() may run on one thread while record() runs on another: record() reads only what index()
// has handed out and written.

#include "datasource/DataInput.h"
#include "datasource/DataSourceCheck.h"
#include "platform/FileDescriptor.h"
#include "platform/Result.h"

#include <atomic>
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

namespace stencilor {

class RecordIndex final {
public:
    // Opens the data file at `path`, read as `format` says (a workbook as its sheet). Fails as
    // DataInput::open does, or with the error of making the file for decoded text.
    static Result<std::unique_ptr<RecordIndex>> open(const std::string& path, const DataFormat& format);

    // Reads on for at most `records` records, appending the start of each to `starts`, until the
    // data ends, or until `stop` is set (checked between records). True when the data has ended.
    // Fails with the error of reading or of keeping the decoded text.
    Result<bool> index(std::vector<std::uint64_t>& starts, std::size_t records,
                       const std::atomic<bool>* stop = nullptr);

    // Where the text of the last record read ends (for record() of that record).
    std::uint64_t textEnd() const { return m_decoded ? m_spoolSize : m_textEnd; }
    // How far the pass has come, and where it ends, in the file's bytes (a sheet's rows), for a
    // percentage.
    std::uint64_t position() const { return m_position; }
    std::uint64_t size() const { return m_input->size(); }
    // Whether the data is a sheet of a workbook (its records are cut as sheetForm() says).
    bool workbook() const { return m_input->workbook(); }

    // The text of the record that starts at `start` and ends before `end`: the next record's start
    // (`endIsNextStart`), or for the last record read, textEnd(). At most `limit` bytes of it: a
    // record is shown, never held whole. Fails with the error of reading.
    Result<std::string> record(std::uint64_t start, std::uint64_t end, bool endIsNextStart,
                               std::size_t limit = std::size_t{1} << 20) const;

private:
    RecordIndex() = default;
    Status flush();

    std::unique_ptr<DataInput> m_input;
    std::string m_path;
    FileDescriptor m_file;  // the data file, read again for data read as its bytes
    FileDescriptor m_spool; // the decoded text, for decoded data
    bool m_decoded = false;
    std::string m_pending; // decoded text not yet written to m_spool
    std::uint64_t m_spoolSize = 0;
    std::uint64_t m_position = 0;
    std::uint64_t m_textEnd = 0; // data read as bytes: where the last record read ends
};

} // namespace stencilor
