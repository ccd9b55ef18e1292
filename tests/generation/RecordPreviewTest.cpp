// SPDX-License-Identifier: GPL-3.0-or-later
#include "generation/RecordPreview.h"

#include "TestUtil.h"

#include <atomic>
#include <gtest/gtest.h>
#include <utility>
#include <vector>

namespace stencilor {
namespace {

class RecordPreviewTest : public testing::Test {
protected:
    RecordPreviewTest()
    {
        settings.textfile = "data.csv";
        settings.templatefile = "t.HTML";
        settings.outputdir = dir.file("out");
        settings.nameFromTemp = true;
        settings.edTemp = "card-?.htm";
        setRules({{"Field 1", "%A%"}, {"", "%X%"}, {"Field 2", "%B%"}});
    }

    void setRules(const std::vector<Rule>& rules) { settings.rules = test::rulesTable(rules); }

    RecordPreview preview(const std::string& data, const std::string& templ, std::uint64_t record)
    {
        dir.write("data.csv", data);
        dir.write("t.HTML", templ);
        return previewRecord(settings, {dir.file("job.ql"), "/nonexistent-program-folder/"}, record);
    }

    static std::vector<std::pair<std::string, std::uint64_t>> pieces(const RecordPreview& p)
    {
        std::vector<std::pair<std::string, std::uint64_t>> result;
        for (const PreviewSegment& segment : p.segments)
            result.emplace_back(segment.text, segment.rule);
        return result;
    }

    test::TempDir dir;
    ProjectSettings settings;
};

TEST_F(RecordPreviewTest, ShowsTheTextThePiecesAndThePathOfOneRecord)
{
    const RecordPreview p = preview("Ann;Oslo\nBob;Rome\n", "<b>%A%</b> from %B%\n%A%", 2);
    ASSERT_TRUE(p.ok) << (p.problem ? errorText(*p.problem) : "");
    EXPECT_EQ(p.recordCount, 2u);
    EXPECT_EQ(p.line, "Bob;Rome");
    EXPECT_EQ(p.text, "<b>Bob</b> from Rome\r\nBob\r\n");
    using Pieces = std::vector<std::pair<std::string, std::uint64_t>>;
    EXPECT_EQ(pieces(p),
              (Pieces{{"<b>", 0}, {"Bob", 1}, {"</b> from ", 0}, {"Rome", 3}, {"\r\n", 0}, {"Bob", 1}, {"\r\n", 0}}));
    EXPECT_TRUE(p.html);
    EXPECT_EQ(p.name.refusal, Refusal::None);
    EXPECT_EQ(p.fullPath, dir.file("out/card-2.htm"));
}

TEST_F(RecordPreviewTest, GivesUpThePiecesButNotTheTextWhenReplacementsInteract)
{
    const struct {
        const char* what;
        std::string data, templ, text;
    } cases[] = {
        {"a value holding a later identifier", "%B%;x", "[%A%]", "[x]\r\n"},
        {"a value that completes an identifier with the text around it", "%;x", "[%A%B%]", "[x]\r\n"},
    };
    for (const auto& c : cases) {
        const RecordPreview p = preview(c.data, c.templ, 1);
        ASSERT_TRUE(p.ok) << c.what;
        EXPECT_EQ(p.text, c.text) << c.what;
        EXPECT_TRUE(p.segments.empty()) << c.what;
    }
}

TEST_F(RecordPreviewTest, RefusesARecordThatIsNotThereOrMissingInputs)
{
    EXPECT_EQ(errorText(*preview("a\nb\n", "x", 3).problem), "There is no record 3");
    EXPECT_EQ(errorText(*preview("a\nb\n", "x", 0).problem), "There is no record 0");
    settings.nameFromTemp = false;
    const RecordPreview unnamed = preview("a\n", "x", 1);
    EXPECT_TRUE(unnamed.ok);
    EXPECT_EQ(unnamed.name.refusal, Refusal::NoName);
    EXPECT_EQ(unnamed.fullPath, "");
    settings.templatefile = "gone.txt";
    EXPECT_EQ(errorText(*preview("a\n", "x", 1).problem), "\nTemplate file is empty or not defined");
    // Like the run, the preview refuses a project without an output folder rather than show a path
    // in the root folder.
    settings.templatefile = "t.HTML";
    settings.outputdir.clear();
    EXPECT_EQ(errorText(*preview("a\n", "x", 1).problem), "Output folder is not set");
}

TEST_F(RecordPreviewTest, AStopRequestEndsThePreviewBeforeItsRecord)
{
    dir.write("data.csv", "a;1\nb;2\nc;3\n");
    dir.write("t.HTML", "%A%");
    // The stop asked for while counting, or while reading towards record 3 after record 2.
    for (const bool whileCounting : {true, false}) {
        std::atomic<bool> stop{false};
        std::vector<std::pair<std::uint64_t, std::uint64_t>> told;
        PassWatch watch;
        watch.stop = &stop;
        watch.counting = [&](std::uint64_t records, std::uint64_t, std::uint64_t) {
            if (whileCounting && records == 2)
                stop = true;
        };
        watch.reading = [&](std::uint64_t read, std::uint64_t total) {
            told.emplace_back(read, total);
            if (read == 2)
                stop = true;
        };
        const RecordPreview p = previewRecord(settings, {dir.file("job.ql"), "/nonexistent-program-folder/"}, 3, watch);
        EXPECT_TRUE(p.stopped) << whileCounting;
        EXPECT_FALSE(p.ok) << whileCounting;
        EXPECT_FALSE(p.problem) << whileCounting;
        using Told = std::vector<std::pair<std::uint64_t, std::uint64_t>>;
        EXPECT_EQ(told, whileCounting ? Told{} : (Told{{1, 3}, {2, 3}})) << whileCounting;
    }
}

} // namespace
} // namespace stencilor
