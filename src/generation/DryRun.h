// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "generation/OutputSink.h"
#include "generation/RecordRange.h"
#include "generation/RunInputs.h"
#include "platform/Detail.h"
#include "platform/Result.h"
#include "project/ProjectSettings.h"

#include <cstdint>
#include <functional>
#include <iosfwd>
#include <optional>
#include <string>
#include <vector>

namespace stencilor {

// What the check found wrong with a record or with the project.
enum class CheckFindingKind {
    NoName,                  // the record gives no output name
    SameName,                // the record's output path is an earlier record's
    SameNameIgnoringCase,    // the path differs from an earlier record's only in letter case
    SameNameNormalized,      // the path differs from an earlier record's only in Unicode normalization
    LeavesFolder,            // the name would leave the output folder and is refused
    FewerFields,             // the record has fewer fields than the rules use
    IdentifierNotInTemplate, // a rule's identifier does not occur in the template
    RuleSkipped,             // a rule without field number or identifier
    LinkInPath,              // a subfolder on the way is a symbolic link: the record is refused
    ReplacesLink,            // a symbolic link or other non-regular entry at the name is replaced
    OwnInput,                // the file would replace the run's data file, template, project or report
    NameIsFolder,            // the name names a folder: writing it ends the run with an error
    NameTooLong,             // a part of the name is longer than the system allows
    FolderBlocked,           // a file stands where a subfolder must go: the record is passed over
    UnclosedQuote,           // a quote opened in the record never closes: the rest of the data is its last field
    UnescapedHtml,           // a value holding "<" or "&" goes into an HTML template unescaped
    TextTooLarge,            // the record's text would be larger than the run allows: the run ends there
    NumberFormat,            // a sheet row's number is shown as General: its number format was not understood
    DataFile,                // the data file holds what a run reads differently from what its user may expect
};

struct CheckFinding {
    CheckFindingKind kind = CheckFindingKind::NoName;
    std::uint64_t record = 0; // record number (the line number unless fields are quoted); 0 for the project
    std::uint64_t line = 0;   // the data file line the record begins on; 0 for the project
    std::uint64_t rule = 0;   // rule number (1-based) for project findings, else 0
    std::string name;         // the output name relative to the output folder, when there is one
    Detail detail;            // why (detailText gives it in words)
};

struct CheckReport {
    bool started = false;
    bool quotes = false;          // records may span lines: findings show the record and its first line
    std::optional<Error> problem; // why the check did not start, as the run would say it
    std::uint64_t recordCount = 0;
    std::uint64_t recordsChecked = 0;
    std::uint64_t findingCount = 0;
    bool stopped = false;               // asked to stop before its last record: the counts are those so far
    std::vector<CheckFinding> findings; // project findings first, then records in order (when collected)
};

// The memory the check's names of files and folders may take (see checkProjectOutput).
inline constexpr std::size_t kCheckMemory = std::size_t{160} << 20;

// Receives each finding as the check makes it.
using FindingSink = std::function<void(const CheckFinding&)>;
// Told as the check goes how many records it has read (`read`) of the data's `total`.
using CheckProgress = std::function<void(std::uint64_t read, std::uint64_t total)>;

// Everything a run does but the writing, for the records of `selection` (its range and part of the
// job): plans every record as the run does, and reports the records that give no name, share an
// output path (also after case folding), would leave the output folder, meet a symbolic link, a
// folder or a too long name, would replace an input of the run, or have fewer fields than the
// rules use, and the rules that are skipped or whose identifier the template lacks. Each finding
// goes to `sink` as it arises, so memory does not grow with their number. Does not start, with
// the run's error, when the delimiter or the output folder is empty or an input file is missing
// or unreadable. `watch` may stop it from another thread (polled before each record, and each
// block of the data's passes) and is told how the first pass, which counts the records, goes.
//
// The names the check remembers across records take at most `memory` bytes: a check of more
// records reads them again (twice), keeping the names in sorted files in $TMPDIR, with the same
// findings in the same order. Failing to write or read those files ends the check with
// report.problem set (report.started stays true).
CheckReport checkProjectOutput(const ProjectSettings& settings, const ProjectPlace& place,
                               const RecordSelection& selection, const FindingSink& sink,
                               const RunOptions& outputs = {}, const CheckProgress& progress = {},
                               const PassWatch& watch = {}, std::size_t memory = kCheckMemory);

// The same for every record, with the findings collected in the report.
CheckReport checkProjectOutput(const ProjectSettings& settings, const ProjectPlace& place);

// The short name of a finding kind, as the table and the dialog show it.
const char* checkFindingLabel(CheckFindingKind kind);
// The machine code of a kind of finding for JSON outputs: its label with hyphens ("no-name").
std::string checkFindingCode(CheckFindingKind kind);

// Writes findings as a text table (columns line, finding, name, detail; with quoted fields
// record, line, finding, name, detail) as they come, then a closing count line. The column widths come from the first
// rows (held until there are 1,000 of them or the table ends), so a table of any length needs little memory; a longer
// text in a later row overflows its column. Control bytes in names and details are shown escaped ("\x1b").
class CheckTableWriter final {
public:
    explicit CheckTableWriter(std::ostream& out, bool recordAndLine = false);
    void add(const CheckFinding& finding);
    void finish(const CheckReport& report);

private:
    struct Row {
        std::string record, line, finding, name, detail;
    };
    void writeRow(const Row& row);
    void release();

    std::ostream& m_out;
    std::vector<Row> m_held;
    bool m_released = false;
    bool m_recordAndLine = false;
    std::size_t m_recordWidth = 0, m_lineWidth = 0, m_findingWidth = 0, m_nameWidth = 0;
};

} // namespace stencilor
