// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

// What a run decides for one record before anything is written, decided in this one place for
// the run, the check before writing, the record preview and the window's check: whether the
// record is taken (its number, its part of the job, the header), its fields, its output name and
// folder or the reason it gets no file, and its text. The outputs the plans go to differ (a
// folder, an archive, a probe that creates nothing); the plans do not.

#include "datasource/RecordFields.h"
#include "datasource/RecordReader.h"
#include "generation/CompiledTemplate.h"
#include "generation/OutputNaming.h"
#include "generation/RecordRange.h"
#include "generation/RunInputs.h"
#include "generation/TemplateFile.h"
#include "platform/Refusal.h"
#include "platform/Result.h"
#include "project/ProjectSettings.h"

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace stencilor {

// The longest text a record may get by default (1 GiB): beyond it a run ends with an error naming
// the record instead of exhausting memory.
inline constexpr std::size_t kMaxRecordText = std::size_t{1} << 30;

struct RecordPlan {
    std::uint64_t number = 0;    // the record's number, 1 for the first
    std::uint64_t firstLine = 0; // the data line it begins on
    RecordSelection::Place place = RecordSelection::Place::Taken;
    // None when the record gets a file; Header, NoName or LeavesFolder when it gets none. The
    // output can refuse it still (a folder on the way, one of the run's inputs).
    Refusal refusal = Refusal::None;
    RecordFields fields;
    OutputName name;               // its name, or why it gets none
    std::string_view outputFolder; // the absolute output folder it goes into
    bool reportRow = false;        // the report is on: a file written gets a row
    std::string_view reportFld;    // the report's columns
    std::string text;              // the record's text, once rendered
    bool rendered = false;
    std::optional<Error> error; // the record cannot be planned: the run ends with this error

    // True when the record is taken and gets a file (the output permitting).
    bool getsFile() const { return place == RecordSelection::Place::Taken && refusal == Refusal::None && !error; }
};

class RecordPlanner final {
public:
    // `recordLimit` is the longest text a record may get.
    explicit RecordPlanner(std::size_t recordLimit)
        : m_recordLimit(recordLimit)
    {
    }

    // The settings and paths the plans use from now on; `s` must stay valid until the next call.
    // `sheetForm` (nullptr for a delimited text, else valid as long as `s`) cuts the fields of
    // a sheet's rows instead of the project's delimiter and quotes.
    void use(const ProjectSettings& s, RunInputPaths paths, const RecordReader::Options* sheetForm = nullptr);
    // The template as read for the first record rendered serves every later one, without a look
    // at the file for each record: a check takes the template as it is when it starts.
    void keepFirstTemplate() { m_keepFirstTemplate = true; }
    // The records taken (all of them until this is called).
    void select(const RecordSelection& selection) { m_selection = selection; }

    enum class Render { Now, Later };
    // The plan of `record`, rendered now or left for render(); valid until the next call. A
    // record before or after the selection is planned no further.
    RecordPlan& plan(const DataRecord& record, Render render);
    // Renders the last plan: the template file as it is now with the rules applied in table order
    // (see applyRules). Sets its error when the template cannot be read or the text would be
    // larger than the record limit.
    void render();

    // True when the last plan read the template again (it may have been replaced: the file it
    // was read from is one of the run's inputs now).
    bool templateReread() const { return m_reread; }
    // The hash (ContentHash::hex) of the template file as it is now, read through the same cache
    // as the records' texts, so that the first record does not read it again. Fails with the
    // run's OpenInput error of the template.
    Result<std::string> templateHash();
    const FileIdentity& templateIdentity() const { return m_templateFile.identity(); }
    const RunInputPaths& paths() const { return m_paths; }

    // The last plan's text, moved out for a writer; the planner takes a text given back (by
    // reuse()) for the next one, so that a text's memory serves many records.
    std::string takeText();
    void reuse(std::string text);

private:
    bool templateChanged(const std::string& raw) const;

    std::size_t m_recordLimit;
    const ProjectSettings* m_settings = nullptr;
    const RecordReader::Options* m_sheetForm = nullptr;
    RunInputPaths m_paths;
    RecordSelection m_selection;
    RecordPlan m_plan;
    // The identifiers and field numbers of the rules that take part, in table order (the
    // identifiers view the settings).
    std::vector<std::string_view> m_identifiers;
    std::vector<std::size_t> m_fieldNumbers;
    bool m_rulesFresh = false; // worked out again since the template was last rendered
    // Templates up to this size keep a copy of the bytes they were compiled from.
    static constexpr std::size_t kKeptTemplateBytes = std::size_t{1} << 20;
    TemplateFile m_templateFile; // looked at for every record, read again when it may have changed
    bool m_reread = false;
    bool m_keepFirstTemplate = false;
    const std::string* m_raw = nullptr; // the template file's text as last read
    std::string m_compiledRaw;          // the template file as read when m_template was compiled, if kept
    bool m_compiledRawKept = false;
    CompiledTemplate m_template;
    bool m_compiled = false;
    std::vector<std::string> m_escaped; // the values HTML-escaped, with escapehtml
    std::vector<std::string_view> m_values;
    // Texts given back, for takeText(): a few, and none big enough for their memory to matter
    // more than allocating it again.
    static constexpr std::size_t kSpareTexts = 64;
    static constexpr std::size_t kSpareTextBytes = std::size_t{256} << 10;
    std::vector<std::string> m_spareTexts;
};

} // namespace stencilor
