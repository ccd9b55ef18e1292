// SPDX-License-Identifier: GPL-3.0-or-later
#include "generation/RunInputs.h"

#include "datasource/DataInput.h"
#include "datasource/workbook/Workbook.h"
#include "platform/Messages.h"
#include "project/ProjectFile.h"

#include <algorithm>
#include <atomic>

namespace stencilor {

RunInputPaths resolveRunInputs(const ProjectSettings& s, const ProjectPlace& place)
{
    RunInputPaths paths;
    paths.project = resolveProjectPath(place.project, place.programFolder);
    paths.dataFile = s.textfile == kStandardInput && place.standardInput
                         ? s.textfile
                         : resolveDataFilePath(s.textfile, paths.project);
    paths.templateFile = resolveDataFilePath(s.templatefile, paths.project);
    paths.outputFolder = resolveOutputFolder(s.outputdir, paths.project);
    if (!paths.outputFolder.empty())
        paths.outputFolder = absolutePath(paths.outputFolder);
    return paths;
}

std::optional<Error> runInputsProblem(const ProjectSettings& s, const RunInputPaths& paths)
{
    if (s.delim.empty())
        return Error(ErrorKind::DelimiterNotSet);
    if (!s.encoding.empty() && !isKnownEncoding(s.encoding))
        return unknownEncoding(s.encoding);
    const bool dataMissing = paths.dataFile != kStandardInput && !fileExists(paths.dataFile);
    const bool templateMissing = !fileExists(paths.templateFile);
    if (dataMissing && templateMissing)
        return Error(ErrorKind::InputsMissing, absolutePath(paths.dataFile), 0, {}, absolutePath(paths.templateFile));
    if (dataMissing)
        return Error(ErrorKind::DataFileMissing, absolutePath(paths.dataFile));
    if (templateMissing)
        return Error(ErrorKind::TemplateMissing, absolutePath(paths.templateFile));
    // An empty output folder never means the root folder.
    if (paths.outputFolder.empty())
        return Error(ErrorKind::OutputFolderNotSet);
    return std::nullopt;
}

Result<FileIdentity> readRunInput(const std::string& path, std::string& into)
{
    Result<FileIdentity> read = readWholeFileInto(path, into);
    if (!read)
        return systemError(ErrorKind::OpenInput, absolutePath(path), read.error().code);
    return read;
}

namespace {

// The path of the data file as the run's messages name it.
std::string shownDataPath(const std::string& path)
{
    return path == kStandardInput ? "standard input" : absolutePath(path);
}

// An error in opening or reading the data file as the run shows it: a system error becomes the
// run's OpenInput error on the path as shown; an error of its own (an unknown encoding) stays.
Error runDataError(const Error& error, const std::string& shown)
{
    // The copy of standard input names its own folder.
    const bool ofCopy = error.kind == ErrorKind::CreateFile || error.kind == ErrorKind::WriteFile;
    return error.code == 0 || ofCopy ? error : systemError(ErrorKind::OpenInput, shown, error.code);
}

} // namespace

Result<RunData> readRunData(const std::string& path, const std::string& encoding, const std::string& sheet)
{
    RunData data;
    if (encoding.empty() && path != kStandardInput && !isWorkbookFile(path)) {
        const Result<FileIdentity> read = readRunInput(path, data.text);
        if (!read)
            return read.error();
        data.identity = read.value();
        return data;
    }
    const DataInput::Options options{false, ";", encoding, std::size_t{1} << 20, false, kMaxRecordBytes, sheet};
    Result<std::unique_ptr<DataInput>> input = DataInput::open(path, options);
    if (!input)
        return runDataError(input.error(), shownDataPath(path));
    if (Status read = input.value()->readAll(data.text); !read)
        return runDataError(read.error(), shownDataPath(path));
    data.identity = input.value()->identity();
    data.encoding = input.value()->encoding();
    data.replaced = input.value()->replaced();
    data.workbook = input.value()->workbook();
    return data;
}

RunRecords::~RunRecords() = default;

Result<std::unique_ptr<RunRecords>> RunRecords::open(const std::string& path, const ProjectSettings& s)
{
    std::unique_ptr<RunRecords> records(new RunRecords);
    records->m_shown = shownDataPath(path);
    records->m_format = RecordReader::Options{s.quotes, s.delim};
    const DataInput::Options options{s.quotes, s.delim,         s.encoding, std::size_t{1} << 20,
                                     true,     kMaxRecordBytes, s.sheet};
    Result<std::unique_ptr<DataInput>> input = DataInput::open(path, options);
    if (!input)
        return records->readError(input.error());
    records->m_input = std::move(input.value());
    if (records->m_input->workbook()) {
        records->m_sheet = true;
        records->m_format = stencilor::sheetForm();
    }
    // Standard input is read to its end first (into a copy on disk, record by record): its size
    // and the count of its records come before the first record.
    if (!records->m_input->identity()) {
        if (Status started = records->restart(); !started)
            return started.error();
    }
    records->m_size = records->m_input->size();
    return records;
}

Error RunRecords::readError(const Error& error) const
{
    return runDataError(error, m_shown);
}

Result<bool> RunRecords::next(DataRecord& record)
{
    Result<bool> got = m_input->next(record);
    if (!got)
        return readError(got.error());
    return got;
}

Status RunRecords::restart()
{
    if (Status restarted = m_input->restart(); !restarted)
        return readError(restarted.error());
    return {};
}

Result<RecordCount> RunRecords::count(RecordSelection selection, const PassWatch& watch)
{
    selection.dataSize = m_size;
    RecordCount count;
    count.first = std::max<std::uint64_t>(selection.range.first, 1);
    // A sheet's survey has found its rows: each is a record, numbered by its row, and none need
    // be read to count them.
    std::uint64_t sheetRow = 0;
    DataRecord record;
    // Polled by the data's reading too, block by block (in this pass and the ones after it), so
    // that a stop ends a pass within a record of any length.
    m_input->setStop(watch.stop);
    for (;;) {
        if (watch.stopRequested()) {
            count.stopped = true;
            return count;
        }
        if (m_sheet) {
            if (sheetRow == m_size)
                break;
            record.number = ++sheetRow;
            record.offset = sheetRow - 1;
        } else {
            const Result<bool> got = next(record);
            if (!got)
                return got.error();
            if (!got.value())
                break;
        }
        ++count.total;
        if (watch.counting)
            watch.counting(count.total, record.offset, m_size);
        switch (selection.placeOf(record.number, record.offset)) {
        case RecordSelection::Place::Taken:
            if (count.taken++ == 0)
                count.first = record.number;
            break;
        case RecordSelection::Place::Before:
            // A selection that takes nothing begins with the record after those before it.
            count.first = std::max(count.first, record.number + 1);
            break;
        case RecordSelection::Place::After:
            break;
        }
    }
    // A stop that came while a record was read ended the data there: the count is partial.
    if (watch.stopRequested()) {
        count.stopped = true;
        return count;
    }
    m_replacedInCount = m_input->replaced();
    if (m_sheet)
        return count;
    m_contentHash = m_input->readHash();
    if (Status restarted = restart(); !restarted)
        return restarted.error();
    return count;
}

void RunRecords::skipTo(std::uint64_t record)
{
    m_input->skipTo(record);
}

std::string RunRecords::sheet() const
{
    return m_sheet ? m_input->sheet() : std::string();
}

std::uint64_t RunRecords::shownAsGeneral() const
{
    return m_sheet ? m_input->shownAsGeneral() : 0;
}

const std::optional<FileIdentity>& RunRecords::identity() const
{
    return m_input->identity();
}

const std::optional<timespec>& RunRecords::modified() const
{
    return m_input->modified();
}

const std::optional<ChosenEncoding>& RunRecords::encoding() const
{
    return m_input->encoding();
}

std::uint64_t RunRecords::replaced() const
{
    return std::max(m_replacedInCount, m_input->replaced());
}

Result<RunInputs> openRunInputs(const ProjectSettings& s, const ProjectPlace& place)
{
    RunInputs inputs;
    inputs.paths = resolveRunInputs(s, place);
    if (std::optional<Error> problem = runInputsProblem(s, inputs.paths))
        return std::move(*problem);
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
