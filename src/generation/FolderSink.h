// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

// The output folder as a sink: each record's file written below the folder its plan names
// (through an OutputTree, so that nothing reaches outside it), on the run's thread or by writer
// threads, and the report put in place as report.html at the end.

#include "generation/OutputSink.h"
#include "platform/OutputTree.h"
#include "platform/PendingFile.h"
#include "platform/RunRegistry.h"

#include <memory>
#include <string>
#include <unordered_map>
#include <unordered_set>
#include <vector>

namespace stencilor {

class FolderSink final : public OutputSink {
public:
    explicit FolderSink(RunOptions options);
    ~FolderSink() override;

    Status start(const RunInputPaths& paths) override;
    std::string place() const override { return m_startFolder; }
    void protect(const FileIdentity& identity) override;
    RecordResult write(const RecordPlan& plan) override;

    bool takesJobs(unsigned writers) override;
    bool canHandOver(const RecordPlan& plan) override;
    WriteJob handOver(const RecordPlan& plan, RecordPlanner& planner) override;
    TreeWriteResult writeJob(unsigned writer, const WriteJob& job) override;
    RecordResult complete(WriteJob& job) override;
    // Fails with FolderMoved when a subfolder that files went into was moved away or replaced
    // during the run: files written since its last check went with it.
    Status finish() override;

private:
    int keepReportBlock(std::string_view block) override;
    ReportEnd placeReport(const RunInputPaths& paths) override;

    // The tree of `folder`, entered into the registry of runs in progress and opened (and
    // locked) on first use. Null when it cannot be opened; `error` then holds why (LockFolder with
    // folderInUseCode() when another run holds it, or the registry's refusal). Writers may hold
    // on to a tree after it has been opened again.
    std::shared_ptr<OutputTree> tree(const std::string& folder, Error& error);
    // The same for the folder of a record: the tree of the record before when it is the same folder.
    std::shared_ptr<OutputTree> treeOf(std::string_view folder, Error& error);
    // Opens `folder` again, for when it has gone during the run; null as tree().
    std::shared_ptr<OutputTree> reopen(const std::string& folder, Error& error);
    // The name report.html is left alone by writes while the report is on (`report`).
    void reserve(bool report);
    // Writes `text` as `relativeName` into the output folder `folder` through `tree` (null when
    // the folder could not be opened; `folderError` says why), or takes `tried`, what a writer's
    // attempt met. Sets `tree` to the tree written through.
    RecordResult writeHere(std::shared_ptr<OutputTree>& tree, Error& folderError, std::string_view folder,
                           std::string_view relativeName, std::string_view text, const TreeWriteResult* tried);
    // What became of the record whose file `relativeName` below `folder` met `written`.
    static RecordResult resultOf(const TreeWriteResult& written, std::string_view folder,
                                 std::string_view relativeName);

    // The output folders of the run, each opened and locked once. The output folder is read from
    // the settings at every record, so a change made during the run takes effect at the next
    // record; then the new folder is opened (and locked) as well.
    std::unordered_map<std::string, std::shared_ptr<OutputTree>> m_trees;
    std::unordered_map<std::string, Error> m_failures;
    std::shared_ptr<OutputTree> m_lastTree; // the tree treeOf() gave last
    std::vector<FileIdentity> m_protected;
    std::string m_reserved;
    bool m_reportReserved = false;
    FolderLock m_lock = FolderLock::Exclusive;
    std::string m_startFolder;
    // The run's entry in the registry of runs in progress, and the output folders entered.
    std::unique_ptr<RunRegistration> m_registration;
    std::unordered_set<std::string> m_registered;

    // A writer's own view of the output folder its last job went into, one per writer thread.
    struct View {
        std::shared_ptr<OutputTree> of;
        std::unique_ptr<OutputTree> tree;
    };
    std::vector<View> m_views;

    // The report: its lines go to an anonymous file in the output folder of the last file
    // written, so memory does not grow with the report; the end puts it in place as report.html.
    PendingFile m_reportFile;
    std::shared_ptr<OutputTree> m_reportTree;
};

} // namespace stencilor
