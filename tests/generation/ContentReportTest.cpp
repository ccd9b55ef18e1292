// SPDX-License-Identifier: GPL-3.0-or-later
#include "generation/ContentReport.h"

#include <gtest/gtest.h>
#include <string>

namespace stencilor {
namespace {

// The lines of `text` ("\n"-separated in the test) as the report holds them, each ending in CR LF.
std::string crlf(std::string_view text)
{
    std::string out;
    for (const char c : text) {
        if (c == '\n')
            out += '\r';
        out += c;
    }
    return out;
}

constexpr std::string_view kNotDefined = "--not defined--;--not defined--;--not defined--;--not defined--;";

TEST(ContentReport, TwoSavedFilesGiveTheWholeReport)
{
    const std::string reportFld = "FileName;Field 2;" + std::string(kNotDefined);
    ContentReport report;
    report.start(reportFld);
    report.addRow(reportFld, "Ann;Moscow;12", ";", "Moscow/card-1.htm");
    report.addRow(reportFld, "Bob;Oslo;7", ";", "Oslo/card-2.htm");
    report.finish();
    EXPECT_EQ(report.text(), crlf(R"(<HTML>
  <TABLE>
    <TR>
<TD> filename and directory </TD>
<TD> Field 2 </TD>




    </TR>
<TR>
      <TD> <a href="Moscow/card-1.htm">card-1.htm</a> </TD>
<TD>Moscow</TD>




    </TR>
<TR>
      <TD> <a href="Oslo/card-2.htm">card-2.htm</a> </TD>
<TD>Oslo</TD>




    </TR>
  </TABLE>
</HTML>
)"));
}

TEST(ContentReport, EmptyColumnsStillGiveLines)
{
    const std::string allEmpty = "--not defined--;--not defined--;" + std::string(kNotDefined);
    // The end of the opening line, six empty cell lines, the closing line.
    const std::string emptyRow = std::string(7, '\n').append("    </TR>\n");
    for (const std::string& reportFld : {allEmpty, std::string()}) {
        SCOPED_TRACE(reportFld);
        ContentReport report;
        report.start(reportFld);
        report.addRow(reportFld, "Ann;Moscow", ";", "card-1.htm");
        report.finish();
        EXPECT_EQ(report.text(),
                  crlf("<HTML>\n  <TABLE>\n    <TR>" + emptyRow + "<TR>" + emptyRow + "  </TABLE>\n</HTML>\n"));
    }
}

TEST(ContentReport, RunWithoutSavedFilesHoldsHeaderAndClosingLines)
{
    const std::string reportFld = "Field 3;FILENAME;" + std::string(kNotDefined);
    ContentReport report;
    report.start(reportFld);
    report.finish();
    EXPECT_EQ(report.text(), crlf("<HTML>\n  <TABLE>\n    <TR>\n<TD> Field 3 </TD>\n"
                                  "<TD> filename and directory </TD>\n\n\n\n\n    </TR>\n  </TABLE>\n</HTML>\n"));
    report.clear();
    EXPECT_TRUE(report.empty());
}

struct CellRow {
    std::string column; // the column text at slot 1
    std::string header;
    std::string record; // for the line "Ann;Moscow;12" and the relative name "Moscow/card-1.htm"
};

TEST(ContentReport, ColumnKindFollowsColumnText)
{
    const std::string link = R"(      <TD> <a href="Moscow/card-1.htm">card-1.htm</a> </TD>)";
    const std::string fileHeader = "<TD> filename and directory </TD>";
    const CellRow rows[] = {
        {"FileName", fileHeader, link},
        {"filename", fileHeader, link},
        {"FILENAME", fileHeader, link},
        {" FileName", "", ""},
        {"FileName ", "", ""},
        {"File Name", "", ""},
        {"Field 2", "<TD> Field 2 </TD>", "<TD>Moscow</TD>"},
        {"Field 03", "<TD> Field 3 </TD>", "<TD>12</TD>"},
        {"Col 3a", "<TD> Field 3 </TD>", "<TD>12</TD>"},
        {"Field 25", "<TD> Field 25 </TD>", "<TD></TD>"},
        {"Field 0", "", ""},
        {"--not defined--", "", ""},
        {"", "", ""},
        {"Field 99999999999", "", ""},
    };
    for (const CellRow& row : rows) {
        SCOPED_TRACE(row.column);
        const std::string reportFld = row.column + ";";
        EXPECT_EQ(BuildReportCell(1, CellMode::Header, reportFld), row.header);
        EXPECT_EQ(BuildReportCell(1, CellMode::Record, reportFld, "Ann;Moscow;12", ";", "Moscow/card-1.htm"),
                  row.record);
    }
}

TEST(ContentReport, CellsTakeTheirSlotLineAndName)
{
    const std::string reportFld = "Field 1;FileName;Field 2;";
    // Each slot reads its own column text; a slot beyond the list is empty.
    EXPECT_EQ(BuildReportCell(3, CellMode::Header, reportFld), "<TD> Field 2 </TD>");
    EXPECT_EQ(BuildReportCell(4, CellMode::Header, reportFld), "");
    EXPECT_EQ(BuildReportCell(6, CellMode::Record, reportFld, "a;b", ";", "x.htm"), "");
    // The record's own delimiter splits it; the value shows as text, whatever it holds.
    EXPECT_EQ(BuildReportCell(3, CellMode::Record, reportFld, "a||<b> & \"c\"||d", "||", "x.htm"),
              "<TD>&lt;b&gt; &amp; &quot;c&quot;</TD>");
    // The link shows the text after the last "/" of the relative name.
    EXPECT_EQ(BuildReportCell(2, CellMode::Record, reportFld, "a", ";", "card-1.htm"),
              R"(      <TD> <a href="card-1.htm">card-1.htm</a> </TD>)");
    // The address is percent-encoded, the link text escaped: any name opens its own file.
    const struct {
        std::string relativeName, cell;
    } links[] = {
        {"2024/North/card 1.htm", R"(      <TD> <a href="2024/North/card%201.htm">card 1.htm</a> </TD>)"},
        {"x\" onmouseover=\"alert(1).htm",
         R"(      <TD> <a href="x%22%20onmouseover%3D%22alert%281%29.htm">x&quot; onmouseover=&quot;alert(1).htm</a> </TD>)"},
        {"javascript:alert(1)", R"(      <TD> <a href="javascript%3Aalert%281%29">javascript:alert(1)</a> </TD>)"},
        {"#1?a=50%/<i>.htm", R"(      <TD> <a href="%231%3Fa%3D50%25/%3Ci%3E.htm">&lt;i&gt;.htm</a> </TD>)"},
        {"Zürich/Ж.htm", R"(      <TD> <a href="Z%C3%BCrich/%D0%96.htm">Ж.htm</a> </TD>)"},
    };
    for (const auto& link : links)
        EXPECT_EQ(BuildReportCell(2, CellMode::Record, reportFld, "a", ";", link.relativeName), link.cell);
}

} // namespace
} // namespace stencilor
