#pragma once

#include "generation/ContentReport.h"
#include "generation/RecordRange.h"
#include "project/ProjectSettings.h"

#include <algorithm>
#include <cstdint>
#include <string>

namespace stencilor {

// Everything the run needs from the program that hosts it: the window for the GUI, a console
// object for the command line. The run calls it on its own thread only.
class RunHost {
public:
    virtual ~RunHost() = default;

    // The current settings. The run asks again at every use, so a change made while the run
    // is processing events takes effect from its next use. The reference stays valid until the
    // next processEvents().
    virtual const ProjectSettings& currentSettings() = 0;
    // True when the settings cannot change during a run (the command line has no controls): the
    // run then works out the paths and the rules in use from them once, not at every record.
    virtual bool settingsFixed() const { return false; }
    // The project path as shown (bare data and template names are looked up in its folder).
    virtual std::string projectPath() = 0;
    // The program folder, ending with "/" (where a bare project path lies).
    virtual std::string programFolder() = 0;

    // Run becomes unavailable and Stop available (true), or the other way round (false).
    virtual void runStateChanged(bool running) = 0;
    // The progress bar: `position` of `maximum` records done.
    virtual void progress(std::uint64_t position, std::uint64_t maximum) = 0;
    // Lets the host handle pending user events; Stop arrives here.
    virtual void processEvents() = 0;
    // A message box with an OK button ("Please select field delimiter!", missing input files).
    virtual void showMessage(const std::string& text) = 0;
    // An error box ("Cannot open file ...", "Cannot create file ...").
    virtual void showError(const std::string& text) = 0;
    // Asks the desktop to open report.html at `reportPath` (absolute) without waiting; outcome not
    // examined. Only a report that was written is opened.
    virtual void openReport(const std::string& reportPath, const std::string& folder) = 0;
};

// How a run ended.
enum class RunOutcome {
    NotStarted, // empty delimiter, missing input file, no output folder, folder in use, an archive or
                // manifest that would replace an input, or already running
    Completed,  // went through all records
    Stopped,    // Stop arrived before the last record
    Failed,     // an input could not be read or an output file could not be created
};

// What a run did, for the summary line.
struct RunSummary {
    RunOutcome outcome = RunOutcome::NotStarted;
    std::uint64_t recordCount = 0;      // data lines when the run started (of the range, in a partial run)
    std::uint64_t recordsProcessed = 0; // records taken through all steps
    std::uint64_t filesWritten = 0;
    std::uint64_t skippedNoName = 0;   // no usable name
    std::uint64_t skippedFolder = 0;   // folder could not be created
    std::uint64_t skippedOutside = 0;  // name would leave the output folder
    std::uint64_t skippedLink = 0;     // a subfolder on the way is a symbolic link
    std::uint64_t skippedOwnInput = 0; // the file would replace an input of the run or its report
    bool reportWritten = false;        // report.html saved
    bool reportFailed = false;         // report.html or its folder could not be created
    std::string outputFolder;          // where the files go (absolute); empty when the run did not start
    std::string error;                 // the message shown for a Failed run or a failed report
};

// What the command line adds to a run when a job is split among machines or kept out of folders.
struct RunOptions {
    // The part of the job this run takes (--shard K/N): the records whose first byte lies in the
    // part's span of the data file, with their numbers in the whole file. A part of a job shares
    // the output folder with the other parts and writes no report.html; its manifest holds the
    // report's rows for --merge-report.
    ShardSpec shard;
    // Where a JSON Lines manifest of the records goes as the run takes them (empty: none).
    std::string manifestPath;
    // Where a tar archive of the files and the report goes instead of the output folder
    // ("-": standard output; empty: the output folder). The files are written on the run's
    // own thread, whatever the jobs.
    std::string archivePath;
};

// The generation run: for every record of the data file a fresh copy of the template with every
// rule's identifier replaced, written under the name the naming settings give it, with the
// optional content report. The running flag is tested before each record; Stop clears it.
class GenerationRun final {
public:
    // `recordLimit` is the longest text a record may get (see CompiledTemplate::kMaxRecordText).
    explicit GenerationRun(RunHost& host, std::size_t recordLimit = kMaxRecordText)
        : m_host(host)
        , m_recordLimit(recordLimit)
    {
    }

    // The longest text a record may get by default (1 GiB): beyond it a run ends with an error
    // naming the record instead of exhausting memory.
    static constexpr std::size_t kMaxRecordText = std::size_t{1} << 30;

    // Runs to the end (all records, Stop, or an error) and returns what happened. Errors and
    // messages reach the user through the host. With `records`, only the data lines of that span
    // are taken through the steps (a partial run); record numbers stay the lines' own.
    RunSummary run(RecordRange records = {});
    // Ends the run after the record in progress (with several writers, after the records in
    // their hands).
    void stop() { m_running = false; }
    bool isRunning() const { return m_running; }
    // The files the run in progress has written so far (0 between runs), for a progress display.
    std::uint64_t filesWrittenSoFar() const { return m_current ? m_current->filesWritten : 0; }

    // How many threads write the files of the next run. With 1 (the default) every record is
    // written on the run's own thread before the next one is named. With more, records are
    // named and rendered in order on the run's thread and their files written by that many
    // writers, so files may appear out of order; the files, their bytes, the report and the
    // summary stay as with one. When a write fails, files of later records that were already in
    // the writers' hands may exist as well; the error names the first record that failed.
    void setJobs(unsigned jobs) { m_jobs = std::max(jobs, 1u); }
    // The shard, manifest and archive of the next run.
    void setOptions(RunOptions options) { m_options = std::move(options); }

private:
    RunHost& m_host;
    std::size_t m_recordLimit;
    unsigned m_jobs = 1;
    RunOptions m_options;
    bool m_running = false;
    const RunSummary* m_current = nullptr; // the summary of the run in progress
};

} // namespace stencilor
