// SPDX-License-Identifier: GPL-3.0-or-later
#include "generation/ProbeSink.h"

#include "generation/CaseMapping.h"

#include <cerrno>
#include <climits>

namespace stencilor {

namespace {

// The longest file or folder name that the system accepts. A run walks down to a file one folder
// at a time through folder handles, so no longer path reaches the system: a path has no limit.
constexpr std::size_t kMaxNameBytes = NAME_MAX;

// A part of `relative` longer than a name may be.
std::optional<Detail> tooLong(std::string_view relative)
{
    std::size_t start = 0;
    while (start <= relative.size()) {
        std::size_t end = relative.find('/', start);
        if (end == std::string_view::npos)
            end = relative.size();
        if (end - start > kMaxNameBytes)
            return Detail{DetailKind::PartTooLong, {}, end - start, kMaxNameBytes};
        start = end + 1;
    }
    return std::nullopt;
}

// The folders a relative name needs: each "/"-separated prefix of its folder part.
template <class Visit> void forEachFolder(std::string_view relative, Visit visit)
{
    for (std::size_t slash = relative.find('/'); slash != std::string_view::npos; slash = relative.find('/', slash + 1))
        if (slash > 0)
            visit(relative.substr(0, slash));
}

} // namespace

ProbeSink::ProbeSink(std::function<void(CheckFinding)> add, bool byRecord)
    : OutputSink(RunOptions{})
    , m_add(std::move(add))
    , m_byRecord(byRecord)
{
}

Status ProbeSink::start(const RunInputPaths& paths)
{
    m_tree.openToProbe(paths.outputFolder);
    return {};
}

void ProbeSink::add(CheckFindingKind kind, const RecordPlan& plan, Detail detail)
{
    detail.byRecord = m_byRecord;
    m_add(CheckFinding{kind, plan.number, plan.firstLine, 0, plan.name.relativeName, std::move(detail)});
}

RecordResult ProbeSink::write(const RecordPlan& plan)
{
    const RecordResult placed = placeFile(plan);
    if (!placed.written())
        return placed;
    const std::uint64_t number = plan.number;
    const auto [exact, newPath] = m_byPath.try_emplace(plan.name.path, number);
    if (!newPath) {
        add(CheckFindingKind::SameName, plan, {DetailKind::SameFile, {}, exact->second});
        return placed;
    }
    // Names that differ only in letter case, in Unicode normalization (é as one character or as e
    // and an accent) or in both meet under one key; which of them it is comes from the two names.
    const std::string normalized = toComposedForm(plan.name.path);
    const auto [folded, newFolded] =
        m_byFoldedPath.try_emplace(toLowerCase(normalized), FirstUse{number, plan.name.path});
    if (newFolded)
        return placed;
    const FirstUse& first = folded->second;
    const std::string firstName(fileNamePart(first.path));
    if (toComposedForm(first.path) == normalized)
        add(CheckFindingKind::SameNameNormalized, plan, {DetailKind::SameFileNormalized, firstName, first.record});
    else
        add(CheckFindingKind::SameNameIgnoringCase, plan, {DetailKind::SameFileIgnoringCase, firstName, first.record});
    return placed;
}

RecordResult ProbeSink::placeFile(const RecordPlan& plan)
{
    const std::string& relative = plan.name.relativeName;
    if (const std::optional<Detail> reason = tooLong(relative)) {
        add(CheckFindingKind::NameTooLong, plan, *reason);
        return {Refusal::None, Error(ErrorKind::CreateOutput, plan.name.path, ENAMETOOLONG)};
    }
    // The folders of earlier records and their files must not stand in each other's way.
    std::optional<Detail> blocked;
    forEachFolder(relative, [&](std::string_view folder) {
        if (const auto file = m_byRelative.find(std::string(folder)); !blocked && file != m_byRelative.end())
            blocked = Detail{DetailKind::SubfolderIsEarlierFile, std::string(folder), file->second};
    });
    if (blocked) {
        add(CheckFindingKind::FolderBlocked, plan, *blocked);
        return {Refusal::FolderFailed, std::nullopt};
    }
    if (const auto folder = m_folders.find(relative); folder != m_folders.end()) {
        add(CheckFindingKind::NameIsFolder, plan, {DetailKind::NameIsEarlierSubfolder, {}, folder->second});
        return {Refusal::None, Error(ErrorKind::CreateOutput, plan.name.path, EISDIR)};
    }

    const TreeProbeResult probed = m_tree.probe(relative);
    if (!m_ownName.empty() && relative == m_ownName) {
        add(CheckFindingKind::OwnInput, plan, {DetailKind::OwnInput});
        return {Refusal::OwnInput, std::nullopt};
    }
    switch (probed.write.refusal) {
    case Refusal::FolderFailed:
        add(CheckFindingKind::FolderBlocked, plan, {DetailKind::FileInWayOfSubfolder, probed.at});
        return {Refusal::FolderFailed, std::nullopt};
    case Refusal::LinkInPath:
        add(CheckFindingKind::LinkInPath, plan, {DetailKind::SubfolderIsLink, probed.at});
        return {Refusal::LinkInPath, std::nullopt};
    case Refusal::OwnInput:
        add(CheckFindingKind::OwnInput, plan, {DetailKind::OwnInput});
        return {Refusal::OwnInput, std::nullopt};
    default:
        break;
    }
    if (probed.write.failed()) {
        add(CheckFindingKind::NameIsFolder, plan, {DetailKind::NameIsFolder});
        return {Refusal::None, Error(ErrorKind::CreateOutput, plan.name.path, probed.write.code)};
    }
    if (probed.replaces)
        add(CheckFindingKind::ReplacesLink, plan, {DetailKind::ReplacesEntry});
    forEachFolder(relative, [&](std::string_view folder) { m_folders.try_emplace(std::string(folder), plan.number); });
    m_byRelative.try_emplace(relative, plan.number);
    return {};
}

} // namespace stencilor
