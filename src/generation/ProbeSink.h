// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

// The check before writing as a sink: it takes each record's plan as the run's output folder
// would, walking the same folder handles without creating anything, and remembers the files and
// folders the records before would have made. What a write would meet, and where two records
// would meet each other, goes out as findings.

#include "generation/DryRun.h"
#include "generation/NameDigests.h"
#include "generation/OutputSink.h"
#include "platform/OutputTree.h"

#include <cstdint>
#include <string>

namespace stencilor {

class ProbeSink final : public OutputSink {
public:
    // Findings go to `add`; records are named by their numbers (`byRecord`, with quoted fields)
    // or by their lines.
    ProbeSink(std::function<void(CheckFinding)> add, bool byRecord);

    // Opens the output folder to look at, without creating or locking it.
    Status start(const RunInputPaths& paths) override;
    std::string place() const override { return m_tree.folder(); }
    void protect(const FileIdentity& identity) override { m_tree.protect(identity); }
    // Leaves the name report.html alone, as a run does that writes a report.
    void reserveReport() { m_tree.reserveName(std::string(kReportFileName)); }
    // A name (relative to the output folder) that the run writes itself, its manifest: a record
    // of that name is refused as one that would replace an input.
    void reserveOwnName(std::string relativeName) { m_ownName = std::move(relativeName); }
    // What writing the file of `plan` would do, and what it would meet, as findings.
    RecordResult write(const RecordPlan& plan) override;

private:
    int keepReportBlock(std::string_view) override { return 0; }
    ReportEnd placeReport(const RunInputPaths&) override { return {}; }

    // Adds the finding `kind` of the record planned with the detail `detail`.
    void add(CheckFindingKind kind, const RecordPlan& plan, Detail detail);
    // Where the file would go: the names the system refuses, the folders and files standing in
    // the way, and the files the run must not replace. A file placed is noted under its name,
    // and `first` is the first record of that name (the record's own number when it is new).
    RecordResult placeFile(const RecordPlan& plan, std::uint64_t& first);

    // The first record of a name that differs from later ones only in case or normalization:
    // its number, the digest of its composed form, and its file name (where it lies in m_names).
    struct FirstUse {
        std::uint64_t record;
        std::uint64_t composed;
        std::uint64_t nameStart;
        std::uint32_t nameSize;
    };

    std::function<void(CheckFinding)> m_add;
    bool m_byRecord;
    OutputTree m_tree;
    DigestMap<std::uint64_t> m_files;   // files, by relative name: their first record
    DigestMap<FirstUse> m_foldedFiles;  // files, by composed lower-case path
    DigestMap<std::uint64_t> m_folders; // subfolders, by relative name: their first record
    std::string m_names;                // the file names of m_foldedFiles, one after the other
    std::string m_ownName;
};

} // namespace stencilor
