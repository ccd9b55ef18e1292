// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "generation/OutputSink.h"
#include "generation/RecordPlan.h"
#include "generation/RecordRange.h"
#include "generation/RunInputs.h"
#include "platform/Refusal.h"
#include "platform/Result.h"
#include "project/ProjectSettings.h"

#include <algorithm>
#include <array>
#include <cstdint>
#include <optional>
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
    // Where the project lies (bare data and template names are looked up in its folder).
    virtual ProjectPlace place() = 0;

    // Run becomes unavailable and Stop available (true), or the other way round (false).
    virtual void runStateChanged(bool running) = 0;
    // The progress bar: `position` of `maximum` records done.
    virtual void progress(std::uint64_t position, std::uint64_t maximum) = 0;
    // Lets the host handle pending user events; Stop arrives here.
    virtual void processEvents() = 0;
    // A message box with an OK button ("Please select field delimiter!", missing input files).
    virtual void showMessage(const Error& error) = 0;
    // An error box ("Cannot open file ...", "Cannot create file ...").
    virtual void showError(const Error& error) = 0;
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
    std::uint64_t firstRecord = 0;      // the number of the first record taken (0: none taken)
    ShardSpec part;                     // the part of the job the run took (1/1: the whole job)
    std::uint64_t recordsProcessed = 0; // records taken through all steps
    std::uint64_t filesWritten = 0;
    // The records that got no file, by why (the header record is no skipped record).
    std::array<std::uint64_t, kRefusalCount> skipped{};
    bool reportWritten = false; // report.html saved
    bool reportFailed = false;  // report.html or its folder could not be created
    std::string outputFolder;   // where the files go (absolute); empty when the run did not start
    std::optional<Error> error; // the error shown for a Failed run or a failed report

    std::uint64_t skippedFor(Refusal refusal) const { return skipped[static_cast<std::size_t>(refusal)]; }
    // The records skipped, for any reason (the header record is none of them).
    std::uint64_t recordsSkipped() const;
};

// The generation run: for every record of the data file a fresh copy of the template with every
// rule's identifier replaced, written under the name the naming settings give it, with the
// optional content report. The running flag is tested before each record; Stop clears it.
class GenerationRun final {
public:
    // `recordLimit` is the longest text a record may get.
    explicit GenerationRun(RunHost& host, std::size_t recordLimit = kMaxRecordText)
        : m_host(host)
        , m_recordLimit(recordLimit)
    {
    }

    static constexpr std::size_t kMaxRecordText = stencilor::kMaxRecordText;

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
