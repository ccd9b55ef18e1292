#include "datasource/workbook/WorkbookError.h"

#include "platform/Messages.h"

namespace stencilor {

namespace {

// " (sheet "S", row R)" or " (part "P")", whichever `error` knows.
std::string whereIn(const WorkbookError& error)
{
    if (!error.sheet.empty())
        return " (sheet \"" + error.sheet + "\"" + (error.row > 0 ? ", row " + std::to_string(error.row) : "") + ")";
    if (!error.object.empty())
        return " (part \"" + error.object + "\")";
    return {};
}

std::string bytes(std::uint64_t count)
{
    return count >= (std::uint64_t{1} << 20) && count % (std::uint64_t{1} << 20) == 0
               ? std::to_string(count >> 20) + " MiB"
               : std::to_string(count) + " bytes";
}

// "XFD" for column 16384.
std::string columnName(std::uint64_t column)
{
    std::string name;
    for (; column > 0; column = (column - 1) / 26)
        name.insert(name.begin(), static_cast<char>('A' + (column - 1) % 26));
    return name;
}

} // namespace

std::string workbookMessage(const WorkbookError& error)
{
    using Kind = WorkbookErrorKind;
    const std::string sheet = "sheet \"" + error.sheet + "\"";
    switch (error.kind) {
    case Kind::ReadFailed:
        return systemError("cannot read file", error.object, error.code).message;
    case Kind::NotZip:
        return "The workbook is damaged: it is not a complete zip archive";
    case Kind::Damaged:
        return "The workbook is damaged" + whereIn(error) + (error.detail.empty() ? "" : ": " + error.detail);
    case Kind::TooManyParts:
        return "The workbook is damaged: its zip archive lists more than " + std::to_string(error.limit) + " entries";
    case Kind::MissingPart:
        return "The workbook is damaged: its part \"" + error.object + "\" is missing";
    case Kind::NotSpreadsheet:
        return "The data file is a zip archive but not a spreadsheet workbook (.xlsx or .ods)" +
               (error.detail.empty() ? "" : ": it holds " + error.detail);
    case Kind::UnsupportedFormat:
        return "The data file is " + error.detail +
               ", which is not read; open it in the spreadsheet program and save it as an Excel Workbook (.xlsx)";
    case Kind::PasswordProtected:
        return "The workbook is password-protected";
    case Kind::SheetNotFound:
        return "Sheet \"" + error.object + "\" not found in the data file";
    case Kind::NotATable:
        return "Sheet \"" + error.object + "\" holds " + error.detail + ", not a table of cells";
    case Kind::PartTooLarge:
        return "The workbook's part \"" + error.object + "\" unpacks to more than " +
               (error.ratio > 0 ? std::to_string(error.ratio) + " times its packed size" : bytes(error.limit)) +
               ": it is not read, as it may be a zip bomb";
    case Kind::SharedStringsTooLarge:
        return "The workbook's shared strings are larger than " + bytes(error.limit) + ", more than is held in memory";
    case Kind::BrokenXml:
        return "The workbook is damaged" + whereIn(error) + ": " + error.detail;
    case Kind::DocumentType:
        return "The workbook is damaged" + whereIn(error) +
               ": it has a document type declaration, which a workbook never has (it is not read, so that no "
               "entity it declares is ever expanded or fetched)";
    case Kind::XmlTooLarge:
        return "The workbook is damaged" + whereIn(error) +
               (error.ratio > 0 ? ": its elements are nested more than " + std::to_string(error.limit) + " deep"
                                : ": it has a tag longer than " + bytes(error.limit));
    case Kind::OutOfOrder:
        return "The workbook is damaged (" + sheet + ", row " + std::to_string(error.row) +
               "): its rows or cells are not in order";
    case Kind::MissingString:
        return "The workbook is damaged (" + sheet + ", row " + std::to_string(error.row) +
               "): a cell names a shared string that the workbook does not have";
    case Kind::RowTooLarge:
        return "Row " + std::to_string(error.row) + " of " + sheet + " is larger than " + bytes(error.limit);
    case Kind::TooManyRows:
        return "Sheet \"" + error.sheet + "\" has a cell below row " + std::to_string(error.limit) +
               ", the last row a sheet may have";
    case Kind::TooManyColumns:
        return "Sheet \"" + error.sheet + "\" has a cell right of column " + columnName(error.limit) + " in row " +
               std::to_string(error.row) + ", the last column a sheet may have";
    }
    return "The workbook cannot be read";
}

Error toError(const WorkbookError& error)
{
    return Error{error.kind == WorkbookErrorKind::ReadFailed ? error.code : 0, workbookMessage(error)};
}

} // namespace stencilor
