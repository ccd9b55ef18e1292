// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

// Manifests: a JSON Lines file a run writes as it goes, one line per data record, so that the
// parts of a job run on many machines can be checked and their reports joined into one.
//
// The first line describes the job and the part; then one line per record of the part, in record
// order: {"record":12,"line":14,"name":"Oslo/a.htm","bytes":2048,"status":"written","values":[...]},
// where "name" is the output name relative to the output folder (null without one), "status" is
// "written", "skipped" (with "reason") or "error" (with "reason"), and "values" holds what the
// record shows in the report (the field of each field column, see reportValues) when the report is
// on. A manifest holds no markup: the merge makes the report's cells from the values and the name
// as a run does. The last line, written when the part ends, says where it
// ended. Each line goes out whole as it is made, so a killed run leaves a manifest that is valid
// up to its last finished record.

#include "platform/FileDescriptor.h"
#include "platform/FileSystem.h"
#include "platform/Refusal.h"
#include "platform/Result.h"

#include <cstdint>
#include <ctime>
#include <optional>
#include <string>
#include <vector>

namespace stencilor {

// The job a manifest belongs to; the parts of one job agree on all of it but the part. Besides
// the parts and the report, it holds what decides the output: the inputs as each part read them
// and the program that read them, so that a part run again over edited data, another template or
// another project, or by another version of the program, is not merged with the others.
struct ManifestJob {
    std::uint64_t part = 1;  // K of --shard K/N
    std::uint64_t parts = 1; // N
    std::string project;     // the project file's name
    std::uint64_t dataBytes = 0;
    bool report = false;
    std::string reportFld;                   // the report's columns, when it is on
    std::string version = STENCILOR_VERSION; // of the program that ran the part
    std::string dataModified; // the data file's modification time (manifestTime); empty for standard input
    std::string dataHash;     // the data's bytes (ContentHash); empty for a workbook
    std::string templateHash; // the template's bytes as the part began
    std::string projectHash;  // the project file's bytes; empty when there is no such file
};

// A modification time as a job line gives it: UTC to the nanosecond, "2026-12-10T11:58:40.000000000Z".
std::string manifestTime(const timespec& time);

// One record's line.
struct ManifestRecord {
    std::uint64_t record = 0;
    std::uint64_t line = 0;
    std::string name; // empty: no output name
    std::uint64_t bytes = 0;
    enum class Status { Written, Skipped, Error } status = Status::Written;
    std::string reason;              // why it was skipped, or the error
    bool reportRow = false;          // the record has a report row
    std::vector<std::string> values; // what its row shows (reportValues)
};

// The word a manifest line gives for why its record got no file ("no name", "header", ...).
const char* manifestReason(Refusal refusal);

class ManifestWriter final {
public:
    // Opens (or creates) the manifest at `path`, locks it for as long as it is open and only then
    // empties it, so that a second copy of the same part cannot spoil the first one's manifest.
    // Fails with ManifestInUse when another run holds it, else with the errno of opening it.
    Status open(const std::string& path);
    // Writes the job line.
    Status start(const ManifestJob& job);
    bool isOpen() const { return m_fd.valid(); }
    // The open manifest's identity (none when it is not open or cannot be examined).
    std::optional<FileIdentity> identity() const;
    // Writes the line of one record.
    Status add(const ManifestRecord& record);
    // Writes the closing line: the part's records were [first, next), `complete` when it went
    // through all of them, `dataEnd` when its last record was the data file's last.
    Status finish(std::uint64_t first, std::uint64_t next, bool complete, bool dataEnd);

private:
    Status writeLine(const std::string& line);
    FileDescriptor m_fd;
    std::string m_path;
};

// Checks that `manifests` are the parts of one job, each present once, that went through their
// records and together cover its records exactly once; then writes report.html into `folder`
// exactly as one run of the job would have. On failure nothing is written, and the result lists
// every problem (a missing, repeated or foreign manifest, a gap or an overlap, a name that leaves
// the folder, a row that does not fit its columns). The folder is locked as a run locks it.
struct MergeResult {
    std::vector<Error> problems; // every problem found, in the order of the manifests and parts
    explicit operator bool() const { return problems.empty(); }
};
MergeResult mergeReport(const std::vector<std::string>& manifests, const std::string& folder);

} // namespace stencilor
