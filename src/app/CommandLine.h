// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "generation/RecordRange.h"
#include "platform/ArchiveWriter.h"

#include <iosfwd>
#include <string>
#include <vector>

namespace stencilor {

// What the command line asks for.
enum class Command { OpenWindow, Run, Check, DryRun, MergeReport, Help, Version, UsageError };

struct ParsedCommandLine {
    Command command = Command::OpenWindow;
    std::string project;                // the one positional argument, as given (may be empty)
    bool quiet = false;                 // --quiet: only errors on stderr
    bool openReport = false;            // --open-report: open report.html when the run wrote it
    RecordRange records;                // --records A-B: only these records (every record by default)
    ShardSpec shard;                    // --shard K/N: only part K of N of the job
    std::string manifest;               // --manifest FILE: a JSON line per record
    std::string archive;                // --archive FILE|-: the files go into an archive
    ArchiveFormat archiveFormat{};      // its format: by the file's extension, or --archive-format for -
    std::string dataFile;               // --data PATH: the data file instead of the project's ("-": standard input)
    std::string outputFolder;           // --output DIR: the output folder instead of the project's
    unsigned jobs = 1;                  // --jobs N: threads that write the files (0: one per core)
    bool json = false;                  // --format json or jsonl: results as JSON on stdout
    bool jsonLines = false;             // --format jsonl: a dry run's findings one JSON line each
    std::vector<std::string> manifests; // --merge-report: the manifests of a sharded run's parts
    std::string text;                   // help text, version text, or the usage error
};

// Exit statuses of the command line.
enum ExitStatus : int {
    kExitOk = 0,
    kExitError = 1,      // an error was reported during the run
    kExitNotStarted = 2, // the run or the check did not start
    kExitFindings = 3,   // --dry-run found something to report
    kExitUsage = 64,
    kExitSignalBase = 128, // + the signal that stopped the run: 130 Ctrl-C, 143 SIGTERM, 129 SIGHUP
};

// Parses the arguments after the program name; switches and the project may come in any order.
ParsedCommandLine parseCommandLine(const std::vector<std::string>& args);

// Runs --run, --check or --dry-run for `parsed` and returns the exit status; messages go to
// `err`, the check's three lines and the dry run's table to `out`. `programFolder` ends with "/" (where a bare project
// path lies).
int runHeadless(const ParsedCommandLine& parsed, const std::string& programFolder, std::ostream& out,
                std::ostream& err);

} // namespace stencilor
