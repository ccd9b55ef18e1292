#pragma once

// A run's inputs, found, checked and read one way for the run, the check before writing and the
// record preview: every path of the project taken against the project file's folder, refused
// with the run's own messages, and read with the run's "Cannot open file" error.

#include "datasource/Encoding.h"
#include "platform/FileSystem.h"
#include "platform/Result.h"
#include "project/ProjectSettings.h"

#include <optional>
#include <string>
#include <string_view>

namespace stencilor {

// The data file name that reads standard input (given on the command line).
inline constexpr std::string_view kStandardInput = "-";

// Lets "-" as the data file read standard input. Only the command line's --data - asks for it;
// elsewhere "-" is a file of that name beside the project, so that neither a project file nor a
// name typed in the window can make a run wait on standard input.
void allowStandardInputData(bool allowed);

// Where the inputs and the output of a project are.
struct RunInputPaths {
    std::string project;      // the project file, resolved as resolveProjectPath does
    std::string dataFile;     // taken against the project file's folder (resolveDataFilePath)
    std::string templateFile; // likewise
    std::string outputFolder; // likewise, then made absolute; empty when the project sets none
};

// The paths of the settings `s` of the project at `projectPath` (a bare project name lies in
// `programFolder`, which ends with "/").
RunInputPaths resolveRunInputs(const ProjectSettings& s, std::string_view projectPath, std::string_view programFolder);

// Why a run of `s` with its inputs at `paths` cannot start, in the run's words and order: the
// delimiter is empty; the encoding is unknown; the data file, the template or both are missing (one message, the
// template's on a line of its own); no output folder is set. Empty when it can start.
std::string runInputsProblem(const ProjectSettings& s, const RunInputPaths& paths);

// Reads the input file at `path` whole into `into` and gives its identity (so that the run never
// replaces it); fails with the run's message "Cannot open file "ABSOLUTE PATH". REASON".
Result<FileIdentity> readRunInput(const std::string& path, std::string& into);

// The data file of a run, read whole and decoded to UTF-8 when the project names an encoding.
struct RunData {
    std::string text;
    std::optional<FileIdentity> identity;   // none for standard input
    std::optional<ChosenEncoding> encoding; // when the project names one
    std::uint64_t replaced = 0;             // sequences invalid in that encoding, now U+FFFD
};

// Reads the data file at `path` ("-": standard input) with the encoding setting `encoding` (empty:
// the bytes as they are). Fails with the run's "Cannot open file" message, or with the message of
// an unknown encoding name.
Result<RunData> readRunData(const std::string& path, const std::string& encoding);

// A project's inputs as the check before writing and the preview use them: read whole.
struct RunInputs {
    RunInputPaths paths;
    RunData data;
    std::string templateText; // as read, line ends as the file has them
    FileIdentity templateIdentity;
};

// The inputs of `s` resolved, checked and read (data file first): fails with the message of
// runInputsProblem or of readRunInput.
Result<RunInputs> openRunInputs(const ProjectSettings& s, std::string_view projectPath, std::string_view programFolder);

} // namespace stencilor
