#pragma once

#include "generation/RecordRange.h"
#include "project/ProjectSettings.h"

#include <cstdint>
#include <string>
#include <vector>

namespace stencilor {

// What the check found wrong with a record or with the project.
enum class CheckFindingKind {
    NoName,                  // the record gives no output name
    SameName,                // the record's output path is an earlier record's
    SameNameIgnoringCase,    // the path differs from an earlier record's only in letter case
    LeavesFolder,            // the name would leave the output folder and is refused
    FewerFields,             // the record has fewer fields than the rules use
    IdentifierNotInTemplate, // a rule's identifier does not occur in the template
    RuleSkipped,             // a rule without field number or identifier
};

struct CheckFinding {
    CheckFindingKind kind = CheckFindingKind::NoName;
    std::uint64_t record = 0; // record number, which is the data file's line number; 0 for the project
    std::uint64_t rule = 0;   // rule number (1-based) for project findings, else 0
    std::string name;         // the output name relative to the output folder, when there is one
    std::string detail;       // why, in words
};

struct CheckReport {
    bool started = false;
    std::string message; // why the check did not start, in the run's own words
    std::uint64_t recordCount = 0;
    std::uint64_t recordsChecked = 0;
    std::vector<CheckFinding> findings; // project findings first, then records in order
};

// Everything a run does but the writing, for the records of `range`: names every record, and
// lists the records that give no name, share an output path (also after case folding), would
// leave the output folder or have fewer fields than the rules use, and the rules that are
// skipped or whose identifier the template lacks. Does not start, with the run's message, when
// the delimiter is empty or an input file is missing or unreadable.
CheckReport checkProjectOutput(const ProjectSettings& settings, const std::string& projectPath,
                               const std::string& programFolder, RecordRange range = {});

// The short name of a finding kind, as the table and the dialog show it.
const char* checkFindingLabel(CheckFindingKind kind);

// The findings as a text table (columns line, finding, name, detail) and a closing count line.
std::string formatCheckTable(const CheckReport& report);

} // namespace stencilor
