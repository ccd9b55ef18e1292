// SPDX-License-Identifier: GPL-3.0-or-later
#include "datasource/DataFileWarnings.h"

#include "TestUtil.h"

#include <gtest/gtest.h>

namespace stencilor {
namespace {

TEST(DataFileWarnings, TellWhatARunWouldReadDifferently)
{
    const struct {
        const char* what;
        std::string data;
        bool quotes;
        std::string encoding;
        std::vector<std::string> texts;
        std::string delim = ";";
    } cases[] = {
        {"clean", "id;name\n1;Ann\n", false, "", {}},
        {"a byte-order mark",
         "\xEF\xBB\xBFid;name\n",
         false,
         "",
         {"the data file starts with a byte-order mark, which becomes part of its first field (encoding=auto drops "
          "it)"}},
        {"a mark with an encoding set", "\xEF\xBB\xBFid;name\n", false, "auto", {}},
        {"Latin-1 lines",
         "ok\nZ\xFCrich\nK\xF6ln\n",
         false,
         "",
         {"2 lines are not valid UTF-8, the first is line 2 (the file looks like ISO-8859-1); encoding=auto or "
          "encoding=NAME decodes it"}},
        {"quoted delimiters with quotes off",
         "1;\"Smith; John\";x\n2;\"open\nline\";y\n3;\"plain\"\n",
         false,
         "",
         {"2 lines hold a delimiter or an open quote inside double quotes, the first is line 1; quotes=1 reads quoted "
          "fields whole"}},
        {"doubled quotes: a delimiter inside and one outside",
         "\"a\"\"b;c\"\n\"a\"\"\";b\n\"ab\"x;y\nx\"y;z\n\"end\"",
         false,
         "",
         {"1 line holds a delimiter or an open quote inside double quotes, the first is line 1; quotes=1 reads quoted "
          "fields whole"}},
        {"a delimiter of two bytes",
         "a::\"b:c\"::d\n\"x:\"\"::y\"::z\n\"a:\":b\n",
         false,
         "",
         {"1 line holds a delimiter or an open quote inside double quotes, the first is line 2; quotes=1 reads quoted "
          "fields whole"},
         "::"},
        {"quoted delimiters with quotes on", "1;\"Smith; John\";x\n", true, "", {}},
        {"a NUL before the last line",
         std::string("a\nb\0c\nd\n", 8),
         false,
         "",
         {"the data file ends at a NUL byte in line 2; 4 bytes after it are not read"}},
        {"a NUL at a line's start",
         std::string("a\n\0rest", 7),
         false,
         "",
         {"the data file ends at a NUL byte in line 2; 4 bytes after it are not read"}},
        {"only line ends after a NUL", std::string("a\0\r\n", 4), false, "", {}},
        // With an encoding the decoded text is looked at: the zero bytes of UTF-16 are no NUL.
        {"UTF-16 text", std::string("\xFF\xFEi\0d\0\n\0\x31\0\n\0", 12), false, "UTF-16", {}},
        {"a NUL in UTF-16 text",
         std::string("a\0\n\0\0\0b\0", 8),
         false,
         "UTF-16LE",
         {"the data file ends at a NUL byte in line 2; 1 byte after it are not read"}},
    };
    // Lines longer than a block are looked at in pieces: every cut gives the same warnings.
    for (const auto& c : cases) {
        test::TempDir dir;
        dir.write("d.csv", c.data);
        for (const std::size_t block : {1u, 2u, 3u, 7u, 1u << 20})
            EXPECT_EQ(warningTexts(scanDataFile(dir.file("d.csv"), c.delim, c.quotes, c.encoding, block)), c.texts)
                << c.what << " block " << block;
    }
}

} // namespace
} // namespace stencilor
