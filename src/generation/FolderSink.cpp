// SPDX-License-Identifier: GPL-3.0-or-later
#include "generation/FolderSink.h"

#include "generation/OutputNaming.h"
#include "generation/WriterPool.h"
#include "platform/Messages.h"

#include <algorithm>
#include <cerrno>

namespace stencilor {

namespace {

// True when `error` is the registry of runs in progress refusing a folder, or the registry
// failing: the run cannot go on into that folder, not even by passing its records over.
bool registryRefusal(const Error& error)
{
    return error.kind == ErrorKind::FolderInUse || error.kind == ErrorKind::FolderOverlapsRun ||
           (error.kind == ErrorKind::LockFolder && error.object == RunRegistration::registryFolder());
}

// Writes through `tree`, or finds the folder refused when there is none (`folderError` says why).
TreeWriteResult writeThrough(OutputTree* tree, const Error& folderError, std::string_view relativeName,
                             std::string_view text)
{
    if (!tree)
        return {Refusal::FolderFailed, folderError.code};
    return tree->write(relativeName, text);
}

} // namespace

FolderSink::FolderSink(RunOptions options)
    : OutputSink(std::move(options))
{
}

FolderSink::~FolderSink()
{
    OutputTree::expectTrees(1);
}

Status FolderSink::start(const RunInputPaths& paths)
{
    // A second run into the folder refuses to start instead of mixing its files with this one's;
    // the parts of a sharded job share it. A folder that cannot be made is not yet an error: its
    // records are passed over and the report says so at the end.
    m_lock = m_options.shard.isWhole() ? FolderLock::Exclusive : FolderLock::Shared;
    Error error;
    if (!tree(paths.outputFolder, error) && (error.code == folderInUseCode() || registryRefusal(error)))
        return error.kind == ErrorKind::LockFolder && error.code == folderInUseCode() ? Error(ErrorKind::FolderInUse)
                                                                                      : error;
    m_startFolder = paths.outputFolder;
    return {};
}

std::shared_ptr<OutputTree> FolderSink::tree(const std::string& folder, Error& error)
{
    if (const auto found = m_trees.find(folder); found != m_trees.end()) {
        if (found->second)
            return found->second;
        error = m_failures.at(folder);
        return nullptr;
    }
    // A run does not write into the folder of another run in progress, nor around or inside it.
    if (!m_registered.count(folder)) {
        Status entered;
        if (m_registration) {
            entered = m_registration->add(folder);
        } else {
            Result<std::unique_ptr<RunRegistration>> made =
                RunRegistration::enter(folder, m_options.job, m_lock == FolderLock::Shared);
            if (made)
                m_registration = std::move(made.value());
            entered = made.status();
        }
        if (!entered) {
            error = entered.error();
            m_failures[folder] = error;
            m_trees[folder] = nullptr;
            return nullptr;
        }
        m_registered.insert(folder);
    }
    auto opened = std::make_shared<OutputTree>();
    if (Status status = opened->open(folder, m_lock); !status) {
        error = status.error();
        m_failures[folder] = error;
        m_trees[folder] = nullptr;
        return nullptr;
    }
    for (const FileIdentity& identity : m_protected)
        opened->protect(identity);
    opened->reserveName(m_reserved);
    return m_trees[folder] = std::move(opened);
}

std::shared_ptr<OutputTree> FolderSink::treeOf(std::string_view folder, Error& error)
{
    if (m_lastTree && folder == m_lastTree->folder())
        return m_lastTree;
    std::shared_ptr<OutputTree> found = tree(std::string(folder), error);
    if (found)
        m_lastTree = found;
    return found;
}

std::shared_ptr<OutputTree> FolderSink::reopen(const std::string& folder, Error& error)
{
    m_lastTree.reset();
    m_trees.erase(folder);
    m_failures.erase(folder);
    return tree(folder, error);
}

void FolderSink::protect(const FileIdentity& identity)
{
    if (std::find(m_protected.begin(), m_protected.end(), identity) != m_protected.end())
        return;
    m_protected.push_back(identity);
    for (auto& entry : m_trees)
        if (entry.second)
            entry.second->protect(identity);
}

void FolderSink::reserve(bool report)
{
    if (report == m_reportReserved)
        return;
    m_reportReserved = report;
    m_reserved = report ? std::string(kReportFileName) : std::string();
    for (auto& entry : m_trees)
        if (entry.second)
            entry.second->reserveName(m_reserved);
}

RecordResult FolderSink::write(const RecordPlan& plan)
{
    reserve(plan.reportRow);
    // The usual case: the folder of the record before, and the file written.
    if (m_lastTree && plan.outputFolder == m_lastTree->folder()) {
        const TreeWriteResult written = m_lastTree->write(plan.name.relativeName, plan.text);
        if (written.written()) {
            if (m_reportTree != m_lastTree)
                m_reportTree = m_lastTree;
            return {};
        }
        if (written.code != ENOENT)
            return resultOf(written, plan.outputFolder, plan.name.relativeName);
    }
    Error folderError;
    std::shared_ptr<OutputTree> target = treeOf(plan.outputFolder, folderError);
    RecordResult result = writeHere(target, folderError, plan.outputFolder, plan.name.relativeName, plan.text, nullptr);
    if (result.written())
        m_reportTree = std::move(target);
    return result;
}

bool FolderSink::takesJobs(unsigned writers)
{
    m_views.resize(writers);
    // A view per writer beside the run's own tree share the open files.
    OutputTree::expectTrees(std::size_t{writers} + 1);
    return true;
}

bool FolderSink::canHandOver(const RecordPlan& plan)
{
    reserve(plan.reportRow);
    Error error;
    return treeOf(plan.outputFolder, error) != nullptr;
}

WriteJob FolderSink::handOver(const RecordPlan& plan, RecordPlanner& planner)
{
    WriteJob job;
    job.record = plan.number;
    job.firstLine = plan.firstLine;
    Error error;
    job.tree = treeOf(plan.outputFolder, error);
    job.reportRow = plan.reportRow;
    if (plan.reportRow) {
        job.reportFld = plan.reportFld;
        job.values = reportValues(plan.reportFld, plan.fields);
    }
    job.relativeName = plan.name.relativeName;
    job.text = planner.takeText();
    return job;
}

TreeWriteResult FolderSink::writeJob(unsigned writer, const WriteJob& job)
{
    View& view = m_views[writer];
    if (view.of != job.tree) {
        Result<std::unique_ptr<OutputTree>> shared = job.tree->share();
        if (!shared)
            return {Refusal::None, shared.error().code};
        view.tree = std::move(shared.value());
        view.of = job.tree;
    }
    return view.tree->write(job.relativeName, job.text);
}

RecordResult FolderSink::complete(WriteJob& job)
{
    std::shared_ptr<OutputTree> target = job.tree;
    Error folderError;
    RecordResult result = writeHere(target, folderError, job.tree->folder(), job.relativeName, job.text, &job.result);
    if (result.written())
        m_reportTree = std::move(target);
    return result;
}

RecordResult FolderSink::writeHere(std::shared_ptr<OutputTree>& target, Error& folderError, std::string_view folder,
                                   std::string_view relativeName, std::string_view text, const TreeWriteResult* tried)
{
    TreeWriteResult written = tried ? *tried : writeThrough(target.get(), folderError, relativeName, text);
    if ((written.refusal == Refusal::FolderFailed || written.failed()) && written.code == ENOENT) {
        // The output folder has gone during the run; it is made again once. A writer may have
        // tried through a tree that has been made again since its record was named.
        std::shared_ptr<OutputTree> current = tried ? tree(std::string(folder), folderError) : nullptr;
        target = current && current != target ? std::move(current) : reopen(std::string(folder), folderError);
        written = writeThrough(target.get(), folderError, relativeName, text);
    }
    if (!target && folderError.code == folderInUseCode())
        return {Refusal::None, Error(ErrorKind::FolderInUse)};
    if (!target && registryRefusal(folderError))
        return {Refusal::None, folderError};
    return resultOf(written, folder, relativeName);
}

RecordResult FolderSink::resultOf(const TreeWriteResult& written, std::string_view folder,
                                  std::string_view relativeName)
{
    if (written.moved) {
        const std::size_t slash = relativeName.rfind('/');
        const std::string_view key = relativeName.substr(0, slash == std::string_view::npos ? 0 : slash);
        return {Refusal::None, Error(ErrorKind::FolderMoved, withTrailingSlash(folder) + std::string(key))};
    }
    if (written.failed())
        return {Refusal::None, systemError(ErrorKind::CreateOutput,
                                           withTrailingSlash(folder) + std::string(relativeName), written.code)};
    return {written.refusal, std::nullopt};
}

Status FolderSink::finish()
{
    // Every subfolder still open is checked once more, so no run reports success while files
    // went outside the output folder with a moved one.
    for (const auto& [folder, tree] : m_trees)
        if (tree)
            if (const std::string moved = tree->movedFolder(); !moved.empty())
                return Error(ErrorKind::FolderMoved, withTrailingSlash(folder) + moved);
    for (const View& view : m_views)
        if (view.tree)
            if (const std::string moved = view.tree->movedFolder(); !moved.empty())
                return Error(ErrorKind::FolderMoved, withTrailingSlash(view.tree->folder()) + moved);
    return {};
}

int FolderSink::keepReportBlock(std::string_view block)
{
    if (!m_reportFile.isOpen()) {
        if (!m_reportTree)
            return ENOENT;
        if (Status created = m_reportFile.create(m_reportTree->descriptor()); !created)
            return created.error().code;
    }
    if (Status written = m_reportFile.write(block); !written)
        return written.error().code;
    return 0;
}

OutputSink::ReportEnd FolderSink::placeReport(const RunInputPaths& paths)
{
    ReportEnd end;
    const std::string& folder = paths.outputFolder;
    if (folder.empty()) {
        end.outcome = ReportEnd::Outcome::Failed;
        end.error = Error(ErrorKind::OutputFolderNotSet);
        return end;
    }
    const std::string reportPath = withTrailingSlash(folder) + std::string(kReportFileName);
    Error error;
    int code = 0;
    if (std::shared_ptr<OutputTree> target = tree(folder, error)) {
        m_reportTree = target;
        flushReport();
        code = reportCode();
        if (code == 0) {
            if (Status committed = m_reportFile.commit(target->descriptor(), std::string(kReportFileName)); !committed)
                code = committed.error().code;
        }
        m_reportFile.discard();
    } else {
        code = error.code;
    }
    if (code != 0) {
        end.outcome = ReportEnd::Outcome::Failed;
        end.error = systemError(ErrorKind::CreateOutput, reportPath, code);
        return end;
    }
    end.outcome = ReportEnd::Outcome::Written;
    end.openPath = reportPath;
    return end;
}

} // namespace stencilor
