// SPDX-License-Identifier: GPL-3.0-or-later
// The content report on any column list, record lines, delimiter and relative names: the text is
// exactly the documented lines, built here from a plain reference of the column rules, with every
// value HTML-escaped and every link address percent-encoded.

#include "FuzzSupport.h"
#include "generation/ContentReport.h"

#include <cctype>
#include <cstdio>
#include <fuzzer/FuzzedDataProvider.h>
#include <string>
#include <vector>

using namespace stencilor;

namespace {

// Field k (1 or more) of `line` split by `delim`, compared at every position.
std::string_view referenceField(std::string_view line, std::string_view delim, std::uint64_t k)
{
    if (delim.empty())
        return k <= 1 ? line : std::string_view();
    std::uint64_t field = 1;
    std::size_t start = 0;
    for (std::size_t i = 0; i + delim.size() <= line.size();) {
        if (line.compare(i, delim.size(), delim) != 0) {
            ++i;
            continue;
        }
        if (field == k)
            return line.substr(start, i - start);
        ++field;
        i += delim.size();
        start = i;
    }
    return field == k ? line.substr(start) : std::string_view();
}

struct Column {
    enum Kind { File, Field, Empty } kind = Empty;
    std::uint64_t field = 0;
};

Column column(std::string_view reportFld, int k)
{
    const std::string_view text = referenceField(reportFld, ";", static_cast<std::uint64_t>(k));
    std::string lower;
    for (char c : text)
        lower += (c >= 'A' && c <= 'Z') ? static_cast<char>(c + 32) : c;
    if (lower == "filename")
        return {Column::File};
    std::uint64_t n = 0;
    for (char c : text) {
        if (c < '0' || c > '9')
            continue;
        n = n * 10 + static_cast<std::uint64_t>(c - '0');
        if (n > 2147483647)
            return {};
    }
    return n > 0 ? Column{Column::Field, n} : Column{};
}

// The line ends of a run's record lines and names never reach the report; lines hold none.
std::string oneLine(std::string text)
{
    std::erase_if(text, [](char c) { return c == '\r' || c == '\n' || c == '\0'; });
    return text;
}

std::string escaped(std::string_view text)
{
    std::string out;
    for (char c : text) {
        if (c == '&')
            out += "&amp;";
        else if (c == '<')
            out += "&lt;";
        else if (c == '>')
            out += "&gt;";
        else if (c == '"')
            out += "&quot;";
        else
            out += c;
    }
    return out;
}

std::string percentEncoded(std::string_view text)
{
    std::string out;
    for (unsigned char c : text) {
        if (std::isalnum(c) || c == '-' || c == '.' || c == '_' || c == '~' || c == '/') {
            out += static_cast<char>(c);
        } else {
            char hex[4];
            std::snprintf(hex, sizeof hex, "%%%02X", c);
            out += hex;
        }
    }
    return out;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    FuzzedDataProvider input(data, size);
    const std::string reportFld = input.ConsumeRandomLengthString(120);
    const std::string delim = input.ConsumeRandomLengthString(3);
    struct Row {
        std::string line, relativeName;
    };
    std::vector<Row> rows(input.ConsumeIntegralInRange<std::size_t>(0, 4));
    for (Row& row : rows) {
        row.relativeName = oneLine(input.ConsumeRandomLengthString(40));
        row.line = oneLine(input.ConsumeRandomLengthString(200));
    }

    ContentReport report;
    report.start(reportFld);
    for (const Row& row : rows)
        report.addRow(reportFld, row.line, delim, row.relativeName);
    report.finish();

    std::string expected = "<HTML>\r\n  <TABLE>\r\n    <TR>\r\n";
    for (int k = 1; k <= 6; ++k) {
        const Column c = column(reportFld, k);
        if (c.kind == Column::File)
            expected += "<TD> filename and directory </TD>";
        else if (c.kind == Column::Field)
            expected += "<TD> Field " + std::to_string(c.field) + " </TD>";
        expected += "\r\n";
    }
    expected += "    </TR>\r\n";
    for (const Row& row : rows) {
        expected += "<TR>\r\n";
        for (int k = 1; k <= 6; ++k) {
            const Column c = column(reportFld, k);
            if (c.kind == Column::File) {
                const std::string_view name =
                    std::string_view(row.relativeName).substr(row.relativeName.rfind('/') + 1);
                expected +=
                    "      <TD> <a href=\"" + percentEncoded(row.relativeName) + "\">" + escaped(name) + "</a> </TD>";
            } else if (c.kind == Column::Field) {
                expected += "<TD>" + escaped(referenceField(row.line, delim, c.field)) + "</TD>";
            }
            expected += "\r\n";
        }
        expected += "    </TR>\r\n";
    }
    expected += "  </TABLE>\r\n</HTML>\r\n";
    fuzz::checkEqual(report.text(), expected, "the report's lines");
    return 0;
}
