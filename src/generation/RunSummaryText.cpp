// SPDX-License-Identifier: GPL-3.0-or-later
#include "generation/RunSummaryText.h"

#include <sstream>

namespace stencilor {

std::string filesAndSkipsText(const RunSummary& summary)
{
    std::ostringstream text;
    text << summary.filesWritten << (summary.filesWritten == 1 ? " file" : " files") << " written, ";
    const std::uint64_t skipped = summary.recordsSkipped();
    text << skipped << (skipped == 1 ? " record" : " records") << " skipped";
    if (skipped == 0)
        return text.str();
    const char* separator = " (";
    auto part = [&](std::uint64_t count, const char* why) {
        if (count == 0)
            return;
        text << separator << count << ' ' << why;
        separator = ", ";
    };
    part(summary.skippedFor(Refusal::NoName), "without a name");
    part(summary.skippedFor(Refusal::FolderFailed), "whose folder could not be created");
    part(summary.skippedFor(Refusal::LeavesFolder), "whose name would leave the output folder");
    part(summary.skippedFor(Refusal::LinkInPath), "whose folder is a symbolic link");
    part(summary.skippedFor(Refusal::OwnInput), "that would replace an input of the run or its report");
    text << ')';
    return text.str();
}

} // namespace stencilor
