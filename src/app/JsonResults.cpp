// SPDX-License-Identifier: GPL-3.0-or-later
#include "app/JsonResults.h"

#include "generation/JsonText.h"
#include "platform/Messages.h"

#include <cmath>

namespace stencilor {

namespace {

const char* outcomeCode(RunOutcome outcome)
{
    switch (outcome) {
    case RunOutcome::NotStarted:
        return "not-started";
    case RunOutcome::Completed:
        return "completed";
    case RunOutcome::Stopped:
        return "stopped";
    case RunOutcome::Failed:
        return "failed";
    }
    return "";
}

// An object that begins with the schema version, and, when `outcome` is given, the outcome.
JsonObject versioned(const char* outcome = nullptr)
{
    JsonObject object;
    object.add("schema", kJsonSchema);
    if (outcome)
        object.add("outcome", outcome);
    return object;
}

// {"code":"open-input","message":"Cannot open file ..."}
std::string errorJson(const Error& error)
{
    JsonObject object;
    object.add("code", errorCode(error.kind)).add("message", errorText(error));
    return object.text();
}

void addError(JsonObject& object, const std::optional<Error>& error)
{
    if (error)
        object.addRaw("error", errorJson(*error));
    else
        object.addNull("error");
}

} // namespace

std::string notStartedJson(const Error& error)
{
    JsonObject object = versioned(outcomeCode(RunOutcome::NotStarted));
    addError(object, error);
    return object.text();
}

std::string mergeJson(const MergeResult& merged, const std::string& report, std::size_t manifests)
{
    JsonObject object = versioned(merged ? "written" : "refused");
    if (merged)
        object.add("report", report);
    else
        object.addNull("report");
    std::string problems = "[";
    for (const Error& problem : merged.problems)
        problems.append(problems.size() > 1 ? "," : "").append(errorJson(problem));
    object.add("manifests", static_cast<std::uint64_t>(manifests)).addRaw("problems", problems + "]");
    return object.text();
}

std::string runSummaryJson(const RunSummary& s, double seconds)
{
    JsonObject skipped;
    skipped.add("noName", s.skippedFor(Refusal::NoName))
        .add("folder", s.skippedFor(Refusal::FolderFailed))
        .add("outside", s.skippedFor(Refusal::LeavesFolder))
        .add("link", s.skippedFor(Refusal::LinkInPath))
        .add("ownInput", s.skippedFor(Refusal::OwnInput));
    JsonObject summary = versioned(outcomeCode(s.outcome));
    summary.add("records", s.recordCount);
    // The records the run took: a part of a job names its part and its records' numbers.
    if (s.firstRecord == 0)
        summary.addNull("firstRecord").addNull("lastRecord");
    else
        summary.add("firstRecord", s.firstRecord).add("lastRecord", s.firstRecord + s.recordCount - 1);
    if (s.part.isWhole()) {
        summary.addNull("part");
    } else {
        JsonObject part;
        part.add("index", s.part.part).add("count", s.part.parts);
        summary.addRaw("part", part.text());
    }
    summary.add("recordsProcessed", s.recordsProcessed)
        .add("filesWritten", s.filesWritten)
        .add("recordsSkipped", s.recordsSkipped())
        .addRaw("skipped", skipped.text())
        .add("report", s.reportWritten  ? "written"
                       : s.reportFailed ? "failed"
                                        : "none")
        // Milliseconds as a whole number: JSON numbers of a fixed form, whatever the locale.
        .add("milliseconds", static_cast<std::uint64_t>(std::llround(seconds * 1000)));
    addError(summary, s.error);
    return summary.text();
}

std::string checkJson(const DataFileState& state, const std::vector<std::string>& warnings)
{
    JsonObject check = versioned(outcomeCode(RunOutcome::Completed));
    check.add("fields", std::int64_t{state.csvFieldCount})
        .add("sample", shownLine(state.csvSampleLine, state.csvSampleBytes))
        .add("sampleBytes", state.csvSampleBytes)
        .add("widest", shownLine(state.csvWidestLine, state.csvWidestBytes))
        .add("widestBytes", state.csvWidestBytes);
    if (state.encoding) {
        check.add("encoding", state.encoding->name).add("replaced", state.replaced);
    }
    if (!state.sheet.empty())
        check.add("sheet", state.sheet);
    if (!state.fieldNames.empty())
        check.addStrings("names", state.fieldNames);
    check.addStrings("warnings", warnings);
    return check.text();
}

FindingsJsonWriter::FindingsJsonWriter(std::ostream& out, bool lines)
    : m_out(out)
    , m_lines(lines)
{
    if (m_lines)
        return;
    // The document's head: the object's first members, its findings to follow.
    std::string head = versioned(outcomeCode(RunOutcome::Completed)).text();
    head.pop_back();
    m_out << head << ",\"findings\":[";
}

void FindingsJsonWriter::add(const CheckFinding& f)
{
    JsonObject item;
    if (m_lines)
        item = versioned().add("type", "finding");
    const std::string code = checkFindingCode(f.kind);
    item.add("code", code).add("kind", checkFindingLabel(f.kind));
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
    if (m_lines)
        m_out << item.text() << '\n';
    else
        m_out << (m_first ? "" : ",") << item.text();
    m_first = false;
    ++m_counts[code];
}

void FindingsJsonWriter::finish(const CheckReport& report)
{
    JsonObject counts;
    for (const auto& [code, count] : m_counts)
        counts.add(code, count);
    if (m_lines) {
        JsonObject summary = versioned(outcomeCode(RunOutcome::Completed));
        summary.add("type", "summary")
            .add("recordsChecked", report.recordsChecked)
            .add("findingCount", report.findingCount)
            .addRaw("counts", counts.text());
        m_out << summary.text() << '\n';
        return;
    }
    m_out << "],\"recordsChecked\":" << report.recordsChecked << ",\"findingCount\":" << report.findingCount
          << ",\"counts\":" << counts.text() << "}\n";
}

} // namespace stencilor
