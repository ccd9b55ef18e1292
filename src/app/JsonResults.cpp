#include "app/JsonResults.h"

#include "generation/JsonText.h"
#include "platform/Messages.h"

#include <cmath>

namespace stencilor {

namespace {

const char* outcomeText(RunOutcome outcome)
{
    switch (outcome) {
    case RunOutcome::NotStarted:
        return "not started";
    case RunOutcome::Completed:
        return "completed";
    case RunOutcome::Stopped:
        return "stopped";
    case RunOutcome::Failed:
        return "failed";
    }
    return "";
}

} // namespace

std::string runSummaryJson(const RunSummary& s, double seconds)
{
    JsonObject skipped;
    skipped.add("noName", s.skippedFor(Refusal::NoName))
        .add("folder", s.skippedFor(Refusal::FolderFailed))
        .add("outside", s.skippedFor(Refusal::LeavesFolder))
        .add("link", s.skippedFor(Refusal::LinkInPath))
        .add("ownInput", s.skippedFor(Refusal::OwnInput));
    JsonObject summary;
    summary.add("outcome", outcomeText(s.outcome))
        .add("records", s.recordCount)
        .add("recordsProcessed", s.recordsProcessed)
        .add("filesWritten", s.filesWritten)
        .add("recordsSkipped", s.recordsSkipped())
        .addRaw("skipped", skipped.text())
        .add("report", s.reportWritten  ? "written"
                       : s.reportFailed ? "failed"
                                        : "none")
        // Milliseconds as a whole number: JSON numbers of a fixed form, whatever the locale.
        .add("milliseconds", static_cast<std::uint64_t>(std::llround(seconds * 1000)));
    if (!s.error)
        summary.addNull("error");
    else
        summary.add("error", errorText(*s.error));
    return summary.text();
}

std::string checkJson(const DataFileState& state, const std::vector<std::string>& warnings)
{
    JsonObject check;
    check.add("fields", std::int64_t{state.csvFieldCount})
        .add("sample", state.csvSampleLine)
        .add("widest", state.csvWidestLine);
    if (state.encoding) {
        check.add("encoding", state.encoding->name).add("replaced", state.replaced);
    }
    if (!state.fieldNames.empty())
        check.addStrings("names", state.fieldNames);
    check.addStrings("warnings", warnings);
    return check.text();
}

FindingsJsonWriter::FindingsJsonWriter(std::ostream& out)
    : m_out(out)
{
    m_out << "{\"findings\":[";
}

void FindingsJsonWriter::add(const CheckFinding& f)
{
    JsonObject item;
    const std::string kind = checkFindingLabel(f.kind);
    item.add("kind", kind);
    if (f.record == 0)
        item.addNull("record").addNull("line");
    else
        item.add("record", f.record).add("line", f.line);
    if (f.rule == 0)
        item.addNull("rule");
    else
        item.add("rule", f.rule);
    if (f.name.empty())
        item.addNull("name");
    else
        item.add("name", f.name);
    item.add("detail", detailText(f.detail));
    m_out << (m_first ? "" : ",") << item.text();
    m_first = false;
    ++m_counts[kind];
}

void FindingsJsonWriter::finish(const CheckReport& report)
{
    JsonObject counts;
    for (const auto& [kind, count] : m_counts)
        counts.add(kind, count);
    m_out << "],\"recordsChecked\":" << report.recordsChecked << ",\"findingCount\":" << report.findingCount
          << ",\"counts\":" << counts.text() << "}\n";
}

} // namespace stencilor
