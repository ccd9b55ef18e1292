// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

// The tables of an OpenDocument spreadsheet (content.xml), streamed a row at a time. A cell shows
// the text the spreadsheet stored with it (its paragraphs joined by line breaks), which is the
// value as the sheet displays it; rows and cells repeated below or beside themselves are repeated.

#include "datasource/workbook/SheetSource.h"

#include <memory>
#include <string>
#include <string_view>
#include <vector>

namespace stencilor {

class ZipEntryStream;

// A reader of table `sheet` ("" for the first) of content.xml `stream`, read up to the table's
// start. Fails with SheetNotFound when the content has no table of that name, or with the errors
// of reading the part; `name` receives the table's name.
WorkbookResult<std::unique_ptr<SheetSource>> openOdfSheet(std::unique_ptr<ZipEntryStream> stream,
                                                          std::string_view sheet, const SheetLimits& limits,
                                                          std::string& name);

// The names of the tables of content.xml `stream`, in order.
WorkbookResult<std::vector<std::string>> listOdfSheets(ZipEntryStream& stream);

// Whether the package manifest `xml` (META-INF/manifest.xml) says that parts are encrypted.
WorkbookResult<bool> odfEncrypted(std::string_view xml);

} // namespace stencilor
