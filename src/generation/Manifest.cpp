// SPDX-License-Identifier: GPL-3.0-or-later
#include "generation/Manifest.h"

#include "datasource/DataInput.h"
#include "generation/ContentReport.h"
#include "generation/JsonText.h"
#include "platform/FileLock.h"
#include "platform/FileSystem.h"
#include "platform/Messages.h"
#include "platform/OutputTree.h"
#include "platform/PendingFile.h"

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <fcntl.h>
#include <map>
#include <optional>
#include <sys/stat.h>
#include <unistd.h>

namespace stencilor {

namespace {

constexpr const char* kKind = "stencilor manifest";

const char* statusText(ManifestRecord::Status status)
{
    switch (status) {
    case ManifestRecord::Status::Written:
        return "written";
    case ManifestRecord::Status::Skipped:
        return "skipped";
    case ManifestRecord::Status::Error:
        return "error";
    }
    return "";
}

Error problem(ErrorKind kind, std::string object = {}, Error::Numbers numbers = {}, std::string other = {})
{
    return Error(kind, std::move(object), 0, numbers, std::move(other));
}

// What the first pass learns of one manifest.
struct PartInfo {
    std::string path;
    ManifestJob job;
    std::uint64_t first = 0, next = 0;
    bool ended = false, complete = false, dataEnd = false;
    std::uint64_t lastRecord = 0; // the last record line read
};

std::optional<std::uint64_t> unsignedMember(const JsonValue& object, std::string_view name)
{
    const JsonValue* member = object.member(name);
    if (!member || member->kind != JsonValue::Kind::Number || member->number < 0)
        return std::nullopt;
    return static_cast<std::uint64_t>(member->number);
}

// True when `name` is a relative name that stays inside the output folder: not empty, not
// absolute, no "..", "." or empty component, no NUL byte.
bool staysInFolder(std::string_view name)
{
    if (name.empty() || name.front() == '/' || name.find('\0') != std::string_view::npos)
        return false;
    for (std::size_t start = 0;;) {
        const std::size_t slash = name.find('/', start);
        const std::string_view part = name.substr(start, slash == std::string_view::npos ? slash : slash - start);
        if (part.empty() || part == "." || part == "..")
            return false;
        if (slash == std::string_view::npos)
            return true;
        start = slash + 1;
    }
}

// A record line's name must stay in the output folder and its report values must fit the job's
// report columns: a written record of a job with a report has exactly one value per field column,
// and strings only.
Status checkRecordLine(const JsonValue& record, const PartInfo& info, std::uint64_t lineNumber)
{
    const JsonValue* name = record.member("name");
    if (!name || (name->kind != JsonValue::Kind::Null && name->kind != JsonValue::Kind::String))
        return problem(ErrorKind::BrokenManifestLine, info.path, {lineNumber});
    const bool named = name->kind == JsonValue::Kind::String;
    if (named && !staysInFolder(name->text))
        return problem(ErrorKind::ManifestNameLeaves, info.path, {lineNumber});
    const JsonValue* status = record.member("status");
    const bool written = status && status->kind == JsonValue::Kind::String && status->text == "written";
    const JsonValue* values = record.member("values");
    bool fits = values == nullptr ? !(written && info.job.report) : written && info.job.report && named;
    if (values && fits) {
        fits = values->kind == JsonValue::Kind::Array && values->items.size() == reportValueCount(info.job.reportFld);
        for (std::size_t i = 0; fits && i < values->items.size(); ++i)
            fits = values->items[i].kind == JsonValue::Kind::String;
    }
    if (!fits)
        return problem(ErrorKind::ManifestRowMismatch, info.path, {lineNumber});
    return {};
}

// Reads the manifest at `path` line by line, handing each record line to `visit`. The job and
// the closing line go into `info`.
template <class Visit> Status readManifest(const std::string& path, PartInfo& info, Visit visit)
{
    info.path = path;
    Result<std::unique_ptr<DataInput>> input = DataInput::open(path, {});
    if (!input)
        return systemError(ErrorKind::ReadManifest, path, input.error().code);
    DataRecord line;
    bool first = true;
    for (;;) {
        const Result<bool> got = input.value()->next(line);
        if (!got)
            return systemError(ErrorKind::ReadManifest, path, got.error().code);
        if (!got.value())
            break;
        const std::optional<JsonValue> value = parseJson(line.text);
        const bool object = value && value->kind == JsonValue::Kind::Object;
        if (first) {
            first = false;
            const JsonValue* kind = object ? value->member("stencilor") : nullptr;
            const auto part = object ? unsignedMember(*value, "part") : std::nullopt;
            const auto parts = object ? unsignedMember(*value, "parts") : std::nullopt;
            const auto bytes = object ? unsignedMember(*value, "data_bytes") : std::nullopt;
            const JsonValue* project = object ? value->member("project") : nullptr;
            const JsonValue* report = object ? value->member("report") : nullptr;
            const JsonValue* columns = object ? value->member("report_fld") : nullptr;
            if (!kind || kind->text != kKind || !part || !parts || *part < 1 || *part > *parts || !bytes || !project ||
                !report || report->kind != JsonValue::Kind::Bool || !columns)
                return problem(ErrorKind::NotAManifest, path);
            info.job.part = *part;
            info.job.parts = *parts;
            info.job.project = project->text;
            info.job.dataBytes = *bytes;
            info.job.report = report->boolean;
            info.job.reportFld = columns->text;
            // The identity of the job's inputs and program; a manifest of an older version lacks
            // it and is not taken for a part of any job.
            const std::pair<const char*, std::string*> identity[] = {{"version", &info.job.version},
                                                                     {"data_modified", &info.job.dataModified},
                                                                     {"data_hash", &info.job.dataHash},
                                                                     {"template_hash", &info.job.templateHash},
                                                                     {"project_hash", &info.job.projectHash}};
            for (const auto& [name, into] : identity) {
                const JsonValue* member = value->member(name);
                if (!member || (member->kind != JsonValue::Kind::String && member->kind != JsonValue::Kind::Null))
                    return problem(ErrorKind::NotAManifest, path);
                *into = member->text;
            }
            continue;
        }
        if (info.ended)
            return problem(ErrorKind::ManifestGoesOn, path, {line.number});
        if (object && value->member("end")) {
            const auto from = unsignedMember(*value, "first");
            const auto to = unsignedMember(*value, "next");
            const JsonValue* complete = value->member("complete");
            const JsonValue* dataEnd = value->member("data_end");
            if (!from || !to || !complete || !dataEnd)
                return problem(ErrorKind::BrokenClosingLine, path);
            info.ended = true;
            info.first = *from;
            info.next = *to;
            info.complete = complete->boolean;
            info.dataEnd = dataEnd->boolean;
            continue;
        }
        const auto record = object ? unsignedMember(*value, "record") : std::nullopt;
        if (!record)
            return problem(ErrorKind::BrokenManifestLine, path, {line.number});
        if (info.lastRecord != 0 && *record != info.lastRecord + 1)
            return problem(ErrorKind::ManifestJumps, path, {info.lastRecord, *record});
        info.lastRecord = *record;
        if (Status fits = checkRecordLine(*value, info, line.number); !fits)
            return fits;
        if (Status handled = visit(*value); !handled)
            return handled;
    }
    if (first)
        return problem(ErrorKind::EmptyManifest, path);
    return {};
}

// A job line's time as a message shows it.
std::string shownTime(const std::string& time)
{
    return time.empty() ? "none" : time;
}

// The members of the job lines `a` and `b` that differ, named as in the manifest and separated by
// ", " (empty: one job).
std::string jobDifference(const ManifestJob& a, const ManifestJob& b)
{
    std::string differs;
    const auto note = [&](bool same, const char* name) {
        if (!same)
            differs.append(differs.empty() ? "" : ", ").append(name);
    };
    note(a.parts == b.parts, "parts");
    note(a.project == b.project, "project");
    note(a.projectHash == b.projectHash, "project_hash");
    note(a.dataBytes == b.dataBytes, "data_bytes");
    // Both times, so that the user sees which copy or edit of the data each part read.
    const std::string modified =
        "data_modified (" + shownTime(b.dataModified) + " against " + shownTime(a.dataModified) + ")";
    note(a.dataModified == b.dataModified, modified.c_str());
    note(a.dataHash == b.dataHash, "data_hash");
    note(a.templateHash == b.templateHash, "template_hash");
    note(a.report == b.report, "report");
    note(a.reportFld == b.reportFld, "report_fld");
    note(a.version == b.version, "version");
    return differs;
}

} // namespace

std::string manifestTime(const timespec& time)
{
    std::tm utc{};
    ::gmtime_r(&time.tv_sec, &utc);
    char text[48];
    const std::size_t date = std::strftime(text, sizeof text, "%Y-%m-%dT%H:%M:%S", &utc);
    std::snprintf(text + date, sizeof text - date, ".%09ldZ", static_cast<long>(time.tv_nsec));
    return text;
}

const char* manifestReason(Refusal refusal)
{
    switch (refusal) {
    case Refusal::Header:
        return "header";
    case Refusal::NoName:
        return "no name";
    case Refusal::LeavesFolder:
        return "leaves output folder";
    case Refusal::FolderFailed:
        return "folder not made";
    case Refusal::LinkInPath:
        return "symbolic link in path";
    case Refusal::OwnInput:
        return "replaces an input";
    case Refusal::None:
        break;
    }
    return "";
}

Status ManifestWriter::open(const std::string& path)
{
    FileDescriptor fd(::open(path.c_str(), O_WRONLY | O_CREAT | O_CLOEXEC, 0666));
    if (!fd.valid())
        return systemError(ErrorKind::CreateFile, path, errno);
    if (const int code = lockOpenFile(fd.get(), true); code != 0) {
        if (code == lockHeldCode())
            return Error(ErrorKind::ManifestInUse, path);
        return systemError(ErrorKind::CreateFile, path, code);
    }
    if (retryOnInterrupt([&] { return ::ftruncate(fd.get(), 0); }) != 0)
        return systemError(ErrorKind::CreateFile, path, errno);
    m_fd = std::move(fd);
    m_path = path;
    return {};
}

Status ManifestWriter::start(const ManifestJob& job)
{
    JsonObject line;
    line.add("stencilor", kKind)
        .add("version", job.version)
        .add("part", job.part)
        .add("parts", job.parts)
        .add("project", job.project)
        .add("data_bytes", job.dataBytes)
        .add("report", job.report)
        .add("report_fld", job.reportFld);
    // What the part could not know is null: the time of standard input, the hash of a workbook's
    // bytes, the project file of a project never saved.
    const std::pair<const char*, const std::string*> identity[] = {{"data_modified", &job.dataModified},
                                                                   {"data_hash", &job.dataHash},
                                                                   {"template_hash", &job.templateHash},
                                                                   {"project_hash", &job.projectHash}};
    for (const auto& [name, text] : identity) {
        if (text->empty())
            line.addNull(name);
        else
            line.add(name, *text);
    }
    return writeLine(line.text());
}

std::optional<FileIdentity> ManifestWriter::identity() const
{
    struct stat status {};
    if (!m_fd.valid() || ::fstat(m_fd.get(), &status) != 0)
        return std::nullopt;
    return FileIdentity{status.st_dev, status.st_ino};
}

Status ManifestWriter::add(const ManifestRecord& record)
{
    JsonObject line;
    line.add("record", record.record).add("line", record.line);
    if (record.name.empty())
        line.addNull("name");
    else
        line.add("name", record.name);
    line.add("bytes", record.bytes).add("status", statusText(record.status));
    if (!record.reason.empty())
        line.add("reason", record.reason);
    if (record.reportRow)
        line.addStrings("values", record.values);
    return writeLine(line.text());
}

Status ManifestWriter::finish(std::uint64_t first, std::uint64_t next, bool complete, bool dataEnd)
{
    return writeLine(JsonObject()
                         .add("end", true)
                         .add("first", first)
                         .add("next", next)
                         .add("complete", complete)
                         .add("data_end", dataEnd)
                         .text());
}

Status ManifestWriter::writeLine(const std::string& text)
{
    // One write per line: a run killed at any moment leaves whole lines only.
    if (const int code = writeAll(m_fd.get(), text + "\n"); code != 0)
        return systemError(ErrorKind::WriteFile, m_path, code);
    return {};
}

MergeResult mergeReport(const std::vector<std::string>& manifests, const std::string& folder)
{
    MergeResult result;
    std::vector<Error>& problems = result.problems;
    if (manifests.empty()) {
        problems.push_back(problem(ErrorKind::NoManifest));
        return result;
    }
    // First pass: what each manifest is and holds, without keeping its lines. Every problem is
    // listed, so that one merge names every part to run again.
    std::vector<PartInfo> infos(manifests.size());
    std::vector<const PartInfo*> readable;
    for (std::size_t i = 0; i < manifests.size(); ++i) {
        if (Status read = readManifest(manifests[i], infos[i], [](const JsonValue&) { return Status(); }); !read)
            problems.push_back(read.error());
        else
            readable.push_back(&infos[i]);
    }
    if (readable.empty())
        return result;
    const PartInfo& reference = *readable.front();
    const ManifestJob& job = reference.job;
    std::map<std::uint64_t, const PartInfo*> byPart;
    for (const PartInfo* info : readable) {
        if (const std::string differs = jobDifference(job, info->job); !differs.empty()) {
            Error foreign = problem(ErrorKind::OtherJob, info->path, {info->job.part, info->job.parts}, reference.path);
            foreign.aspect = differs;
            problems.push_back(std::move(foreign));
            continue;
        }
        if (const auto [place, added] = byPart.emplace(info->job.part, info); !added)
            problems.push_back(
                problem(ErrorKind::PartTwice, place->second->path, {info->job.part, info->job.parts}, info->path));
    }
    if (!job.report) {
        problems.push_back(problem(ErrorKind::ReportOff));
        return result;
    }
    // The records each part covers follow on from the part before; after a part that is missing or
    // did not finish, the next one's start cannot be checked.
    // (A plain number and a flag: an optional here draws a false "may be used uninitialized" from
    // GCC's optimizer, which breaks the builds that treat warnings as errors.)
    std::uint64_t expected = 1;
    bool expectedKnown = true;
    for (std::uint64_t part = 1; part <= job.parts; ++part) {
        const auto found = byPart.find(part);
        if (found == byPart.end()) {
            problems.push_back(problem(ErrorKind::PartMissing, {}, {part, job.parts}));
            expectedKnown = false;
            continue;
        }
        const PartInfo& info = *found->second;
        if (!info.ended || !info.complete) {
            problems.push_back(problem(ErrorKind::PartUnfinished, info.path, {part, job.parts, info.lastRecord}));
            expectedKnown = false;
            continue;
        }
        if (expectedKnown && info.first > expected)
            problems.push_back(
                problem(ErrorKind::RecordsInNoManifest, {}, {expected, info.first - 1, part, job.parts}));
        if (expectedKnown && info.first < expected)
            problems.push_back(
                problem(ErrorKind::RecordsInTwoManifests, {}, {info.first, expected - 1, part, job.parts}));
        if (info.next < info.first || (info.lastRecord != 0 && info.lastRecord + 1 != info.next) ||
            (info.lastRecord == 0 && info.next != info.first))
            problems.push_back(problem(ErrorKind::ManifestMismatch, info.path));
        expected = info.next;
        expectedKnown = true;
        if (part == job.parts && !info.dataEnd)
            problems.push_back(problem(ErrorKind::DataEndMissing, {}, {job.parts, job.parts}));
    }
    if (!problems.empty())
        return result;

    // Second pass: the report, exactly as one run writes it, into the folder locked as a run
    // locks it.
    const std::string reportPath = folder + "/" + std::string(kReportFileName);
    OutputTree tree;
    if (Status opened = tree.open(folder); !opened) {
        problems.push_back(opened.error().code == folderInUseCode()
                               ? Error(ErrorKind::FolderInUse)
                               : systemError(ErrorKind::CreateOutput, reportPath, opened.error().code));
        return result;
    }
    const int folderFd = tree.descriptor();
    PendingFile file;
    ContentReport lines;
    Status status = file.create(folderFd);
    const auto flush = [&] {
        if (status)
            status = file.write(lines.text());
        lines.clear();
    };
    lines.start(job.reportFld);
    for (const auto& [part, info] : byPart) {
        if (!status)
            break;
        PartInfo again;
        const Status read = readManifest(info->path, again, [&](const JsonValue& record) {
            const JsonValue* values = record.member("values");
            if (!values)
                return Status();
            std::vector<std::string> texts;
            texts.reserve(values->items.size());
            for (const JsonValue& value : values->items)
                texts.push_back(value.text);
            lines.addRowValues(job.reportFld, texts, record.member("name")->text);
            if (lines.text().size() >= kReportBlock)
                flush();
            return Status();
        });
        if (!read)
            status = read;
    }
    lines.finish();
    flush();
    if (status)
        status = file.commit(folderFd, std::string(kReportFileName));
    // The report's own file errors name the report; a manifest that cannot be read says so.
    if (!status && status.error().code != 0 && status.error().kind != ErrorKind::ReadManifest)
        problems.push_back(systemError(ErrorKind::CreateOutput, reportPath, status.error().code));
    else if (!status)
        problems.push_back(status.error());
    return result;
}

} // namespace stencilor
