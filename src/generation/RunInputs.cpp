#include "generation/RunInputs.h"

#include "datasource/DataInput.h"
#include "platform/Messages.h"
#include "project/ProjectFile.h"

#include <algorithm>
#include <atomic>

namespace stencilor {

namespace {

std::atomic<bool> g_standardInputData{false};

} // namespace

void allowStandardInputData(bool allowed)
{
    g_standardInputData = allowed;
}

RunInputPaths resolveRunInputs(const ProjectSettings& s, std::string_view projectPath, std::string_view programFolder)
{
    RunInputPaths paths;
    paths.project = resolveProjectPath(projectPath, programFolder);
    paths.dataFile = s.textfile == kStandardInput && g_standardInputData
                         ? s.textfile
                         : resolveDataFilePath(s.textfile, paths.project);
    paths.templateFile = resolveDataFilePath(s.templatefile, paths.project);
    paths.outputFolder = resolveOutputFolder(s.outputdir, paths.project);
    if (!paths.outputFolder.empty())
        paths.outputFolder = absolutePath(paths.outputFolder);
    return paths;
}

std::string runInputsProblem(const ProjectSettings& s, const RunInputPaths& paths)
{
    if (s.delim.empty())
        return kDelimiterNotSetMessage;
    if (!s.encoding.empty() && !isKnownEncoding(s.encoding))
        return unknownEncodingMessage(s.encoding);
    std::string missing;
    if (paths.dataFile != kStandardInput && !fileExists(paths.dataFile))
        missing = kDataFileMissingMessage;
    if (!fileExists(paths.templateFile))
        missing += kTemplateMissingMessage;
    if (!missing.empty())
        return missing;
    // An empty output folder never means the root folder.
    if (paths.outputFolder.empty())
        return kOutputFolderNotSetMessage;
    return {};
}

Result<FileIdentity> readRunInput(const std::string& path, std::string& into)
{
    Result<FileIdentity> read = readWholeFileInto(path, into);
    if (!read)
        return Error{read.error().code, cannotOpenMessage(absolutePath(path), systemReason(read.error().code))};
    return read;
}

Result<RunData> readRunData(const std::string& path, const std::string& encoding)
{
    RunData data;
    if (encoding.empty() && path != kStandardInput) {
        const Result<FileIdentity> read = readRunInput(path, data.text);
        if (!read)
            return read.error();
        data.identity = read.value();
        return data;
    }
    const std::string shown = path == kStandardInput ? "standard input" : absolutePath(path);
    Result<std::unique_ptr<DataInput>> input = DataInput::open(path, DataInput::Options{false, ";", encoding});
    if (!input) {
        const Error& error = input.error();
        return error.code == 0 ? error : Error{error.code, cannotOpenMessage(shown, systemReason(error.code))};
    }
    if (Status read = input.value()->readAll(data.text); !read)
        return Error{read.error().code, cannotOpenMessage(shown, systemReason(read.error().code))};
    data.identity = input.value()->identity();
    data.encoding = input.value()->encoding();
    data.replaced = input.value()->replaced();
    return data;
}

RunRecords::~RunRecords() = default;

Result<std::unique_ptr<RunRecords>> RunRecords::open(const std::string& path, const ProjectSettings& s)
{
    std::unique_ptr<RunRecords> records(new RunRecords);
    records->m_shown = path == kStandardInput ? "standard input" : absolutePath(path);
    records->m_delim = s.delim;
    records->m_quotes = s.quotes;
    Result<std::unique_ptr<DataInput>> input = DataInput::open(path, DataInput::Options{s.quotes, s.delim, s.encoding});
    if (!input)
        return records->readError(input.error());
    records->m_input = std::move(input.value());
    if (!records->m_input->identity()) {
        if (Status read = records->m_input->readAll(records->m_text); !read)
            return records->readError(read.error());
        records->m_size = records->m_text.size();
        records->m_held.emplace(records->m_text, s.delim, s.quotes);
    } else {
        records->m_size = records->m_input->size();
    }
    return records;
}

Error RunRecords::readError(const Error& error) const
{
    // Code 0: a message of its own (an unknown encoding).
    return error.code == 0 ? error : Error{error.code, cannotOpenMessage(m_shown, systemReason(error.code))};
}

Result<bool> RunRecords::next(DataRecord& record)
{
    if (m_held)
        return m_held->next(record);
    Result<bool> got = m_input->next(record);
    if (!got)
        return readError(got.error());
    return got;
}

Status RunRecords::restart()
{
    if (m_held) {
        m_held.emplace(m_text, m_delim, m_quotes);
        return {};
    }
    if (Status restarted = m_input->restart(); !restarted)
        return readError(restarted.error());
    return {};
}

Result<RecordCount> RunRecords::count(ShardSpec shard)
{
    RecordCount count;
    DataRecord record;
    bool before = true; // no record of the part seen yet
    for (;;) {
        const Result<bool> got = next(record);
        if (!got)
            return got.error();
        if (!got.value())
            break;
        ++count.total;
        if (shard.isWhole() || shard.holds(record.offset, m_size)) {
            if (before)
                count.first = record.number;
            before = false;
            ++count.inPart;
        } else if (shard.follows(record.offset, m_size)) {
            // An empty part begins with the record after those before it.
            count.first = record.number + 1;
        }
    }
    m_replacedInCount = m_input->replaced();
    if (Status restarted = restart(); !restarted)
        return restarted.error();
    return count;
}

const std::optional<FileIdentity>& RunRecords::identity() const
{
    return m_input->identity();
}

const std::optional<ChosenEncoding>& RunRecords::encoding() const
{
    return m_input->encoding();
}

std::uint64_t RunRecords::replaced() const
{
    return std::max(m_replacedInCount, m_input->replaced());
}

Result<RunInputs> openRunInputs(const ProjectSettings& s, std::string_view projectPath, std::string_view programFolder)
{
    RunInputs inputs;
    inputs.paths = resolveRunInputs(s, projectPath, programFolder);
    if (std::string problem = runInputsProblem(s, inputs.paths); !problem.empty())
        return Error{0, std::move(problem)};
    Result<std::unique_ptr<RunRecords>> data = RunRecords::open(inputs.paths.dataFile, s);
    if (!data)
        return data.error();
    inputs.data = std::move(data.value());
    const Result<FileIdentity> templ = readRunInput(inputs.paths.templateFile, inputs.templateText);
    if (!templ)
        return templ.error();
    inputs.templateIdentity = templ.value();
    return inputs;
}

} // namespace stencilor
