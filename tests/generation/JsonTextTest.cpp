// SPDX-License-Identifier: GPL-3.0-or-later
#include "generation/JsonText.h"

#include <gtest/gtest.h>
#include <random>

namespace stencilor {
namespace {

TEST(JsonText, StringsKeepEveryByte)
{
    const struct {
        std::string bytes, json;
    } cases[] = {
        {"plain", "\"plain\""},
        {"a \"b\" \\ c", "\"a \\\"b\\\" \\\\ c\""},
        {"line\r\nbreak\ttab\x01\x1b\x7f", "\"line\\r\\nbreak\\ttab\\u0001\\u001b\\u007f\""},
        {"Z\xC3\xBCrich \xD0\x96 \xF0\x9F\x98\x80", "\"Z\xC3\xBCrich \xD0\x96 \xF0\x9F\x98\x80\""},
        {"latin1 \xFC and a cut \xC3", "\"latin1 \\udcfc and a cut \\udcc3\""},
    };
    for (const auto& c : cases) {
        std::string json;
        appendJsonString(json, c.bytes);
        EXPECT_EQ(json, c.json);
        const std::optional<JsonValue> back = parseJson(json);
        ASSERT_TRUE(back) << json;
        EXPECT_EQ(back->text, c.bytes);
    }
    // Any bytes at all come back as they went in.
    std::mt19937 random(7);
    for (int round = 0; round < 2000; ++round) {
        std::string bytes(std::uniform_int_distribution<std::size_t>(0, 12)(random), '\0');
        for (char& c : bytes)
            c = static_cast<char>(std::uniform_int_distribution<int>(0, 255)(random));
        std::string json;
        appendJsonString(json, bytes);
        const std::optional<JsonValue> back = parseJson(json);
        ASSERT_TRUE(back) << testing::PrintToString(bytes);
        ASSERT_EQ(back->text, bytes);
    }
}

TEST(JsonText, ObjectsAreBuiltAndReadBack)
{
    const std::string text = JsonObject()
                                 .add("record", std::uint64_t{12})
                                 .add("name", "Oslo/a.htm")
                                 .addNull("error")
                                 .add("written", true)
                                 .addStrings("row", {"<TD>a</TD>", ""})
                                 .text();
    EXPECT_EQ(text, R"({"record":12,"name":"Oslo/a.htm","error":null,"written":true,"row":["<TD>a</TD>",""]})");
    const std::optional<JsonValue> value = parseJson(text);
    ASSERT_TRUE(value);
    EXPECT_EQ(value->member("record")->number, 12);
    EXPECT_EQ(value->member("error")->kind, JsonValue::Kind::Null);
    EXPECT_EQ(value->member("row")->items.at(0).text, "<TD>a</TD>");
    EXPECT_EQ(value->member("missing"), nullptr);
    for (const char* broken : {"", "{", "{\"a\":}", "[1,]", "\"open", "{\"a\":1} x", "\"\\ud800\"", "01x", "nul"})
        EXPECT_FALSE(parseJson(broken)) << broken;
}

} // namespace
} // namespace stencilor
