#include "generation/RecordPreview.h"

#include "datasource/Fields.h"
#include "datasource/RecordFields.h"
#include "datasource/TextLines.h"
#include "generation/CompiledTemplate.h"
#include "generation/ContentReport.h"
#include "generation/GenerationRun.h"
#include "generation/RunInputs.h"
#include "platform/Messages.h"
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

RecordPreview previewRecord(const ProjectSettings& s, const std::string& projectPath, const std::string& programFolder,
                            std::uint64_t record)
{
    RecordPreview preview;
    const Result<RunInputs> inputs = openRunInputs(s, projectPath, programFolder);
    if (!inputs) {
        preview.message = inputs.error().message;
        return preview;
    }
    RunRecords& data = *inputs.value().data;
    const Result<RecordCount> counted = data.count();
    if (!counted) {
        preview.message = counted.error().message;
        return preview;
    }
    preview.recordCount = counted.value().total;
    if (record == 0 || record > preview.recordCount) {
        preview.message = noSuchRecordMessage(record);
        return preview;
    }
    if (s.header && record == 1) {
        preview.message = "Record 1 names the fields: it gets no file.";
        return preview;
    }
    DataRecord found;
    for (std::uint64_t number = 1; number <= record; ++number) {
        const Result<bool> got = data.next(found);
        if (!got || !got.value()) {
            preview.message = got ? noSuchRecordMessage(record) : got.error().message;
            return preview;
        }
    }
    preview.line = std::string(found.text);
    const RecordFields fields(preview.line, s.delim, s.quotes);
    preview.html = isHtmlTemplate(s.templatefile);

    // The rules one by one on the whole text, as the run defines the result.
    preview.text = normalizeLineEnds(inputs.value().templateText);
    preview.segments.push_back({preview.text, 0});
    std::uint64_t row = 0;
    for (const Rule& rule : s.rules.rules()) {
        ++row;
        const int field = rule.activeField();
        if (field == 0)
            continue;
        std::string escaped;
        if (s.escapehtml)
            appendHtmlValueEscaped(escaped, fields.field(field));
        const std::string_view value = s.escapehtml ? std::string_view(escaped) : fields.field(field);
        markReplacements(preview.segments, rule.identifier, value, row);
        if (!applyRules(preview.text, {rule.identifier}, {value}, GenerationRun::kMaxRecordText)) {
            preview.message = recordTooLargeMessage(record, GenerationRun::kMaxRecordText);
            preview.text.clear();
            preview.segments.clear();
            return preview;
        }
    }
    std::string joined;
    for (const PreviewSegment& segment : preview.segments)
        joined += segment.text;
    if (joined != preview.text)
        preview.segments.clear();

    preview.name = recordOutputName(s, inputs.value().paths.outputFolder, fields, record);
    if (preview.name.outcome == NameOutcome::Named)
        preview.fullPath = preview.name.path;
    preview.ok = true;
    return preview;
}

} // namespace stencilor
