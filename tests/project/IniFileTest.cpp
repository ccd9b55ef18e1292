// SPDX-License-Identifier: GPL-3.0-or-later
#include "project/IniFile.h"

#include "TestUtil.h"
#include "platform/Messages.h"

#include <cstdint>
#include <filesystem>
#include <gtest/gtest.h>
#include <random>
#include <string>
#include <unistd.h>
#include <vector>

namespace stencilor {
namespace {

using test::TempDir;

constexpr std::int32_t kDefault = 42;

// ---------------------------------------------------------------- reading

TEST(IniFileRead, ValuesAreTrimmedAndLoseOnePairOfQuotes)
{
    struct Row {
        std::string raw;
        std::string expected;
    };
    const Row rows[] = {
        {"abc", "abc"},
        {"  abc \t", "abc"},
        {"a b", "a b"},
        {"\"abc\"", "abc"},
        {"'abc'", "abc"},
        {"  \" a b \"  ", " a b "},
        {"\"\"abc\"\"", "\"abc\""},
        {"\"abc'", "\"abc'"},
        {"'abc\"", "'abc\""},
        {"\"", "\""},
        {"'", "'"},
        {"''", ""},
        {"\"\"", ""},
        {"", ""},
        {" ", ""},
        {"a=b=c", "a=b=c"},
        {"x\"", "x\""},
    };
    for (const Row& row : rows) {
        const IniFile ini = IniFile::parse("[s]\nk=" + row.raw + "\n");
        EXPECT_EQ(ini.value("s", "k"), row.expected) << "raw: [" << row.raw << "]";
        EXPECT_EQ(IniFile::decodeValue(row.raw), row.expected) << "raw: [" << row.raw << "]";
    }
}

TEST(IniFileRead, EscapedFormIsUnescapedOnlyAfterTheMarker)
{
    struct Row {
        std::string raw;
        std::string expected;
    };
    const Row rows[] = {
        {"{stencilor-ml}a\\nb", "a\nb"},
        {"{stencilor-ml}a\\r\\nb", "a\r\nb"},
        {"{stencilor-ml}a\\\\nb", "a\\nb"},
        {"\"{stencilor-ml} \\n \"", " \n "},
        {"'{stencilor-ml}x\\n'", "x\n"},
        {"{stencilor-ml}", ""},
        {"{stencilor-ml}a\\tb", "a\\tb"}, // an unknown escape stands for itself
        {"{stencilor-ml}a\\", "a\\"},
        {"x{stencilor-ml}a\\nb", "x{stencilor-ml}a\\nb"},
        {"a\\nb", "a\\nb"},
        {"{STENCILOR-ML}a\\nb", "{STENCILOR-ML}a\\nb"},
    };
    for (const Row& row : rows)
        EXPECT_EQ(IniFile::decodeValue(row.raw), row.expected) << "raw: [" << row.raw << "]";
}

TEST(IniFileRead, LongValuesAreReadWhole)
{
    const std::string longValue(5000, 'v');
    const IniFile ini = IniFile::parse("[s]\nk=" + longValue + "\n");
    EXPECT_EQ(ini.value("s", "k"), longValue);
}

TEST(IniFileRead, NamesMatchWithoutRegardToCase)
{
    const IniFile ini = IniFile::parse("[SeTuP]\nDELIM=,\nrulescount=3\n");
    EXPECT_EQ(ini.value("setup", "delim"), ",");
    EXPECT_EQ(ini.value("SETUP", "Delim"), ",");
    EXPECT_EQ(ini.readInt("setup", "rulesCount", kDefault), 3);
}

TEST(IniFileRead, FirstMatchingSectionAndFirstMatchingKeyWin)
{
    const IniFile ini = IniFile::parse("[s]\nk=1\nK=2\n[other]\nj=5\n[S]\nk=3\nj=4\n");
    EXPECT_EQ(ini.value("s", "k"), "1");
    // Only the first [s] counts: its key j is missing even though a later [S] has one.
    EXPECT_EQ(ini.value("s", "j"), std::nullopt);
    EXPECT_EQ(ini.value("other", "j"), "5");
}

TEST(IniFileRead, KeyLinesAndSectionHeaders)
{
    const IniFile ini = IniFile::parse("top=0\n"
                                       "  [ s ]  \n"
                                       "  k \t = v\n"
                                       "no equals sign here\n"
                                       "; comment\n"
                                       "a=b=c\n"
                                       "[t\n"
                                       "x=1\n");
    EXPECT_EQ(ini.value("s", "top"), std::nullopt) << "lines before the first header belong to no section";
    EXPECT_EQ(ini.value("s", "k"), "v");
    EXPECT_EQ(ini.value("s", "a"), "b=c") << "the key ends at the first =";
    EXPECT_EQ(ini.value("t", "x"), "1") << "a header without ] still opens a section";
    EXPECT_EQ(ini.value("s", "x"), std::nullopt);
}

TEST(IniFileRead, MissingFileSectionOrKeyGivesTheDefault)
{
    TempDir dir;
    const Result<IniFile> missing = IniFile::load(dir.file("none.ini"));
    ASSERT_TRUE(missing.ok());
    EXPECT_FALSE(missing.value().exists());
    EXPECT_EQ(missing.value().readString("s", "k", "def"), "def");

    const IniFile ini = IniFile::parse("[s]\nk=\n");
    EXPECT_TRUE(ini.exists());
    EXPECT_EQ(ini.readString("s", "k", "def"), "") << "an empty value is a value";
    EXPECT_EQ(ini.readString("s", "j", "def"), "def");
    EXPECT_EQ(ini.readString("t", "k", "def"), "def");
    EXPECT_EQ(ini.readInt("s", "k", kDefault), kDefault);
}

TEST(IniFileRead, FileThatCannotBeReadIsAnError)
{
    TempDir dir;
    std::filesystem::create_directory(dir.file("folder.ini"));
    EXPECT_FALSE(IniFile::load(dir.file("folder.ini")).ok());
}

TEST(IniFileRead, BothLineEndStylesAndAByteOrderMark)
{
    const std::string texts[] = {
        "[s]\r\nk=v\r\nj=w\r\n",
        "[s]\nk=v\nj=w\n",
        "[s]\nk=v\r\nj=w",
        "\xEF\xBB\xBF[s]\nk=v\nj=w\n",
        // Stray CRs before a line feed belong to the line end.
        "[s]\nk=v\r\r\nj=w\r\r\r\n",
    };
    for (const std::string& text : texts) {
        const IniFile ini = IniFile::parse(text);
        EXPECT_EQ(ini.value("s", "k"), "v") << text;
        EXPECT_EQ(ini.value("s", "j"), "w") << text;
        // A line written back reads the same: no CR is left to turn into a line end.
        EXPECT_EQ(IniFile::parse(ini.text()).text(), ini.text()) << text;
    }
}

TEST(IniFileRead, IntegersFollowRuleFive)
{
    struct Row {
        std::string raw;
        std::int32_t expected;
    };
    const Row rows[] = {
        {"5", 5},
        {"+5", 5},
        {"-5", -5},
        {"007", 7},
        {"-0", 0},
        {" 7 ", 7},
        {"\"8\"", 8},
        {"0x2", 2},
        {"0X1f", 31},
        {"0x7FFFFFFF", 2147483647},
        {"0x80000000", kDefault},
        {"0xFFFFFFFF", kDefault},
        {"0x", kDefault},
        {"0xg", kDefault},
        {"0x-1", kDefault},
        {"-0x1", kDefault},
        {"$10", 16},
        {"$ff", 255},
        {"$", kDefault},
        {"$-1", kDefault},
        {"-$1", kDefault},
        {"2147483647", 2147483647},
        {"2147483648", kDefault},
        {"-2147483648", -2147483647 - 1},
        {"-2147483649", kDefault},
        {"99999999999999999999", kDefault},
        {"", kDefault},
        {"-", kDefault},
        {"+", kDefault},
        {"abc", kDefault},
        {"5a", kDefault},
        {"1.5", kDefault},
        {"1 2", kDefault},
        {"true", kDefault},
    };
    for (const Row& row : rows) {
        const IniFile ini = IniFile::parse("[s]\nk=" + row.raw + "\n");
        EXPECT_EQ(ini.readInt("s", "k", kDefault), row.expected) << "raw: [" << row.raw << "]";
    }
}

TEST(IniFileRead, FlagsAreNonzeroIntegers)
{
    struct Row {
        std::string raw;
        bool expected;
    };
    const Row rows[] = {
        {"1", true}, {"2", true},     {"-1", true},   {"0x1", true},   {"$1", true},   {"0", false},
        {"", false}, {"true", false}, {"yes", false}, {"TRUE", false}, {"0x0", false},
    };
    for (const Row& row : rows) {
        const IniFile ini = IniFile::parse("[s]\nk=" + row.raw + "\n");
        EXPECT_EQ(ini.readFlag("s", "k"), row.expected) << "raw: [" << row.raw << "]";
    }
    EXPECT_FALSE(IniFile::parse("[s]\n").readFlag("s", "k"));
}

TEST(IniFileRead, SectionValuesMapsLowerCaseKeysOfTheFirstSection)
{
    const IniFile ini = IniFile::parse("[r]\nColFld1=a\ncolfld1=b\n COLTEMP1 = \" x \"\n[R]\nColFld2=c\n");
    const auto values = ini.sectionValues("R");
    EXPECT_EQ(values.size(), 2u);
    EXPECT_EQ(values.at("colfld1"), "a");
    EXPECT_EQ(values.at("coltemp1"), " x ");
    EXPECT_TRUE(ini.sectionValues("missing").empty());
}

// ---------------------------------------------------------------- writing

TEST(IniFileWrite, EncodedFormIsDocumented)
{
    struct Row {
        std::string value;
        std::string stored;
    };
    const Row rows[] = {
        {"", ""},
        {"abc", "abc"},
        {"a b", "a b"},
        {" a", "\" a\""},
        {"a\t", "\"a\t\""},
        {" ", "\" \""},
        {"'x'", "\"'x'\""},
        {"\"x\"", "\"\"x\"\""},
        {"''", "\"''\""},
        {"'", "'"},
        {"\"x", "\"x"},
        {"'x\"", "'x\""},
        {"a\\b", "a\\b"},
        {"a\nb", "{stencilor-ml}a\\nb"},
        {"a\\b\r\n", "{stencilor-ml}a\\\\b\\r\\n"},
        {"\n ", "\"{stencilor-ml}\\n \""},
        {"{stencilor-ml}x", "{stencilor-ml}{stencilor-ml}x"},
        {"{stencilor-ml}", "{stencilor-ml}{stencilor-ml}"},
        {"x{stencilor-ml}", "x{stencilor-ml}"},
    };
    for (const Row& row : rows) {
        EXPECT_EQ(IniFile::encodeValue(row.value), row.stored) << "value: [" << row.value << "]";
        EXPECT_EQ(IniFile::decodeValue(row.stored), row.value) << "value: [" << row.value << "]";
    }
}

// Every byte string survives writeString, text(), parse() and value() exactly.
TEST(IniFileWrite, RoundTripIsExactForRandomStrings)
{
    const std::vector<std::string> alphabet = {"a",
                                               " ",
                                               "\t",
                                               "\"",
                                               "'",
                                               "\\",
                                               "\r",
                                               "\n",
                                               "=",
                                               "[",
                                               "]",
                                               "n",
                                               "r",
                                               ";",
                                               "{stencilor-ml}",
                                               "\\n",
                                               std::string(1, '\0')};
    std::mt19937 random(20240607);
    std::uniform_int_distribution<std::size_t> pick(0, alphabet.size() - 1);
    std::uniform_int_distribution<int> length(0, 10);
    for (int round = 0; round < 20000; ++round) {
        std::string value;
        for (int n = length(random); n > 0; --n)
            value += alphabet[pick(random)];

        const std::string stored = IniFile::encodeValue(value);
        ASSERT_EQ(stored.find_first_of("\r\n"), std::string::npos) << "value: [" << value << "]";
        ASSERT_EQ(IniFile::decodeValue(stored), value) << "stored: [" << stored << "]";

        IniFile ini = IniFile::parse(round % 2 ? "[s]\r\nbefore=1\r\n" : "");
        ini.writeString("s", "key", value);
        ini.writeString("s", "after", "2");
        const IniFile again = IniFile::parse(ini.text());
        ASSERT_EQ(again.value("s", "key"), value) << "file: [" << ini.text() << "]";
        ASSERT_EQ(again.value("s", "after"), "2") << "file: [" << ini.text() << "]";
    }
}

TEST(IniFileWrite, WritingFollowsRuleSeven)
{
    struct Row {
        const char* name;
        std::string before;
        std::string section;
        std::string key;
        std::string value;
        std::string after;
    };
    const Row rows[] = {
        {"new file", "", "s", "k", "v", "[s]\nk=v\n"},
        {"replace in place", "; c\n[s]\na=1\n k = old \nb=2\n", "s", "k", "new", "; c\n[s]\na=1\nk=new\nb=2\n"},
        {"replace first of two", "[s]\nk=1\nk=2\n", "s", "k", "3", "[s]\nk=3\nk=2\n"},
        {"replace in first section", "[s]\nk=1\n[s]\nk=2\n", "s", "k", "3", "[s]\nk=3\n[s]\nk=2\n"},
        {"mixed case found", "[SETUP]\nDELIM=,\n", "setup", "delim", ";", "[SETUP]\ndelim=;\n"},
        {"append after last non-blank line", "[s]\na=1\n\n\n[t]\nb=2\n", "s", "k", "v",
         "[s]\na=1\nk=v\n\n\n[t]\nb=2\n"},
        {"append after a comment", "[s]\na=1\n; note\n\n[t]\n", "s", "k", "v", "[s]\na=1\n; note\nk=v\n\n[t]\n"},
        {"append in empty section", "[s]\n\n[t]\n", "s", "k", "v", "[s]\nk=v\n\n[t]\n"},
        {"append at end of last section", "[t]\nb=2\n[s]\na=1", "s", "k", "v", "[t]\nb=2\n[s]\na=1\nk=v\n"},
        {"missing section at end of file", "x=0\n[t]\nb=2\n\n", "s", "k", "v", "x=0\n[t]\nb=2\n\n[s]\nk=v\n"},
        {"quoted value", "[s]\n", "s", "k", " v ", "[s]\nk=\" v \"\n"},
    };
    for (const Row& row : rows) {
        IniFile ini = IniFile::parse(row.before);
        ini.writeString(row.section, row.key, row.value);
        EXPECT_EQ(ini.text(), row.after) << row.name;
    }
}

TEST(IniFileWrite, FileKeepsItsLineEndStyle)
{
    IniFile crlf = IniFile::parse("[s]\r\na=1\r\n");
    crlf.writeString("s", "b", "2");
    crlf.writeString("t", "c", "3");
    EXPECT_EQ(crlf.text(), "[s]\r\na=1\r\nb=2\r\n[t]\r\nc=3\r\n");

    IniFile lf = IniFile::parse("[s]\na=1\n");
    lf.writeString("s", "b", "2");
    EXPECT_EQ(lf.text(), "[s]\na=1\nb=2\n");

    IniFile fresh;
    fresh.writeString("s", "a", "1");
    EXPECT_EQ(fresh.text(), "[s]\na=1\n");
}

TEST(IniFileWrite, UntouchedFileTextIsKept)
{
    const std::string texts[] = {
        "",
        "; only a comment\n",
        "[s]\r\n  k = v \r\n\r\n; c\r\n[t]\r\nx\r\n",
        "\xEF\xBB\xBF[s]\nk=\"quoted\"\n",
    };
    for (const std::string& text : texts)
        EXPECT_EQ(IniFile::parse(text).text(), text);
}

TEST(IniFileWrite, EraseSectionRemovesHeaderAndLinesUpToNextHeader)
{
    struct Row {
        std::string before;
        std::string after;
    };
    const Row rows[] = {
        {"[a]\nx=1\n[rules]\nColFld1=f\n; c\n\n[b]\ny=2\n", "[a]\nx=1\n[b]\ny=2\n"},
        {"[RULES]\nk=1\n", ""},
        {"[a]\nx=1\n", "[a]\nx=1\n"},
        {"[rules]\nk=1\n[a]\nx=1\n[Rules]\nk=2\n", "[a]\nx=1\n"},
        {"top=1\n[rules]\nk=1\n", "top=1\n"},
    };
    for (const Row& row : rows) {
        IniFile ini = IniFile::parse(row.before);
        ini.eraseSection("rules");
        EXPECT_EQ(ini.text(), row.after) << row.before;
    }
}

TEST(IniFileWrite, ReplaceSectionEqualsEraseThenWriteEachKey)
{
    const std::vector<std::pair<std::string, std::string>> entries = {
        {"ColFld1", "Field 1"}, {"ColTemp1", " %a% "}, {"ColFld2", ""}, {"ColTemp2", "x\ny"}, {"colfld1", "again"}};
    const std::string texts[] = {
        "",
        "[setup]\nk=1\n",
        "[rules]\nColFld9=z\n\n[setup]\nk=1\n\n",
        "[setup]\r\nk=1\r\n[rules]\r\nold=1\r\n[x]\r\n",
    };
    for (const std::string& text : texts) {
        IniFile slow = IniFile::parse(text);
        slow.eraseSection("rules");
        for (const auto& [key, value] : entries)
            slow.writeString("rules", key, value);
        IniFile fast = IniFile::parse(text);
        fast.replaceSection("rules", entries);
        EXPECT_EQ(fast.text(), slow.text()) << text;
    }
}

// ---------------------------------------------------------------- files

TEST(IniFileFile, SaveWritesTheWholeTextAndLeavesNoTemporaryFile)
{
    TempDir dir;
    dir.write("p.ini", "[s]\r\na=1\r\n");
    Result<IniFile> ini = IniFile::load(dir.file("p.ini"));
    ASSERT_TRUE(ini.ok());
    ini.value().writeString("s", "b", "2");
    ASSERT_TRUE(ini.value().save(dir.file("p.ini")).ok());
    EXPECT_EQ(dir.read("p.ini"), "[s]\r\na=1\r\nb=2\r\n");
    std::size_t files = 0;
    for ([[maybe_unused]] const auto& entry : std::filesystem::directory_iterator(dir.path()))
        ++files;
    EXPECT_EQ(files, 1u);
}

TEST(IniFileFile, SaveIntoMissingFolderFailsAndCreatesNothing)
{
    TempDir dir;
    IniFile ini;
    ini.writeString("s", "k", "v");
    const Status status = ini.save(dir.file("missing/p.ini"));
    EXPECT_FALSE(status.ok());
    EXPECT_NE(errorText(status.error()).find("missing/p.ini"), std::string::npos) << errorText(status.error());
    EXPECT_FALSE(std::filesystem::exists(dir.file("missing")));
}

TEST(IniFileFile, SaveWritesThroughASymbolicLink)
{
    TempDir dir;
    dir.write("real.ini", "[s]\nk=1\n");
    std::filesystem::create_symlink(dir.file("real.ini"), dir.file("link.ini"));
    IniFile ini = IniFile::load(dir.file("link.ini")).value();
    ini.writeString("s", "k", "2");
    ASSERT_TRUE(ini.save(dir.file("link.ini")).ok());
    EXPECT_TRUE(std::filesystem::is_symlink(dir.file("link.ini")));
    EXPECT_EQ(dir.read("real.ini"), "[s]\nk=2\n");
}

TEST(IniFileFile, SaveRefusesAReadOnlyFile)
{
    if (::geteuid() == 0)
        GTEST_SKIP() << "root may write every file";
    TempDir dir;
    dir.write("p.ini", "[s]\nk=1\n");
    std::filesystem::permissions(dir.file("p.ini"), std::filesystem::perms::owner_read);
    IniFile ini = IniFile::load(dir.file("p.ini")).value();
    ini.writeString("s", "k", "2");
    EXPECT_FALSE(ini.save(dir.file("p.ini")).ok());
    EXPECT_EQ(dir.read("p.ini"), "[s]\nk=1\n");
}

} // namespace
} // namespace stencilor
