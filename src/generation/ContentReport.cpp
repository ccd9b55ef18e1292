// SPDX-License-Identifier: GPL-3.0-or-later
#include "generation/ContentReport.h"

#include "datasource/Fields.h"
#include "platform/FileSystem.h"

namespace stencilor {

namespace {

constexpr int kColumnCount = 6;

// "FileName" in any letter case of A-Z, with nothing around it.
bool isFileColumn(std::string_view text)
{
    constexpr std::string_view kName = "filename";
    if (text.size() != kName.size())
        return false;
    for (std::size_t i = 0; i < text.size(); ++i) {
        char c = text[i];
        if (c >= 'A' && c <= 'Z')
            c = static_cast<char>(c - 'A' + 'a');
        if (c != kName[i])
            return false;
    }
    return true;
}

} // namespace

void appendHtmlEscaped(std::string& out, std::string_view text)
{
    for (char c : text) {
        switch (c) {
        case '&':
            out += "&amp;";
            break;
        case '<':
            out += "&lt;";
            break;
        case '>':
            out += "&gt;";
            break;
        case '"':
            out += "&quot;";
            break;
        default:
            out += c;
        }
    }
}

void appendHtmlValueEscaped(std::string& out, std::string_view text)
{
    for (std::size_t start = 0;;) {
        const std::size_t quote = text.find('\'', start);
        appendHtmlEscaped(out, text.substr(start, quote == std::string_view::npos ? quote : quote - start));
        if (quote == std::string_view::npos)
            return;
        out += "&#39;";
        start = quote + 1;
    }
}

std::string BuildReportCell(int k, CellMode mode, std::string_view reportFld, std::string_view recordLine,
                            std::string_view delim, std::string_view relativeName)
{
    return BuildReportCell(k, mode, reportFld, RecordFields(recordLine, delim, false), relativeName);
}

std::string BuildReportCell(int k, CellMode mode, std::string_view reportFld, const RecordFields& record,
                            std::string_view relativeName)
{
    const std::string_view column = GetField(reportFld, ";", k);
    if (mode == CellMode::Header) {
        if (isFileColumn(column))
            return "<TD> filename and directory </TD>";
        const int field = DigitsToInt(column);
        return field > 0 ? "<TD> Field " + std::to_string(field) + " </TD>" : std::string();
    }
    const int field = isFileColumn(column) ? 0 : DigitsToInt(column);
    return reportRecordCell(column, field > 0 ? record.field(field) : std::string_view(), relativeName);
}

std::string reportRecordCell(std::string_view column, std::string_view value, std::string_view relativeName)
{
    if (isFileColumn(column)) {
        std::string cell = "      <TD> <a href=\"";
        cell += percentEncodePath(relativeName);
        cell += "\">";
        appendHtmlEscaped(cell, fileNamePart(relativeName));
        cell += "</a> </TD>";
        return cell;
    }
    if (DigitsToInt(column) <= 0)
        return {};
    std::string cell = "<TD>";
    appendHtmlEscaped(cell, value);
    cell += "</TD>";
    return cell;
}

std::vector<std::string> reportValues(std::string_view reportFld, const RecordFields& record)
{
    std::vector<std::string> values;
    for (int k = 1; k <= kColumnCount; ++k) {
        const std::string_view column = GetField(reportFld, ";", k);
        if (const int field = DigitsToInt(column); field > 0 && !isFileColumn(column))
            values.emplace_back(record.field(field));
    }
    return values;
}

std::size_t reportValueCount(std::string_view reportFld)
{
    std::size_t count = 0;
    for (int k = 1; k <= kColumnCount; ++k) {
        const std::string_view column = GetField(reportFld, ";", k);
        if (DigitsToInt(column) > 0 && !isFileColumn(column))
            ++count;
    }
    return count;
}

void ContentReport::start(std::string_view reportFld)
{
    appendLine("<HTML>");
    appendLine("  <TABLE>");
    appendLine("    <TR>");
    for (int k = 1; k <= kColumnCount; ++k)
        appendLine(BuildReportCell(k, CellMode::Header, reportFld));
    appendLine("    </TR>");
}

void ContentReport::addRow(std::string_view reportFld, std::string_view recordLine, std::string_view delim,
                           std::string_view relativeName)
{
    addRow(reportFld, RecordFields(recordLine, delim, false), relativeName);
}

void ContentReport::addRow(std::string_view reportFld, const RecordFields& record, std::string_view relativeName)
{
    appendLine("<TR>");
    for (int k = 1; k <= kColumnCount; ++k)
        appendLine(BuildReportCell(k, CellMode::Record, reportFld, record, relativeName));
    appendLine("    </TR>");
}

void ContentReport::addRowValues(std::string_view reportFld, const std::vector<std::string>& values,
                                 std::string_view relativeName)
{
    appendLine("<TR>");
    std::size_t next = 0;
    for (int k = 1; k <= kColumnCount; ++k) {
        const std::string_view column = GetField(reportFld, ";", k);
        const bool shows = DigitsToInt(column) > 0 && !isFileColumn(column) && next < values.size();
        appendLine(
            reportRecordCell(column, shows ? std::string_view(values[next++]) : std::string_view(), relativeName));
    }
    appendLine("    </TR>");
}

void ContentReport::finish()
{
    appendLine("  </TABLE>");
    appendLine("</HTML>");
}

void ContentReport::appendLine(std::string_view line)
{
    m_text += line;
    m_text += "\r\n";
}

} // namespace stencilor
