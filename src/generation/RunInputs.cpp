#include "generation/RunInputs.h"

#include "datasource/DataInput.h"
#include "platform/Messages.h"
#include "project/ProjectFile.h"

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

Result<RunInputs> openRunInputs(const ProjectSettings& s, std::string_view projectPath, std::string_view programFolder)
{
    RunInputs inputs;
    inputs.paths = resolveRunInputs(s, projectPath, programFolder);
    if (std::string problem = runInputsProblem(s, inputs.paths); !problem.empty())
        return Error{0, std::move(problem)};
    Result<RunData> data = readRunData(inputs.paths.dataFile, s.encoding);
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
