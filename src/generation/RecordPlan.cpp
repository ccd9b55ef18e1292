// SPDX-License-Identifier: GPL-3.0-or-later
#include "generation/RecordPlan.h"

#include "datasource/TextLines.h"
#include "generation/ContentReport.h"
#include "platform/ContentHash.h"

namespace stencilor {

void RecordPlanner::use(const ProjectSettings& s, RunInputPaths paths, const RecordReader::Options* sheetForm)
{
    m_settings = &s;
    m_sheetForm = sheetForm;
    m_paths = std::move(paths);
    m_identifiers.clear();
    m_fieldNumbers.clear();
    for (const Rule& rule : s.rules.rules()) {
        const int field = rule.activeField();
        if (field == 0)
            continue;
        m_identifiers.push_back(rule.identifier);
        m_fieldNumbers.push_back(static_cast<std::size_t>(field));
    }
    m_rulesFresh = true;
}

Result<std::string> RecordPlanner::templateHash()
{
    bool reread = false;
    const Result<const std::string*> templ = m_templateFile.current(m_paths.templateFile, reread);
    if (!templ)
        return systemError(ErrorKind::OpenInput, absolutePath(m_paths.templateFile), templ.error().code);
    return ContentHash::of(*templ.value());
}

RecordPlan& RecordPlanner::plan(const DataRecord& record, Render render)
{
    const ProjectSettings& s = *m_settings;
    RecordPlan& plan = m_plan;
    plan.number = record.number;
    plan.firstLine = record.firstLine;
    plan.place = m_selection.placeOf(record.number, record.offset);
    plan.refusal = Refusal::None;
    plan.rendered = false;
    plan.error.reset();
    m_reread = false;
    if (plan.place != RecordSelection::Place::Taken)
        return plan;
    if (m_sheetForm)
        plan.fields.assign(record.text, m_sheetForm->delim, m_sheetForm->quotes);
    else
        plan.fields.assign(record.text, s.delim, s.quotes);
    plan.outputFolder = m_paths.outputFolder;
    plan.reportRow = s.report;
    plan.reportFld = s.report_fld;
    // The header record names the fields: it gets no file and no report row, and keeps its number.
    if (isHeaderRecord(s.header, record.number)) {
        plan.refusal = Refusal::Header;
        return plan;
    }
    if (m_paths.outputFolder.empty()) {
        plan.error = Error(ErrorKind::OutputFolderNotSet);
        return plan;
    }
    // The name comes first: a record without one costs no look at the template.
    plan.name = recordOutputName(s, m_paths.outputFolder, plan.fields, record.number);
    plan.refusal = plan.name.refusal;
    if (plan.refusal == Refusal::None && render == Render::Now)
        this->render();
    return plan;
}

void RecordPlanner::render()
{
    const ProjectSettings& s = *m_settings;
    RecordPlan& plan = m_plan;
    bool reread = false;
    if (!(m_keepFirstTemplate && m_compiled)) {
        const Result<const std::string*> templ = m_templateFile.current(m_paths.templateFile, reread);
        if (!templ) {
            plan.error = systemError(ErrorKind::OpenInput, absolutePath(m_paths.templateFile), templ.error().code);
            return;
        }
        m_raw = templ.value();
    }
    m_reread = reread;
    const std::string& raw = *m_raw;

    // The template compiled for the rule list gives the text in one pass; it is compiled again
    // when the template file's text (read again when `reread`) or the rules' identifiers change,
    // and a record whose values could make the one pass differ gets the rules one by one.
    const bool rulesChanged = m_rulesFresh && !m_template.isFor(m_identifiers);
    m_rulesFresh = false;
    if (!m_compiled || (reread && templateChanged(raw)) || rulesChanged) {
        // A small template keeps the bytes it was compiled from, for a plain compare when it is
        // read again; a big one is compared with the compiled text line by line instead, so that
        // no third copy of it is held.
        m_compiledRawKept = raw.size() <= kKeptTemplateBytes;
        if (m_compiledRawKept)
            m_compiledRaw = raw;
        else
            std::string().swap(m_compiledRaw);
        m_template.compile(normalizeLineEnds(raw), m_identifiers);
        m_compiled = true;
    }

    m_values.clear();
    if (s.escapehtml) {
        // The escaped values are built first, then viewed: the texts may move while they grow.
        m_escaped.resize(m_fieldNumbers.size());
        for (std::size_t i = 0; i < m_fieldNumbers.size(); ++i) {
            m_escaped[i].clear();
            appendHtmlValueEscaped(m_escaped[i], plan.fields.field(static_cast<std::int64_t>(m_fieldNumbers[i])));
        }
        for (const std::string& value : m_escaped)
            m_values.push_back(value);
    } else {
        for (std::size_t field : m_fieldNumbers)
            m_values.push_back(plan.fields.field(static_cast<std::int64_t>(field)));
    }
    bool fits = true;
    switch (m_template.render(m_values, plan.text, m_recordLimit)) {
    case CompiledTemplate::Render::Done:
        break;
    case CompiledTemplate::Render::TooLarge:
        fits = false;
        break;
    case CompiledTemplate::Render::Declined:
        plan.text = m_template.text();
        fits = applyRules(plan.text, m_identifiers, m_values, m_recordLimit);
        break;
    }
    if (!fits) {
        plan.error = Error(ErrorKind::RecordTooLarge, {}, 0, {plan.number, m_recordLimit});
        return;
    }
    plan.rendered = true;
}

bool RecordPlanner::templateChanged(const std::string& raw) const
{
    return m_compiledRawKept ? raw != m_compiledRaw : !normalizesTo(raw, m_template.text());
}

std::string RecordPlanner::takeText()
{
    std::string text = std::move(m_plan.text);
    m_plan.text.clear();
    if (!m_spareTexts.empty()) {
        m_plan.text = std::move(m_spareTexts.back());
        m_spareTexts.pop_back();
    }
    return text;
}

void RecordPlanner::reuse(std::string text)
{
    if (m_spareTexts.size() < kSpareTexts && text.capacity() <= kSpareTextBytes)
        m_spareTexts.push_back(std::move(text));
}

} // namespace stencilor
