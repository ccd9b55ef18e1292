// SPDX-License-Identifier: GPL-3.0-or-later
#include "generation/ReportColumns.h"

#include "generation/ContentReport.h"

#include <gtest/gtest.h>
#include <string>

namespace stencilor {
namespace {

const std::string kNotDefined = "--not defined--";

TEST(ReportColumns, ReadsSixColumnsOfTheStoredText)
{
    const struct {
        std::string reportFld;
        ReportColumnTexts columns;
    } cases[] = {
        {"", {"", "", "", "", "", ""}},
        {"FileName;Field 2", {"FileName", "Field 2", "", "", "", ""}},
        {"FileName;--not defined--;--not defined--;--not defined--;--not defined--;--not defined--;",
         {"FileName", kNotDefined, kNotDefined, kNotDefined, kNotDefined, kNotDefined}},
        // Texts are taken as they stand: blanks and letter case stay.
        {" filename ;Field 3 ;;x;;y;", {" filename ", "Field 3 ", "", "x", "", "y"}},
        // Only the first six fields count.
        {"1;2;3;4;5;6;7;8;", {"1", "2", "3", "4", "5", "6"}},
    };
    for (const auto& c : cases)
        EXPECT_EQ(reportColumnTexts(c.reportFld), c.columns) << c.reportFld;
}

TEST(ReportColumns, ConfirmingWithoutChangesRewritesTheSixFieldForm)
{
    const struct {
        std::string before;
        std::string after;
    } cases[] = {
        {"", ";;;;;;"},
        {"FileName;Field 2", "FileName;Field 2;;;;;"},
        {"FileName;Field 2;;;;;", "FileName;Field 2;;;;;"},
        {"a;b;c;d;e;f;g;h;", "a;b;c;d;e;f;"},
        {"FileName;--not defined--;--not defined--;--not defined--;--not defined--;--not defined--;",
         "FileName;--not defined--;--not defined--;--not defined--;--not defined--;--not defined--;"},
    };
    for (const auto& c : cases)
        EXPECT_EQ(buildReportFld(reportColumnTexts(c.before)), c.after) << c.before;
}

TEST(ReportColumns, ATypedSemicolonShiftsTheFollowingColumns)
{
    ReportColumnTexts columns = reportColumnTexts("FileName;Field 2;Field 3;Field 4;Field 5;Field 6;");
    columns[0] = "Field 1;Field 2";
    const std::string reportFld = buildReportFld(columns);
    EXPECT_EQ(reportFld, "Field 1;Field 2;Field 2;Field 3;Field 4;Field 5;Field 6;");
    // Read back, the former column 6 has dropped out of use.
    const ReportColumnTexts readBack{"Field 1", "Field 2", "Field 2", "Field 3", "Field 4", "Field 5"};
    EXPECT_EQ(reportColumnTexts(reportFld), readBack);
}

TEST(ReportColumns, TheReportReadsTheBuiltTextColumnByColumn)
{
    // "filename" typed in lower case is the link column just as the list entry "FileName".
    const std::string reportFld = buildReportFld({"filename", "Field 2", kNotDefined, "FileName", "", "Field 1"});
    const std::string record = "a;b;c";
    const std::string expected[] = {
        BuildReportCell(1, CellMode::Record, "FileName;", record, ";", "x/y.htm"),
        BuildReportCell(1, CellMode::Record, "Field 2;", record, ";", "x/y.htm"),
        BuildReportCell(1, CellMode::Record, ";", record, ";", "x/y.htm"),
        BuildReportCell(1, CellMode::Record, "FileName;", record, ";", "x/y.htm"),
        BuildReportCell(1, CellMode::Record, ";", record, ";", "x/y.htm"),
        BuildReportCell(1, CellMode::Record, "Field 1;", record, ";", "x/y.htm"),
    };
    for (int k = 1; k <= kReportColumnCount; ++k)
        EXPECT_EQ(BuildReportCell(k, CellMode::Record, reportFld, record, ";", "x/y.htm"), expected[k - 1]) << k;
    EXPECT_NE(expected[0], expected[2]);
}

} // namespace
} // namespace stencilor
