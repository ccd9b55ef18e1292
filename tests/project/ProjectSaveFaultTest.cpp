// SPDX-License-Identifier: GPL-3.0-or-later
// Saving a project onto a disk that fills up: the save fails with the system's reason, the old
// project file stays byte for byte as it was, no temporary file is left beside it, and the
// program settings file does not record a project that was not saved.

#include "FaultInjection.h"
#include "TestUtil.h"
#include "platform/Messages.h"
#include "project/ProjectFile.h"

#include <cerrno>
#include <filesystem>
#include <gtest/gtest.h>
#include <set>
#include <string>

namespace stencilor {
namespace {

std::set<std::string> namesIn(const std::string& folder)
{
    std::set<std::string> names;
    for (const auto& entry : std::filesystem::directory_iterator(folder))
        names.insert(entry.path().filename().string());
    return names;
}

TEST(ProjectSaveFault, AFullDiskKeepsTheOldProjectAndReportsTheFailure)
{
    test::TempDir dir;
    const std::string oldProject = "; kept by hand\n[setup]\ndelim=;\nrulesCount=2\n[rules]\nColFld1=Field 1\n"
                                   "ColTemp1=%Old%\n[mine]\nnote=survives\n";
    const std::string project = dir.write("work/p.ql", oldProject);
    const std::string settingsFile = dir.write("prog/stencilor.ini", "[total]\nlastprj=/old/p.ql\n");

    // The new project is far bigger than the room left on the disk.
    ProjectSettings settings;
    settings.rules.setRowCount(200);
    for (std::size_t i = 0; i < settings.rules.ruleCount(); ++i)
        settings.rules.rule(i) = Rule{"Field 1", std::string(100, 'i') + std::to_string(i)};
    Status status;
    {
        test::FileSizeLimit limit(8192);
        if (!limit.active())
            GTEST_SKIP() << "cannot limit the file size";
        status = saveProject(project, settings, dir.file("prog/"), settingsFile);
    }
    ASSERT_FALSE(status.ok());
    EXPECT_EQ(status.error().code, EFBIG);
    EXPECT_EQ(errorText(status.error()), "cannot write file \"" + project + "\": File too large");
    EXPECT_EQ(dir.read("work/p.ql"), oldProject);
    EXPECT_EQ(namesIn(dir.file("work")), std::set<std::string>{"p.ql"});
    EXPECT_EQ(readLastProject(settingsFile), "/old/p.ql");

    // With room again the same save goes through and keeps the lines written by hand.
    ASSERT_TRUE(saveProject(project, settings, dir.file("prog/"), settingsFile).ok());
    const std::string saved = dir.read("work/p.ql");
    EXPECT_TRUE(saved.starts_with("; kept by hand\n")) << saved.substr(0, 40);
    EXPECT_NE(saved.find("[mine]\nnote=survives\n"), std::string::npos);
    EXPECT_EQ(readLastProject(settingsFile), project);
}

} // namespace
} // namespace stencilor
