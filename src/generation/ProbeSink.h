// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

// The check before writing as a sink: it takes each record's plan as the run's output folder
// would, walking the same folder handles without creating anything, and remembers the files and
// folders the records before would have made. What a write would meet, and where two records
// would meet each other, goes out as findings.

#include "generation/DryRun.h"
#include "generation/NameDigests.h"
#include "generation/OutputSink.h"
#include "generation/SpilledNames.h"
#include "platform/OutputTree.h"

#include <cstdint>
#include <optional>
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

    // The names of earlier records are remembered in tables in memory, unless one of these is
    // called first. gatherInto: every name that reaches the folder goes to `names` and nothing
    // is found; answerFrom: what earlier records mean for a name comes from `names`, settled.
    void gatherInto(SpilledNames& names);
    void answerFrom(SpilledNames& names);
    // (Tables) True when remembering the name of `plan` might take the tables past `limit` bytes.
    bool wouldOutgrow(const RecordPlan& plan, std::size_t limit) const;
    // What comes before a relative name in its full path, as gathered names had it.
    const std::string& pathPrefix() const { return m_pathPrefix; }
    // The error of keeping or reading the names on disk: the check cannot go on.
    const std::optional<Error>& namesError() const { return m_namesError; }

private:
    enum class Memory { Tables, Gather, Answers };
    // What the folder on disk refuses of a name: the finding, and the write's result.
    struct DiskRefusal {
        CheckFindingKind kind;
        Detail detail;
        RecordResult result;
    };

    int keepReportBlock(std::string_view) override { return 0; }
    ReportEnd placeReport(const RunInputPaths&) override { return {}; }

    // Adds the finding `kind` of the record planned with the detail `detail`.
    void add(CheckFindingKind kind, const RecordPlan& plan, Detail detail);
    // Where the file would go: the names the system refuses, the folders and files standing in
    // the way, and the files the run must not replace. A file placed is noted under its name,
    // and `first` is the first record of that name (the record's own number when it is new).
    RecordResult placeFile(const RecordPlan& plan, std::uint64_t& first);
    std::optional<DiskRefusal> diskRefusal(const RecordPlan& plan, const TreeProbeResult& probed) const;
    // What the earlier records mean for the name of `plan`, from the tables: the subfolder that is
    // an earlier file (Blocked), or the earlier file below it (IsFolder), else Clear.
    NameAnswer fromTables(const std::string& relative) const;
    // Names that differ from an earlier one only in case or normalization (Tables).
    void compareFolded(const RecordPlan& plan);

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
    Memory m_memory = Memory::Tables;
    SpilledNames* m_spilled = nullptr;
    NameAnswer m_answer; // (Answers) the answer for the record being placed
    std::string m_pathPrefix;
    std::optional<Error> m_namesError;
};

} // namespace stencilor
