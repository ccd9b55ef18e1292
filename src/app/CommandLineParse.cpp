// SPDX-License-Identifier: GPL-3.0-or-later
// Reading the command line's arguments (CLI11) into a ParsedCommandLine: the options, the checks
// of their values and of what goes together, and the usage texts.
#include "app/CommandLine.h"
#include "generation/RecordRange.h"
#include "generation/RunInputs.h"

#include <CLI/CLI.hpp>
#include <charconv>
#include <functional>
#include <memory>
#include <string>
#include <vector>

namespace stencilor {

namespace {

constexpr const char* kUsageHint = "Run 'stencilor --help' for the usage.";

// The most writer threads --jobs asks for.
constexpr int kMaxJobs = 256;

// The three-line description under the usage line of --help.
constexpr const char* kDescription =
    "Stencilor writes one file per record of a delimited data file from a template, replacing\n"
    "every rule's identifier with the record's field. Without options it opens the window\n"
    "(on the project file named, if any).";

// A usage problem found by one of the checks below while CLI11 reads the arguments, with the
// message the command line gives for it.
struct UsageProblem {
    std::string message;
};

// A CLI11 check of an option's value: `accept` says whether the value may stand; the message
// for one that may not comes from `message`.
CLI::Validator wants(std::function<bool(const std::string&)> accept,
                     std::function<std::string(const std::string&)> message)
{
    return CLI::Validator(
        [accept = std::move(accept), message = std::move(message)](std::string& value) -> std::string {
            if (!accept(value))
                throw UsageProblem{message(value)};
            return {};
        },
        std::string());
}

// Two options that go together (`needs`) or never do, as CLI11 checks them, and the message the
// command line gives when they are not.
struct Togetherness {
    CLI::Option* option;
    CLI::Option* other;
    bool needs;
    const char* message;

    // True when `error` is CLI11's report of this rule broken.
    bool brokenBy(const CLI::ParseError& error) const
    {
        const std::string said = option->get_name() + (needs ? " requires " : " excludes ") + other->get_name();
        return (dynamic_cast<const CLI::RequiresError*>(&error) || dynamic_cast<const CLI::ExcludesError*>(&error)) &&
               said == error.what();
    }
};

// The help as CLI11 writes it, but without its lists of the options each option needs or excludes:
// the descriptions say what goes with what in their own words.
class HelpFormatter final : public CLI::Formatter {
public:
    std::string make_option_opts(const CLI::Option* opt) const override
    {
        std::string opts;
        if (opt->get_type_size() != 0) {
            if (!opt->get_type_name().empty())
                opts += " " + get_label(opt->get_type_name());
            if (opt->get_expected_max() == CLI::detail::expected_max_vector_size)
                opts += " ...";
        }
        return opts;
    }
};

} // namespace

ParsedCommandLine parseCommandLine(const std::vector<std::string>& args)
{
    ParsedCommandLine parsed;
    CLI::App app(kDescription, "stencilor");
    app.formatter(std::make_shared<HelpFormatter>());
    app.set_version_flag("--version", std::string("stencilor ") + STENCILOR_VERSION);
    bool run = false;
    bool check = false;
    bool dryRun = false;
    bool merge = false;
    CLI::Option* runFlag = app.add_flag("--run", run, "Generate the files of PROJECT without a window");
    CLI::Option* checkFlag =
        app.add_flag("--check", check, "Print the data file's field count, sample line and widest line");
    CLI::Option* dryRunFlag =
        app.add_flag("--dry-run", dryRun,
                     "Do everything a run does but write: list records without a name, colliding names, names\n"
                     "leaving the output folder, records with too few fields, and unused or skipped rules");
    CLI::Option* mergeFlag =
        app.add_flag("--merge-report", merge,
                     "Check that MANIFEST... (the manifests of a sharded run's parts) cover its records once,\n"
                     "then write its report.html into the --output folder");
    CLI::Option* quietFlag = app.add_flag("--quiet", parsed.quiet,
                                          "With --run: print only errors; with --run, --check or --dry-run: no\n"
                                          "progress bar on a terminal");
    CLI::Option* openReportFlag =
        app.add_flag("--open-report", parsed.openReport, "With --run: open report.html when it was written");
    std::string records;
    CLI::Option* recordsOption =
        app.add_option("--records", records,
                       "With --run or --dry-run: only records A to B (A-B, A-, -B or A), numbered as the\n"
                       "name template counts them (the first line of the data file is record 1)")
            ->check(wants([](const std::string& value) { return parseRecordRange(value).has_value(); },
                          [](const std::string& value) {
                              return "--records wants A-B with 1 <= A <= B, not \"" + value + "\"";
                          }));
    CLI::Option* dataOption =
        app.add_option("--data", parsed.dataFile,
                       "With --run, --check or --dry-run: read this data file instead of the project's (- reads\n"
                       "standard input)");
    CLI::Option* outputOption =
        app.add_option("--output", parsed.outputFolder,
                       "With --run or --dry-run: write into this folder instead; with --merge-report, where\n"
                       "report.html goes");
    std::string shard;
    CLI::Option* shardOption =
        app.add_option("--shard", shard,
                       "With --run or --dry-run: only part K of N (K/N) of the job: the data file cut into N\n"
                       "parts of about equal size at record boundaries; records keep their numbers. A part\n"
                       "writes no report.html (see --manifest and --merge-report)")
            ->check(wants(
                [](const std::string& value) { return parseShard(value).has_value(); },
                [](const std::string& value) { return "--shard wants K/N with 1 <= K <= N, not \"" + value + "\""; }));
    CLI::Option* manifestOption =
        app.add_option("--manifest", parsed.manifest,
                       "With --run: write a JSON line per record into this file as the run goes (its name,\n"
                       "bytes, status and report values; --dry-run checks it)");
    CLI::Option* archiveOption =
        app.add_option("--archive", parsed.archive,
                       "With --run: write the files and report.html into this archive instead of the output\n"
                       "folder, in the format its extension names (.tar, .tar.gz or .tgz, .tar.xz, .tar.zst,\n"
                       ".zip); - writes a tar to standard output; --dry-run checks it");
    std::string archiveFormat;
    CLI::Option* archiveFormatOption =
        app.add_option("--archive-format", archiveFormat,
                       "With --archive -: the format written to standard output: tar (the default), tar.gz,\n"
                       "tar.xz, tar.zst or zip")
            ->check(wants([](const std::string& value) { return archiveFormatNamed(value).has_value(); },
                          [](const std::string& value) {
                              return "--archive-format wants tar, tar.gz, tar.xz, tar.zst or zip, not \"" + value +
                                     "\"";
                          }));
    int jobs = 1;
    CLI::Option* jobsOption =
        app.add_option("--jobs", jobs,
                       "With --run: write the files on N threads (0: one per core; default 1, one after the\n"
                       "other in record order); the files, the report and the summary stay the same")
            ->check(wants(
                // A number out of range is refused here; anything else that is no number by the conversion.
                [](const std::string& value) {
                    int number = 0;
                    const auto [end, error] = std::from_chars(value.data(), value.data() + value.size(), number);
                    return error != std::errc() || end != value.data() + value.size() ||
                           (number >= 0 && number <= kMaxJobs);
                },
                [](const std::string& value) {
                    return "--jobs wants 0 (one per core) or a number of threads from 1 to " +
                           std::to_string(kMaxJobs) + ", not " + std::to_string(std::stoi(value));
                }));
    std::string format = "text";
    CLI::Option* formatOption =
        app.add_option(
               "--format", format,
               "With --run, --check, --dry-run or --merge-report: text (the default), json (one\n"
               "JSON object on stdout) or jsonl (JSON Lines: a dry run's findings one per line as they are found)")
            ->check(wants(
                [](const std::string& value) { return value == "text" || value == "json" || value == "jsonl"; },
                [](const std::string& value) { return "--format wants text, json or jsonl, not \"" + value + "\""; }));
    std::vector<std::string> positionals;
    app.add_option("project", positionals, "The project file (.ql); with --merge-report, the manifests");
    app.footer("Exit status of --run: 0 done, 1 an error was reported, 2 the run did not start,\n"
               "64 usage error, 128+N stopped by signal N: 130 Ctrl-C, 143 SIGTERM, 129 SIGHUP (the files in\n"
               "progress and the report are finished).\n"
               "Exit status of --dry-run: 0 nothing found, 3 findings listed, 2 the check did not start.\n"
               "Exit status of --merge-report: 0 report.html written, 2 the manifests are missing, repeated,\n"
               "foreign or leave a gap or an overlap (nothing written).");

    // What goes together, as CLI11 checks it, with the message each rule gives when it is broken.
    // The rules are checked option by option in the order the options are declared above.
    const char* const kOneCommand = "--run, --check, --dry-run and --merge-report cannot be combined";
    const char* const kMergeOnly = "--merge-report takes only --output, --format and the manifests";
    const Togetherness together[] = {
        {runFlag, checkFlag, false, kOneCommand},
        {runFlag, dryRunFlag, false, kOneCommand},
        {runFlag, mergeFlag, false, kOneCommand},
        {checkFlag, dryRunFlag, false, kOneCommand},
        {checkFlag, mergeFlag, false, kOneCommand},
        {dryRunFlag, mergeFlag, false, kOneCommand},
        {mergeFlag, outputOption, true, "--merge-report needs --output DIR and the manifests"},
        {mergeFlag, recordsOption, false, kMergeOnly},
        {mergeFlag, dataOption, false, kMergeOnly},
        {mergeFlag, shardOption, false, kMergeOnly},
        {mergeFlag, manifestOption, false, kMergeOnly},
        {mergeFlag, archiveOption, false, kMergeOnly},
        {mergeFlag, quietFlag, false, kMergeOnly},
        {mergeFlag, openReportFlag, false, kMergeOnly},
        {openReportFlag, runFlag, true, "--open-report goes with --run"},
        {jobsOption, runFlag, true, "--jobs goes with --run"},
        {openReportFlag, archiveOption, false, "--open-report goes with a run into a folder, not --archive"},
        {archiveFormatOption, archiveOption, true, "--archive-format goes with --archive -"},
        {mergeFlag, archiveFormatOption, false, kMergeOnly},
    };
    for (const Togetherness& rule : together) {
        if (rule.needs)
            rule.option->needs(rule.other);
        else
            rule.option->excludes(rule.other);
    }

    auto usageError = [&](const std::string& why) {
        parsed.command = Command::UsageError;
        parsed.text = "stencilor: " + why + "\n" + kUsageHint;
        return parsed;
    };
    // CLI11 wants the arguments in reverse order, without the program name.
    std::vector<std::string> reversed(args.rbegin(), args.rend());
    try {
        app.parse(reversed);
    } catch (const CLI::CallForHelp&) {
        parsed.command = Command::Help;
        parsed.text = app.help();
        return parsed;
    } catch (const CLI::CallForVersion& version) {
        parsed.command = Command::Version;
        parsed.text = version.what();
        return parsed;
    } catch (const UsageProblem& problem) {
        return usageError(problem.message);
    } catch (const CLI::ParseError& error) {
        for (const Togetherness& rule : together)
            if (rule.brokenBy(error))
                return usageError(rule.message);
        return usageError(error.what());
    }

    // What CLI11 cannot say: an option that goes with one of several commands, and the positionals.
    if (merge) {
        if (parsed.outputFolder.empty() || positionals.empty())
            return usageError("--merge-report needs --output DIR and the manifests");
        parsed.json = format != "text";
        parsed.manifests = std::move(positionals);
        parsed.command = Command::MergeReport;
        return parsed;
    }
    if (positionals.size() > 1)
        return usageError("one project file only, not \"" + positionals[1] + "\" too");
    parsed.project = positionals.empty() ? std::string() : positionals.front();
    if ((run || check || dryRun) && parsed.project.empty())
        return usageError(std::string(run ? "--run" : check ? "--check" : "--dry-run") + " needs a project file");
    if (quietFlag->count() > 0 && !(run || check || dryRun))
        return usageError("--quiet goes with --run, --check or --dry-run");
    if (dataOption->count() > 0 && !(run || check || dryRun))
        return usageError("--data goes with --run, --check or --dry-run");
    if (dataOption->count() > 0 && parsed.dataFile.empty())
        return usageError("--data wants a file name or -");
    if (outputOption->count() > 0 && !(run || dryRun))
        return usageError("--output goes with --run or --dry-run");
    if (outputOption->count() > 0 && parsed.outputFolder.empty())
        return usageError("--output wants a folder name");
    if (formatOption->count() > 0 && !(run || check || dryRun))
        return usageError("--format goes with --run, --check or --dry-run");
    if (recordsOption->count() > 0 && !(run || dryRun))
        return usageError("--records goes with --run or --dry-run");
    if (shardOption->count() > 0 && !(run || dryRun))
        return usageError("--shard goes with --run or --dry-run");
    if (shardOption->count() > 0 && recordsOption->count() > 0)
        return usageError("--shard and --records cannot be combined");
    if (shardOption->count() > 0 && parsed.dataFile == kStandardInput)
        return usageError("--shard needs a data file: standard input cannot be cut into parts");
    if (manifestOption->count() > 0 && !(run || dryRun))
        return usageError("--manifest goes with --run or --dry-run");
    if (archiveOption->count() > 0 && !(run || dryRun))
        return usageError("--archive goes with --run or --dry-run");
    if (manifestOption->count() > 0 && parsed.manifest.empty())
        return usageError("--manifest wants a file name");
    if (archiveOption->count() > 0 && parsed.archive.empty())
        return usageError("--archive wants a file name or -");
    // The archive's names are relative; an output folder given beside it would be ignored.
    if (archiveOption->count() > 0 && outputOption->count() > 0)
        return usageError("--output and --archive cannot be combined: the archive takes the files");
    if (archiveOption->count() > 0) {
        if (parsed.archive == kStandardInput) {
            parsed.archiveFormat = archiveFormatNamed(archiveFormat.empty() ? "tar" : archiveFormat).value();
        } else if (archiveFormatOption->count() > 0) {
            return usageError("--archive-format goes with --archive -; a file's extension names its format");
        } else if (const std::optional<ArchiveFormat> byName = archiveFormatOfName(parsed.archive)) {
            parsed.archiveFormat = *byName;
        } else {
            return usageError("--archive wants a name ending in " + std::string(kArchiveExtensions) + ", not \"" +
                              parsed.archive + "\"");
        }
    }
    parsed.jobs = static_cast<unsigned>(jobs);
    parsed.json = format != "text";
    parsed.jsonLines = format == "jsonl";
    if (recordsOption->count() > 0)
        parsed.records = *parseRecordRange(records);
    if (shardOption->count() > 0)
        parsed.shard = *parseShard(shard);
    parsed.command = run ? Command::Run : check ? Command::Check : dryRun ? Command::DryRun : Command::OpenWindow;
    return parsed;
}

} // namespace stencilor
