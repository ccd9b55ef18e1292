#pragma once

// The results of --run, --check and --dry-run as JSON for scripts (--format json): one object on
// stdout with the fields the text shows, plus counts by kind. Texts from the data go into JSON
// strings byte for byte (invalid UTF-8 as \udcXX escapes), so nothing is lost or mangled.

#include "datasource/DataSourceCheck.h"
#include "generation/DryRun.h"
#include "generation/GenerationRun.h"

#include <map>
#include <ostream>
#include <string>
#include <vector>

namespace stencilor {

// The summary of a run: outcome, counts, report, seconds, and the error when there was one.
std::string runSummaryJson(const RunSummary& summary, double seconds);

// The data source check: field count, sample and widest record, encoding when set, warnings.
std::string checkJson(const DataFileState& state, const std::vector<std::string>& warnings);

// The findings of a dry run, written as they come (so that their number does not matter to
// memory): {"findings":[...],"recordsChecked":N,"findingCount":M,"counts":{"kind":k,...}}.
class FindingsJsonWriter final {
public:
    explicit FindingsJsonWriter(std::ostream& out);
    void add(const CheckFinding& finding);
    void finish(const CheckReport& report);

private:
    std::ostream& m_out;
    bool m_first = true;
    std::map<std::string, std::uint64_t> m_counts;
};

} // namespace stencilor
