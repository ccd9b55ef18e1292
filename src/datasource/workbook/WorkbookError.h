// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

// Why a spreadsheet workbook cannot be read, as a value: the kind of failure and what it concerns.
// Its English text is made in one place, workbookMessage().

#include "platform/Result.h"

#include <cstdint>
#include <string>
#include <string_view>
#include <utility>

namespace stencilor {

enum class WorkbookErrorKind {
    ReadFailed,            // the system could not read the file (code: errno, object: the path)
    NotZip,                // not a complete zip archive (cut short, or never one)
    Damaged,               // the zip or a part cannot be unpacked (object: the part; detail: the archive's words)
    TooManyParts,          // the zip lists more entries than a workbook has (limit)
    MissingPart,           // object: a part the workbook names (or must have) that is not in the zip
    NotSpreadsheet,        // a zip that holds no spreadsheet (detail: what it holds, when known)
    UnsupportedFormat,     // a workbook format that is not read (detail: its name and extension)
    PasswordProtected,     // the workbook is encrypted
    SheetNotFound,         // object: the sheet asked for
    NotATable,             // object: a sheet that holds a chart or macros, not cells
    PartTooLarge,          // object: a part that unpacks to more than `limit` bytes, or `ratio` times its size
    SharedStringsTooLarge, // limit: the bytes the table may hold
    BrokenXml,             // object: the part; sheet and row when known; detail: the parser's words
    DocumentType,          // object: a part with a document type declaration (which could declare entities)
    XmlTooLarge,           // object: a part with a tag longer than `limit` bytes, or nested deeper (`ratio`: 1)
    OutOfOrder,            // sheet, row: rows or cells not in ascending order
    MissingString,         // sheet, row: a cell names a shared string the table does not have
    RowTooLarge,           // sheet, row: a row's text beyond `limit` bytes
    TooManyRows,           // sheet: a cell below row `limit`
    TooManyColumns,        // sheet, row: a cell right of column `limit`
};

struct WorkbookError {
    WorkbookError() = default;
    explicit WorkbookError(WorkbookErrorKind kind, std::string object = {}, std::string detail = {})
        : kind(kind)
        , object(std::move(object))
        , detail(std::move(detail))
    {
    }
    WorkbookError& withLimit(std::uint64_t value)
    {
        limit = value;
        return *this;
    }
    WorkbookError& withRatio(std::uint64_t value)
    {
        ratio = value;
        return *this;
    }
    WorkbookError& withCode(int value)
    {
        code = value;
        return *this;
    }
    // The sheet and row the failure arose in.
    WorkbookError& in(std::string sheetName, std::uint64_t sheetRow)
    {
        sheet = std::move(sheetName);
        row = sheetRow;
        return *this;
    }

    WorkbookErrorKind kind = WorkbookErrorKind::Damaged;
    std::string object;      // the path, part or sheet the failure concerns
    std::string sheet;       // the sheet being read, when the failure is in a sheet
    std::uint64_t row = 0;   // the sheet row being read, 0 when none
    std::string detail;      // the archive's or the XML parser's words, or a format's name
    std::uint64_t limit = 0; // the limit that was passed
    std::uint64_t ratio = 0; // PartTooLarge: the unpacked-to-packed ratio that was passed, 0 for the size
    int code = 0;            // errno, for ReadFailed
};

// A value or the reason the workbook cannot be read.
template <class T> using WorkbookResult = Result<T, WorkbookError>;
using WorkbookStatus = WorkbookResult<bool>;

// The English text of `error`, e.g. Sheet "Prices" not found in the data file.
std::string workbookMessage(const WorkbookError& error);

// `error` as the Error of the run and the check, of one of the workbook's kinds.
Error toError(const WorkbookError& error);

// What the check before writing says of a cell whose number format is not understood.
inline constexpr std::string_view kFormatShownAsGeneralText = "number format not understood, shown as General";

} // namespace stencilor
