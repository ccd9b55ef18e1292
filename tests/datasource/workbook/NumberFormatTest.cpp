// SPDX-License-Identifier: GPL-3.0-or-later
#include "datasource/workbook/NumberFormat.h"

#include "datasource/workbook/DecimalText.h"

#include <gtest/gtest.h>

namespace stencilor {
namespace {

struct Shown {
    const char* code;
    double value;
    const char* expected;
};

std::string shown(std::string_view code, double value, DateSystem dates = DateSystem::From1900)
{
    std::string out;
    NumberFormat(code).appendNumber(value, dates, out);
    return out;
}

// What the office suite's CSV export ("as shown") writes for these values, and for the dates of
// the 1900 system before March 1900 what the original spreadsheet showed.
TEST(NumberFormat, ShowsNumbersAsTheOfficeSuiteExportsThem)
{
    const Shown rows[] = {
        // General: 15 significant digits, fixed from 1E-4 up to 2^53 (down to 1E-9 while the
        // digits end within 16 decimals), else scientific with a 3-digit positive exponent.
        {"General", 0, "0"},
        {"General", -1, "-1"},
        {"General", 1234567.891, "1234567.891"},
        {"General", 1.0 / 3, "0.333333333333333"},
        {"General", 0.1 + 0.2, "0.3"},
        {"General", 1e20, "1E+020"},
        {"General", -1e16, "-1E+016"},
        {"General", 1e-7, "0.0000001"},
        {"General", 1.2345678e-9, "0.0000000012345678"},
        {"General", 1.234567891e-9, "1.234567891E-09"},
        {"General", 1e-10, "1E-10"},
        {"General", 0.000123456789012345, "0.000123456789012345"},
        {"General", 1.234567890123456e-5, "1.23456789012346E-05"},
        {"General", 1234567890123456.8, "1234567890123457"},
        {"General", 9007199254740991.0, "9007199254740991"},
        {"General", 9.5e15, "9.5E+015"},
        {"General", 12345678901234567.0, "1.23456789012346E+016"},
        {"General", 0.1234567890123455, "0.123456789012346"},
        // Digits, rounded half away from zero from the 16 significant digits the suite shows.
        {"0", 1234.5678, "1235"},
        {"0", -0.4, "0"},
        {"0", 100.4999999999999, "100"},
        {"0.00", 1.005, "1.01"},
        {"0.00", 1.0049999999999994, "1.00"},
        {"0.00", 0.125, "0.13"},
        {"0.00", -0.4, "-0.40"},
        {"#,##0", 1234567.891, "1,234,568"},
        {"#,##0.00", -1234.5678, "-1,234.57"},
        {"#,##0.00", 1428571428571428.5, "1,428,571,428,571,428.00"},
        {"#,##0,", 1234567, "1,235"},
        {"0.0,,\" M\"", 12345678, "12.3 M"},
        {"#.##", 0.5, ".5"},
        {".00", 12.5, "12.50"},
        {"#", 0, ""},
        {"0.0#", 2, "2.0"},
        {"???.??", 1.5, "  1.5 "},
        {"000-00-0000", 123456789, "123-45-6789"},
        {"0%", 0.125, "13%"},
        {"0.00%", 0.125, "12.50%"},
        {"0.00%", -0.4, "-40.00%"},
        {"0.00E+00", 1234.5678, "1.23E+03"},
        {"0.00E+00", 0.125, "1.25E-01"},
        {"0.00E+00", 9.999, "1.00E+01"},
        {"##0.0E+0", 0.125, "125.0E-3"},
        {"##0.0E+0", 12345678.9, "12.3E+6"},
        // Sections, literal text, blanks for "_x", currencies, colours.
        {"#,##0_);(#,##0)", 1, "1 "},
        {"#,##0_);(#,##0)", -0.4, "(0)"},
        {"\"$\"#,##0.00_);(\"$\"#,##0.00)", -1234.5678, "($1,234.57)"},
        {"_(* #,##0_);_(* \\(#,##0\\);_(* \"-\"_);_(@_)", 0, " - "},
        {"_(* #,##0_);_(* \\(#,##0\\);_(* \"-\"_);_(@_)", -1234, " (1,234)"},
        {"[$€-407] #,##0.00;[RED]-[$€-407] #,##0.00", -5.5, "-€ 5.50"},
        {"[$-409]0.00", 2, "2.00"},
        {"[Blue]0;[Color10]-0", -3, "-3"},
        {"0;-0;\"zero\"", 0, "zero"},
        {"0;-0;;@", 0, ""},
        {"\"TRUE\";\"TRUE\";\"FALSE\"", 0, "FALSE"},
        {"\"Total: \"General", 12.5, "Total: 12.5"},
        {"0 \\h", 3, "3 h"},
        // Dates and times.
        {"yyyy-mm-dd", 45302, "2024-01-11"},
        {"dd.mm.yyyy hh:mm", 45302.75, "11.01.2024 18:00"},
        {"m/d/yyyy", 45302.75, "1/11/2024"},
        {"d-mmm-yy", 45302, "11-Jan-24"},
        {"dddd, mmmm d, yyyy", 45302, "Thursday, January 11, 2024"},
        {"ddd mmmmm", 45302, "Thu J"},
        {"h:mm AM/PM", 1234.5678, "1:37 PM"},
        {"hh:mm:ss am/pm", 0, "12:00:00 am"},
        {"h:mm A/P", 0.75, "6:00 P"},
        // A time of day shows the second it has begun; its digits are taken to the millisecond.
        {"h:mm:ss", 0.432199074074074, "10:22:22"},
        {"h:mm:ss", 0.999999, "23:59:59"},
        {"h:mm", 45302.999999, "23:59"},
        {"h:mm:ss.0", 0.5000057, "12:00:00.5"},
        {"h:mm:ss.0", 0.9999999, "23:59:59.9"},
        {"mm:ss", 1234.5678, "37:37"},
        // With a date, only the last half second before midnight is the next day.
        {"yyyy-mm-dd hh:mm:ss", 45302.999995, "2024-01-12 00:00:00"},
        {"yyyy-mm-dd hh:mm", 45302.499999, "2024-01-11 11:59"},
        {"yyyy-mm-dd", 45302.9999999, "2024-01-11"},
        // Elapsed time is rounded to the second.
        {"[h]:mm:ss", 1234.5678, "29629:37:38"},
        {"[h]:mm", 0.999999, "24:00"},
        {"[h]:mm", 1234.5678, "29629:37"},
        {"[mm]:ss", 0.500005787, "720:00"},
        {"[h]:mm:ss", -1, "-24:00:00"},
        // The 1900 system's day 60 is 1900-02-29, and day 0 is 1900-01-00.
        {"yyyy-mm-dd", 61, "1900-03-01"},
        {"yyyy-mm-dd", 60, "1900-02-29"},
        {"yyyy-mm-dd", 59, "1900-02-28"},
        {"yyyy-mm-dd ddd", 1, "1900-01-01 Sun"},
        {"yyyy-mm-dd", 0, "1900-01-00"},
        {"yyyy-mm-dd", -1, "1899-12-29"},
    };
    for (const Shown& row : rows)
        EXPECT_EQ(shown(row.code, row.value), row.expected) << row.code << " with " << row.value;
}

TEST(NumberFormat, CountsDaysFrom1904InThe1904System)
{
    EXPECT_EQ(shown("yyyy-mm-dd dddd", 0, DateSystem::From1904), "1904-01-01 Friday");
    EXPECT_EQ(shown("yyyy-mm-dd", 45302 - 1462, DateSystem::From1904), "2024-01-11");
    EXPECT_EQ(shown("yyyy-mm-dd", 60, DateSystem::From1904), "1904-03-01");
}

// A code with parts that cannot be rendered shows the value as General and says so; the codes
// that are understood say they are.
TEST(NumberFormat, ShowsWhatItDoesNotUnderstandAsGeneral)
{
    for (const char* code :
         {"# ?/?",
          "# ?"
          "?/?"
          "?",
          "0/100", "[>100]0;0", "[DBNum1]0", "B2yyyy-mm-dd", "0 x", "ggg e", "0.0 yyyy", "0;0;0;@;0"}) {
        const NumberFormat format(code);
        EXPECT_FALSE(format.understood()) << code;
        std::string out;
        format.appendNumber(1234.5, DateSystem::From1900, out);
        EXPECT_EQ(out, "1234.5") << code;
    }
    for (const char* code : {"General", "0.00", "[h]:mm", "@", "\"x\"", "[$USD] 0"})
        EXPECT_TRUE(NumberFormat(code).understood()) << code;
    EXPECT_FALSE(NumberFormat::notUnderstood().understood());
}

TEST(NumberFormat, ShowsTextThroughItsTextSection)
{
    const struct {
        const char* code;
        const char* expected;
    } rows[] = {
        {"General", "abc"},
        {"@", "abc"},
        {"0.00", "abc"},
        {"\"Name: \"@", "Name: abc"},
        {"_(* #,##0_);_(* \\(#,##0\\);_(* \"-\"_);_(@_)", " abc "},
        {"0;-0;0;[Red]\"<\"@\">\"", "<abc>"},
    };
    for (const auto& row : rows) {
        std::string out;
        NumberFormat(row.code).appendText("abc", out);
        EXPECT_EQ(out, row.expected) << row.code;
    }
    // A number in a format whose only section is for text shows as General.
    EXPECT_EQ(shown("@", 0.5), "0.5");
}

TEST(NumberFormat, ReadsIsoDatesAsDayNumbers)
{
    const struct {
        const char* text;
        DateSystem dates;
        double serial;
    } rows[] = {
        {"2024-01-11T18:00:00", DateSystem::From1900, 45302.75},
        {"2024-01-11", DateSystem::From1900, 45302},
        {"1900-02-28", DateSystem::From1900, 59},
        {"1900-03-01", DateSystem::From1900, 61},
        {"1904-01-02", DateSystem::From1904, 1},
    };
    for (const auto& row : rows) {
        double serial = -1;
        EXPECT_TRUE(serialFromIsoDate(row.text, row.dates, serial)) << row.text;
        EXPECT_DOUBLE_EQ(serial, row.serial) << row.text;
    }
    double serial = 0;
    for (const char* text : {"", "2024-1-11", "2024-13-01", "2024-01-11X10:00:00", "yesterday"})
        EXPECT_FALSE(serialFromIsoDate(text, DateSystem::From1900, serial)) << text;
}

TEST(NumberFormat, BuiltInFormatsAreTheSuitesEnglishOnes)
{
    EXPECT_EQ(shown(builtInFormatCode(14), 45302), "1/11/2024");
    EXPECT_EQ(shown(builtInFormatCode(22), 45302.75), "1/11/2024 18:00");
    EXPECT_EQ(shown(builtInFormatCode(4), 1234567.891), "1,234,567.89");
    EXPECT_EQ(shown(builtInFormatCode(10), 0.125), "12.50%");
    EXPECT_EQ(shown(builtInFormatCode(8), -0.4), "($0.40)");
    EXPECT_EQ(shown(builtInFormatCode(47), 1234.5678), "37:37.9");
    EXPECT_TRUE(builtInFormatCode(23).empty());
}

} // namespace
} // namespace stencilor
