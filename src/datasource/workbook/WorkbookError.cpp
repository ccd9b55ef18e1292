// SPDX-License-Identifier: GPL-3.0-or-later
#include "datasource/workbook/WorkbookError.h"

#include "platform/Messages.h"

namespace stencilor {

namespace {

// Where `error` happened, as the Error's object and fourth number (see ErrorKind::WorkbookDamaged).
Error located(ErrorKind kind, const WorkbookError& error, std::string other = {})
{
    const bool inSheet = !error.sheet.empty();
    const std::uint64_t place = inSheet ? 2 : error.object.empty() ? 0 : 1;
    return Error(kind, inSheet ? error.sheet : error.object, 0, {error.row, error.limit, error.ratio, place},
                 std::move(other));
}

// An error of a sheet: the sheet as its object, with the row and the limit.
Error inSheet(ErrorKind kind, const WorkbookError& error)
{
    return Error(kind, error.sheet, 0, {error.row, error.limit, error.ratio, 2});
}

} // namespace

std::string workbookMessage(const WorkbookError& error)
{
    return errorText(toError(error));
}

Error toError(const WorkbookError& error)
{
    using Kind = WorkbookErrorKind;
    const Error::Numbers limits{0, error.limit, error.ratio, 0};
    switch (error.kind) {
    case Kind::ReadFailed:
        return systemError(ErrorKind::ReadFile, error.object, error.code);
    case Kind::NotZip:
        return Error(ErrorKind::WorkbookNotZip);
    case Kind::Damaged:
    case Kind::BrokenXml:
        return located(ErrorKind::WorkbookDamaged, error, error.detail);
    case Kind::TooManyParts:
        return Error(ErrorKind::WorkbookTooManyParts, {}, 0, limits);
    case Kind::MissingPart:
        return Error(ErrorKind::WorkbookPartMissing, error.object);
    case Kind::NotSpreadsheet:
        return Error(ErrorKind::NotAWorkbook, {}, 0, {}, error.detail);
    case Kind::UnsupportedFormat:
        return Error(ErrorKind::WorkbookFormatNotRead, {}, 0, {}, error.detail);
    case Kind::PasswordProtected:
        return Error(ErrorKind::WorkbookPasswordProtected);
    case Kind::SheetNotFound:
        return Error(ErrorKind::SheetNotFound, error.object);
    case Kind::NotATable:
        return Error(ErrorKind::SheetNotATable, error.object, 0, {}, error.detail);
    case Kind::PartTooLarge:
        return Error(ErrorKind::WorkbookPartTooLarge, error.object, 0, limits);
    case Kind::SharedStringsTooLarge:
        return Error(ErrorKind::SharedStringsTooLarge, {}, 0, limits);
    case Kind::DocumentType:
        return located(ErrorKind::WorkbookDocumentType, error);
    case Kind::XmlTooLarge:
        return located(ErrorKind::WorkbookXmlTooLarge, error);
    case Kind::OutOfOrder:
        return inSheet(ErrorKind::SheetRowsOutOfOrder, error);
    case Kind::MissingString:
        return inSheet(ErrorKind::SheetStringMissing, error);
    case Kind::RowTooLarge:
        return inSheet(ErrorKind::SheetRowTooLarge, error);
    case Kind::TooManyRows:
        return inSheet(ErrorKind::SheetTooManyRows, error);
    case Kind::TooManyColumns:
        return inSheet(ErrorKind::SheetTooManyColumns, error);
    }
    return located(ErrorKind::WorkbookDamaged, error, error.detail);
}

} // namespace stencilor
