// SPDX-License-Identifier: GPL-3.0-or-later
#include "generation/ProbeSink.h"

#include "generation/CaseMapping.h"

#include <algorithm>
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

void ProbeSink::gatherInto(SpilledNames& names)
{
    m_memory = Memory::Gather;
    m_spilled = &names;
}

void ProbeSink::answerFrom(SpilledNames& names)
{
    m_memory = Memory::Answers;
    m_spilled = &names;
}

bool ProbeSink::wouldOutgrow(const RecordPlan& plan, std::size_t limit) const
{
    const std::string& relative = plan.name.relativeName;
    const std::size_t folders = static_cast<std::size_t>(std::count(relative.begin(), relative.end(), '/'));
    const std::size_t names = m_names.size() + relative.size();
    const std::size_t held = m_files.bytes() + m_foldedFiles.bytes() + m_folders.bytes() + m_names.capacity();
    const std::size_t growing = m_files.bytesToAdd(1) + m_foldedFiles.bytesToAdd(1) + m_folders.bytesToAdd(folders) +
                                (names > m_names.capacity() ? std::max(names, 2 * m_names.capacity()) : 0);
    return held + growing > limit;
}

RecordResult ProbeSink::write(const RecordPlan& plan)
{
    std::uint64_t first = 0;
    const RecordResult placed = placeFile(plan, first);
    if (!placed.written() || m_memory == Memory::Gather)
        return placed;
    if (first != plan.number) {
        add(CheckFindingKind::SameName, plan, {DetailKind::SameFile, {}, first});
        return placed;
    }
    if (m_memory == Memory::Tables) {
        compareFolded(plan);
    } else if (m_answer.kind == NameAnswer::Kind::SameNormalized) {
        add(CheckFindingKind::SameNameNormalized, plan,
            {DetailKind::SameFileNormalized, std::move(m_answer.subject), m_answer.first});
    } else if (m_answer.kind == NameAnswer::Kind::SameIgnoringCase) {
        add(CheckFindingKind::SameNameIgnoringCase, plan,
            {DetailKind::SameFileIgnoringCase, std::move(m_answer.subject), m_answer.first});
    }
    return placed;
}

void ProbeSink::compareFolded(const RecordPlan& plan)
{
    // Names that differ only in letter case, in Unicode normalization (é as one character or as e
    // and an accent) or in both meet under one key; which of them it is comes from the two names.
    const std::uint64_t number = plan.number;
    const std::string normalized = toComposedForm(plan.name.path);
    const std::uint64_t composed = digestOf(normalized).low;
    const std::string_view fileName = fileNamePart(plan.name.path);
    const auto [folded, newFolded] = m_foldedFiles.tryEmplace(
        digestOf(toLowerCase(normalized)),
        FirstUse{number, composed, m_names.size(), static_cast<std::uint32_t>(fileName.size())});
    if (newFolded) {
        m_names += fileName;
        return;
    }
    std::string firstName = m_names.substr(folded->nameStart, folded->nameSize);
    if (folded->composed == composed)
        add(CheckFindingKind::SameNameNormalized, plan,
            {DetailKind::SameFileNormalized, std::move(firstName), folded->record});
    else
        add(CheckFindingKind::SameNameIgnoringCase, plan,
            {DetailKind::SameFileIgnoringCase, std::move(firstName), folded->record});
}

NameAnswer ProbeSink::fromTables(const std::string& relative) const
{
    // The folders of earlier records and their files must not stand in each other's way.
    NameAnswer answer;
    forEachFolder(relative, [&](std::string_view folder) {
        if (answer.kind != NameAnswer::Kind::Clear)
            return;
        if (const std::uint64_t* file = m_files.find(digestOf(folder)))
            answer = {NameAnswer::Kind::Blocked, *file, folder.size(), {}};
    });
    if (answer.kind == NameAnswer::Kind::Clear)
        if (const std::uint64_t* folder = m_folders.find(digestOf(relative)))
            answer = {NameAnswer::Kind::IsFolder, *folder, 0, {}};
    return answer;
}

std::optional<ProbeSink::DiskRefusal> ProbeSink::diskRefusal(const RecordPlan& plan,
                                                             const TreeProbeResult& probed) const
{
    if (!m_ownName.empty() && plan.name.relativeName == m_ownName)
        return DiskRefusal{CheckFindingKind::OwnInput, {DetailKind::OwnInput}, {Refusal::OwnInput, std::nullopt}};
    switch (probed.write.refusal) {
    case Refusal::FolderFailed:
        return DiskRefusal{CheckFindingKind::FolderBlocked,
                           {DetailKind::FileInWayOfSubfolder, probed.at},
                           {Refusal::FolderFailed, std::nullopt}};
    case Refusal::LinkInPath:
        return DiskRefusal{CheckFindingKind::LinkInPath,
                           {DetailKind::SubfolderIsLink, probed.at},
                           {Refusal::LinkInPath, std::nullopt}};
    case Refusal::OwnInput:
        return DiskRefusal{CheckFindingKind::OwnInput, {DetailKind::OwnInput}, {Refusal::OwnInput, std::nullopt}};
    default:
        break;
    }
    if (probed.write.failed())
        return DiskRefusal{CheckFindingKind::NameIsFolder,
                           {DetailKind::NameIsFolder},
                           {Refusal::None, Error(ErrorKind::CreateOutput, plan.name.path, probed.write.code)}};
    return std::nullopt;
}

RecordResult ProbeSink::placeFile(const RecordPlan& plan, std::uint64_t& first)
{
    const std::string& relative = plan.name.relativeName;
    if (const std::optional<Detail> reason = tooLong(relative)) {
        add(CheckFindingKind::NameTooLong, plan, *reason);
        return {Refusal::None, Error(ErrorKind::CreateOutput, plan.name.path, ENAMETOOLONG)};
    }
    if (m_memory == Memory::Gather) {
        // Only what the folder on disk says is known yet: the name is kept with it for later.
        const bool clear = !diskRefusal(plan, m_tree.probe(relative));
        if (m_pathPrefix.empty() && plan.name.path.size() >= relative.size())
            m_pathPrefix = plan.name.path.substr(0, plan.name.path.size() - relative.size());
        if (Status added = m_spilled->add(relative, plan.number, clear); !added)
            m_namesError = added.error();
        first = plan.number;
        return clear ? RecordResult{} : RecordResult{Refusal::FolderFailed, std::nullopt};
    }
    if (m_memory == Memory::Tables) {
        m_answer = fromTables(relative);
    } else if (Result<NameAnswer> answer = m_spilled->answer(plan.number); answer) {
        m_answer = std::move(answer.value());
    } else {
        m_namesError = answer.error();
        m_answer = {};
    }
    if (m_answer.kind == NameAnswer::Kind::Blocked) {
        add(CheckFindingKind::FolderBlocked, plan,
            {DetailKind::SubfolderIsEarlierFile, relative.substr(0, m_answer.length), m_answer.first});
        return {Refusal::FolderFailed, std::nullopt};
    }
    if (m_answer.kind == NameAnswer::Kind::IsFolder) {
        add(CheckFindingKind::NameIsFolder, plan, {DetailKind::NameIsEarlierSubfolder, {}, m_answer.first});
        return {Refusal::None, Error(ErrorKind::CreateOutput, plan.name.path, EISDIR)};
    }

    const TreeProbeResult probed = m_tree.probe(relative);
    if (std::optional<DiskRefusal> refused = diskRefusal(plan, probed)) {
        add(refused->kind, plan, std::move(refused->detail));
        return refused->result;
    }
    if (probed.replaces)
        add(CheckFindingKind::ReplacesLink, plan, {DetailKind::ReplacesEntry});
    if (m_memory == Memory::Answers) {
        first = m_answer.kind == NameAnswer::Kind::SameName ? m_answer.first : plan.number;
        return {};
    }
    forEachFolder(relative, [&](std::string_view folder) { m_folders.tryEmplace(digestOf(folder), plan.number); });
    first = *m_files.tryEmplace(digestOf(relative), plan.number).first;
    return {};
}

} // namespace stencilor
