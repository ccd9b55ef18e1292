// SPDX-License-Identifier: GPL-3.0-or-later
#include "generation/CaseMapping.h"

#include <gtest/gtest.h>
#include <string>

namespace stencilor {
namespace {

struct CaseRow {
    std::string input;
    std::string lower;
    std::string upper;
    std::string sentence;
};

TEST(CaseMapping, MapsEveryCodePointAndKeepsInvalidBytes)
{
    const CaseRow rows[] = {
        {"", "", "", ""},
        {"Smith.HTM", "smith.htm", "SMITH.HTM", "Smith.htm"},
        {"example-F1.htm", "example-f1.htm", "EXAMPLE-F1.HTM", "Example-f1.htm"},
        {"2024/-_ 7", "2024/-_ 7", "2024/-_ 7", "2024/-_ 7"},
        // Cyrillic and accented Latin letters change too.
        {"Привет МИР", "привет мир", "ПРИВЕТ МИР", "Привет мир"},
        {"123 élan VITAL", "123 élan vital", "123 ÉLAN VITAL", "123 Élan vital"},
        {"ÉLAN vital", "élan vital", "ÉLAN VITAL", "Élan vital"},
        // The first letter may sit behind a folder of digits.
        {"2024/smith.HTM", "2024/smith.htm", "2024/SMITH.HTM", "2024/Smith.htm"},
        // Simple mappings only: no final sigma, no "SS" for the sharp s.
        {"ΣΟΦΟΣ", "σοφοσ", "ΣΟΦΟΣ", "Σοφοσ"},
        {"straße", "straße", "STRAßE", "Straße"},
        // One code point may change its byte length (dotless i, long s).
        {"ıſ", "ıſ", "IS", "Iſ"},
        // Bytes outside a valid sequence stay exactly as they are.
        {"a\xFF"
         "B\xC3",
         "a\xFF"
         "b\xC3",
         "A\xFF"
         "B\xC3",
         "A\xFF"
         "b\xC3"},
        {"\xC0\xAF"
         "Ab",
         "\xC0\xAF"
         "ab",
         "\xC0\xAF"
         "AB",
         "\xC0\xAF"
         "Ab"},
        {"\xED\xA0\x80x\x80Y", "\xED\xA0\x80x\x80y", "\xED\xA0\x80X\x80Y", "\xED\xA0\x80X\x80y"},
        {"\xD0", "\xD0", "\xD0", "\xD0"},
    };
    for (const CaseRow& row : rows) {
        SCOPED_TRACE(row.input);
        EXPECT_EQ(toLowerCase(row.input), row.lower);
        EXPECT_EQ(toUpperCase(row.input), row.upper);
        EXPECT_EQ(toSentenceCase(row.input), row.sentence);
    }
}

} // namespace
} // namespace stencilor
