// SPDX-License-Identifier: GPL-3.0-or-later
#include "generation/RunSummaryText.h"

#include <gtest/gtest.h>

namespace stencilor {
namespace {

TEST(RunSummaryText, CountsFilesAndSkippedRecordsByKind)
{
    const struct {
        std::uint64_t written, noName, folder, outside;
        const char* expected;
        std::uint64_t link = 0, ownInput = 0;
    } cases[] = {
        {0, 0, 0, 0, "0 files written, 0 records skipped"},
        {1, 0, 0, 0, "1 file written, 0 records skipped"},
        {300, 1, 0, 0, "300 files written, 1 record skipped (1 without a name)"},
        {2, 0, 3, 0, "2 files written, 3 records skipped (3 whose folder could not be created)"},
        {5, 1, 0, 2,
         "5 files written, 3 records skipped (1 without a name, 2 whose name would leave the output folder)"},
        {0, 1, 1, 1,
         "0 files written, 3 records skipped (1 without a name, 1 whose folder could not be created, 1 whose name "
         "would leave the output folder)"},
        {1, 0, 0, 0,
         "1 file written, 3 records skipped (1 whose folder is a symbolic link, 2 that would replace an "
         "input of the run or its report)",
         1, 2},
    };
    for (const auto& c : cases) {
        RunSummary summary;
        summary.filesWritten = c.written;
        summary.skipped[static_cast<std::size_t>(Refusal::NoName)] = c.noName;
        summary.skipped[static_cast<std::size_t>(Refusal::FolderFailed)] = c.folder;
        summary.skipped[static_cast<std::size_t>(Refusal::LeavesFolder)] = c.outside;
        summary.skipped[static_cast<std::size_t>(Refusal::LinkInPath)] = c.link;
        summary.skipped[static_cast<std::size_t>(Refusal::OwnInput)] = c.ownInput;
        EXPECT_EQ(filesAndSkipsText(summary), c.expected);
    }
}

} // namespace
} // namespace stencilor
