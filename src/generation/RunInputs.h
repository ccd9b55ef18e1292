// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

// A run's inputs, found, checked and read one way for the run, the check before writing and the
// record preview: every path of the project taken against the project file's folder, refused
// with the run's own messages, and read with the run's "Cannot open file" error.

#include "datasource/Encoding.h"
#include "datasource/RecordReader.h"
#include "generation/RecordRange.h"
#include "platform/FileSystem.h"
#include "platform/Result.h"
#include "project/ProjectSettings.h"

#include <atomic>
#include <ctime>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <string_view>

namespace stencilor {

// The data file name that reads standard input (given on the command line).
inline constexpr std::string_view kStandardInput = "-";

// Where a project lies, and where its data comes from when not from its data file.
struct ProjectPlace {
    std::string project;       // the project path as shown (a bare name lies in programFolder)
    std::string programFolder; // ends with "/"
    // The data file "-" reads standard input. Only the command line's --data - asks for it;
    // elsewhere "-" is a file of that name beside the project, so that neither a project file
    // nor a name typed in the window can make a run wait on standard input.
    bool standardInput = false;
};

// Where the inputs and the output of a project are.
struct RunInputPaths {
    std::string project;      // the project file, resolved as resolveProjectPath does
    std::string dataFile;     // taken against the project file's folder (resolveDataFilePath)
    std::string templateFile; // likewise
    std::string outputFolder; // likewise, then made absolute; empty when the project sets none
};

// The paths of the settings `s` of the project at `place`.
RunInputPaths resolveRunInputs(const ProjectSettings& s, const ProjectPlace& place);

// Why a run of `s` with its inputs at `paths` cannot start, in the run's order: the delimiter is
// empty; the encoding is unknown; the data file, the template or both are missing (the error
// names their absolute paths); no output folder is set. None when it can start.
std::optional<Error> runInputsProblem(const ProjectSettings& s, const RunInputPaths& paths);

// Reads the input file at `path` whole into `into` and gives its identity (so that the run never
// replaces it); fails with the run's OpenInput error on its absolute path.
Result<FileIdentity> readRunInput(const std::string& path, std::string& into);

// The data file of a run, read whole and decoded to UTF-8 when the project names an encoding.
struct RunData {
    std::string text;
    std::optional<FileIdentity> identity;   // none for standard input
    std::optional<ChosenEncoding> encoding; // when the project names one
    std::uint64_t replaced = 0;             // sequences invalid in that encoding, now U+FFFD
    bool workbook = false;                  // the text is a sheet's rows, in sheetForm()
};

// Reads the data file at `path` ("-": standard input) with the encoding setting `encoding` (empty:
// the bytes as they are). A workbook's sheet `sheet` is read as a delimited text in sheetForm(), a
// row to a line. Fails with the run's OpenInput error, UnknownEncoding or the workbook's errors.
Result<RunData> readRunData(const std::string& path, const std::string& encoding, const std::string& sheet = {});

class DataInput;

// How many records a data file holds, and which of them a selection takes.
struct RecordCount {
    std::uint64_t total = 0;
    // The number of the first record taken (or of the record after those before the selection,
    // when it takes none).
    std::uint64_t first = 1;
    std::uint64_t taken = 0; // the records taken: first to first + taken - 1
    bool stopped = false;    // the count was asked to stop before the data ended: the numbers are partial
};

// How a long pass over the records is watched from another thread, which may ask it to stop.
struct PassWatch {
    // Polled before each record (and each block of the pass that only looks at the bytes): once
    // set, the pass ends where it is.
    const std::atomic<bool>* stop = nullptr;
    // The first pass, which counts the records: told after each record how many it has counted
    // and where the last one begins in the data's `size` (a sheet: its rows).
    std::function<void(std::uint64_t records, std::uint64_t offset, std::uint64_t size)> counting;
    // A later pass: told after each record how many it has read of the `total` it reads towards.
    std::function<void(std::uint64_t read, std::uint64_t total)> reading;

    bool stopRequested() const { return stop && stop->load(std::memory_order_relaxed); }
};

// The records of a run's data file, read through one open file in blocks, so that memory does
// not grow with the file. Standard input is read to its end first, into a copy on disk that is
// then read like a file: a pipe cannot be read twice, and the count of records comes before the
// first record.
class RunRecords final {
public:
    // Opens the data file at `path` ("-": standard input) as the settings `s` read it (delimiter,
    // quotes, encoding). Fails with the run's OpenInput error, or with UnknownEncoding.
    static Result<std::unique_ptr<RunRecords>> open(const std::string& path, const ProjectSettings& s);
    ~RunRecords();
    RunRecords(const RunRecords&) = delete;
    RunRecords& operator=(const RunRecords&) = delete;

    // The next record (its text valid until the next call); false at the end. Fails with the
    // run's OpenInput error.
    Result<bool> next(DataRecord& record);
    // Reads through the records to count them and those `selection` takes (by where each begins
    // in the data's size()), then starts again at the first. Tells `watch` how far it has come;
    // a stop it asks for ends the count where it is, marked stopped, without starting again.
    Result<RecordCount> count(RecordSelection selection = {}, const PassWatch& watch = {});

    // Starts again at the first record. Fails with the run's OpenInput error.
    Status rewind() { return restart(); }

    // Reads past the records before record `record` as cheaply as the data allows: a sheet's
    // rows are passed over without making their text; a text is read as it is.
    void skipTo(std::uint64_t record);

    std::uint64_t size() const { return m_size; } // the data's bytes as read (a sheet: its rows)
    // How a record's fields are cut when they are not cut as the project sets it: a sheet's rows
    // have a form of their own; nullptr for a delimited text.
    const RecordReader::Options* sheetForm() const { return m_sheet ? &m_format : nullptr; }
    // The sheet read, for a workbook; empty for a text.
    std::string sheet() const;
    // Cells of the sheet shown as General because their number format was not understood.
    std::uint64_t shownAsGeneral() const;
    const std::optional<FileIdentity>& identity() const;
    // When the data file was last modified, as opened; none for standard input.
    const std::optional<timespec>& modified() const;
    // The hash (ContentHash::hex) of the data's bytes as count() read them; empty before that,
    // and for a workbook, whose rows count() does not read.
    const std::string& contentHash() const { return m_contentHash; }
    const std::optional<ChosenEncoding>& encoding() const;
    // Sequences invalid in the encoding, now U+FFFD: in the whole data once count() has read it.
    std::uint64_t replaced() const;

private:
    RunRecords() = default;
    Status restart();
    Error readError(const Error& error) const;

    std::string m_shown; // the path as messages name it
    RecordReader::Options m_format;
    bool m_sheet = false;
    std::unique_ptr<DataInput> m_input;
    std::uint64_t m_size = 0;
    std::uint64_t m_replacedInCount = 0;
    std::string m_contentHash;
};

// A project's inputs as the check before writing and the preview use them: the data file opened,
// the template read whole.
struct RunInputs {
    RunInputPaths paths;
    std::unique_ptr<RunRecords> data;
    std::string templateText; // as read, line ends as the file has them
    FileIdentity templateIdentity;
};

// The inputs of `s` resolved, checked and read (data file first): fails with the error of
// runInputsProblem or of readRunInput.
Result<RunInputs> openRunInputs(const ProjectSettings& s, const ProjectPlace& place);

} // namespace stencilor
