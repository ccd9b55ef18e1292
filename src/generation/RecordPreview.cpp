// SPDX-License-Identifier: GPL-3.0-or-later
#include "generation/RecordPreview.h"

#include "datasource/TextLines.h"
#include "generation/ContentReport.h"
#include "generation/RecordPlan.h"
#include "project/ProjectCommands.h"

#include <algorithm>

namespace stencilor {

namespace {

// Replaces `identifier` by `value` in the template pieces only, from left to right.
void markReplacements(std::vector<PreviewSegment>& segments, std::string_view identifier, std::string_view value,
                      std::uint64_t rule)
{
    std::vector<PreviewSegment> result;
    for (PreviewSegment& segment : segments) {
        if (segment.rule != 0) {
            result.push_back(std::move(segment));
            continue;
        }
        std::string_view rest = segment.text;
        for (std::size_t at = rest.find(identifier); at != std::string_view::npos; at = rest.find(identifier)) {
            if (at > 0)
                result.push_back({std::string(rest.substr(0, at)), 0});
            if (!value.empty())
                result.push_back({std::string(value), rule});
            rest.remove_prefix(at + identifier.size());
        }
        if (!rest.empty())
            result.push_back({std::string(rest), 0});
    }
    segments = std::move(result);
}

} // namespace

RecordPreview previewRecord(const ProjectSettings& s, const ProjectPlace& place, std::uint64_t record,
                            const PassWatch& watch)
{
    RecordPreview preview;
    const Result<RunInputs> inputs = openRunInputs(s, place);
    if (!inputs) {
        preview.problem = inputs.error();
        return preview;
    }
    RunRecords& data = *inputs.value().data;
    const Result<RecordCount> counted = data.count({}, watch);
    if (!counted) {
        preview.problem = counted.error();
        return preview;
    }
    if (counted.value().stopped) {
        preview.stopped = true;
        return preview;
    }
    preview.recordCount = counted.value().total;
    const Error noSuchRecord(ErrorKind::NoSuchRecord, {}, 0, {record});
    if (record == 0 || record > preview.recordCount) {
        preview.problem = noSuchRecord;
        return preview;
    }
    RecordPlanner planner(kMaxRecordText);
    planner.use(s, inputs.value().paths, data.sheetForm());
    planner.select(RecordSelection{RecordRange{record, record}, {}, data.size()});
    data.skipTo(record);
    DataRecord found;
    RecordPlan* plan = nullptr;
    while (!plan) {
        if (watch.stopRequested()) {
            preview.stopped = true;
            return preview;
        }
        const Result<bool> got = data.next(found);
        if (!got || !got.value()) {
            preview.problem = got ? noSuchRecord : got.error();
            return preview;
        }
        if (watch.reading)
            watch.reading(found.number, record);
        RecordPlan& planned = planner.plan(found, RecordPlanner::Render::Later);
        if (planned.place == RecordSelection::Place::Taken)
            plan = &planned;
    }
    if (plan->refusal == Refusal::Header) {
        preview.problem = Error(ErrorKind::HeaderRecord);
        return preview;
    }
    preview.line = std::string(found.text);
    preview.html = isHtmlTemplate(s.templatefile);
    planner.render();
    if (plan->error) {
        preview.problem = plan->error;
        return preview;
    }
    preview.text = plan->text;

    // The pieces: the rules one by one on the template's pieces, as the run defines the result.
    preview.segments.push_back({normalizeLineEnds(inputs.value().templateText), 0});
    std::uint64_t row = 0;
    for (const Rule& rule : s.rules.rules()) {
        ++row;
        const int field = rule.activeField();
        if (field == 0)
            continue;
        std::string escaped;
        if (s.escapehtml)
            appendHtmlValueEscaped(escaped, plan->fields.field(field));
        markReplacements(preview.segments, rule.identifier,
                         s.escapehtml ? std::string_view(escaped) : plan->fields.field(field), row);
    }
    std::string joined;
    for (const PreviewSegment& segment : preview.segments)
        joined += segment.text;
    if (joined != preview.text)
        preview.segments.clear();

    preview.name = plan->name;
    if (preview.name.named())
        preview.fullPath = preview.name.path;
    preview.ok = true;
    return preview;
}

} // namespace stencilor
