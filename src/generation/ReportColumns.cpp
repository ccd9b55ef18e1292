// SPDX-License-Identifier: GPL-3.0-or-later
#include "generation/ReportColumns.h"

#include "datasource/Fields.h"

namespace stencilor {

ReportColumnTexts reportColumnTexts(std::string_view reportFld)
{
    ReportColumnTexts columns;
    for (int k = 1; k <= kReportColumnCount; ++k)
        columns[static_cast<std::size_t>(k - 1)] = std::string(GetField(reportFld, ";", k));
    return columns;
}

std::string buildReportFld(const ReportColumnTexts& columns)
{
    std::string reportFld;
    for (const std::string& column : columns) {
        reportFld += column;
        reportFld += ';';
    }
    return reportFld;
}

} // namespace stencilor
