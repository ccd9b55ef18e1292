// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "datasource/RecordFields.h"

#include <string>
#include <string_view>
#include <vector>

namespace stencilor {

// The report's file name, in the output folder (or the archive).
inline constexpr std::string_view kReportFileName = "report.html";

// The report's lines go to its file in blocks of about this size.
inline constexpr std::size_t kReportBlock = std::size_t{1} << 16;

enum class CellMode { Header, Record };

// Appends `text` to `out` with "&", "<", ">" and '"' written as "&amp;", "&lt;", "&gt;" and
// "&quot;", so any value shows as text in a page and inside a quoted attribute.
void appendHtmlEscaped(std::string& out, std::string_view text);

// The same, and "'" written as "&#39;": for values inserted into an HTML template, which may
// stand inside an attribute in either kind of quotes.
void appendHtmlValueEscaped(std::string& out, std::string_view text);

// One cell line of the report for column k (1..6) as chosen by `reportFld` (six ";"-terminated
// column texts): the file link column for "filename" in any case, field column n when the text's
// digits give n > 0, otherwise the empty text. In record mode the field cell takes field n of
// `recordLine` split by `delim`, HTML-escaped, and the link cell `relativeName`: its address
// percent-encoded (every byte but A-Z a-z 0-9 - . _ ~ /), its text (the part after the last "/")
// HTML-escaped, so every link opens its file whatever the name holds.
std::string BuildReportCell(int k, CellMode mode, std::string_view reportFld, std::string_view recordLine = {},
                            std::string_view delim = {}, std::string_view relativeName = {});
// The same with the record's fields already cut (plain or quoted).
std::string BuildReportCell(int k, CellMode mode, std::string_view reportFld, const RecordFields& record,
                            std::string_view relativeName);
// The record cell of a column whose text is `column`: the link to `relativeName` for the file
// column, `value` HTML-escaped for a field column, the empty text for any other. Every record cell
// of a report is made here, by a run from the record's fields and by --merge-report from the
// values a manifest keeps, so that a manifest never carries markup into a report.
std::string reportRecordCell(std::string_view column, std::string_view value, std::string_view relativeName);
// What a record shows in the report besides its name: the field of each field column of
// `reportFld`, in column order (reportValueCount of them).
std::vector<std::string> reportValues(std::string_view reportFld, const RecordFields& record);
std::size_t reportValueCount(std::string_view reportFld);

// The lines of report.html as a run makes them, collected as one text with CR LF line ends; a run
// takes the text in blocks (text(), then clear()) so that it never holds the whole report.
class ContentReport final {
public:
    // The opening lines with the header row made from `reportFld`.
    void start(std::string_view reportFld);
    // One record row for a saved file.
    void addRow(std::string_view reportFld, std::string_view recordLine, std::string_view delim,
                std::string_view relativeName);
    void addRow(std::string_view reportFld, const RecordFields& record, std::string_view relativeName);
    // One record row from the values reportValues gave (reportValueCount of them).
    void addRowValues(std::string_view reportFld, const std::vector<std::string>& values,
                      std::string_view relativeName);
    // The closing lines.
    void finish();

    // Everything appended so far, every line followed by CR LF.
    const std::string& text() const { return m_text; }
    bool empty() const { return m_text.empty(); }
    void clear() { m_text.clear(); }

private:
    void appendLine(std::string_view line);
    std::string m_text;
};

} // namespace stencilor
