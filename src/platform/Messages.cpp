// SPDX-License-Identifier: GPL-3.0-or-later
#include "platform/Messages.h"

#include <cstring>

namespace stencilor {

namespace {

// A message as its English text with %1, %2, ... and the arguments that fill them in.
struct Described {
    std::string_view format;
    std::vector<std::string> arguments;
};

std::string number(const Error& error, std::size_t index)
{
    return std::to_string(error.numbers[index]);
}

// A size as a workbook's limits name it: "64 MiB", or "1000 bytes" when not whole MiB.
std::string bytesText(std::uint64_t count)
{
    constexpr std::uint64_t kMiB = std::uint64_t{1} << 20;
    return count >= kMiB && count % kMiB == 0 ? std::to_string(count / kMiB) + " MiB"
                                              : std::to_string(count) + " bytes";
}

// The English text of the place in a workbook an error names (see ErrorKind::WorkbookDamaged).
std::string workbookPlace(const Error& e)
{
    switch (workbookPlaceOf(e)) {
    case WorkbookPlace::SheetRow:
        return " (sheet \"" + e.object + "\", row " + number(e, 0) + ")";
    case WorkbookPlace::Sheet:
        return " (sheet \"" + e.object + "\")";
    case WorkbookPlace::Part:
        return " (part \"" + e.object + "\")";
    case WorkbookPlace::None:
        break;
    }
    return {};
}

// A system operation: `withObject` names the object, `without` leaves it out.
Described operation(const Error& error, std::string_view withObject, std::string_view without)
{
    if (error.object.empty())
        return {without, {systemReason(error.code)}};
    return {withObject, {error.object, systemReason(error.code)}};
}

Described describe(const Error& e)
{
    switch (e.kind) {
    case ErrorKind::OpenFile:
        return operation(e, "cannot open file \"%1\": %2", "cannot open file: %1");
    case ErrorKind::ReadFile:
        return operation(e, "cannot read file \"%1\": %2", "cannot read file: %1");
    case ErrorKind::CreateFile:
        return operation(e, "cannot create file \"%1\": %2", "cannot create file: %1");
    case ErrorKind::WriteFile:
        return operation(e, "cannot write file \"%1\": %2", "cannot write file: %1");
    case ErrorKind::CreateFolder:
        return operation(e, "cannot create folder \"%1\": %2", "cannot create folder: %1");
    case ErrorKind::OpenFolder:
        return operation(e, "cannot open folder \"%1\": %2", "cannot open folder: %1");
    case ErrorKind::LockFolder:
        return operation(e, "cannot lock folder \"%1\": %2", "cannot lock folder: %1");
    case ErrorKind::AddToArchive:
        return {"cannot add \"%1\" to the archive: %2", {e.object, systemReason(e.code)}};
    case ErrorKind::ReadForArchive:
        return {"cannot read \"%1\" for the archive: %2", {e.object, systemReason(e.code)}};
    case ErrorKind::Decode:
        return {"cannot decode the data file: %1", {e.object}};
    case ErrorKind::UnknownEncoding:
        return {"Unknown encoding \"%1\" in the project file", {e.object}};
    case ErrorKind::OpenInput:
        return {"Cannot open file \"%1\". %2", {e.object, systemReason(e.code)}};
    case ErrorKind::CreateOutput:
        return {"Cannot create file \"%1\". %2", {e.object, systemReason(e.code)}};
    case ErrorKind::ReplacesInput:
        return {"Cannot create file \"%1\". It is an input of the run.", {e.object}};
    case ErrorKind::DataChanged:
        return {"The data file \"%1\" changed during the run: it now ends after record %2", {e.object, number(e, 0)}};
    case ErrorKind::RecordTooLarge:
        return {"The text of record %1 would be larger than %2", {number(e, 0), sizeText(e.numbers[1])}};
    case ErrorKind::RecordTooLong:
        return {"Record %1 (from line %2) of the data file is longer than %3",
                {number(e, 0), number(e, 2), sizeText(e.numbers[1])}};
    case ErrorKind::NoSuchRecord:
        return {"There is no record %1", {number(e, 0)}};
    case ErrorKind::HeaderRecord:
        return {"Record 1 names the fields: it gets no file.", {}};
    case ErrorKind::DelimiterNotSet:
        return {"Please select field delimiter!", {}};
    case ErrorKind::DataFileMissing:
        return {"Text file is empty", {}};
    case ErrorKind::TemplateMissing:
        return {"\nTemplate file is empty or not defined", {}};
    case ErrorKind::InputsMissing:
        return {"Text file is empty\nTemplate file is empty or not defined", {}};
    case ErrorKind::OutputFolderNotSet:
        return {"Output folder is not set", {}};
    case ErrorKind::FolderInUse:
        return {"Output folder is in use by another run", {}};
    case ErrorKind::FolderOverlapsRun:
        return {"Output folder \"%1\" overlaps the output folder \"%2\" of another run", {e.object, e.other}};
    case ErrorKind::FolderMoved:
        return {"The folder \"%1\" was moved or replaced during the run", {e.object}};
    case ErrorKind::ReadManifest:
        return {"cannot read the manifest \"%1\": %2", {e.object, systemReason(e.code)}};
    case ErrorKind::NoManifest:
        return {"no manifest given", {}};
    case ErrorKind::NotAManifest:
        return {"\"%1\" is not a manifest of a stencilor run", {e.object}};
    case ErrorKind::EmptyManifest:
        return {"\"%1\" is empty, not a manifest of a stencilor run", {e.object}};
    case ErrorKind::ManifestGoesOn:
        return {"\"%1\" goes on after its closing line (line %2)", {e.object, number(e, 0)}};
    case ErrorKind::BrokenClosingLine:
        return {"\"%1\" has a broken closing line", {e.object}};
    case ErrorKind::BrokenManifestLine:
        return {"\"%1\" has a broken line %2", {e.object, number(e, 0)}};
    case ErrorKind::ManifestJumps:
        return {"\"%1\" jumps from record %2 to record %3", {e.object, number(e, 0), number(e, 1)}};
    case ErrorKind::OtherJob:
        return {"\"%1\" (part %2/%3) is not a manifest of this job: its %4 differ from those of \"%5\"",
                {e.object, number(e, 0), number(e, 1), e.aspect, e.other}};
    case ErrorKind::PartTwice:
        return {"part %1/%2 is given twice: \"%3\" and \"%4\"", {number(e, 0), number(e, 1), e.object, e.other}};
    case ErrorKind::ReportOff:
        return {"the job wrote no report (its report is off)", {}};
    case ErrorKind::PartMissing:
        return {"part %1/%2 is missing", {number(e, 0), number(e, 1)}};
    case ErrorKind::PartUnfinished:
        return {"part %1/%2 (\"%3\") did not finish; it ends after record %4",
                {number(e, 0), number(e, 1), e.object, number(e, 2)}};
    case ErrorKind::RecordsInNoManifest:
        return {"records %1-%2 are in no manifest (before part %3/%4)",
                {number(e, 0), number(e, 1), number(e, 2), number(e, 3)}};
    case ErrorKind::RecordsInTwoManifests:
        return {"records %1-%2 are in two manifests (part %3/%4 and the one before)",
                {number(e, 0), number(e, 1), number(e, 2), number(e, 3)}};
    case ErrorKind::ManifestMismatch:
        return {"\"%1\" does not hold the records its closing line names", {e.object}};
    case ErrorKind::DataEndMissing:
        return {"part %1/%2 did not reach the end of the data", {number(e, 0), number(e, 1)}};
    case ErrorKind::WorkbookNotZip:
        return {"The workbook is damaged: it is not a complete zip archive", {}};
    case ErrorKind::WorkbookDamaged:
        if (e.other.empty())
            return {"The workbook is damaged%1", {workbookPlace(e)}};
        return {"The workbook is damaged%1: %2", {workbookPlace(e), e.other}};
    case ErrorKind::WorkbookTooManyParts:
        return {"The workbook is damaged: its zip archive lists more than %1 entries", {number(e, 1)}};
    case ErrorKind::WorkbookPartMissing:
        return {"The workbook is damaged: its part \"%1\" is missing", {e.object}};
    case ErrorKind::NotAWorkbook:
        if (e.other.empty())
            return {"The data file is a zip archive but not a spreadsheet workbook (.xlsx or .ods)", {}};
        return {"The data file is a zip archive but not a spreadsheet workbook (.xlsx or .ods): it holds %1",
                {e.other}};
    case ErrorKind::WorkbookFormatNotRead:
        return {"The data file is %1, which is not read; open it in the spreadsheet program and save it as an Excel "
                "Workbook (.xlsx)",
                {e.other}};
    case ErrorKind::WorkbookPasswordProtected:
        return {"The workbook is password-protected", {}};
    case ErrorKind::SheetNotFound:
        return {"Sheet \"%1\" not found in the data file", {e.object}};
    case ErrorKind::SheetNotATable:
        return {"Sheet \"%1\" holds %2, not a table of cells", {e.object, e.other}};
    case ErrorKind::WorkbookPartTooLarge:
        if (e.numbers[2] > 0)
            return {"The workbook's part \"%1\" unpacks to more than %2 times its packed size: it is not read, as it "
                    "may be a zip bomb",
                    {e.object, number(e, 2)}};
        return {"The workbook's part \"%1\" unpacks to more than %2: it is not read, as it may be a zip bomb",
                {e.object, bytesText(e.numbers[1])}};
    case ErrorKind::SharedStringsTooLarge:
        return {"The workbook's shared strings are larger than %1, more than is held in memory",
                {bytesText(e.numbers[1])}};
    case ErrorKind::WorkbookDocumentType:
        return {"The workbook is damaged%1: it has a document type declaration, which a workbook never has (it is "
                "not read, so that no entity it declares is ever expanded or fetched)",
                {workbookPlace(e)}};
    case ErrorKind::WorkbookXmlTooLarge:
        if (e.numbers[2] > 0)
            return {"The workbook is damaged%1: its elements are nested more than %2 deep",
                    {workbookPlace(e), number(e, 1)}};
        return {"The workbook is damaged%1: it has a tag longer than %2", {workbookPlace(e), bytesText(e.numbers[1])}};
    case ErrorKind::SheetRowsOutOfOrder:
        return {"The workbook is damaged (sheet \"%1\", row %2): its rows or cells are not in order",
                {e.object, number(e, 0)}};
    case ErrorKind::SheetStringMissing:
        return {"The workbook is damaged (sheet \"%1\", row %2): a cell names a shared string that the workbook does "
                "not have",
                {e.object, number(e, 0)}};
    case ErrorKind::SheetRowTooLarge:
        return {"Row %1 of sheet \"%2\" is larger than %3", {number(e, 0), e.object, bytesText(e.numbers[1])}};
    case ErrorKind::SheetTooManyRows:
        return {"Sheet \"%1\" has a cell below row %2, the last row a sheet may have", {e.object, number(e, 1)}};
    case ErrorKind::SheetTooManyColumns:
        return {"Sheet \"%1\" has a cell right of column %2 in row %3, the last column a sheet may have",
                {e.object, columnLetters(e.numbers[1]), number(e, 0)}};
    case ErrorKind::ManifestNameLeaves:
        return {"\"%1\" line %2 names a file outside the output folder", {e.object, number(e, 0)}};
    case ErrorKind::ManifestRowMismatch:
        return {"\"%1\" line %2 does not fit the report columns of its first line", {e.object, number(e, 0)}};
    case ErrorKind::OutputTwice:
        return {"Cannot create file \"%1\". It is another output of the run.", {e.object}};
    case ErrorKind::ManifestInUse:
        return {"The manifest \"%1\" is in use by another run", {e.object}};
    }
    return {};
}

// The English text of each kind of detail, with %1 for its first number, %2 for its second and %3
// for its subject; a number of one and another record named by its line choose the text.
std::string_view detailFormat(const Detail& d)
{
    const bool one = d.first == 1;
    switch (d.kind) {
    case DetailKind::NoNameSource:
        return "no name source is selected";
    case DetailKind::NameTemplateEmpty:
        return "the name template is empty";
    case DetailKind::NameTooLong:
        return "the name would be longer than %1 bytes";
    case DetailKind::NameEmpty:
        return "the name is empty";
    case DetailKind::NameFieldUnnumbered:
        return "the name field \"%3\" has no field number";
    case DetailKind::NoNameField:
        return d.second == 1 ? "no field %1 for the name (the record has %2 field)"
                             : "no field %1 for the name (the record has %2 fields)";
    case DetailKind::NameFieldEmpty:
        return "the name field %1 is empty";
    case DetailKind::LeavesFolder:
        return "a \"..\" component would leave the output folder";
    case DetailKind::RuleUnset:
        return "rule %1 has no field number and no identifier";
    case DetailKind::RuleWithoutField:
        return "rule %1 (\"%3\") has no field number";
    case DetailKind::RuleWithoutIdentifier:
        return "rule %1 (%3) has no identifier";
    case DetailKind::IdentifierNotInTemplate:
        return "rule %1: \"%3\" does not occur in the template";
    case DetailKind::UnclosedQuote:
        return "a quote opened in this record never closes: the rest of the data file is its last field";
    case DetailKind::FewerFields:
        return one ? "%1 field, the rules use %2" : "%1 fields, the rules use %2";
    case DetailKind::UnescapedHtml:
        return "field %1 (rule %2) holds \"<\" or \"&\", inserted into an HTML template as markup; escapehtml=1 "
               "shows it as text";
    case DetailKind::SameFile:
        return d.byRecord ? "the same file as record %1; the later record replaces it"
                          : "the same file as line %1; the later record replaces it";
    case DetailKind::SameFileIgnoringCase:
        return d.byRecord ? "differs only in letter case from record %1 (\"%3\"); a case-insensitive disk would merge "
                            "them"
                          : "differs only in letter case from line %1 (\"%3\"); a case-insensitive disk would merge "
                            "them";
    case DetailKind::SameFileNormalized:
        return d.byRecord ? "differs only in Unicode normalization from record %1 (\"%3\"); a disk that normalizes "
                            "names would merge them"
                          : "differs only in Unicode normalization from line %1 (\"%3\"); a disk that normalizes "
                            "names would merge them";
    case DetailKind::PartTooLong:
        return "a part of the name is %1 bytes long; names may have %2";
    case DetailKind::SubfolderIsEarlierFile:
        return d.byRecord ? "the subfolder \"%3\" is the file of record %1; the record is passed over"
                          : "the subfolder \"%3\" is the file of line %1; the record is passed over";
    case DetailKind::FileInWayOfSubfolder:
        return "a file stands where the subfolder \"%3\" must go; the record is passed over";
    case DetailKind::NameIsEarlierSubfolder:
        return d.byRecord ? "the name is the subfolder of record %1; the run ends here with an error"
                          : "the name is the subfolder of line %1; the run ends here with an error";
    case DetailKind::NameIsFolder:
        return "the name is a folder; the run ends here with an error";
    case DetailKind::SubfolderIsLink:
        return "the subfolder \"%3\" is a symbolic link; the record is refused";
    case DetailKind::ReplacesEntry:
        return "a symbolic link or another file's second name stands there; the run replaces it, never writing "
               "through it";
    case DetailKind::OwnInput:
        return "the file is the run's data file, template, project file, manifest or report; the record is refused";
    case DetailKind::TextTooLarge:
        return "the text would be larger than %3; the run ends here with an error";
    case DetailKind::ShownAsGeneral:
        return "number format not understood, shown as General";
    case DetailKind::ByteOrderMark:
        return "the data file starts with a byte-order mark, which becomes part of its first field (encoding=auto "
               "drops it)";
    case DetailKind::InvalidUtf8:
        if (d.subject.empty())
            return one ? "%1 line is not valid UTF-8, the first is line %2; encoding=auto or encoding=NAME decodes it"
                       : "%1 lines are not valid UTF-8, the first is line %2; encoding=auto or encoding=NAME decodes "
                         "it";
        return one ? "%1 line is not valid UTF-8, the first is line %2 (the file looks like %3); encoding=auto or "
                     "encoding=NAME decodes it"
                   : "%1 lines are not valid UTF-8, the first is line %2 (the file looks like %3); encoding=auto or "
                     "encoding=NAME decodes it";
    case DetailKind::QuotedDelimiters:
        return one ? "%1 line holds a delimiter or an open quote inside double quotes, the first is line %2; quotes=1 "
                     "reads quoted fields whole"
                   : "%1 lines hold a delimiter or an open quote inside double quotes, the first is line %2; quotes=1 "
                     "reads quoted fields whole";
    case DetailKind::EndsAtNul:
        return d.second == 1 ? "the data file ends at a NUL byte in line %1; %2 byte after it are not read"
                             : "the data file ends at a NUL byte in line %1; %2 bytes after it are not read";
    case DetailKind::ReplacedSequences:
        return one ? "%1 sequence is not valid %3 and became U+FFFD"
                   : "%1 sequences are not valid %3 and became U+FFFD";
    case DetailKind::ReadFailed:
        return "%3";
    }
    return {};
}

} // namespace

std::string detailText(const Detail& detail)
{
    return fillIn(detailFormat(detail), detailArguments(detail));
}

std::vector<std::string> detailArguments(const Detail& detail)
{
    return {std::to_string(detail.first), std::to_string(detail.second),
            detail.kind == DetailKind::ReadFailed && detail.error ? errorText(*detail.error) : detail.subject};
}

std::string systemReason(int errorCode)
{
    if (errorCode == kNotRegularFile)
        return "Not a regular file";
    char buffer[256];
    // The GNU strerror_r returns the text, which may or may not live in `buffer`.
    return ::strerror_r(errorCode, buffer, sizeof buffer);
}

Error systemError(ErrorKind kind, std::string object, int code)
{
    return Error(kind, std::move(object), code);
}

const char* errorCode(ErrorKind kind)
{
    switch (kind) {
    case ErrorKind::OpenFile:
        return "open-file";
    case ErrorKind::ReadFile:
        return "read-file";
    case ErrorKind::CreateFile:
        return "create-file";
    case ErrorKind::WriteFile:
        return "write-file";
    case ErrorKind::CreateFolder:
        return "create-folder";
    case ErrorKind::OpenFolder:
        return "open-folder";
    case ErrorKind::LockFolder:
        return "lock-folder";
    case ErrorKind::AddToArchive:
        return "add-to-archive";
    case ErrorKind::ReadForArchive:
        return "read-for-archive";
    case ErrorKind::Decode:
        return "decode";
    case ErrorKind::UnknownEncoding:
        return "unknown-encoding";
    case ErrorKind::OpenInput:
        return "open-input";
    case ErrorKind::CreateOutput:
        return "create-output";
    case ErrorKind::ReplacesInput:
        return "replaces-input";
    case ErrorKind::DataChanged:
        return "data-changed";
    case ErrorKind::RecordTooLarge:
        return "record-too-large";
    case ErrorKind::RecordTooLong:
        return "record-too-long";
    case ErrorKind::NoSuchRecord:
        return "no-such-record";
    case ErrorKind::HeaderRecord:
        return "header-record";
    case ErrorKind::DelimiterNotSet:
        return "delimiter-not-set";
    case ErrorKind::DataFileMissing:
        return "data-file-missing";
    case ErrorKind::TemplateMissing:
        return "template-missing";
    case ErrorKind::InputsMissing:
        return "inputs-missing";
    case ErrorKind::OutputFolderNotSet:
        return "output-folder-not-set";
    case ErrorKind::FolderInUse:
        return "folder-in-use";
    case ErrorKind::FolderOverlapsRun:
        return "folder-overlaps-run";
    case ErrorKind::FolderMoved:
        return "folder-moved";
    case ErrorKind::ReadManifest:
        return "read-manifest";
    case ErrorKind::NoManifest:
        return "no-manifest";
    case ErrorKind::NotAManifest:
        return "not-a-manifest";
    case ErrorKind::EmptyManifest:
        return "empty-manifest";
    case ErrorKind::ManifestGoesOn:
        return "manifest-goes-on";
    case ErrorKind::BrokenClosingLine:
        return "broken-closing-line";
    case ErrorKind::BrokenManifestLine:
        return "broken-manifest-line";
    case ErrorKind::ManifestJumps:
        return "manifest-jumps";
    case ErrorKind::OtherJob:
        return "other-job";
    case ErrorKind::PartTwice:
        return "part-twice";
    case ErrorKind::ReportOff:
        return "report-off";
    case ErrorKind::PartMissing:
        return "part-missing";
    case ErrorKind::PartUnfinished:
        return "part-unfinished";
    case ErrorKind::RecordsInNoManifest:
        return "records-in-no-manifest";
    case ErrorKind::RecordsInTwoManifests:
        return "records-in-two-manifests";
    case ErrorKind::ManifestMismatch:
        return "manifest-mismatch";
    case ErrorKind::DataEndMissing:
        return "data-end-missing";
    case ErrorKind::WorkbookNotZip:
        return "workbook-not-zip";
    case ErrorKind::WorkbookDamaged:
        return "workbook-damaged";
    case ErrorKind::WorkbookTooManyParts:
        return "workbook-too-many-parts";
    case ErrorKind::WorkbookPartMissing:
        return "workbook-part-missing";
    case ErrorKind::NotAWorkbook:
        return "not-a-workbook";
    case ErrorKind::WorkbookFormatNotRead:
        return "workbook-format-not-read";
    case ErrorKind::WorkbookPasswordProtected:
        return "workbook-password-protected";
    case ErrorKind::SheetNotFound:
        return "sheet-not-found";
    case ErrorKind::SheetNotATable:
        return "sheet-not-a-table";
    case ErrorKind::WorkbookPartTooLarge:
        return "workbook-part-too-large";
    case ErrorKind::SharedStringsTooLarge:
        return "shared-strings-too-large";
    case ErrorKind::WorkbookDocumentType:
        return "workbook-document-type";
    case ErrorKind::WorkbookXmlTooLarge:
        return "workbook-xml-too-large";
    case ErrorKind::SheetRowsOutOfOrder:
        return "sheet-rows-out-of-order";
    case ErrorKind::SheetStringMissing:
        return "sheet-string-missing";
    case ErrorKind::SheetRowTooLarge:
        return "sheet-row-too-large";
    case ErrorKind::SheetTooManyRows:
        return "sheet-too-many-rows";
    case ErrorKind::SheetTooManyColumns:
        return "sheet-too-many-columns";
    case ErrorKind::ManifestNameLeaves:
        return "manifest-name-leaves-folder";
    case ErrorKind::ManifestRowMismatch:
        return "manifest-row-mismatch";
    case ErrorKind::OutputTwice:
        return "output-twice";
    case ErrorKind::ManifestInUse:
        return "manifest-in-use";
    }
    return "";
}

std::string errorText(const Error& error)
{
    const Described described = describe(error);
    return fillIn(described.format, described.arguments);
}

std::string commandLineErrorText(const Error& error)
{
    const auto named = [](std::string_view line, const std::string& path) {
        return std::string(line) + ": there is no file \"" + path + '"';
    };
    switch (error.kind) {
    case ErrorKind::DataFileMissing:
        return named(errorText(error), error.object);
    case ErrorKind::TemplateMissing:
        return named(errorText(error), error.object);
    case ErrorKind::InputsMissing:
        return named(errorText(Error(ErrorKind::DataFileMissing)), error.object) +
               named(errorText(Error(ErrorKind::TemplateMissing)), error.other);
    default:
        return errorText(error);
    }
}

std::vector<std::string> errorArguments(const Error& error)
{
    return describe(error).arguments;
}

std::string fillIn(std::string_view format, const std::vector<std::string>& arguments)
{
    std::string text;
    text.reserve(format.size());
    for (std::size_t i = 0; i < format.size(); ++i) {
        const char next = i + 1 < format.size() ? format[i + 1] : '\0';
        if (format[i] == '%' && next >= '1' && next <= '9' && static_cast<std::size_t>(next - '1') < arguments.size()) {
            text += arguments[static_cast<std::size_t>(next - '1')];
            ++i;
        } else {
            text += format[i];
        }
    }
    return text;
}

WorkbookPlace workbookPlaceOf(const Error& error)
{
    switch (error.numbers[3]) {
    case 1:
        return WorkbookPlace::Part;
    case 2:
        return error.numbers[0] > 0 ? WorkbookPlace::SheetRow : WorkbookPlace::Sheet;
    default:
        return WorkbookPlace::None;
    }
}

std::string columnLetters(std::uint64_t column)
{
    std::string name;
    for (; column > 0; column = (column - 1) / 26)
        name.insert(name.begin(), static_cast<char>('A' + (column - 1) % 26));
    return name;
}

std::string sizeText(std::uint64_t limit)
{
    if (limit > 0 && limit % (std::uint64_t{1} << 30) == 0)
        return std::to_string(limit >> 30) + " GiB";
    if (limit > 0 && limit % (std::uint64_t{1} << 20) == 0)
        return std::to_string(limit >> 20) + " MiB";
    return std::to_string(limit) + (limit == 1 ? " byte" : " bytes");
}

} // namespace stencilor
