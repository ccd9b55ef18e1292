// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

// The results of --run, --check and --dry-run as JSON for scripts (--format json or jsonl): one
// object on stdout with the fields the text shows, plus counts by kind. Every object carries the
// version of its layout ("schema": 1, apart from the program's version), its keys are camelCase,
// and reasons have machine codes ("no-name") beside their English texts; docs/json.md and
// docs/json-schema.json describe them. Texts from the data go into JSON strings byte for byte
// (invalid UTF-8 as \udcXX escapes), so nothing is lost or mangled.

#include "datasource/DataSourceCheck.h"
#include "generation/DryRun.h"
#include "generation/GenerationRun.h"
#include "generation/Manifest.h"

#include <map>
#include <ostream>
#include <string>
#include <vector>

namespace stencilor {

// The version of the layout of every JSON output; it grows when a key changes meaning or goes.
inline constexpr std::uint64_t kJsonSchema = 1;

// The object of a command that did not start: {"schema":1,"outcome":"not-started","error":{...}}.
std::string notStartedJson(const Error& error);

// The summary of a run: outcome, the records taken (and the part of the job), counts, report,
// milliseconds, and the error when there was one.
std::string runSummaryJson(const RunSummary& summary, double seconds);

// The result of --merge-report: {"schema":1,"outcome":"written" or "refused","report":PATH or null,
// "manifests":N,"problems":[{"code":...,"message":...},...]}, every problem the merge found.
std::string mergeJson(const MergeResult& merged, const std::string& report, std::size_t manifests);

// The data source check: field count, sample and widest record, encoding when set, warnings.
std::string checkJson(const DataFileState& state, const std::vector<std::string>& warnings);

// The findings of a dry run, written as they come (so that their number does not matter to
// memory). As one document: {"schema":1,"outcome":"completed","findings":[...],"recordsChecked":N,
// "findingCount":M,"counts":{"code":k,...}}; as JSON Lines (`lines`), one {"type":"finding",...}
// line per finding and a last {"type":"summary",...} line with the counts.
class FindingsJsonWriter final {
public:
    FindingsJsonWriter(std::ostream& out, bool lines);
    void add(const CheckFinding& finding);
    void finish(const CheckReport& report);

private:
    std::ostream& m_out;
    bool m_lines;
    bool m_first = true;
    std::map<std::string, std::uint64_t> m_counts;
};

} // namespace stencilor
