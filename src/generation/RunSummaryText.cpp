#include "generation/RunSummaryText.h"

#include <sstream>

namespace stencilor {

std::string filesAndSkipsText(const RunSummary& summary)
{
    std::ostringstream text;
    text << summary.filesWritten << (summary.filesWritten == 1 ? " file" : " files") << " written, ";
    const std::uint64_t skipped = summary.skippedNoName + summary.skippedFolder + summary.skippedOutside;
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
    part(summary.skippedNoName, "without a name");
    part(summary.skippedFolder, "whose folder could not be created");
    part(summary.skippedOutside, "whose name would leave the output folder");
    text << ')';
    return text.str();
}

} // namespace stencilor
