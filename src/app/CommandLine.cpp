// SPDX-License-Identifier: GPL-3.0-or-later
#include "app/CommandLine.h"

#include "app/ConsoleHost.h"
#include "app/JsonResults.h"
#include "app/ProgressBar.h"
#include "datasource/DataFilePass.h"
#include "datasource/DataFileWarnings.h"
#include "datasource/DataInput.h"
#include "datasource/DataSourceCheck.h"
#include "datasource/TextLines.h"
#include "generation/ContentReport.h"
#include "generation/DryRun.h"
#include "generation/GenerationRun.h"
#include "generation/Manifest.h"
#include "generation/OutputNaming.h"
#include "generation/RunInputs.h"
#include "generation/RunSummaryText.h"
#include "platform/FileSystem.h"
#include "platform/Messages.h"
#include "project/ProjectFile.h"

#include <algorithm>
#include <cerrno>
#include <chrono>
#include <cstdio>
#include <functional>
#include <iomanip>
#include <memory>
#include <optional>
#include <ostream>
#include <sched.h>
#include <sstream>
#include <sys/stat.h>
#include <thread>
#include <unistd.h>

namespace stencilor {

namespace {

// The closing summary line of --run.
std::string summaryLine(const RunSummary& summary, double seconds)
{
    std::ostringstream text;
    text << filesAndSkipsText(summary);
    if (summary.outcome == RunOutcome::Stopped)
        text << ", stopped after " << summary.recordsProcessed << " of " << summary.recordCount << " records";
    else if (summary.outcome == RunOutcome::Failed)
        text << ", broken off after " << summary.recordsProcessed << " of " << summary.recordCount << " records";
    if (summary.reportWritten)
        text << ", " << kReportFileName << " written";
    text << ", " << std::fixed << std::setprecision(2) << seconds << " s";
    return text.str();
}

// The project file for --run and --check, made absolute; an error status when it cannot be read.
struct ProjectInput {
    std::string path;
    int status = kExitOk;
};

// A command that does not start: its message on stderr and, with --format json, its JSON object on
// `out` (on stderr when standard output carries the archive). The message keeps its own line
// breaks unless `oneLine` (a path typed on the command line may hold one).
int notStarted(const ParsedCommandLine& parsed, const Error& error, std::ostream& out, std::ostream& err,
               bool oneLine = false)
{
    err << escapeControlBytes(commandLineErrorText(error), !oneLine) << '\n';
    if (parsed.json)
        (parsed.archive == "-" ? err : out) << notStartedJson(error) << '\n';
    (parsed.archive == "-" ? err : out) << std::flush;
    return kExitNotStarted;
}

ProjectInput openProject(const ParsedCommandLine& parsed, std::ostream& out, std::ostream& err)
{
    ProjectInput input{absolutePath(parsed.project), kExitOk};
    if (!fileExists(input.path)) {
        const int code = FolderExists(input.path) ? EISDIR : ENOENT;
        input.status = notStarted(parsed, systemError(ErrorKind::OpenInput, input.path, code), out, err, true);
        return input;
    }
    // A file that exists but cannot be read would otherwise load as a missing project.
    if (Result<std::string> text = readWholeFile(input.path); !text)
        input.status =
            notStarted(parsed, systemError(ErrorKind::OpenInput, input.path, text.error().code), out, err, true);
    return input;
}

// The project's settings with the command line's --data and --output put in, taken against the
// working folder like every path typed on a command line.
ProjectSettings commandLineSettings(const ParsedCommandLine& parsed, const ProjectInput& project,
                                    const std::string& programFolder)
{
    ProjectSettings settings = loadProject(project.path, ProjectSettings{}, programFolder).settings;
    if (!parsed.dataFile.empty())
        settings.textfile = parsed.dataFile == kStandardInput ? parsed.dataFile : absolutePath(parsed.dataFile);
    if (!parsed.outputFolder.empty())
        settings.outputdir = absolutePath(parsed.outputFolder);
    // With an archive the output folder only roots the names; a project without one names them
    // from the working folder.
    if (!parsed.archive.empty() && settings.outputdir.empty())
        settings.outputdir = absolutePath(".");
    return settings;
}

// Where the project of the command line lies; its data is standard input for --data -.
ProjectPlace commandLinePlace(const ParsedCommandLine& parsed, const ProjectInput& project,
                              const std::string& programFolder)
{
    return ProjectPlace{project.path, programFolder, parsed.dataFile == kStandardInput};
}

// The cores this process may run on (--jobs 0).
unsigned availableCores()
{
    cpu_set_t cores;
    if (::sched_getaffinity(0, sizeof cores, &cores) == 0 && CPU_COUNT(&cores) > 0)
        return static_cast<unsigned>(CPU_COUNT(&cores));
    return std::max(std::thread::hardware_concurrency(), 1u);
}

int runProject(const ParsedCommandLine& parsed, const std::string& programFolder, std::ostream& out, std::ostream& err)
{
    // An archive is bytes for a file or a pipe, not for a person at a terminal.
    if (parsed.archive == "-" && ::isatty(STDOUT_FILENO)) {
        err << "stencilor: the archive is not written to a terminal; send standard output to a file or a pipe\n";
        return kExitNotStarted;
    }
    const ProjectInput project = openProject(parsed, out, err);
    if (project.status != kExitOk)
        return project.status;
    LoadedProject loaded{commandLineSettings(parsed, project, programFolder), true};

    ConsoleHost::Options options;
    options.quiet = parsed.quiet;
    options.openReport = parsed.openReport;
    options.progressBar = !parsed.quiet && ::isatty(STDERR_FILENO);
    ConsoleHost host(std::move(loaded.settings), commandLinePlace(parsed, project, programFolder), err, options);
    GenerationRun run(host);
    run.setJobs(parsed.jobs == 0 ? availableCores() : parsed.jobs);
    run.setOptions(RunOptions{parsed.shard, parsed.manifest, parsed.archive, parsed.archiveFormat});
    host.attach(run);

    ConsoleHost::installInterruptHandler();
    const auto started = std::chrono::steady_clock::now();
    const RunSummary summary = run.run(parsed.records);
    const double seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - started).count();

    // With the archive on standard output, the summary goes to stderr.
    if (parsed.json)
        (parsed.archive == "-" ? err : out) << runSummaryJson(summary, seconds) << '\n' << std::flush;
    if (summary.outcome == RunOutcome::NotStarted)
        return kExitNotStarted;
    if (!parsed.quiet && !parsed.json)
        err << summaryLine(summary, seconds) << '\n' << std::flush;
    if (summary.outcome == RunOutcome::Failed || summary.reportFailed)
        return kExitError;
    if (host.interrupted())
        return kExitSignalBase + ConsoleHost::interruptSignal();
    return kExitOk;
}

int checkProject(const ParsedCommandLine& parsed, const std::string& programFolder, std::ostream& out,
                 std::ostream& err)
{
    const ProjectInput project = openProject(parsed, out, err);
    if (project.status != kExitOk)
        return project.status;
    const ProjectSettings settings = commandLineSettings(parsed, project, programFolder);
    const std::string dataFile = resolveRunInputs(settings, commandLinePlace(parsed, project, programFolder)).dataFile;
    // A data file that cannot be read is an error here, not a file without lines; one that is no
    // regular file (a FIFO) is refused before anything waits on it.
    if (dataFile != kStandardInput) {
        if (const Result<std::unique_ptr<DataInput>> opened = DataInput::open(dataFile, {}); !opened) {
            return notStarted(parsed, systemError(ErrorKind::OpenInput, absolutePath(dataFile), opened.error().code),
                              out, err);
        }
    }
    // One pass finds the check's results and the warnings (none for standard input).
    ProgressBar bar(err, !parsed.quiet && ::isatty(STDERR_FILENO));
    struct stat info {};
    const std::uint64_t size = dataFile != kStandardInput && ::stat(dataFile.c_str(), &info) == 0
                                   ? static_cast<std::uint64_t>(info.st_size)
                                   : 0;
    DataFilePass pass;
    pass.warnings = dataFile != kStandardInput;
    pass.progress = [&](std::uint64_t read) { bar.show(read, size, false); };
    const DataFileFindings found = examineDataFile(dataFile, settings.dataFormat(), pass);
    const DataFileState& state = found.state;
    std::vector<std::string> warnings = warningTexts(found.warnings);
    bar.clear();
    if (state.error)
        return notStarted(parsed, *state.error, out, err);
    if (state.replaced > 0)
        warnings.push_back(detailText(replacedSequences(state.replaced, state.encoding->name)));
    if (parsed.json) {
        out << checkJson(state, warnings) << '\n' << std::flush;
        return kExitOk;
    }
    out << "fields: " << state.csvFieldCount << '\n';
    out << "sample: " << escapeControlBytes(shownLine(state.csvSampleLine, state.csvSampleBytes)) << '\n';
    out << "widest: " << escapeControlBytes(shownLine(state.csvWidestLine, state.csvWidestBytes)) << '\n';
    // The fourth line only for a project that names an encoding: scripts read the first three.
    if (state.encoding)
        out << encodingLine(*state.encoding) << '\n';
    // For a workbook, the fourth line names the sheet read (delimiter and encoding do not apply).
    if (!state.sheet.empty())
        out << "sheet: " << escapeControlBytes(state.sheet) << '\n';
    out << std::flush;
    // Warnings go to stderr, so that stdout stays as scripts expect it.
    for (const std::string& warning : warnings)
        err << "warning: " << escapeControlBytes(warning, true) << '\n';
    return kExitOk;
}

// --dry-run: everything a run does but the writing; the findings as a table on stdout.
int dryRunProject(const ParsedCommandLine& parsed, const std::string& programFolder, std::ostream& out,
                  std::ostream& err)
{
    const ProjectInput project = openProject(parsed, out, err);
    if (project.status != kExitOk)
        return project.status;
    const ProjectSettings settings = commandLineSettings(parsed, project, programFolder);
    // The findings go out as they arise, so that their number does not matter to memory; the
    // JSON form is held back until the check has started, so that a check that did not start
    // prints nothing on stdout.
    CheckTableWriter table(out, settings.quotes);
    std::optional<FindingsJsonWriter> json;
    ProgressBar bar(err, !parsed.quiet && ::isatty(STDERR_FILENO), &out);
    const CheckReport report = checkProjectOutput(
        settings, commandLinePlace(parsed, project, programFolder), RecordSelection{parsed.records, parsed.shard, 0},
        [&](const CheckFinding& finding) {
            bar.clear();
            if (!parsed.json)
                return table.add(finding);
            if (!json)
                json.emplace(out, parsed.jsonLines);
            json->add(finding);
        },
        RunOptions{parsed.shard, parsed.manifest, parsed.archive, parsed.archiveFormat},
        [&bar](std::uint64_t read, std::uint64_t total) { bar.show(read, total); });
    bar.clear();
    if (!report.started)
        return notStarted(parsed, *report.problem, out, err);
    if (report.problem) {
        // The check broke off (its names could not be kept on disk): what it found so far is out,
        // with no count line, and the error says why.
        out << std::flush;
        err << escapeControlBytes(commandLineErrorText(*report.problem), true) << '\n';
        return kExitError;
    }
    if (parsed.json) {
        if (!json)
            json.emplace(out, parsed.jsonLines);
        json->finish(report);
    } else {
        table.finish(report);
    }
    out << std::flush;
    return report.findingCount == 0 ? kExitOk : kExitFindings;
}

// --merge-report: the report of a sharded run from its parts' manifests.
// Every problem goes out, one per line (or in the JSON object's "problems"), so that one merge
// names every part to run again.
int mergeReports(const ParsedCommandLine& parsed, std::ostream& out, std::ostream& err)
{
    std::vector<std::string> manifests;
    for (const std::string& manifest : parsed.manifests)
        manifests.push_back(absolutePath(manifest));
    const std::string folder = absolutePath(parsed.outputFolder);
    const std::string report = withTrailingSlash(folder) + std::string(kReportFileName);
    const MergeResult merged = mergeReport(manifests, folder);
    if (parsed.json) {
        out << mergeJson(merged, report, manifests.size()) << '\n' << std::flush;
    } else {
        for (const Error& problem : merged.problems)
            err << escapeControlBytes(errorText(problem), true) << '\n';
    }
    if (!merged)
        return kExitNotStarted;
    if (!parsed.json)
        err << escapeControlBytes(report) << " written from " << manifests.size()
            << (manifests.size() == 1 ? " manifest" : " manifests") << '\n';
    return kExitOk;
}

} // namespace

int runHeadless(const ParsedCommandLine& parsed, const std::string& programFolder, std::ostream& out, std::ostream& err)
{
    switch (parsed.command) {
    case Command::Run:
        return runProject(parsed, programFolder, out, err);
    case Command::Check:
        return checkProject(parsed, programFolder, out, err);
    case Command::DryRun:
        return dryRunProject(parsed, programFolder, out, err);
    case Command::MergeReport:
        return mergeReports(parsed, out, err);
    case Command::Help:
    case Command::Version:
        out << parsed.text << '\n';
        return kExitOk;
    case Command::UsageError:
    case Command::OpenWindow:
        err << parsed.text << '\n';
        return kExitUsage;
    }
    return kExitUsage;
}

} // namespace stencilor
