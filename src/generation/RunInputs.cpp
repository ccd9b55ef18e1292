#include "generation/RunInputs.h"

#include "platform/Messages.h"
#include "project/ProjectFile.h"

namespace stencilor {

RunInputPaths resolveRunInputs(const ProjectSettings& s, std::string_view projectPath, std::string_view programFolder)
{
    RunInputPaths paths;
    paths.project = resolveProjectPath(projectPath, programFolder);
    paths.dataFile = resolveDataFilePath(s.textfile, paths.project);
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
    std::string missing;
    if (!fileExists(paths.dataFile))
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

Result<RunInputs> openRunInputs(const ProjectSettings& s, std::string_view projectPath, std::string_view programFolder)
{
    RunInputs inputs;
    inputs.paths = resolveRunInputs(s, projectPath, programFolder);
    if (std::string problem = runInputsProblem(s, inputs.paths); !problem.empty())
        return Error{0, std::move(problem)};
    const Result<FileIdentity> data = readRunInput(inputs.paths.dataFile, inputs.data);
    if (!data)
        return data.error();
    inputs.dataIdentity = data.value();
    const Result<FileIdentity> templ = readRunInput(inputs.paths.templateFile, inputs.templateText);
    if (!templ)
        return templ.error();
    inputs.templateIdentity = templ.value();
    return inputs;
}

} // namespace stencilor
