// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <array>
#include <cstdint>
#include <optional>
#include <string>
#include <type_traits>
#include <utility>
#include <variant>

namespace stencilor {

// What went wrong, one kind per message the program can give. The texts are made from the kind
// at the edge: errorText() in English for the command line, a table of the window in the user's
// language. "P" stands for the object, "Q" for the other object, N1.. for the numbers, REASON for
// the system's reason for the code.
enum class ErrorKind : std::uint8_t {
    // A system operation on the object (none: the text leaves out the quoted part).
    OpenFile,        // cannot open file "P": REASON
    ReadFile,        // cannot read file "P": REASON
    CreateFile,      // cannot create file "P": REASON
    WriteFile,       // cannot write file "P": REASON
    CreateFolder,    // cannot create folder "P": REASON
    OpenFolder,      // cannot open folder "P": REASON
    LockFolder,      // cannot lock folder "P": REASON
    AddToArchive,    // cannot add "P" to the archive: REASON
    ReadForArchive,  // cannot read "P" for the archive: REASON
    Decode,          // cannot decode the data file: P (the converter's error name)
    UnknownEncoding, // Unknown encoding "P" in the project file

    // The run's own messages (and those of the check before writing and the record preview).
    OpenInput,          // Cannot open file "P". REASON
    CreateOutput,       // Cannot create file "P". REASON
    ReplacesInput,      // Cannot create file "P". It is an input of the run.
    DataChanged,        // The data file "P" changed during the run: it now ends after record N1
    RecordTooLarge,     // The text of record N1 would be larger than N2 (bytes, shown as GiB or MiB)
    RecordTooLong,      // Record N1 (from line N3) of the data file is longer than N2 (a size)
    NoSuchRecord,       // There is no record N1
    HeaderRecord,       // Record 1 names the fields: it gets no file.
    DelimiterNotSet,    // Please select field delimiter!
    DataFileMissing,    // Text file is empty (P: the data file)
    TemplateMissing,    // a line break, then: Template file is empty or not defined (P: the template)
    InputsMissing,      // both lines above (P: the data file, Q: the template)
    OutputFolderNotSet, // Output folder is not set
    FolderInUse,        // Output folder is in use by another run
    FolderOverlapsRun,  // Output folder "P" overlaps the output folder "Q" of another run
    FolderMoved,        // The folder "P" was moved or replaced during the run

    // The manifests of a sharded job, as --merge-report finds them.
    ReadManifest,          // cannot read the manifest "P": REASON
    NoManifest,            // no manifest given
    NotAManifest,          // "P" is not a manifest of a stencilor run
    EmptyManifest,         // "P" is empty, not a manifest of a stencilor run
    ManifestGoesOn,        // "P" goes on after its closing line (line N1)
    BrokenClosingLine,     // "P" has a broken closing line
    BrokenManifestLine,    // "P" has a broken line N1
    ManifestJumps,         // "P" jumps from record N1 to record N2
    OtherJob,              // "P" (part N1/N2) is not a manifest of this job: its ASPECT differ from those of "Q"
    PartTwice,             // part N1/N2 is given twice: "P" and "Q"
    ReportOff,             // the job wrote no report (its report is off)
    PartMissing,           // part N1/N2 is missing
    PartUnfinished,        // part N1/N2 ("P") did not finish; it ends after record N3
    RecordsInNoManifest,   // records N1-N2 are in no manifest (before part N3/N4)
    RecordsInTwoManifests, // records N1-N2 are in two manifests (part N3/N4 and the one before)
    ManifestMismatch,      // "P" does not hold the records its closing line names
    DataEndMissing,        // part N1/N2 did not reach the end of the data
    ManifestNameLeaves,    // "P" line N1 names a file outside the output folder
    ManifestRowMismatch,   // "P" line N1 does not fit the report columns of its first line
    OutputTwice,           // Cannot create file "P". It is another output of the run.
    ManifestInUse,         // The manifest "P" is in use by another run

    // A spreadsheet workbook as the data file. WHERE is where in the workbook: N4 is 1 when P is
    // a part of it, 2 when P is a sheet (with N1 its row, 0 for none), 0 when the place is unknown.
    WorkbookNotZip,            // The workbook is damaged: it is not a complete zip archive
    WorkbookDamaged,           // The workbook is damaged WHERE: Q (the archive's or the XML parser's words)
    WorkbookTooManyParts,      // its zip archive lists more than N2 entries
    WorkbookPartMissing,       // its part "P" is missing
    NotAWorkbook,              // a zip archive but not a spreadsheet workbook (Q: what it holds)
    WorkbookFormatNotRead,     // The data file is Q, which is not read; ... save it as .xlsx
    WorkbookPasswordProtected, // The workbook is password-protected
    SheetNotFound,             // Sheet "P" not found in the data file
    SheetNotATable,            // Sheet "P" holds Q, not a table of cells
    WorkbookPartTooLarge,      // part "P" unpacks to more than N3 times its packed size (N3 > 0) or N2 bytes
    SharedStringsTooLarge,     // the shared strings are larger than N2 bytes
    WorkbookDocumentType,      // The workbook is damaged WHERE: it has a document type declaration
    WorkbookXmlTooLarge, // The workbook is damaged WHERE: nested more than N2 deep (N3 > 0), or a tag over N2 bytes
    SheetRowsOutOfOrder, // sheet "P", row N1: its rows or cells are not in order
    SheetStringMissing,  // sheet "P", row N1: a cell names a shared string the workbook does not have
    SheetRowTooLarge,    // Row N1 of sheet "P" is larger than N2 bytes
    SheetTooManyRows,    // Sheet "P" has a cell below row N2
    SheetTooManyColumns, // Sheet "P" has a cell right of column N2 (as letters) in row N1
};

// The last kind, for tables that cover them all.
inline constexpr ErrorKind kLastErrorKind = ErrorKind::SheetTooManyColumns;

// A failure, as a value: its kind, the object it concerns, the system's errno and what else its
// message names. Made wherever the failure is found and passed up unchanged; only the edges turn
// it into words.
struct Error {
    using Numbers = std::array<std::uint64_t, 4>;

    Error() = default;
    explicit Error(ErrorKind kind, std::string object = {}, int code = 0, Numbers numbers = {}, std::string other = {})
        : kind(kind)
        , object(std::move(object))
        , code(code)
        , other(std::move(other))
        , numbers(numbers)
    {
    }

    ErrorKind kind = ErrorKind::OpenFile;
    std::string object; // the file, folder, name or value it concerns
    int code = 0;       // errno value, 0 when the failure has no system cause
    std::string other;  // a second object, for the kinds that name two
    std::string aspect; // what differs, for the kinds that say it
    Numbers numbers{};  // the numbers its message names, in their order
};

// Success or an Error; the core reports failures through this type, never by exceptions.
class [[nodiscard]] Status final {
public:
    Status() = default;
    Status(Error error)
        : m_error(std::move(error))
    {
    }

    bool ok() const { return !m_error; }
    explicit operator bool() const { return ok(); }
    // The error of a failed status (a default Error for success).
    const Error& error() const
    {
        static const Error none;
        return m_error ? *m_error : none;
    }

private:
    std::optional<Error> m_error; // success costs no Error
};

// A value or an Error (or, for a reader with failures of its own, a value or its own error type).
template <class T, class E = Error> class [[nodiscard]] Result final {
public:
    Result(T value)
        : m_data(std::in_place_index<0>, std::move(value))
    {
    }
    Result(E error)
        : m_data(std::in_place_index<1>, std::move(error))
    {
    }

    bool ok() const { return m_data.index() == 0; }
    explicit operator bool() const { return ok(); }
    T& value() { return std::get<0>(m_data); }
    const T& value() const { return std::get<0>(m_data); }
    const E& error() const { return std::get<1>(m_data); }
    Status status() const requires std::is_same_v<E, Error> { return ok() ? Status() : Status(error()); }

private:
    std::variant<T, E> m_data;
};

} // namespace stencilor
