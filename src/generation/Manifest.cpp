#include "generation/Manifest.h"

#include "datasource/DataInput.h"
#include "generation/ContentReport.h"
#include "generation/JsonText.h"
#include "platform/FileSystem.h"
#include "platform/Messages.h"
#include "platform/PendingFile.h"

#include <algorithm>
#include <cerrno>
#include <fcntl.h>
#include <map>
#include <optional>
#include <unistd.h>

namespace stencilor {

namespace {

constexpr const char* kKind = "stencilor manifest";
constexpr std::size_t kReportBlock = std::size_t{1} << 16;

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

std::string partText(std::uint64_t part, std::uint64_t parts)
{
    return std::to_string(part) + "/" + std::to_string(parts);
}

Error problem(const std::string& text)
{
    return Error{0, text};
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

// Reads the manifest at `path` line by line, handing each record line to `visit`. The job and
// the closing line go into `info`.
template <class Visit> Status readManifest(const std::string& path, PartInfo& info, Visit visit)
{
    info.path = path;
    Result<std::unique_ptr<DataInput>> input = DataInput::open(path, {});
    if (!input)
        return problem("cannot read the manifest \"" + path + "\": " + systemReason(input.error().code));
    DataRecord line;
    bool first = true;
    for (;;) {
        const Result<bool> got = input.value()->next(line);
        if (!got)
            return problem("cannot read the manifest \"" + path + "\": " + systemReason(got.error().code));
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
                return problem("\"" + path + "\" is not a manifest of a stencilor run");
            info.job = {*part, *parts, project->text, *bytes, report->boolean, columns->text};
            continue;
        }
        if (info.ended)
            return problem("\"" + path + "\" goes on after its closing line (line " + std::to_string(line.number) +
                           ")");
        if (object && value->member("end")) {
            const auto from = unsignedMember(*value, "first");
            const auto to = unsignedMember(*value, "next");
            const JsonValue* complete = value->member("complete");
            const JsonValue* dataEnd = value->member("data_end");
            if (!from || !to || !complete || !dataEnd)
                return problem("\"" + path + "\" has a broken closing line");
            info.ended = true;
            info.first = *from;
            info.next = *to;
            info.complete = complete->boolean;
            info.dataEnd = dataEnd->boolean;
            continue;
        }
        const auto record = object ? unsignedMember(*value, "record") : std::nullopt;
        if (!record)
            return problem("\"" + path + "\" has a broken line " + std::to_string(line.number));
        if (info.lastRecord != 0 && *record != info.lastRecord + 1)
            return problem("\"" + path + "\" jumps from record " + std::to_string(info.lastRecord) + " to record " +
                           std::to_string(*record));
        info.lastRecord = *record;
        if (Status handled = visit(*value); !handled)
            return handled;
    }
    if (first)
        return problem("\"" + path + "\" is empty, not a manifest of a stencilor run");
    return {};
}

} // namespace

ManifestWriter::~ManifestWriter()
{
    if (m_fd >= 0)
        ::close(m_fd);
}

Status ManifestWriter::open(const std::string& path, const ManifestJob& job)
{
    m_fd = ::open(path.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0666);
    if (m_fd < 0)
        return Error{errno, "cannot create file \"" + path + "\": " + systemReason(errno)};
    m_path = path;
    return writeLine(JsonObject()
                         .add("stencilor", kKind)
                         .add("version", STENCILOR_VERSION)
                         .add("part", job.part)
                         .add("parts", job.parts)
                         .add("project", job.project)
                         .add("data_bytes", job.dataBytes)
                         .add("report", job.report)
                         .add("report_fld", job.reportFld)
                         .text());
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
    if (!record.cells.empty())
        line.addStrings("row", record.cells);
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
    const std::string line = text + "\n";
    std::string_view rest = line;
    while (!rest.empty()) {
        const ssize_t written = ::write(m_fd, rest.data(), rest.size());
        if (written < 0 && errno == EINTR)
            continue;
        if (written <= 0)
            return Error{written < 0 ? errno : EIO,
                         "cannot write file \"" + m_path + "\": " + systemReason(written < 0 ? errno : EIO)};
        rest.remove_prefix(static_cast<std::size_t>(written));
    }
    return {};
}

Status mergeReport(const std::vector<std::string>& manifests, const std::string& folder)
{
    if (manifests.empty())
        return problem("no manifest given");
    // First pass: what each manifest is and holds, without keeping its lines.
    std::vector<PartInfo> infos(manifests.size());
    for (std::size_t i = 0; i < manifests.size(); ++i) {
        if (Status read = readManifest(manifests[i], infos[i], [](const JsonValue&) { return Status(); }); !read)
            return read;
    }
    const ManifestJob& job = infos.front().job;
    std::map<std::uint64_t, const PartInfo*> byPart;
    for (const PartInfo& info : infos) {
        const ManifestJob& other = info.job;
        if (other.parts != job.parts || other.project != job.project || other.dataBytes != job.dataBytes ||
            other.report != job.report || other.reportFld != job.reportFld)
            return problem("\"" + info.path + "\" belongs to another job than \"" + infos.front().path + "\"");
        if (const auto [place, added] = byPart.emplace(other.part, &info); !added)
            return problem("part " + partText(other.part, other.parts) + " is given twice: \"" + place->second->path +
                           "\" and \"" + info.path + "\"");
    }
    if (!job.report)
        return problem("the job wrote no report (its report is off)");
    std::uint64_t expected = 1;
    for (std::uint64_t part = 1; part <= job.parts; ++part) {
        const auto found = byPart.find(part);
        if (found == byPart.end())
            return problem("part " + partText(part, job.parts) + " is missing");
        const PartInfo& info = *found->second;
        if (!info.ended || !info.complete)
            return problem("part " + partText(part, job.parts) + " (\"" + info.path +
                           "\") did not finish; it ends after record " + std::to_string(info.lastRecord));
        if (info.first > expected)
            return problem("records " + std::to_string(expected) + "-" + std::to_string(info.first - 1) +
                           " are in no manifest (before part " + partText(part, job.parts) + ")");
        if (info.first < expected)
            return problem("records " + std::to_string(info.first) + "-" + std::to_string(expected - 1) +
                           " are in two manifests (part " + partText(part, job.parts) + " and the one before)");
        if (info.next < info.first || (info.lastRecord != 0 && info.lastRecord + 1 != info.next) ||
            (info.lastRecord == 0 && info.next != info.first))
            return problem("\"" + info.path + "\" does not hold the records its closing line names");
        expected = info.next;
    }
    if (!byPart.rbegin()->second->dataEnd)
        return problem("part " + partText(job.parts, job.parts) + " did not reach the end of the data");

    // Second pass: the report, exactly as one run writes it.
    if (Status made = EnsureFolder(folder); !made)
        return problem(cannotCreateMessage(folder + "/report.html", systemReason(made.error().code)));
    const int folderFd = ::open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (folderFd < 0)
        return problem(cannotCreateMessage(folder + "/report.html", systemReason(errno)));
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
            const JsonValue* row = record.member("row");
            if (!row)
                return Status();
            std::vector<std::string> cells;
            for (const JsonValue& cell : row->items)
                cells.push_back(cell.text);
            lines.addRowCells(cells);
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
        status = file.commit(folderFd, "report.html");
    ::close(folderFd);
    if (!status && status.error().code != 0)
        return problem(cannotCreateMessage(folder + "/report.html", systemReason(status.error().code)));
    return status;
}

} // namespace stencilor
