// SPDX-License-Identifier: GPL-3.0-or-later
#include "generation/OutputNaming.h"

#include "platform/Messages.h"

#include <functional>
#include <gtest/gtest.h>
#include <vector>

namespace stencilor {
namespace {

using Adjust = std::function<void(ProjectSettings&)>;

const Adjust sub = [](ProjectSettings& s) { s.CopyDirFld = true; };
const Adjust del = [](ProjectSettings& s) { s.DelChars = true; };
const Adjust noExt = [](ProjectSettings& s) { s.AddExt = false; };
Adjust ext(std::string text)
{
    return [text](ProjectSettings& s) { s.edExt = text; };
}
Adjust nameField(std::string label)
{
    return [label](ProjectSettings& s) { s.FileNameFld = label; };
}
Adjust folder(std::string text)
{
    return [text](ProjectSettings& s) { s.outputdir = text; };
}
Adjust tmpl(std::string text)
{
    return [text](ProjectSettings& s) {
        s.nameFromFld = false;
        s.nameFromTemp = true;
        s.edTemp = text;
    };
}
Adjust toCase(std::int32_t choice)
{
    return [choice](ProjectSettings& s) {
        s.changecase = true;
        s.caseIndex = choice;
    };
}

struct NameRow {
    std::string line;
    std::vector<Adjust> adjust;
    Refusal outcome;
    std::string path = {};
    std::string relative = {};
    std::uint64_t record = 1;
};

constexpr Refusal kNamed = Refusal::None;
constexpr Refusal kNoName = Refusal::NoName;
constexpr Refusal kLeaves = Refusal::LeavesFolder;

// Each row starts from output folder "/out", delimiter ";", the name from field 1 with "*.htm"
// added and subfolders (when switched on) from field 2.
void expectNames(const std::vector<NameRow>& rows)
{
    for (const NameRow& row : rows) {
        ProjectSettings s;
        s.outputdir = "/out";
        s.nameFromFld = true;
        s.FileNameFld = "Field 1";
        s.AddExt = true;
        s.directoryFile = "Field 2";
        for (const Adjust& adjust : row.adjust)
            adjust(s);
        SCOPED_TRACE("line '" + row.line + "' record " + std::to_string(row.record) + " expecting '" + row.path + "'");
        const OutputName name = recordOutputName(s, s.outputdir, row.line, row.record);
        EXPECT_EQ(name.refusal, row.outcome);
        EXPECT_EQ(name.path, row.path);
        EXPECT_EQ(name.relativeName, row.relative);
    }
}

TEST(OutputNaming, NameFromFieldAndDefaultExtension)
{
    expectNames({
        {"Smith;North", {}, kNamed, "/out/Smith.htm", "Smith.htm"},
        {"index.html", {}, kNamed, "/out/index.html", "index.html"},
        {"archive.", {}, kNamed, "/out/archive.", "archive."},
        // The "." before the last folder separator is no extension.
        {"set.2\\notes", {}, kNamed, "/out/set.2/notes.htm", "set.2/notes.htm"},
        {"2024\\Smith", {}, kNamed, "/out/2024/Smith.htm", "2024/Smith.htm"},
        {"Smith", {ext("")}, kNamed, "/out/Smith.", "Smith."},
        {"Smith", {ext("htm")}, kNamed, "/out/Smith.htm", "Smith.htm"},
        {"Smith", {ext("*.tar.gz")}, kNamed, "/out/Smith.tar.gz", "Smith.tar.gz"},
        {"Smith", {noExt}, kNamed, "/out/Smith", "Smith"},
        // The field value is taken as the record holds it, blanks included.
        {" Mary Ann ;x", {}, kNamed, "/out/ Mary Ann .htm", " Mary Ann .htm"},
        {"a||b||c", {nameField("Field 03"), [](ProjectSettings& s) { s.delim = "||"; }}, kNamed, "/out/c.htm", "c.htm"},
    });
}

TEST(OutputNaming, NameTemplateThroughTheRules)
{
    const Adjust rules = [](ProjectSettings& s) {
        s.tempRules = true;
        s.rules.setRowCount(3);
        s.rules.rule(0) = Rule{"Field 1", "%Last%"};
        s.rules.rule(1) = Rule{"Field 2", "%First%"};
    };
    const Adjust quoted = [](ProjectSettings& s) {
        s.quotes = true;
        s.delim = ",";
    };
    expectNames({
        {"Smith;Ann", {tmpl("%Last%-%First%-?.htm"), rules}, kNamed, "/out/Smith-Ann-7.htm", "Smith-Ann-7.htm", 7},
        // Without the key the template is taken as it stands.
        {"Smith;Ann", {tmpl("%Last%.htm")}, kNamed, "/out/%Last%.htm", "%Last%.htm"},
        // Quoted values are unquoted before they go into the name.
        {"\"Smith, J\",Ann", {tmpl("%Last%.htm"), rules, quoted}, kNamed, "/out/Smith, J.htm", "Smith, J.htm"},
        // Values make subfolders as a field name does, and never climb out.
        {"2024/Smith;Ann", {tmpl("%Last%.htm"), rules}, kNamed, "/out/2024/Smith.htm", "2024/Smith.htm"},
        {"..;x", {tmpl("%Last%/%First%.htm"), rules}, kLeaves},
        {";", {tmpl("%Last%%First%"), rules}, kNoName},
    });
}

TEST(OutputNaming, NoUsableNameGivesNoFile)
{
    const Adjust noSource = [](ProjectSettings& s) { s.nameFromFld = false; };
    expectNames({
        {"", {}, kNoName},
        {";North", {}, kNoName},
        {"Smith;North", {nameField("Field 3")}, kNoName},
        {"Smith;North", {nameField("Field")}, kNoName},
        {"Smith;North", {nameField("Field 0")}, kNoName},
        {"Smith;North", {noSource}, kNoName},
        {"Smith", {tmpl("")}, kNoName},
    });
}

TEST(OutputNaming, TellsWhyARecordGivesNoName)
{
    const struct {
        const char* what;
        bool fromField, fromTemplate;
        std::string nameField, nameTemplate, data, reason;
    } cases[] = {
        {"empty field", true, false, "Field 1", "", ";x", "the name field 1 is empty"},
        {"short record", true, false, "Field 3", "", "a;b", "no field 3 for the name (the record has 2 fields)"},
        {"label without digits", true, false, "Name", "", "a;b", "the name field \"Name\" has no field number"},
        {"no source", false, false, "Field 1", "", "a;b", "no name source is selected"},
        {"empty name template", false, true, "Field 1", "", "a;b", "the name template is empty"},
    };
    for (const auto& c : cases) {
        ProjectSettings s;
        s.nameFromFld = c.fromField;
        s.nameFromTemp = c.fromTemplate;
        s.FileNameFld = c.nameField;
        s.edTemp = c.nameTemplate;
        const OutputName name = recordOutputName(s, "/out", c.data, 1);
        EXPECT_EQ(name.refusal, kNoName) << c.what;
        EXPECT_EQ(detailText(name.why), c.reason) << c.what;
    }
    ProjectSettings s;
    s.nameFromFld = true;
    s.FileNameFld = "Field 1";
    EXPECT_EQ(detailText(recordOutputName(s, "/out", "../x", 1).why),
              "a \"..\" component would leave the output folder");
}

TEST(OutputNaming, NameTemplateNumbersRecords)
{
    const Adjust bothSources = [](ProjectSettings& s) { s.nameFromFld = true; };
    expectNames({
        {"Smith", {tmpl("example-F?.htm")}, kNamed, "/out/example-F1.htm", "example-F1.htm", 1},
        {"Smith", {tmpl("example-F?.htm")}, kNamed, "/out/example-F12.htm", "example-F12.htm", 12},
        // No extension is added to a template name, whatever the extension option says.
        {"Smith", {tmpl("F?-?")}, kNamed, "/out/F3-3", "F3-3", 3},
        {"Smith", {tmpl("same.htm")}, kNamed, "/out/same.htm", "same.htm", 7},
        {"",
         {tmpl("cards\\?.htm")},
         kNamed,
         "/out/cards/18446744073709551615.htm",
         "cards/18446744073709551615.htm",
         UINT64_MAX},
        // Were both name sources on, the template wins.
        {"Smith", {tmpl("t?.htm"), bothSources}, kNamed, "/out/t4.htm", "t4.htm", 4},
    });
}

TEST(OutputNaming, CaseChangeTouchesOnlyTheBaseName)
{
    const Adjust optionOff = [](ProjectSettings& s) { s.caseIndex = kCaseSmall; };
    expectNames({
        {"", {tmpl("example-F?.htm"), toCase(kCaseLarge)}, kNamed, "/out/EXAMPLE-F1.HTM", "EXAMPLE-F1.HTM"},
        {"Smith.HTM", {toCase(kCaseSmall)}, kNamed, "/out/smith.htm", "smith.htm"},
        {"smith;North", {toCase(kCaseLarge), folder("/Out"), sub}, kNamed, "/Out/North/SMITH.HTM", "North/SMITH.HTM"},
        {"SMITH;North", {toCase(kCaseSmall), folder("/Out"), sub}, kNamed, "/Out/North/smith.htm", "North/smith.htm"},
        {"Иван Петров", {toCase(kCaseLarge)}, kNamed, "/out/ИВАН ПЕТРОВ.HTM", "ИВАН ПЕТРОВ.HTM"},
        {"ÉCOLE", {toCase(kCaseSmall)}, kNamed, "/out/école.htm", "école.htm"},
        {"123 élan VITAL", {toCase(kCaseSentence)}, kNamed, "/out/123 Élan vital.htm", "123 Élan vital.htm"},
        {"2024\\SMITH", {toCase(kCaseSentence)}, kNamed, "/out/2024/Smith.htm", "2024/Smith.htm"},
        {"Smith.HTM", {optionOff}, kNamed, "/out/Smith.HTM", "Smith.HTM"},
        {"Smith.HTM", {toCase(kCaseNone)}, kNamed, "/out/Smith.HTM", "Smith.HTM"},
    });
}

TEST(OutputNaming, SubfolderFromField)
{
    expectNames({
        {"Smith;North", {sub}, kNamed, "/out/North/Smith.htm", "North/Smith.htm"},
        {"Smith;North\\East", {sub}, kNamed, "/out/North/East/Smith.htm", "North/East/Smith.htm"},
        {"Smith;North/", {sub}, kNamed, "/out/North/Smith.htm", "North/Smith.htm"},
        // Blanks only decide whether there is a subfolder; the value is used untrimmed.
        {"Smith; North ", {sub}, kNamed, "/out/ North /Smith.htm", " North /Smith.htm"},
        {"Smith;\t \r", {sub}, kNamed, "/out/Smith.htm", "Smith.htm"},
        {"Smith", {sub}, kNamed, "/out/Smith.htm", "Smith.htm"},
        {"Smith;North", {}, kNamed, "/out/Smith.htm", "Smith.htm"},
    });
}

TEST(OutputNaming, OutputFolderIsUsedAsItStands)
{
    expectNames({
        {"Smith", {folder("/out/")}, kNamed, "/out/Smith.htm", "Smith.htm"},
        {"Smith", {folder("")}, kNamed, "/Smith.htm", "Smith.htm"},
        {"Smith", {folder("out")}, kNamed, "out/Smith.htm", "Smith.htm"},
        {"Smith", {folder("/my out\\x")}, kNamed, "/my out\\x/Smith.htm", "Smith.htm"},
        {"Smith", {folder("/tmp/../out")}, kNamed, "/tmp/../out/Smith.htm", "Smith.htm"},
    });
}

TEST(OutputNaming, DeletionOfNonLatinCharacters)
{
    expectNames({
        {"Mary Ann", {del}, kNamed, "/out/MaryAnn.htm", "MaryAnn.htm"},
        {"", {tmpl("example-F?.htm"), del}, kNamed, "/out/exampleF1.htm", "exampleF1.htm"},
        // The output folder is the user's choice: deletion never touches it.
        {"Smith", {folder("/my out_1"), del}, kNamed, "/my out_1/Smith.htm", "Smith.htm"},
        {"Smith", {folder("~/del_out-1"), del}, kNamed, "~/del_out-1/Smith.htm", "Smith.htm"},
        {"Иван-2:b", {del}, kNamed, "/out/2b.htm", "2b.htm"},
        {"a\\b;c d", {sub, del}, kNamed, "/out/cd/a/b.htm", "cd/a/b.htm"},
        {"10:30;12:00", {sub, del}, kNamed, "/out/1200/1030.htm", "1200/1030.htm"},
        {"--- ", {del}, kNamed, "/out/.htm", ".htm"},
        // Nothing left of the name: the path names the folder, whose file cannot be created.
        {"--- ", {noExt, del}, kNamed, "/out/", ""},
    });
}

TEST(OutputNaming, ColonsLeaveOnlyTheFileName)
{
    expectNames({
        {"12:30", {}, kNamed, "/out/1230.htm", "1230.htm"},
        {"12:30;10:00", {sub}, kNamed, "/out/10:00/1230.htm", "10:00/1230.htm"},
        {"x\\1:2", {}, kNamed, "/out/x/12.htm", "x/12.htm"},
        {"Smith", {folder("/o:ut")}, kNamed, "/o:ut/Smith.htm", "Smith.htm"},
    });
}

TEST(OutputNaming, ParentComponentLeavesOutputFolder)
{
    expectNames({
        {"..\\etc\\passwd", {}, kLeaves},
        {"a/../../x", {}, kLeaves},
        {"..", {}, kLeaves},
        {"x/..", {}, kLeaves},
        {"Smith;..", {sub}, kLeaves},
        {"Smith;a\\..\\..", {sub}, kLeaves},
        // Deletion and colon removal can make a ".." that the raw value did not have.
        {". ./x", {del}, kLeaves},
        {"Smith;.-.", {sub, del}, kLeaves},
        {"a/.:.", {}, kLeaves},
        // Other dotted components stay inside the folder.
        {"./x", {}, kNamed, "/out/./x.htm", "./x.htm"},
        {"...", {}, kNamed, "/out/...", "..."},
        {"..x/y", {}, kNamed, "/out/..x/y.htm", "..x/y.htm"},
        {"Smith; .. ", {sub}, kNamed, "/out/ .. /Smith.htm", " .. /Smith.htm"},
    });
}

TEST(OutputNaming, LeadingSlashStaysBelowOutputFolder)
{
    expectNames({
        {"/etc/passwd", {}, kNamed, "/out/etc/passwd.htm", "etc/passwd.htm"},
        {"\\\\server\\share", {}, kNamed, "/out/server/share.htm", "server/share.htm"},
        {"Smith;/North", {sub}, kNamed, "/out/North/Smith.htm", "North/Smith.htm"},
        {"Smith;/", {sub}, kNamed, "/out/Smith.htm", "Smith.htm"},
    });
}

TEST(OutputNaming, TrailingSlash)
{
    const std::pair<std::string, std::string> slashRows[] = {
        {"", "/"}, {"/", "/"}, {"/out", "/out/"}, {"/out/", "/out/"}, {"out\\", "out\\/"},
    };
    for (const auto& [text, expected] : slashRows)
        EXPECT_EQ(withTrailingSlash(text), expected) << text;
}

} // namespace
} // namespace stencilor
