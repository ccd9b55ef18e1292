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
    std::uint64_t first = 0;
    const RecordResult placed = placeFile(plan, first);
    if (!placed.written())
        return placed;
    const std::uint64_t number = plan.number;
    if (first != number) {
        add(CheckFindingKind::SameName, plan, {DetailKind::SameFile, {}, first});
        return placed;
    }
    // Names that differ only in letter case, in Unicode normalization (é as one character or as e
    // and an accent) or in both meet under one key; which of them it is comes from the two names.
    const std::string normalized = toComposedForm(plan.name.path);
    const std::uint64_t composed = digestOf(normalized).low;
    const std::string_view fileName = fileNamePart(plan.name.path);
    const auto [folded, newFolded] = m_foldedFiles.tryEmplace(
        digestOf(toLowerCase(normalized)),
        FirstUse{number, composed, m_names.size(), static_cast<std::uint32_t>(fileName.size())});
    if (newFolded) {
        m_names += fileName;
        return placed;
    }
    std::string firstName = m_names.substr(folded->nameStart, folded->nameSize);
    if (folded->composed == composed)
        add(CheckFindingKind::SameNameNormalized, plan,
            {DetailKind::SameFileNormalized, std::move(firstName), folded->record});
    else
        add(CheckFindingKind::SameNameIgnoringCase, plan,
            {DetailKind::SameFileIgnoringCase, std::move(firstName), folded->record});
    return placed;
}

RecordResult ProbeSink::placeFile(const RecordPlan& plan, std::uint64_t& first)
{
    const std::string& relative = plan.name.relativeName;
    if (const std::optional<Detail> reason = tooLong(relative)) {
        add(CheckFindingKind::NameTooLong, plan, *reason);
        return {Refusal::None, Error(ErrorKind::CreateOutput, plan.name.path, ENAMETOOLONG)};
    }
    // The folders of earlier records and their files must not stand in each other's way.
    std::optional<Detail> blocked;
    forEachFolder(relative, [&](std::string_view folder) {
        if (blocked)
            return;
        if (const std::uint64_t* file = m_files.find(digestOf(folder)))
            blocked = Detail{DetailKind::SubfolderIsEarlierFile, std::string(folder), *file};
    });
    if (blocked) {
        add(CheckFindingKind::FolderBlocked, plan, *blocked);
        return {Refusal::FolderFailed, std::nullopt};
    }
    if (const std::uint64_t* folder = m_folders.find(digestOf(relative))) {
        add(CheckFindingKind::NameIsFolder, plan, {DetailKind::NameIsEarlierSubfolder, {}, *folder});
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
    forEachFolder(relative, [&](std::string_view folder) { m_folders.tryEmplace(digestOf(folder), plan.number); });
    first = *m_files.tryEmplace(digestOf(relative), plan.number).first;
    return {};
}

} // namespace stencilor
