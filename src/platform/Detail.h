// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

// Why something about a record or a project is as it is, as a value: why a record gets no name,
// and what the check before writing found. Like an Error, a detail is made where it is found and
// put into words at the edge (detailText() in English for the command line, a table of the
// window in the user's language). "S" stands for the subject, N1 and N2 for the numbers.

#include "platform/Result.h"

#include <cstdint>
#include <optional>
#include <string>

namespace stencilor {

enum class DetailKind : std::uint8_t {
    // Why the naming settings give a record no name.
    NoNameSource,        // no name source is selected
    NameTemplateEmpty,   // the name template is empty
    NameTooLong,         // the name would be longer than N1 bytes
    NameEmpty,           // the name is empty
    NameFieldUnnumbered, // the name field "S" has no field number
    NoNameField,         // no field N1 for the name (the record has N2 fields)
    NameFieldEmpty,      // the name field N1 is empty
    LeavesFolder,        // a ".." component would leave the output folder

    // Rules the run skips or that find nothing.
    RuleUnset,               // rule N1 has no field number and no identifier
    RuleWithoutField,        // rule N1 ("S") has no field number
    RuleWithoutIdentifier,   // rule N1 (S) has no identifier
    IdentifierNotInTemplate, // rule N1: "S" does not occur in the template

    // What a record's values and name would do.
    UnclosedQuote,          // a quote opened in the record never closes
    FewerFields,            // N1 fields, the rules use N2
    UnescapedHtml,          // field N1 (rule N2) holds "<" or "&" for an HTML template
    SameFile,               // the same file as record N1
    SameFileIgnoringCase,   // differs only in letter case from record N1 ("S")
    SameFileNormalized,     // differs only in Unicode normalization from record N1 ("S")
    PartTooLong,            // a part of the name is N1 bytes long; names may have N2
    SubfolderIsEarlierFile, // the subfolder "S" is the file of record N1
    FileInWayOfSubfolder,   // a file stands where the subfolder "S" must go
    NameIsEarlierSubfolder, // the name is the subfolder of record N1
    NameIsFolder,           // the name is a folder
    SubfolderIsLink,        // the subfolder "S" is a symbolic link
    ReplacesEntry,          // a symbolic link or another file's second name stands there
    OwnInput,               // the file is one of the run's inputs or its report
    TextTooLarge,           // the text would be larger than S; the run ends with an error here
    ShownAsGeneral,         // a number in the record's row is shown as General (its format not understood)

    // What the data file holds that a run reads otherwise than its user may expect.
    ByteOrderMark,     // the data file starts with a byte-order mark
    InvalidUtf8,       // N1 lines are not valid UTF-8, the first is line N2 (the file looks like S)
    QuotedDelimiters,  // N1 lines hold a delimiter inside double quotes, the first is line N2
    EndsAtNul,         // the data file ends at a NUL byte in line N1; N2 bytes after it are not read
    ReplacedSequences, // N1 sequences are not valid S and became U+FFFD
    ReadFailed,        // the data file could not be read to its end (the error says why)
};

inline constexpr DetailKind kLastDetailKind = DetailKind::ReadFailed;

struct Detail {
    Detail() = default;
    Detail(DetailKind kind, std::string subject = {}, std::uint64_t first = 0, std::uint64_t second = 0)
        : kind(kind)
        , subject(std::move(subject))
        , first(first)
        , second(second)
    {
    }
    // The detail of a data file that could not be read to its end.
    static Detail readFailed(Error error)
    {
        Detail detail(DetailKind::ReadFailed);
        detail.error = std::move(error);
        return detail;
    }

    DetailKind kind = DetailKind::NoNameSource;
    std::string subject;        // the value, name, identifier, subfolder or encoding it names
    std::uint64_t first = 0;    // N1
    std::uint64_t second = 0;   // N2
    bool byRecord = false;      // another record is named by its number, not by its line (quoted fields)
    std::optional<Error> error; // ReadFailed: what failed
};

} // namespace stencilor
