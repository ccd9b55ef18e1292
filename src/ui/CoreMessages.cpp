// SPDX-License-Identifier: GPL-3.0-or-later
#include "ui/CoreMessages.h"

#include "platform/Messages.h"
#include "ui/QtText.h"

#include <QCoreApplication>
#include <QLocale>
#include <QStringList>

namespace stencilor::ui {

namespace {

// `text`, marked for the translators with QT_TRANSLATE_NOOP, in the user's language.
QString localised(const char* text)
{
    return QCoreApplication::translate("CoreMessages", text);
}

// `source` in the user's language with each %N replaced by the Nth of `arguments`, in one pass (an
// argument that holds "%1" stays as it is; a text may name any of them, in any order).
QString filled(const char* source, const std::vector<std::string>& arguments)
{
    const QString format = localised(source);
    QString text;
    for (qsizetype i = 0; i < format.size(); ++i) {
        const QChar next = i + 1 < format.size() ? format[i + 1] : QChar();
        const int number = next.digitValue();
        if (format[i] == u'%' && number >= 1 && static_cast<std::size_t>(number) <= arguments.size()) {
            text += toQt(arguments[static_cast<std::size_t>(number - 1)]);
            ++i;
        } else {
            text += format[i];
        }
    }
    return text;
}

// The window's text of each kind of error, with its arguments in the order errorArguments() gives
// them. A system operation's text leaves out the object when the error names none.
const char* errorSource(const Error& e)
{
    const bool named = !e.object.empty();
    switch (e.kind) {
    case ErrorKind::OpenFile:
        return named ? QT_TRANSLATE_NOOP("CoreMessages", "Cannot open file \"%1\": %2")
                     : QT_TRANSLATE_NOOP("CoreMessages", "Cannot open file: %1");
    case ErrorKind::ReadFile:
        return named ? QT_TRANSLATE_NOOP("CoreMessages", "Cannot read file \"%1\": %2")
                     : QT_TRANSLATE_NOOP("CoreMessages", "Cannot read file: %1");
    case ErrorKind::CreateFile:
        return named ? QT_TRANSLATE_NOOP("CoreMessages", "Cannot create file \"%1\": %2")
                     : QT_TRANSLATE_NOOP("CoreMessages", "Cannot create file: %1");
    case ErrorKind::WriteFile:
        return named ? QT_TRANSLATE_NOOP("CoreMessages", "Cannot write file \"%1\": %2")
                     : QT_TRANSLATE_NOOP("CoreMessages", "Cannot write file: %1");
    case ErrorKind::CreateFolder:
        return named ? QT_TRANSLATE_NOOP("CoreMessages", "Cannot create folder \"%1\": %2")
                     : QT_TRANSLATE_NOOP("CoreMessages", "Cannot create folder: %1");
    case ErrorKind::OpenFolder:
        return named ? QT_TRANSLATE_NOOP("CoreMessages", "Cannot open folder \"%1\": %2")
                     : QT_TRANSLATE_NOOP("CoreMessages", "Cannot open folder: %1");
    case ErrorKind::LockFolder:
        return named ? QT_TRANSLATE_NOOP("CoreMessages", "Cannot lock folder \"%1\": %2")
                     : QT_TRANSLATE_NOOP("CoreMessages", "Cannot lock folder: %1");
    case ErrorKind::AddToArchive:
        return QT_TRANSLATE_NOOP("CoreMessages", "Cannot add \"%1\" to the archive: %2");
    case ErrorKind::ReadForArchive:
        return QT_TRANSLATE_NOOP("CoreMessages", "Cannot read \"%1\" for the archive: %2");
    case ErrorKind::Decode:
        return QT_TRANSLATE_NOOP("CoreMessages", "Cannot decode the data file: %1");
    case ErrorKind::UnknownEncoding:
        return QT_TRANSLATE_NOOP("CoreMessages", "Unknown encoding \"%1\" in the project file");
    case ErrorKind::OpenInput:
        return QT_TRANSLATE_NOOP("CoreMessages", "Cannot open file \"%1\". %2");
    case ErrorKind::CreateOutput:
        return QT_TRANSLATE_NOOP("CoreMessages", "Cannot create file \"%1\". %2");
    case ErrorKind::ReplacesInput:
        return QT_TRANSLATE_NOOP("CoreMessages", "Cannot create file \"%1\". It is an input of the run.");
    case ErrorKind::DataChanged:
        return QT_TRANSLATE_NOOP("CoreMessages",
                                 "The data file \"%1\" changed during the run: it now ends after record %2");
    case ErrorKind::RecordTooLarge:
        return QT_TRANSLATE_NOOP("CoreMessages", "The text of record %1 would be larger than %2");
    case ErrorKind::RecordTooLong:
        return QT_TRANSLATE_NOOP("CoreMessages", "Record %1 (from line %2) of the data file is longer than %3");
    case ErrorKind::NoSuchRecord:
        return QT_TRANSLATE_NOOP("CoreMessages", "There is no record %1");
    case ErrorKind::HeaderRecord:
        return QT_TRANSLATE_NOOP("CoreMessages", "Record 1 names the fields: it gets no file.");
    case ErrorKind::DelimiterNotSet:
        return QT_TRANSLATE_NOOP("CoreMessages", "Please select field delimiter!");
    case ErrorKind::DataFileMissing:
    case ErrorKind::InputsMissing:
        return QT_TRANSLATE_NOOP("CoreMessages", "Text file is empty");
    case ErrorKind::TemplateMissing:
        return QT_TRANSLATE_NOOP("CoreMessages", "Template file is empty or not defined");
    case ErrorKind::OutputFolderNotSet:
        return QT_TRANSLATE_NOOP("CoreMessages", "Output folder is not set");
    case ErrorKind::FolderInUse:
        return QT_TRANSLATE_NOOP("CoreMessages", "Output folder is in use by another run");
    case ErrorKind::FolderOverlapsRun:
        return QT_TRANSLATE_NOOP("CoreMessages",
                                 "Output folder \"%1\" overlaps the output folder \"%2\" of another run");
    case ErrorKind::FolderMoved:
        return QT_TRANSLATE_NOOP("CoreMessages", "The folder \"%1\" was moved or replaced during the run");
    case ErrorKind::ReadManifest:
        return QT_TRANSLATE_NOOP("CoreMessages", "Cannot read the manifest \"%1\": %2");
    case ErrorKind::NoManifest:
        return QT_TRANSLATE_NOOP("CoreMessages", "No manifest given");
    case ErrorKind::NotAManifest:
        return QT_TRANSLATE_NOOP("CoreMessages", "\"%1\" is not a manifest of a stencilor run");
    case ErrorKind::EmptyManifest:
        return QT_TRANSLATE_NOOP("CoreMessages", "\"%1\" is empty, not a manifest of a stencilor run");
    case ErrorKind::ManifestGoesOn:
        return QT_TRANSLATE_NOOP("CoreMessages", "\"%1\" goes on after its closing line (line %2)");
    case ErrorKind::BrokenClosingLine:
        return QT_TRANSLATE_NOOP("CoreMessages", "\"%1\" has a broken closing line");
    case ErrorKind::BrokenManifestLine:
        return QT_TRANSLATE_NOOP("CoreMessages", "\"%1\" has a broken line %2");
    case ErrorKind::ManifestJumps:
        return QT_TRANSLATE_NOOP("CoreMessages", "\"%1\" jumps from record %2 to record %3");
    case ErrorKind::OtherJob:
        return QT_TRANSLATE_NOOP("CoreMessages",
                                 "\"%1\" (part %2/%3) is not a manifest of this job: its %4 differ from those "
                                 "of \"%5\"");
    case ErrorKind::PartTwice:
        return QT_TRANSLATE_NOOP("CoreMessages", "Part %1/%2 is given twice: \"%3\" and \"%4\"");
    case ErrorKind::ReportOff:
        return QT_TRANSLATE_NOOP("CoreMessages", "The job wrote no report (its report is off)");
    case ErrorKind::PartMissing:
        return QT_TRANSLATE_NOOP("CoreMessages", "Part %1/%2 is missing");
    case ErrorKind::PartUnfinished:
        return QT_TRANSLATE_NOOP("CoreMessages", "Part %1/%2 (\"%3\") did not finish; it ends after record %4");
    case ErrorKind::RecordsInNoManifest:
        return QT_TRANSLATE_NOOP("CoreMessages", "Records %1-%2 are in no manifest (before part %3/%4)");
    case ErrorKind::RecordsInTwoManifests:
        return QT_TRANSLATE_NOOP("CoreMessages", "Records %1-%2 are in two manifests (part %3/%4 and the one before)");
    case ErrorKind::ManifestMismatch:
        return QT_TRANSLATE_NOOP("CoreMessages", "\"%1\" does not hold the records its closing line names");
    case ErrorKind::DataEndMissing:
        return QT_TRANSLATE_NOOP("CoreMessages", "Part %1/%2 did not reach the end of the data");
    case ErrorKind::WorkbookNotZip:
        return QT_TRANSLATE_NOOP("CoreMessages", "The workbook is damaged: it is not a complete zip archive");
    case ErrorKind::WorkbookDamaged:
        return e.other.empty() ? QT_TRANSLATE_NOOP("CoreMessages", "The workbook is damaged%1")
                               : QT_TRANSLATE_NOOP("CoreMessages", "The workbook is damaged%1: %2");
    case ErrorKind::WorkbookTooManyParts:
        return QT_TRANSLATE_NOOP("CoreMessages", "The workbook is damaged: its zip archive lists more than %1 entries");
    case ErrorKind::WorkbookPartMissing:
        return QT_TRANSLATE_NOOP("CoreMessages", "The workbook is damaged: its part \"%1\" is missing");
    case ErrorKind::NotAWorkbook:
        return e.other.empty() ? QT_TRANSLATE_NOOP("CoreMessages", "The data file is a zip archive but not a "
                                                                   "spreadsheet workbook (.xlsx or .ods)")
                               : QT_TRANSLATE_NOOP("CoreMessages", "The data file is a zip archive but not a "
                                                                   "spreadsheet workbook (.xlsx or .ods): it holds %1");
    case ErrorKind::WorkbookFormatNotRead:
        return QT_TRANSLATE_NOOP("CoreMessages", "The data file is %1, which is not read; open it in the spreadsheet "
                                                 "program and save it as an Excel Workbook (.xlsx)");
    case ErrorKind::WorkbookPasswordProtected:
        return QT_TRANSLATE_NOOP("CoreMessages", "The workbook is password-protected");
    case ErrorKind::SheetNotFound:
        return QT_TRANSLATE_NOOP("CoreMessages", "Sheet \"%1\" not found in the data file");
    case ErrorKind::SheetNotATable:
        return QT_TRANSLATE_NOOP("CoreMessages", "Sheet \"%1\" holds %2, not a table of cells");
    case ErrorKind::WorkbookPartTooLarge:
        return e.numbers[2] > 0 ? QT_TRANSLATE_NOOP("CoreMessages", "The workbook's part \"%1\" unpacks to more than "
                                                                    "%2 times its packed size: it is not read, as it "
                                                                    "may be a zip bomb")
                                : QT_TRANSLATE_NOOP("CoreMessages", "The workbook's part \"%1\" unpacks to more than "
                                                                    "%2: it is not read, as it may be a zip bomb");
    case ErrorKind::SharedStringsTooLarge:
        return QT_TRANSLATE_NOOP("CoreMessages",
                                 "The workbook's shared strings are larger than %1, more than is held in memory");
    case ErrorKind::WorkbookDocumentType:
        return QT_TRANSLATE_NOOP("CoreMessages", "The workbook is damaged%1: it has a document type declaration, "
                                                 "which a workbook never has (it is not read, so that no entity it "
                                                 "declares is ever expanded or fetched)");
    case ErrorKind::WorkbookXmlTooLarge:
        return e.numbers[2] > 0
                   ? QT_TRANSLATE_NOOP("CoreMessages", "The workbook is damaged%1: its elements are nested more "
                                                       "than %2 deep")
                   : QT_TRANSLATE_NOOP("CoreMessages", "The workbook is damaged%1: it has a tag longer than %2");
    case ErrorKind::SheetRowsOutOfOrder:
        return QT_TRANSLATE_NOOP("CoreMessages",
                                 "The workbook is damaged (sheet \"%1\", row %2): its rows or cells are not in order");
    case ErrorKind::SheetStringMissing:
        return QT_TRANSLATE_NOOP("CoreMessages", "The workbook is damaged (sheet \"%1\", row %2): a cell names a "
                                                 "shared string that the workbook does not have");
    case ErrorKind::SheetRowTooLarge:
        return QT_TRANSLATE_NOOP("CoreMessages", "Row %1 of sheet \"%2\" is larger than %3");
    case ErrorKind::SheetTooManyRows:
        return QT_TRANSLATE_NOOP("CoreMessages", "Sheet \"%1\" has a cell below row %2, the last row a sheet may have");
    case ErrorKind::SheetTooManyColumns:
        return QT_TRANSLATE_NOOP("CoreMessages", "Sheet \"%1\" has a cell right of column %2 in row %3, the last "
                                                 "column a sheet may have");
    case ErrorKind::ManifestNameLeaves:
        return QT_TRANSLATE_NOOP("CoreMessages", "\"%1\" line %2 names a file outside the output folder");
    case ErrorKind::ManifestRowMismatch:
        return QT_TRANSLATE_NOOP("CoreMessages", "\"%1\" line %2 does not fit the report columns of its first line");
    case ErrorKind::OutputTwice:
        return QT_TRANSLATE_NOOP("CoreMessages", "Cannot create file \"%1\". It is another output of the run.");
    case ErrorKind::ManifestInUse:
        return QT_TRANSLATE_NOOP("CoreMessages", "The manifest \"%1\" is in use by another run");
    }
    return "";
}

// The window's text of each kind of detail, %1 its first number, %2 its second and %3 its subject
// (the data file's kinds fill their texts in detailMessage).
const char* detailSource(const Detail& d)
{
    const bool one = d.first == 1;
    switch (d.kind) {
    case DetailKind::NoNameSource:
        return QT_TRANSLATE_NOOP("CoreMessages", "no name source is selected");
    case DetailKind::NameTemplateEmpty:
        return QT_TRANSLATE_NOOP("CoreMessages", "the name template is empty");
    case DetailKind::NameTooLong:
        return QT_TRANSLATE_NOOP("CoreMessages", "the name would be longer than %1 bytes");
    case DetailKind::NameEmpty:
        return QT_TRANSLATE_NOOP("CoreMessages", "the name is empty");
    case DetailKind::NameFieldUnnumbered:
        return QT_TRANSLATE_NOOP("CoreMessages", "the name field \"%3\" has no field number");
    case DetailKind::NoNameField:
        return d.second == 1 ? QT_TRANSLATE_NOOP("CoreMessages", "no field %1 for the name (the record has %2 field)")
                             : QT_TRANSLATE_NOOP("CoreMessages", "no field %1 for the name (the record has %2 fields)");
    case DetailKind::NameFieldEmpty:
        return QT_TRANSLATE_NOOP("CoreMessages", "the name field %1 is empty");
    case DetailKind::LeavesFolder:
        return QT_TRANSLATE_NOOP("CoreMessages", "a \"..\" component would leave the output folder");
    case DetailKind::RuleUnset:
        return QT_TRANSLATE_NOOP("CoreMessages", "rule %1 has no field number and no identifier");
    case DetailKind::RuleWithoutField:
        return QT_TRANSLATE_NOOP("CoreMessages", "rule %1 (\"%3\") has no field number");
    case DetailKind::RuleWithoutIdentifier:
        return QT_TRANSLATE_NOOP("CoreMessages", "rule %1 (%3) has no identifier");
    case DetailKind::IdentifierNotInTemplate:
        return QT_TRANSLATE_NOOP("CoreMessages", "rule %1: \"%3\" does not occur in the template");
    case DetailKind::UnclosedQuote:
        return QT_TRANSLATE_NOOP("CoreMessages", "a quote opened in this record never closes: the rest of the data "
                                                 "file is its last field");
    case DetailKind::FewerFields:
        return one ? QT_TRANSLATE_NOOP("CoreMessages", "%1 field, the rules use %2")
                   : QT_TRANSLATE_NOOP("CoreMessages", "%1 fields, the rules use %2");
    case DetailKind::UnescapedHtml:
        return QT_TRANSLATE_NOOP("CoreMessages", "field %1 (rule %2) holds \"<\" or \"&\", inserted into an HTML "
                                                 "template as markup; escapehtml=1 shows it as text");
    case DetailKind::SameFile:
        return d.byRecord
                   ? QT_TRANSLATE_NOOP("CoreMessages", "the same file as record %1; the later record replaces it")
                   : QT_TRANSLATE_NOOP("CoreMessages", "the same file as line %1; the later record replaces it");
    case DetailKind::SameFileIgnoringCase:
        return d.byRecord ? QT_TRANSLATE_NOOP("CoreMessages", "differs only in letter case from record %1 (\"%3\"); a "
                                                              "case-insensitive disk would merge them")
                          : QT_TRANSLATE_NOOP("CoreMessages", "differs only in letter case from line %1 (\"%3\"); a "
                                                              "case-insensitive disk would merge them");
    case DetailKind::SameFileNormalized:
        return d.byRecord
                   ? QT_TRANSLATE_NOOP("CoreMessages", "differs only in Unicode normalization from record %1 "
                                                       "(\"%3\"); a disk that normalizes names would merge them")
                   : QT_TRANSLATE_NOOP("CoreMessages", "differs only in Unicode normalization from line %1 "
                                                       "(\"%3\"); a disk that normalizes names would merge them");
    case DetailKind::PartTooLong:
        return QT_TRANSLATE_NOOP("CoreMessages", "a part of the name is %1 bytes long; names may have %2");
    case DetailKind::SubfolderIsEarlierFile:
        return d.byRecord ? QT_TRANSLATE_NOOP("CoreMessages", "the subfolder \"%3\" is the file of record %1; the "
                                                              "record is passed over")
                          : QT_TRANSLATE_NOOP("CoreMessages", "the subfolder \"%3\" is the file of line %1; the "
                                                              "record is passed over");
    case DetailKind::FileInWayOfSubfolder:
        return QT_TRANSLATE_NOOP("CoreMessages",
                                 "a file stands where the subfolder \"%3\" must go; the record is passed over");
    case DetailKind::NameIsEarlierSubfolder:
        return d.byRecord ? QT_TRANSLATE_NOOP("CoreMessages", "the name is the subfolder of record %1; the run ends "
                                                              "here with an error")
                          : QT_TRANSLATE_NOOP("CoreMessages", "the name is the subfolder of line %1; the run ends "
                                                              "here with an error");
    case DetailKind::NameIsFolder:
        return QT_TRANSLATE_NOOP("CoreMessages", "the name is a folder; the run ends here with an error");
    case DetailKind::SubfolderIsLink:
        return QT_TRANSLATE_NOOP("CoreMessages", "the subfolder \"%3\" is a symbolic link; the record is refused");
    case DetailKind::ReplacesEntry:
        return QT_TRANSLATE_NOOP("CoreMessages", "a symbolic link or another file's second name stands there; the run "
                                                 "replaces it, never writing through it");
    case DetailKind::OwnInput:
        return QT_TRANSLATE_NOOP("CoreMessages",
                                 "the file is the run's data file, template, project file, manifest or report; "
                                 "the record is refused");
    case DetailKind::TextTooLarge:
        return QT_TRANSLATE_NOOP("CoreMessages", "the text would be larger than %3; the run ends here with an error");
    case DetailKind::ShownAsGeneral:
        return QT_TRANSLATE_NOOP("CoreMessages", "number format not understood, shown as General");
    case DetailKind::ByteOrderMark:
        return QT_TRANSLATE_NOOP("CoreMessages", "The data file starts with a byte-order mark, which becomes part of "
                                                 "its first field (the encoding \"auto\" drops it)");
    case DetailKind::InvalidUtf8:
        return one ? QT_TRANSLATE_NOOP("CoreMessages", "Line %1 is not valid UTF-8%2; the encoding \"auto\" or a named "
                                                       "one decodes the file")
                   : QT_TRANSLATE_NOOP("CoreMessages", "%1 lines are not valid UTF-8, the first is line %2%3; the "
                                                       "encoding \"auto\" or a named one decodes the file");
    case DetailKind::QuotedDelimiters:
        return one ? QT_TRANSLATE_NOOP("CoreMessages",
                                       "Line %1 holds a delimiter or an open quote inside double quotes; "
                                       "\"Quoted fields\" reads such fields whole")
                   : QT_TRANSLATE_NOOP("CoreMessages", "%1 lines hold a delimiter or an open quote inside double "
                                                       "quotes, the first is line %2; \"Quoted fields\" reads such "
                                                       "fields whole");
    case DetailKind::EndsAtNul:
        return d.second == 1
                   ? QT_TRANSLATE_NOOP("CoreMessages", "The data file ends at a NUL byte in line %1; the byte "
                                                       "after it is not read")
                   : QT_TRANSLATE_NOOP("CoreMessages", "The data file ends at a NUL byte in line %1; %2 bytes "
                                                       "after it are not read");
    case DetailKind::ReplacedSequences:
        return one ? QT_TRANSLATE_NOOP("CoreMessages", "1 sequence is not valid %1 and is read as U+FFFD")
                   : QT_TRANSLATE_NOOP("CoreMessages", "%1 sequences are not valid %2 and are read as U+FFFD");
    case DetailKind::ReadFailed:
        break;
    }
    return "";
}

// The place in a workbook that an error names, in the user's language (the first argument of the
// kinds whose text names it).
std::string workbookPlaceText(const Error& e)
{
    const auto row = QString::number(static_cast<qulonglong>(e.numbers[0]));
    switch (workbookPlaceOf(e)) {
    case WorkbookPlace::SheetRow:
        return fromQt(localised(QT_TRANSLATE_NOOP("CoreMessages", " (sheet \"%1\", row %2)")).arg(toQt(e.object), row));
    case WorkbookPlace::Sheet:
        return fromQt(localised(QT_TRANSLATE_NOOP("CoreMessages", " (sheet \"%1\")")).arg(toQt(e.object)));
    case WorkbookPlace::Part:
        return fromQt(localised(QT_TRANSLATE_NOOP("CoreMessages", " (part \"%1\")")).arg(toQt(e.object)));
    case WorkbookPlace::None:
        break;
    }
    return {};
}

} // namespace

QString errorMessage(const Error& error)
{
    switch (error.kind) {
    case ErrorKind::WorkbookDamaged:
    case ErrorKind::WorkbookDocumentType:
    case ErrorKind::WorkbookXmlTooLarge: {
        std::vector<std::string> arguments = errorArguments(error);
        arguments.front() = workbookPlaceText(error);
        return filled(errorSource(error), arguments);
    }
    case ErrorKind::TemplateMissing:
        // The core's text puts the template's line on a line of its own, after the data file's.
        return u'\n' + localised(errorSource(error));
    case ErrorKind::InputsMissing:
        return localised(errorSource(error)) + u'\n' + localised(errorSource(Error(ErrorKind::TemplateMissing)));
    default:
        return filled(errorSource(error), errorArguments(error));
    }
}

QString missingInputPaths(const Error& error)
{
    switch (error.kind) {
    case ErrorKind::DataFileMissing:
    case ErrorKind::TemplateMissing:
        return toQt(error.object);
    case ErrorKind::InputsMissing:
        return toQt(error.object) + u'\n' + toQt(error.other);
    default:
        return {};
    }
}

QString detailMessage(const Detail& detail)
{
    const auto count = [](std::uint64_t n) { return QLocale().toString(static_cast<qulonglong>(n)); };
    const char* source = detailSource(detail);
    switch (detail.kind) {
    case DetailKind::ReadFailed:
        return detail.error ? errorMessage(*detail.error) : QString();
    case DetailKind::InvalidUtf8: {
        const QString looksLike =
            detail.subject.empty()
                ? QString()
                : localised(QT_TRANSLATE_NOOP("CoreMessages", " (the file looks like %1)")).arg(toQt(detail.subject));
        return detail.first == 1 ? localised(source).arg(count(detail.second), looksLike)
                                 : localised(source).arg(count(detail.first), count(detail.second), looksLike);
    }
    case DetailKind::QuotedDelimiters:
        return detail.first == 1 ? localised(source).arg(count(detail.second))
                                 : localised(source).arg(count(detail.first), count(detail.second));
    case DetailKind::EndsAtNul:
        return detail.second == 1 ? localised(source).arg(count(detail.first))
                                  : localised(source).arg(count(detail.first), count(detail.second));
    case DetailKind::ReplacedSequences:
        return detail.first == 1 ? localised(source).arg(toQt(detail.subject))
                                 : localised(source).arg(count(detail.first), toQt(detail.subject));
    default:
        return filled(source, detailArguments(detail));
    }
}

QString runSummaryText(const RunSummary& summary)
{
    const auto count = [](std::uint64_t n) { return QLocale().toString(static_cast<qulonglong>(n)); };
    QString text =
        summary.filesWritten == 1
            ? localised(QT_TRANSLATE_NOOP("CoreMessages", "1 file written"))
            : localised(QT_TRANSLATE_NOOP("CoreMessages", "%1 files written")).arg(count(summary.filesWritten));
    const std::uint64_t skipped = summary.recordsSkipped();
    text += localised(QT_TRANSLATE_NOOP("CoreMessages", ", "));
    text += skipped == 1 ? localised(QT_TRANSLATE_NOOP("CoreMessages", "1 record skipped"))
                         : localised(QT_TRANSLATE_NOOP("CoreMessages", "%1 records skipped")).arg(count(skipped));
    if (skipped == 0)
        return text;
    const struct {
        Refusal refusal;
        const char* why;
    } kinds[] = {
        {Refusal::NoName, QT_TRANSLATE_NOOP("CoreMessages", "%1 without a name")},
        {Refusal::FolderFailed, QT_TRANSLATE_NOOP("CoreMessages", "%1 whose folder could not be created")},
        {Refusal::LeavesFolder, QT_TRANSLATE_NOOP("CoreMessages", "%1 whose name would leave the output folder")},
        {Refusal::LinkInPath, QT_TRANSLATE_NOOP("CoreMessages", "%1 whose folder is a symbolic link")},
        {Refusal::OwnInput,
         QT_TRANSLATE_NOOP("CoreMessages", "%1 that would replace an input of the run or its report")},
    };
    QStringList parts;
    for (const auto& kind : kinds) {
        if (const std::uint64_t n = summary.skippedFor(kind.refusal); n > 0)
            parts << localised(kind.why).arg(count(n));
    }
    return text + QStringLiteral(" (") + parts.join(localised(QT_TRANSLATE_NOOP("CoreMessages", ", "))) + u')';
}

QString checkFindingText(CheckFindingKind kind)
{
    switch (kind) {
    case CheckFindingKind::NoName:
        return localised(QT_TRANSLATE_NOOP("CoreMessages", "no name"));
    case CheckFindingKind::SameName:
        return localised(QT_TRANSLATE_NOOP("CoreMessages", "same name"));
    case CheckFindingKind::SameNameIgnoringCase:
        return localised(QT_TRANSLATE_NOOP("CoreMessages", "same name ignoring case"));
    case CheckFindingKind::SameNameNormalized:
        return localised(QT_TRANSLATE_NOOP("CoreMessages", "same name when normalized"));
    case CheckFindingKind::LeavesFolder:
        return localised(QT_TRANSLATE_NOOP("CoreMessages", "leaves output folder"));
    case CheckFindingKind::FewerFields:
        return localised(QT_TRANSLATE_NOOP("CoreMessages", "fewer fields"));
    case CheckFindingKind::IdentifierNotInTemplate:
        return localised(QT_TRANSLATE_NOOP("CoreMessages", "identifier not in template"));
    case CheckFindingKind::RuleSkipped:
        return localised(QT_TRANSLATE_NOOP("CoreMessages", "rule skipped"));
    case CheckFindingKind::LinkInPath:
        return localised(QT_TRANSLATE_NOOP("CoreMessages", "symbolic link in path"));
    case CheckFindingKind::ReplacesLink:
        return localised(QT_TRANSLATE_NOOP("CoreMessages", "replaces a link"));
    case CheckFindingKind::OwnInput:
        return localised(QT_TRANSLATE_NOOP("CoreMessages", "replaces an input"));
    case CheckFindingKind::NameIsFolder:
        return localised(QT_TRANSLATE_NOOP("CoreMessages", "name is a folder"));
    case CheckFindingKind::NameTooLong:
        return localised(QT_TRANSLATE_NOOP("CoreMessages", "name too long"));
    case CheckFindingKind::FolderBlocked:
        return localised(QT_TRANSLATE_NOOP("CoreMessages", "folder blocked"));
    case CheckFindingKind::UnclosedQuote:
        return localised(QT_TRANSLATE_NOOP("CoreMessages", "unclosed quote"));
    case CheckFindingKind::NumberFormat:
        return localised(QT_TRANSLATE_NOOP("CoreMessages", "number format"));
    case CheckFindingKind::UnescapedHtml:
        return localised(QT_TRANSLATE_NOOP("CoreMessages", "markup in value"));
    case CheckFindingKind::TextTooLarge:
        return localised(QT_TRANSLATE_NOOP("CoreMessages", "text too large"));
    case CheckFindingKind::DataFile:
        return localised(QT_TRANSLATE_NOOP("CoreMessages", "data file"));
    }
    return {};
}

QStringList dataFileWarningTexts(const DataFileWarnings& warnings, const DataFileState& state)
{
    QStringList texts;
    for (const Detail& detail : warningDetails(warnings))
        texts << detailMessage(detail);
    if (state.error)
        texts << errorMessage(*state.error);
    if (state.encoding && state.encoding->choice == EncodingChoice::Detected)
        texts << localised(QT_TRANSLATE_NOOP("CoreMessages", "The data file is read as %1, the encoding its bytes "
                                                             "suggest; choose the encoding if it is another"))
                     .arg(toQt(state.encoding->name));
    if (state.replaced > 0 && state.encoding)
        texts << detailMessage(replacedSequences(state.replaced, state.encoding->name));
    return texts;
}

} // namespace stencilor::ui
