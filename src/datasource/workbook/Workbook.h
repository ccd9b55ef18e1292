// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

// A spreadsheet workbook as a data file: an .xlsx (Office Open XML) or an .ods (OpenDocument),
// recognised by its content, read as a stream. Each row of a sheet is a record and each cell a
// field, with the text the spreadsheet shows for it. Only the shared strings of an .xlsx are held
// in memory (up to a limit); everything else is read a row at a time.

#include "datasource/workbook/NumberFormat.h"
#include "datasource/workbook/SheetRow.h"
#include "datasource/workbook/SheetSource.h"
#include "datasource/workbook/WorkbookError.h"
#include "datasource/workbook/ZipArchive.h"

#include <cstdint>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

namespace stencilor {

// What the first bytes of a data file say it is.
enum class DataFileKind {
    Text,         // anything else: read as delimited text
    Zip,          // a zip archive: an .xlsx or .ods workbook, or another file format built on zip
    CompoundFile, // an Office 97-2003 compound file: an .xls, or an encrypted .xlsx
};

// The kind of a data file that begins with `firstBytes` (its first 8 bytes suffice).
DataFileKind sniffDataFile(std::string_view firstBytes);

// Whether the regular file at `path` is read as a workbook, not as delimited text: its content is
// a zip archive or an Office 97-2003 compound file (an unreadable file is not).
bool isWorkbookFile(const std::string& path);

enum class WorkbookFormat { Xlsx, Ods };

struct WorkbookLimits {
    ZipLimits zip;
    SheetLimits sheet;
    std::uint64_t sharedStrings = std::uint64_t{512} << 20; // bytes of an .xlsx's shared strings
};

// What reading a sheet through once finds: its extent, and in an .xlsx its merged cells.
struct SheetLayout {
    std::string sheet;                // the sheet's name
    std::uint64_t rows = 0;           // the last row with a cell that shows text (0: none)
    std::uint64_t columns = 0;        // the most cells of a row, up to the last that shows text
    std::vector<CellRange> merges;    // merged ranges (.xlsx; an .ods marks its merged cells itself)
    std::uint64_t shownAsGeneral = 0; // cells whose number format was not understood
};

// The rows of one sheet in order, one at a time: every row from the first to the last that shows
// text in some cell, empty rows between included.
class SheetReader final {
public:
    SheetReader(std::unique_ptr<SheetSource> source, std::string sheet, const SheetLayout* layout);

    // Puts the next row into `row`; false after the last row that shows text. With a layout, each
    // row has the sheet's full width (empty cells to the right), and the rows go on to the last
    // row the survey found (which may show text only in cells that a merged range empties).
    // Fails with the errors of reading.
    WorkbookResult<bool> next(SheetRow& row);
    // Reads past the rows before `row` (a part of the job that begins there) without making their
    // text: the next row handed out is row `row` (or none, when the sheet ends before it).
    void skipTo(std::uint64_t row);
    const std::string& sheet() const { return m_sheet; }
    // The cells shown as General so far because their number format was not understood.
    std::uint64_t shownAsGeneral() const { return m_shownAsGeneral; }
    // The merged ranges found, once next() has returned false (see SheetSource::merges()).
    std::vector<CellRange> merges() const { return m_source->merges(); }

private:
    // The next row, skipped or not.
    WorkbookResult<bool> nextRow(SheetRow& row);

    std::unique_ptr<SheetSource> m_source;
    std::string m_sheet;
    std::uint64_t m_width = 0;
    std::uint64_t m_rows = 0;       // the rows the survey found
    std::uint64_t m_first = 1;      // the first row to hand out
    std::uint64_t m_next = 1;       // the number of the next row to hand out
    SheetRow m_stored;              // the stored row ahead of the empty rows before it
    std::uint64_t m_storedLeft = 0; // times it is still to be handed out
    bool m_ended = false;
    std::uint64_t m_shownAsGeneral = 0;
};

class Workbook final {
public:
    // Opens the workbook at `path`. Fails with ReadFailed, NotZip (a file that is no zip),
    // NotSpreadsheet, UnsupportedFormat (.xls, .xlsb, .xlsm), PasswordProtected, or Damaged.
    static WorkbookResult<std::unique_ptr<Workbook>> open(const std::string& path, const WorkbookLimits& limits = {});
    // The same for the bytes `bytes`.
    static WorkbookResult<std::unique_ptr<Workbook>> open(std::unique_ptr<ArchiveBytes> bytes,
                                                          const WorkbookLimits& limits = {});
    ~Workbook();
    Workbook(const Workbook&) = delete;
    Workbook& operator=(const Workbook&) = delete;

    WorkbookFormat format() const { return m_format; }
    DateSystem dates() const { return m_dates; }

    // The names of the sheets, in order (for an .ods this reads the content through).
    WorkbookResult<std::vector<std::string>> sheetNames();
    // Reads sheet `sheet` ("" for the first) through once: its extent and merged cells. Fails with
    // SheetNotFound, NotATable, or the errors of reading.
    WorkbookResult<SheetLayout> survey(std::string_view sheet);
    // Opens sheet `sheet` ("" for the first) to read its rows. With the layout a survey found,
    // rows are padded to the sheet's width and the cells merged into another show nothing.
    WorkbookResult<std::unique_ptr<SheetReader>> read(std::string_view sheet, const SheetLayout* layout = nullptr);

private:
    Workbook() = default;
    WorkbookStatus openXlsx();
    WorkbookStatus openOds();
    WorkbookStatus loadSharedStrings();
    // The source of sheet `sheet`'s stored rows, and its name.
    WorkbookResult<std::unique_ptr<SheetSource>> openSource(std::string_view sheet, std::vector<CellRange> covered,
                                                            bool survey, std::string& name);

    struct Xlsx;
    std::unique_ptr<ArchiveBytes> m_bytes;
    std::unique_ptr<ZipArchive> m_zip;
    WorkbookLimits m_limits;
    WorkbookFormat m_format = WorkbookFormat::Xlsx;
    DateSystem m_dates = DateSystem::From1900;
    std::unique_ptr<Xlsx> m_xlsx;
};

} // namespace stencilor
