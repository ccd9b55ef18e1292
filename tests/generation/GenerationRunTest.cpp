// SPDX-License-Identifier: GPL-3.0-or-later
#include "generation/GenerationRun.h"

#include "RecordingHost.h"
#include "TestUtil.h"
#include "datasource/DataSourceCheck.h"
#include "generation/Manifest.h"
#include "generation/TemplateFile.h"
#include "platform/OutputTree.h"

#include <filesystem>
#include <functional>
#include <gtest/gtest.h>
#include <map>
#include <sstream>
#include <sys/stat.h>
#include <thread>
#include <vector>

namespace stencilor {
namespace {

using FakeHost = test::RecordingHost;
using test::filesUnder;

class GenerationRunTest : public testing::Test {
protected:
    GenerationRunTest() { host.setJobIn(dir); }

    void setRules(const std::vector<Rule>& rules) { host.settings.rules = test::rulesTable(rules); }

    RunSummary run(std::size_t recordLimit = GenerationRun::kMaxRecordText)
    {
        GenerationRun generation(host, recordLimit);
        generation.setJobs(jobs);
        running = &generation;
        const RunSummary summary = generation.run();
        EXPECT_FALSE(generation.isRunning());
        running = nullptr;
        return summary;
    }

    test::TempDir dir;
    FakeHost host;
    GenerationRun* running = nullptr;
    unsigned jobs = 1;
};

TEST_F(GenerationRunTest, WritesOneFileOfCrLfLinesPerRecord)
{
    const struct {
        const char* name;
        std::string data, templ;
        std::map<std::string, std::string> files;
    } cases[] = {
        {"crlf data, lf template",
         "Ann;Oslo\r\nBob;Rome\r\n",
         "Hi %N%\nfrom %C%",
         {{"f1.txt", "Hi Ann\r\nfrom Oslo\r\n"}, {"f2.txt", "Hi Bob\r\nfrom Rome\r\n"}}},
        {"cr-only data and template",
         "Ann;Oslo\rBob",
         "%N%\r%C%\r",
         {{"f1.txt", "Ann\r\nOslo\r\n"}, {"f2.txt", "Bob\r\n\r\n"}}},
        {"two line ends at the end give an empty record",
         "Ann;Oslo\n\n",
         "[%N%]",
         {{"f1.txt", "[Ann]\r\n"}, {"f2.txt", "[]\r\n"}}},
        {"a line of only an empty value stays", "Ann", "a\n%C%\nb", {{"f1.txt", "a\r\n\r\nb\r\n"}}},
        {"template ends at a NUL byte", "Ann", std::string("x %N%\ny\0z\n", 10), {{"f1.txt", "x Ann\r\ny\r\n"}}},
        {"empty data file writes nothing", "", "x", {}},
        {"empty template gives empty files", "Ann", "", {{"f1.txt", ""}}},
    };
    setRules({{"Field 1", "%N%"}, {"Field 2", "%C%"}});
    for (const auto& c : cases) {
        test::TempDir caseDir;
        host.setJobIn(caseDir);
        caseDir.write("data.csv", c.data);
        caseDir.write("t.txt", c.templ);
        const RunSummary summary = run();
        EXPECT_EQ(summary.outcome, RunOutcome::Completed) << c.name;
        EXPECT_EQ(filesUnder(caseDir, "out"), c.files) << c.name;
        EXPECT_EQ(summary.filesWritten, c.files.size()) << c.name;
        EXPECT_TRUE(host.errors.empty() && host.messages.empty()) << c.name;
    }
}

TEST_F(GenerationRunTest, DataKeysReadSpreadsheetExports)
{
    using Adjust = std::function<void(ProjectSettings&)>;
    const Adjust quotes = [](ProjectSettings& s) { s.quotes = true; };
    const struct {
        const char* name;
        Adjust adjust;
        std::string data;
        std::map<std::string, std::string> files;
    } cases[] = {
        {"quoted fields hold the delimiter, quotes and line breaks; records count records",
         quotes,
         "\"Smith, J\",\"a\"\"b\"\"\r\nc\"\r\nBob,x",
         {{"f1.txt", "Smith, J|a\"b\"\r\nc\r\n"}, {"f2.txt", "Bob|x\r\n"}}},
        {"without quotes the plain rule stays", {}, "\"Smith, J\",x", {{"f1.txt", "\"Smith| J\"\r\n"}}},
        {"an unclosed quote takes the rest of the data", quotes, "a,\"b\nc,d", {{"f1.txt", "a|b\nc,d\r\n"}}},
        {"the header record gets no file and keeps its number",
         [](ProjectSettings& s) { s.header = true; },
         "Name,City\nAnn,Oslo\n",
         {{"f2.txt", "Ann|Oslo\r\n"}}},
        {"a named encoding is decoded",
         [](ProjectSettings& s) { s.encoding = "windows-1251"; },
         "\xcf\xf0\xe8,\xe2\xe5\xf2",
         {{"f1.txt", "\xd0\x9f\xd1\x80\xd0\xb8|\xd0\xb2\xd0\xb5\xd1\x82\r\n"}}},
        {"auto drops a byte-order mark",
         [](ProjectSettings& s) { s.encoding = "auto"; },
         "\xEF\xBB\xBF"
         "Ann,x",
         {{"f1.txt", "Ann|x\r\n"}}},
        {"escapehtml escapes the inserted values only",
         [](ProjectSettings& s) { s.escapehtml = true; },
         "<b>&'\",x",
         {{"f1.txt", "&lt;b&gt;&amp;&#39;&quot;|x\r\n"}}},
    };
    for (const auto& c : cases) {
        test::TempDir caseDir;
        host.settings = ProjectSettings{};
        host.setJobIn(caseDir);
        host.settings.delim = ",";
        host.settings.rules = test::rulesTable({{"Field 1", "%A%"}, {"Field 2", "%B%"}});
        if (c.adjust)
            c.adjust(host.settings);
        caseDir.write("data.csv", c.data);
        caseDir.write("t.txt", "%A%|%B%");
        const RunSummary summary = run();
        EXPECT_EQ(summary.outcome, RunOutcome::Completed) << c.name;
        EXPECT_EQ(filesUnder(caseDir, "out"), c.files) << c.name;
    }

    // A name no converter knows keeps the run from starting, with the message naming it.
    host.setJobIn(dir);
    dir.write("data.csv", "a");
    dir.write("t.txt", "b");
    host.settings.encoding = "x-none";
    EXPECT_EQ(run().outcome, RunOutcome::NotStarted);
    EXPECT_EQ(host.messages, std::vector<std::string>{"Unknown encoding \"x-none\" in the project file"});
}

TEST_F(GenerationRunTest, RulesActInTableOrderOnTheWholeText)
{
    const struct {
        const char* name;
        std::vector<Rule> rules;
        std::string data, templ, output;
    } cases[] = {
        {"a value holding a later identifier is replaced by that rule",
         {{"Field 1", "%A%"}, {"Field 2", "%B%"}},
         "%B%;two",
         "[%A%]",
         "[two]\r\n"},
        {"a value holding its own identifier is inserted once",
         {{"Field 1", "%A%"}},
         "x%A%y",
         "%A%|%A%",
         "x%A%y|x%A%y\r\n"},
        {"a missing field removes the identifier", {{"Field 9", "%A%"}}, "a;b", "<%A%>", "<>\r\n"},
        {"rules without field number or identifier are skipped",
         {{"Name", "%A%"}, {"Field 1", ""}, {"Field 0", "x"}},
         "v",
         "%A%x",
         "%A%x\r\n"},
        {"an identifier holding a line break matches across lines",
         {{"Field 1", "%A\r\nB%"}},
         "v",
         "1%A\nB%2\n",
         "1v2\r\n"},
        {"case and spaces count in identifiers", {{"Field 1", "%a%"}}, "v", "%A% %a%", "%A% v\r\n"},
        {"repeated search replaces occurrences formed by a replacement", {{"Field 1", "ab"}}, "a", "aabb", "aa\r\n"},
    };
    for (const auto& c : cases) {
        test::TempDir caseDir;
        host.setJobIn(caseDir);
        caseDir.write("data.csv", c.data);
        caseDir.write("t.txt", c.templ);
        setRules(c.rules);
        run();
        EXPECT_EQ(caseDir.read("out/f1.txt"), c.output) << c.name;
    }
}

TEST_F(GenerationRunTest, DoesNotStartWithoutDelimiterOrInputs)
{
    const struct {
        const char* name;
        std::string delim;
        bool data, templ;
        std::string message;
        std::string outputdir = "out";
    } cases[] = {
        {"empty delimiter", "", true, true, "Please select field delimiter!"},
        {"both missing", ";", false, false, "Text file is empty\nTemplate file is empty or not defined"},
        {"template missing", ";", true, false, "\nTemplate file is empty or not defined"},
        {"data missing", ";", false, true, "Text file is empty"},
        // An empty output folder never means the root folder.
        {"no output folder", ";", true, true, "Output folder is not set", ""},
    };
    for (const auto& c : cases) {
        test::TempDir caseDir;
        host = FakeHost{};
        host.setJobIn(caseDir);
        host.settings.delim = c.delim;
        host.settings.outputdir = c.outputdir;
        host.settings.report = true;
        if (c.data)
            caseDir.write("data.csv", "a");
        if (c.templ)
            caseDir.write("t.txt", "b");
        EXPECT_EQ(run().outcome, RunOutcome::NotStarted) << c.name;
        EXPECT_EQ(host.messages, std::vector<std::string>{c.message}) << c.name;
        EXPECT_TRUE(host.runStates.empty() && host.opened.empty()) << c.name;
        EXPECT_FALSE(std::filesystem::exists(caseDir.file("out"))) << c.name;
    }
}

TEST_F(GenerationRunTest, DoesNotStartIntoAFolderAnotherRunWritesTo)
{
    dir.write("data.csv", "a\n");
    dir.write("t.txt", "x");
    OutputTree other;
    ASSERT_TRUE(other.open(dir.file("out")));
    EXPECT_EQ(run().outcome, RunOutcome::NotStarted);
    EXPECT_EQ(host.messages, std::vector<std::string>{"Output folder is in use by another run"});
    EXPECT_TRUE(filesUnder(dir, "out").empty());
}

TEST_F(GenerationRunTest, NeverReplacesItsOwnInputs)
{
    // The output folder is the project's folder, and records are named like the run's inputs.
    dir.write("data.csv", "t.txt\ndata.csv\njob.ql\nreport.html\nok.txt\n");
    dir.write("t.txt", "[%N%]");
    dir.write("job.ql", "[setup]\n");
    setRules({{"Field 1", "%N%"}});
    host.settings.outputdir = dir.path();
    host.settings.nameFromTemp = false;
    host.settings.nameFromFld = true;
    host.settings.FileNameFld = "Field 1";
    host.settings.report = true;
    host.settings.report_fld = "FileName;";
    const RunSummary summary = run();
    EXPECT_EQ(summary.outcome, RunOutcome::Completed);
    EXPECT_EQ(summary.skippedFor(Refusal::OwnInput), 4u);
    EXPECT_EQ(summary.filesWritten, 1u);
    EXPECT_EQ(dir.read("t.txt"), "[%N%]");
    EXPECT_EQ(dir.read("data.csv"), "t.txt\ndata.csv\njob.ql\nreport.html\nok.txt\n");
    EXPECT_EQ(dir.read("job.ql"), "[setup]\n");
    EXPECT_EQ(dir.read("ok.txt"), "[ok.txt]\r\n");
    EXPECT_EQ(dir.read("report.html").find("report.html\""), std::string::npos);
}

// The run's manifest is its own output: no record replaces it, and a manifest that is the report
// or the archive is refused before anything is written.
TEST_F(GenerationRunTest, NeverDestroysItsOwnManifest)
{
    dir.write("data.csv", "m.jsonl\nok.txt\n");
    dir.write("t.txt", "[%N%]");
    setRules({{"Field 1", "%N%"}});
    host.settings.outputdir = dir.file("out");
    host.settings.nameFromTemp = false;
    host.settings.nameFromFld = true;
    host.settings.FileNameFld = "Field 1";
    host.settings.report = true;
    host.settings.report_fld = "FileName;";
    const std::string own = "Cannot create file \"" + dir.file("x") + "\". It is another output of the run.";
    const struct {
        const char* what;
        std::string manifest, archive;
        std::string message; // empty: the run goes through
    } cases[] = {
        {"a record named like the manifest", dir.file("out/m.jsonl"), "", ""},
        {"the manifest is the report", dir.file("out/report.html"), "",
         "Cannot create file \"" + dir.file("out/report.html") + "\". It is another output of the run."},
        {"the manifest is the archive", dir.file("x"), dir.file("x"), own},
        {"the manifest is the archive by another name", dir.file("out/../x"), dir.file("x"),
         "Cannot create file \"" + dir.file("out/../x") + "\". It is another output of the run."},
    };
    for (const auto& c : cases) {
        std::filesystem::remove_all(dir.file("out"));
        std::filesystem::remove(dir.file("x"));
        host.messages.clear();
        GenerationRun generation(host);
        generation.setOptions(RunOptions{{}, c.manifest, c.archive});
        const RunSummary summary = generation.run();
        if (!c.message.empty()) {
            EXPECT_EQ(host.messages, std::vector<std::string>{c.message}) << c.what;
            EXPECT_FALSE(std::filesystem::exists(dir.file("out"))) << c.what;
            EXPECT_FALSE(std::filesystem::exists(dir.file("x"))) << c.what;
            continue;
        }
        EXPECT_EQ(summary.outcome, RunOutcome::Completed) << c.what;
        EXPECT_EQ(summary.skippedFor(Refusal::OwnInput), 1u) << c.what;
        EXPECT_EQ(dir.read("out/m.jsonl").rfind("{\"stencilor\":", 0), 0u) << c.what;
    }
}

// While a run writes, a second run into a folder inside its folder, or a part of another job into
// its folder, is refused before it writes a file; a part of the same job shares it.
TEST_F(GenerationRunTest, ARunInProgressKeepsOtherJobsOutOfAndAroundItsFolder)
{
    const struct {
        const char* what;
        ShardSpec first, second;
        const char* secondFolder;
        const char* secondData; // the data of the second run's job; nullptr: the first run's
        std::string message;    // with DIR for the folder; empty: it runs
    } cases[] = {
        {"a folder inside",
         {1, 1},
         {1, 1},
         "out/v",
         nullptr,
         "Output folder \"DIR/out/v\" overlaps the output folder \"DIR/out\" of another run"},
        {"a part of another job", {1, 2}, {2, 2}, "out", "c\nd\n", "Output folder is in use by another run"},
        {"a part of the same job", {1, 2}, {2, 2}, "out", nullptr, ""},
    };
    for (const auto& c : cases) {
        test::TempDir where;
        const std::string root = std::filesystem::canonical(where.path()).string();
        where.write("data.csv", "a\nb\n");
        where.write("t.txt", "x");
        if (c.secondData)
            where.write("other/data.csv", c.secondData);
        FakeHost first, second;
        first.setJobIn(where);
        first.settings.textfile = where.file("data.csv");
        second.project = first.project;
        second.settings = first.settings;
        second.settings.templatefile = where.file("t.txt");
        if (c.secondData)
            second.settings.textfile = where.file("other/data.csv");
        second.settings.outputdir = where.file(c.secondFolder);
        GenerationRun firstRun(first), secondRun(second);
        firstRun.setOptions(RunOptions{c.first, {}, {}});
        secondRun.setOptions(RunOptions{c.second, {}, {}});
        RunSummary during;
        first.onEvents = [&](int events) {
            if (events == 1)
                during = secondRun.run();
        };
        EXPECT_EQ(firstRun.run().outcome, RunOutcome::Completed) << c.what;
        std::string messages;
        for (const std::string& message : second.messages)
            messages += message;
        for (std::size_t at = messages.find(root); at != std::string::npos; at = messages.find(root))
            messages.replace(at, root.size(), "DIR");
        EXPECT_EQ(messages, c.message) << c.what;
        EXPECT_EQ(during.outcome, c.message.empty() ? RunOutcome::Completed : RunOutcome::NotStarted) << c.what;
    }
}

// Two copies of one part (a retried pod): the second is refused before it empties the first's
// manifest or writes a file.
TEST_F(GenerationRunTest, ASecondCopyOfAPartIsRefusedBeforeItTouchesTheManifest)
{
    dir.write("data.csv", "a\n");
    dir.write("t.txt", "x");
    host.settings.outputdir = dir.file("out");
    ManifestWriter first;
    ASSERT_TRUE(first.open(dir.file("m.jsonl")));
    ASSERT_TRUE(first.start(ManifestJob{}));
    const std::string before = dir.read("m.jsonl");
    GenerationRun generation(host);
    generation.setOptions(RunOptions{ShardSpec{1, 2}, dir.file("m.jsonl"), {}});
    EXPECT_EQ(generation.run().outcome, RunOutcome::NotStarted);
    EXPECT_EQ(host.messages,
              std::vector<std::string>{"The manifest \"" + dir.file("m.jsonl") + "\" is in use by another run"});
    EXPECT_EQ(dir.read("m.jsonl"), before);
    EXPECT_TRUE(std::filesystem::is_empty(dir.file("out")));
}

// A data file that is no regular file is refused before the output is touched; a template that
// is none ends the run at its first record.
TEST_F(GenerationRunTest, InputsThatAreNotRegularFilesAreRefused)
{
    ASSERT_EQ(::mkfifo(dir.file("fifo").c_str(), 0600), 0);
    for (const bool data : {true, false}) {
        for (const std::string& input : {std::string("/dev/zero"), dir.file("fifo")}) {
            host.errors.clear();
            host.messages.clear();
            dir.write("data.csv", "a\n");
            dir.write("t.txt", "x");
            host.settings.textfile = data ? input : "data.csv";
            host.settings.templatefile = data ? "t.txt" : input;
            EXPECT_EQ(run().outcome, data ? RunOutcome::NotStarted : RunOutcome::Failed) << input;
            EXPECT_EQ(data ? host.messages : host.errors,
                      std::vector<std::string>{"Cannot open file \"" + input + "\". Not a regular file"});
        }
    }
}

TEST_F(GenerationRunTest, ARecordWhoseTextWouldPassTheLimitEndsTheRun)
{
    // Each value holds the next identifier twice, so every rule doubles the text: 2^40 bytes.
    std::vector<Rule> rules;
    std::string line;
    for (int i = 1; i <= 40; ++i) {
        // Appended piece by piece: GCC 12 warns falsely (-Wrestrict) on "literal" + std::string.
        rules.push_back({fieldLabel(i), std::string("%").append(std::to_string(i)).append("%")});
        line.append(i > 1 ? ";" : "").append("%").append(std::to_string(i + 1)).append("%%");
        line.append(std::to_string(i + 1)).append("%");
    }
    setRules(rules);
    dir.write("data.csv", "small\n" + line + "\n");
    dir.write("t.txt", "%1%");
    const RunSummary summary = run(std::size_t{1} << 20);
    EXPECT_EQ(summary.outcome, RunOutcome::Failed);
    EXPECT_EQ(host.errors, std::vector<std::string>{"The text of record 2 would be larger than 1 MiB"});
    EXPECT_TRUE(std::filesystem::exists(dir.file("out/f1.txt")));
}

TEST_F(GenerationRunTest, ARecordWithoutANameDoesNotReadTheTemplate)
{
    dir.write("data.csv", "\n\n");
    dir.write("t.txt", "x");
    host.settings.edTemp.clear();
    host.onRunState = [this](bool running) {
        if (running)
            std::filesystem::remove(dir.file("t.txt"));
    };
    const RunSummary summary = run();
    EXPECT_EQ(summary.outcome, RunOutcome::Completed);
    EXPECT_EQ(summary.skippedFor(Refusal::NoName), 2u);
    EXPECT_TRUE(host.errors.empty());
}

TEST_F(GenerationRunTest, TheReportGoesToItsFileAsTheRunGoesAndLeavesNothingElse)
{
    // Enough rows for the report to be written in several blocks.
    std::string data;
    for (int i = 0; i < 1000; ++i)
        data += "value " + std::to_string(i) + " <&>" + std::string(100, '.') + "\n";
    dir.write("data.csv", data);
    dir.write("t.txt", "x");
    host.settings.report = true;
    host.settings.report_fld = "FileName;Field 1;";
    EXPECT_EQ(run().filesWritten, 1000u);
    const std::string report = dir.read("out/report.html");
    EXPECT_TRUE(report.starts_with("<HTML>\r\n"));
    EXPECT_TRUE(report.ends_with("  </TABLE>\r\n</HTML>\r\n"));
    EXPECT_NE(report.find("<TD>value 999 &lt;&amp;&gt;" + std::string(100, '.') + "</TD>"), std::string::npos);
    // The files and the report, no temporary file left beside them.
    EXPECT_EQ(filesUnder(dir, "out").size(), 1001u);
}

TEST_F(GenerationRunTest, StopFinishesTheRecordInProgressAndClosesTheReport)
{
    dir.write("data.csv", "a\nb\nc\nd\n");
    dir.write("t.txt", "x");
    host.settings.report = true;
    host.settings.report_fld = "FileName;Field 1;";
    std::vector<std::uint64_t> writtenSoFar;
    host.onEvents = [this, &writtenSoFar](int events) {
        writtenSoFar.push_back(running->filesWrittenSoFar());
        if (events == 2)
            running->stop();
    };
    const RunSummary summary = run();
    EXPECT_EQ(summary.outcome, RunOutcome::Stopped);
    EXPECT_EQ(summary.filesWritten, 2u);
    EXPECT_EQ(writtenSoFar, (std::vector<std::uint64_t>{1, 2}));
    EXPECT_EQ(summary.outputFolder, dir.file("out"));
    EXPECT_EQ(filesUnder(dir, "out").size(), 3u); // two files and the report
    const std::string report = dir.read("out/report.html");
    EXPECT_NE(report.find("f2.txt"), std::string::npos);
    EXPECT_EQ(report.find("f3.txt"), std::string::npos);
    EXPECT_TRUE(report.ends_with("  </TABLE>\r\n</HTML>\r\n"));
    EXPECT_EQ(host.opened, std::vector<std::string>{dir.file("out") + "/report.html"});
    EXPECT_EQ(host.runStates, (std::vector<bool>{true, false}));
    EXPECT_EQ(host.lastPosition, 0u);
}

TEST_F(GenerationRunTest, SettingsChangedDuringTheRunTakeEffectAtTheNextRecord)
{
    dir.write("data.csv", "a\nb\nc\n");
    dir.write("t.txt", "%X%");
    setRules({{"Field 1", "%X%"}});
    host.onEvents = [this](int events) {
        if (events == 1) {
            host.settings.rules.rule(0).identifier = "%Y%";
            host.settings.edTemp = "g?.txt";
        }
    };
    run();
    EXPECT_EQ(filesUnder(dir, "out"),
              (std::map<std::string, std::string>{{"f1.txt", "a\r\n"}, {"g2.txt", "%X%\r\n"}, {"g3.txt", "%X%\r\n"}}));
}

TEST_F(GenerationRunTest, TemplateIsReadAfreshForEveryRecord)
{
    // The new template has the old one's size and identifiers, so only its bytes tell it apart.
    dir.write("data.csv", "a\nb\n");
    dir.write("t.txt", "[%X%]");
    setRules({{"Field 1", "%X%"}});
    host.onEvents = [this](int) { dir.write("t.txt", "(%X%)"); };
    run();
    EXPECT_EQ(dir.read("out/f1.txt"), "[a]\r\n");
    EXPECT_EQ(dir.read("out/f2.txt"), "(b)\r\n");
}

TEST_F(GenerationRunTest, ATemplateReplacedDuringTheRunIsUsedAndNeverOverwritten)
{
    // The template has not changed for a while, so the run trusts its times and looks at its
    // state alone; each edit must still be seen at the next record, and a template put in place
    // by rename is protected under its new identity.
    const struct {
        const char* what;
        std::function<void(const test::TempDir&)> edit;
    } edits[] = {
        {"rewritten in place with the same size", [](const test::TempDir& d) { d.write("t.txt", "(%V%)"); }},
        {"truncated, then written",
         [](const test::TempDir& d) {
             std::filesystem::resize_file(d.file("t.txt"), 0);
             d.write("t.txt", "((%V%))");
         }},
        {"replaced by rename",
         [](const test::TempDir& d) {
             d.write("new.txt", "(%V%)");
             std::filesystem::rename(d.file("new.txt"), d.file("t.txt"));
         }},
    };
    for (const auto& e : edits) {
        test::TempDir caseDir;
        host = FakeHost{};
        host.setJobIn(caseDir);
        setRules({{"Field 1", "%V%"}});
        host.settings.outputdir = caseDir.path();
        host.settings.nameFromTemp = false;
        host.settings.nameFromFld = true;
        host.settings.FileNameFld = "Field 1";
        caseDir.write("data.csv", "r1\nr2\nt.txt\nr4\n");
        caseDir.write("t.txt", "[%V%]");
        std::this_thread::sleep_for(std::chrono::nanoseconds(TemplateFile::kTrustAfterNanoseconds) +
                                    std::chrono::milliseconds(20));
        host.onEvents = [&](int events) {
            if (events == 1)
                e.edit(caseDir);
        };
        const RunSummary summary = run();
        EXPECT_EQ(summary.skippedFor(Refusal::OwnInput), 1u) << e.what;
        EXPECT_EQ(caseDir.read("r1"), "[r1]\r\n") << e.what;
        const std::string edited = caseDir.read("t.txt");
        EXPECT_NE(edited, "[%V%]") << e.what;
        EXPECT_EQ(caseDir.read("r2"), std::string(edited).replace(edited.find("%V%"), 3, "r2") + "\r\n") << e.what;
        EXPECT_EQ(caseDir.read("r4"), std::string(edited).replace(edited.find("%V%"), 3, "r4") + "\r\n") << e.what;
    }
}

// Several writers give what one gives: the same files and bytes, the report's rows in record
// order and the same summary, also where records name one file again and again, a file and a
// folder of one name, or get no file at all, and when Stop comes in the middle.
TEST_F(GenerationRunTest, SeveralWritersGiveWhatOneWriterGives)
{
    std::string many, same;
    for (int i = 1; i <= 300; ++i)
        many.append("n")
            .append(std::to_string(i))
            .append(";city")
            .append(std::to_string(i % 9))
            .append(";")
            .append(std::to_string(i))
            .append("\n");
    // Long texts and short ones by turns: a writer of a short one is done before one of the long
    // one before it.
    for (int i = 1; i <= 40; ++i)
        same += "same;;" + std::string(i % 2 == 1 ? 300'000 : 0, 'v') + std::to_string(i) + "\n";
    const struct {
        const char* name;
        std::string data;
        int stopAt = 0; // Stop after this record
    } cases[] = {
        {"files in subfolders", many},
        {"one name again and again", same},
        {"a file and a folder of one name, a name that is a folder at the end",
         "a;;1\nb;a;2\nc;d;3\nA;;4\nd/e;;5\nd;;6\n"},
        {"records without a file between files", "x;;1\n;;2\n../up;;3\ny;sub;4\n\nz;;6\n"},
        {"stopped after the second record", many, 2},
    };
    const auto outcome = [&](const auto& c, unsigned writers) {
        test::TempDir caseDir;
        host = FakeHost{};
        host.setJobIn(caseDir);
        host.settings.rules = test::rulesTable({{"Field 1", "%A%"}, {"Field 2", "%B%"}, {"Field 3", "%C%"}});
        host.settings.nameFromTemp = false;
        host.settings.nameFromFld = true;
        host.settings.FileNameFld = "Field 1";
        host.settings.CopyDirFld = true;
        host.settings.directoryFile = "Field 2";
        host.settings.report = true;
        host.settings.report_fld = "FileName;Field 3;";
        caseDir.write("data.csv", c.data);
        caseDir.write("t.txt", "<%A%|%B%|%C%>");
        host.onEvents = [&](int events) {
            if (events == c.stopAt)
                running->stop();
        };
        jobs = writers;
        const RunSummary s = run();
        std::ostringstream text;
        text << int(s.outcome) << " records " << s.recordsProcessed << "/" << s.recordCount << " written "
             << s.filesWritten << " skipped " << s.skippedFor(Refusal::NoName) << ","
             << s.skippedFor(Refusal::LeavesFolder) << "," << s.skippedFor(Refusal::FolderFailed) << ","
             << s.skippedFor(Refusal::LinkInPath) << "," << s.skippedFor(Refusal::OwnInput) << " report "
             << s.reportWritten;
        for (std::string error : host.errors)
            text << " error " << error.replace(error.find(caseDir.path()), caseDir.path().size(), "DIR");
        return std::make_pair(text.str(), filesUnder(caseDir, "out"));
    };
    for (const auto& c : cases) {
        const auto one = outcome(c, 1);
        EXPECT_EQ(outcome(c, 3), one) << c.name;
        EXPECT_GT(one.second.size(), 1u) << c.name;
    }
}

TEST_F(GenerationRunTest, AFailedWriteWithSeveralWritersNamesTheFirstRecordThatFailed)
{
    std::string data;
    for (int i = 1; i <= 60; ++i)
        data += std::to_string(i) + "\n";
    dir.write("data.csv", data);
    dir.write("t.txt", "<%V%>");
    setRules({{"Field 1", "%V%"}});
    // Folders where the files of records 5 to 30 must go: each of them fails.
    for (int i = 5; i <= 30; ++i)
        std::filesystem::create_directories(dir.file("out/f" + std::to_string(i) + ".txt"));
    host.settings.report = true;
    host.settings.report_fld = "FileName;";
    jobs = 3;
    const RunSummary summary = run();
    EXPECT_EQ(summary.outcome, RunOutcome::Failed);
    EXPECT_EQ(summary.filesWritten, 4u);
    EXPECT_EQ(summary.recordsProcessed, 4u);
    EXPECT_EQ(host.errors,
              std::vector<std::string>{"Cannot create file \"" + dir.file("out/f5.txt") + "\". Is a directory"});
    const std::string report = dir.read("out/report.html");
    EXPECT_NE(report.find("\"f4.txt\""), std::string::npos);
    // Files of later records that were in the writers' hands may exist, complete; the report
    // lists the records before the failure alone.
    for (const auto& [name, text] : filesUnder(dir, "out")) {
        if (name == "report.html")
            continue;
        const std::string number = name.substr(1, name.size() - 5);
        EXPECT_EQ(text, "<" + number + ">\r\n") << name;
        EXPECT_TRUE(std::stoi(number) < 5 || std::stoi(number) > 30) << name;
        EXPECT_EQ(report.find("\"" + name + "\"") != std::string::npos, std::stoi(number) < 5) << name;
    }
}

TEST_F(GenerationRunTest, AFileThatCannotBeCreatedEndsTheRunAfterTheReport)
{
    dir.write("data.csv", "a\nb\nc\n");
    dir.write("t.txt", "x");
    std::filesystem::create_directories(dir.file("out/f2.txt")); // a folder where the file must go
    host.settings.report = true;
    host.settings.report_fld = "FileName;";
    const RunSummary summary = run();
    EXPECT_EQ(summary.outcome, RunOutcome::Failed);
    EXPECT_EQ(summary.filesWritten, 1u);
    const std::string message = "Cannot create file \"" + dir.file("out/f2.txt") + "\". Is a directory";
    EXPECT_EQ(host.errors, std::vector<std::string>{message});
    EXPECT_FALSE(std::filesystem::exists(dir.file("out/f3.txt")));
    EXPECT_NE(dir.read("out/report.html").find("f1.txt"), std::string::npos);
    EXPECT_EQ(host.runStates, (std::vector<bool>{true, false}));
}

TEST_F(GenerationRunTest, ATemplateThatDisappearsEndsTheRunWithTheOpenError)
{
    dir.write("data.csv", "a\nb\n");
    dir.write("t.txt", "x");
    host.onEvents = [this](int) { std::filesystem::remove(dir.file("t.txt")); };
    const RunSummary summary = run();
    EXPECT_EQ(summary.outcome, RunOutcome::Failed);
    EXPECT_EQ(host.errors,
              std::vector<std::string>{"Cannot open file \"" + dir.file("t.txt") + "\". No such file or directory"});
}

TEST_F(GenerationRunTest, AReportThatCannotBeWrittenIsReportedAndNotOpened)
{
    const struct {
        const char* blocked; // a folder at report.html, or a file at the output folder
        bool folder;
        std::string reason;
    } cases[] = {
        {"out/report.html", true, "Is a directory"},
        {"out", false, "Not a directory"},
    };
    for (const auto& c : cases) {
        test::TempDir caseDir;
        host.setJobIn(caseDir);
        host.errors.clear();
        caseDir.write("data.csv", "a\n");
        caseDir.write("t.txt", "x");
        if (c.folder)
            std::filesystem::create_directories(caseDir.file(c.blocked));
        else
            caseDir.write(c.blocked, "a file where the output folder must go");
        host.settings.report = true;
        const RunSummary summary = run();
        EXPECT_TRUE(summary.reportFailed) << c.blocked;
        EXPECT_FALSE(summary.reportWritten) << c.blocked;
        EXPECT_EQ(host.errors, std::vector<std::string>{"Cannot create file \"" + caseDir.file("out/report.html") +
                                                        "\". " + c.reason});
        EXPECT_TRUE(host.opened.empty()) << c.blocked;
    }
}

TEST_F(GenerationRunTest, RelativePathsAreTakenAgainstTheProjectFilesFolder)
{
    dir.write("in/data.csv", "a\n");
    dir.write("tpl/t.txt", "x");
    host.settings.textfile = "in/data.csv";
    host.settings.templatefile = "tpl/t.txt";
    host.settings.outputdir = "sub/out";
    host.settings.report = true;
    // The working folder is another one: nothing may land there.
    const RunSummary summary = run();
    EXPECT_EQ(summary.outcome, RunOutcome::Completed);
    EXPECT_EQ(dir.read("sub/out/f1.txt"), "x\r\n");
    EXPECT_EQ(host.opened, std::vector<std::string>{dir.file("sub/out/report.html")});
    EXPECT_FALSE(std::filesystem::exists("sub/out"));
}

TEST_F(GenerationRunTest, CountsSkippedRecordsByReason)
{
    dir.write("data.csv", "ok;x\n;x\n../escape;x\nfine;sub\n");
    dir.write("t.txt", "t");
    dir.write("out/sub", "a file where the subfolder must go");
    host.settings.nameFromTemp = false;
    host.settings.nameFromFld = true;
    host.settings.FileNameFld = "Field 1";
    host.settings.CopyDirFld = true;
    host.settings.directoryFile = "Field 2";
    host.settings.report = true;
    host.settings.report_fld = "FileName;";
    const RunSummary summary = run();
    EXPECT_EQ(summary.outcome, RunOutcome::Completed);
    EXPECT_EQ(summary.filesWritten, 1u);
    EXPECT_EQ(summary.skippedFor(Refusal::NoName), 1u);
    EXPECT_EQ(summary.skippedFor(Refusal::LeavesFolder), 1u);
    EXPECT_EQ(summary.skippedFor(Refusal::FolderFailed), 1u);
    EXPECT_FALSE(std::filesystem::exists(dir.file("escape")));
    EXPECT_EQ(dir.read("out/x/ok"), "t\r\n");
    const std::string report = dir.read("out/report.html");
    EXPECT_EQ(report.find("escape"), std::string::npos);
    EXPECT_EQ(report.find("fine"), std::string::npos);
}

TEST_F(GenerationRunTest, SameNameTwiceKeepsTheLaterFileAndTwoReportRows)
{
    dir.write("data.csv", "a\nb\n");
    dir.write("t.txt", "%V%");
    setRules({{"Field 1", "%V%"}});
    host.settings.edTemp = "same.txt";
    host.settings.report = true;
    host.settings.report_fld = "FileName;";
    run();
    EXPECT_EQ(filesUnder(dir, "out").size(), 2u);
    EXPECT_EQ(dir.read("out/same.txt"), "b\r\n");
    const std::string report = dir.read("out/report.html");
    const std::string link = "<a href=\"same.txt\">";
    const std::size_t first = report.find(link);
    ASSERT_NE(first, std::string::npos);
    EXPECT_NE(report.find(link, first + 1), std::string::npos);
}

} // namespace
} // namespace stencilor
