#include "ui/CoreMessages.h"

#include "platform/FileSystem.h"
#include "platform/Messages.h"
#include "ui/QtText.h"

#include <QCoreApplication>
#include <QLocale>
#include <QRegularExpression>
#include <QStringList>

namespace stencilor::ui {

namespace {

// `text`, marked for the translators with QT_TRANSLATE_NOOP, in the user's language.
QString localised(const char* text)
{
    return QCoreApplication::translate("CoreMessages", text);
}

// The core's fixed lines, with the same words for the translators to find. The template's line
// comes after a line break of its own in the core's text.
constexpr std::string_view kTemplateMissingLine = std::string_view(kTemplateMissingMessage).substr(1);

struct FixedLine {
    std::string_view core;
    const char* source;
};

constexpr FixedLine kFixedLines[] = {
    {kDelimiterNotSetMessage, QT_TRANSLATE_NOOP("CoreMessages", "Please select field delimiter!")},
    {kDataFileMissingMessage, QT_TRANSLATE_NOOP("CoreMessages", "Text file is empty")},
    {kTemplateMissingLine, QT_TRANSLATE_NOOP("CoreMessages", "Template file is empty or not defined")},
    {kOutputFolderNotSetMessage, QT_TRANSLATE_NOOP("CoreMessages", "Output folder is not set")},
    {kFolderInUseMessage, QT_TRANSLATE_NOOP("CoreMessages", "Output folder is in use by another run")},
};

// The core's file errors: an operation on a quoted path, then the system's reason after ". " (the
// run's messages) or ": " (the other errors).
struct FileError {
    const char* core;
    const char* withPeriod;
    const char* withColon;
};

constexpr FileError kFileErrors[] = {
    {"Cannot open file", QT_TRANSLATE_NOOP("CoreMessages", "Cannot open file \"%1\". %2"),
     QT_TRANSLATE_NOOP("CoreMessages", "Cannot open file \"%1\": %2")},
    {"Cannot read file", QT_TRANSLATE_NOOP("CoreMessages", "Cannot read file \"%1\". %2"),
     QT_TRANSLATE_NOOP("CoreMessages", "Cannot read file \"%1\": %2")},
    {"Cannot create file", QT_TRANSLATE_NOOP("CoreMessages", "Cannot create file \"%1\". %2"),
     QT_TRANSLATE_NOOP("CoreMessages", "Cannot create file \"%1\": %2")},
    {"Cannot write file", QT_TRANSLATE_NOOP("CoreMessages", "Cannot write file \"%1\". %2"),
     QT_TRANSLATE_NOOP("CoreMessages", "Cannot write file \"%1\": %2")},
    {"Cannot create folder", QT_TRANSLATE_NOOP("CoreMessages", "Cannot create folder \"%1\". %2"),
     QT_TRANSLATE_NOOP("CoreMessages", "Cannot create folder \"%1\": %2")},
    {"Cannot open folder", QT_TRANSLATE_NOOP("CoreMessages", "Cannot open folder \"%1\". %2"),
     QT_TRANSLATE_NOOP("CoreMessages", "Cannot open folder \"%1\": %2")},
    {"Cannot lock folder", QT_TRANSLATE_NOOP("CoreMessages", "Cannot lock folder \"%1\". %2"),
     QT_TRANSLATE_NOOP("CoreMessages", "Cannot lock folder \"%1\": %2")},
};

// One line of a core message in the user's language, or as it is when it is not known.
QString lineText(const QString& line)
{
    for (const FixedLine& fixed : kFixedLines) {
        if (line == toQt(fixed.core))
            return localised(fixed.source);
    }
    for (const FileError& error : kFileErrors) {
        const QString start = QString::fromLatin1(error.core) + QStringLiteral(" \"");
        if (!line.startsWith(start))
            continue;
        // The path may hold quotes itself; the reason, a sentence of the system's, holds none.
        for (const QString& separator : {QStringLiteral("\". "), QStringLiteral("\": ")}) {
            const qsizetype end = line.lastIndexOf(separator);
            if (end < start.size())
                continue;
            const char* format = separator == QStringLiteral("\". ") ? error.withPeriod : error.withColon;
            return localised(format).arg(line.mid(start.size(), end - start.size()), line.mid(end + separator.size()));
        }
    }
    static const QRegularExpression noRecord(QStringLiteral("^There is no record (\\d+)$"));
    if (const QRegularExpressionMatch match = noRecord.match(line); match.hasMatch())
        return localised(QT_TRANSLATE_NOOP("CoreMessages", "There is no record %1")).arg(match.captured(1));
    static const QRegularExpression unknownEncoding(QStringLiteral("^Unknown encoding \"(.*)\" in the project file$"));
    if (const QRegularExpressionMatch match = unknownEncoding.match(line); match.hasMatch())
        return localised(QT_TRANSLATE_NOOP("CoreMessages", "Unknown encoding \"%1\" in the project file"))
            .arg(match.captured(1));
    static const QRegularExpression dataChanged(
        QStringLiteral("^The data file \"(.*)\" changed during the run: it now ends after record (\\d+)$"));
    if (const QRegularExpressionMatch match = dataChanged.match(line); match.hasMatch())
        return localised(QT_TRANSLATE_NOOP("CoreMessages",
                                           "The data file \"%1\" changed during the run: it now ends after record %2"))
            .arg(match.captured(1), match.captured(2));
    static const QRegularExpression tooLarge(
        QStringLiteral("^The text of record (\\d+) would be larger than (\\d+ [GM]iB)$"));
    if (const QRegularExpressionMatch match = tooLarge.match(line); match.hasMatch())
        return localised(QT_TRANSLATE_NOOP("CoreMessages", "The text of record %1 would be larger than %2"))
            .arg(match.captured(1), match.captured(2));
    return line;
}

} // namespace

QString coreMessageText(std::string_view message)
{
    QStringList lines = toQt(message).split(u'\n');
    for (QString& line : lines)
        line = lineText(line);
    return lines.join(u'\n');
}

QString missingInputPaths(std::string_view message, const RunInputPaths& paths)
{
    QStringList named;
    for (const QString& line : toQt(message).split(u'\n')) {
        if (line == toQt(kDataFileMissingMessage))
            named << toQt(absolutePath(paths.dataFile));
        else if (line == toQt(kTemplateMissingLine))
            named << toQt(absolutePath(paths.templateFile));
    }
    return named.join(u'\n');
}

QString runSummaryText(const RunSummary& summary)
{
    const auto count = [](std::uint64_t n) { return QLocale().toString(static_cast<qulonglong>(n)); };
    QString text =
        summary.filesWritten == 1
            ? localised(QT_TRANSLATE_NOOP("CoreMessages", "1 file written"))
            : localised(QT_TRANSLATE_NOOP("CoreMessages", "%1 files written")).arg(count(summary.filesWritten));
    const std::uint64_t skipped = summary.skippedNoName + summary.skippedFolder + summary.skippedOutside +
                                  summary.skippedLink + summary.skippedOwnInput;
    text += localised(QT_TRANSLATE_NOOP("CoreMessages", ", "));
    text += skipped == 1 ? localised(QT_TRANSLATE_NOOP("CoreMessages", "1 record skipped"))
                         : localised(QT_TRANSLATE_NOOP("CoreMessages", "%1 records skipped")).arg(count(skipped));
    if (skipped == 0)
        return text;
    const struct {
        std::uint64_t count;
        const char* why;
    } kinds[] = {
        {summary.skippedNoName, QT_TRANSLATE_NOOP("CoreMessages", "%1 without a name")},
        {summary.skippedFolder, QT_TRANSLATE_NOOP("CoreMessages", "%1 whose folder could not be created")},
        {summary.skippedOutside, QT_TRANSLATE_NOOP("CoreMessages", "%1 whose name would leave the output folder")},
        {summary.skippedLink, QT_TRANSLATE_NOOP("CoreMessages", "%1 whose folder is a symbolic link")},
        {summary.skippedOwnInput,
         QT_TRANSLATE_NOOP("CoreMessages", "%1 that would replace an input of the run or its report")},
    };
    QStringList parts;
    for (const auto& kind : kinds) {
        if (kind.count > 0)
            parts << localised(kind.why).arg(count(kind.count));
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
    case CheckFindingKind::UnescapedHtml:
        return localised(QT_TRANSLATE_NOOP("CoreMessages", "markup in value"));
    case CheckFindingKind::DataFile:
        return localised(QT_TRANSLATE_NOOP("CoreMessages", "data file"));
    }
    return {};
}

QStringList dataFileWarningTexts(const DataFileWarnings& w, const DataFileState& state)
{
    const auto count = [](std::uint64_t n) { return QLocale().toString(static_cast<qulonglong>(n)); };
    QStringList texts;
    if (w.byteOrderMark)
        texts << localised(QT_TRANSLATE_NOOP("CoreMessages", "The data file starts with a byte-order mark, which "
                                                             "becomes part of its first field (the encoding \"auto\" "
                                                             "drops it)"));
    if (w.invalidUtf8Lines > 0) {
        const QString looksLike =
            w.likelyEncoding.empty()
                ? QString()
                : localised(QT_TRANSLATE_NOOP("CoreMessages", " (the file looks like %1)")).arg(toQt(w.likelyEncoding));
        texts << (w.invalidUtf8Lines == 1
                      ? localised(QT_TRANSLATE_NOOP("CoreMessages", "Line %1 is not valid UTF-8%2; the encoding "
                                                                    "\"auto\" or a named one decodes the file"))
                            .arg(count(w.firstInvalidUtf8Line), looksLike)
                      : localised(QT_TRANSLATE_NOOP("CoreMessages", "%1 lines are not valid UTF-8, the first is line "
                                                                    "%2%3; the encoding \"auto\" or a named one "
                                                                    "decodes the file"))
                            .arg(count(w.invalidUtf8Lines), count(w.firstInvalidUtf8Line), looksLike));
    }
    if (w.quotedDelimiterLines > 0)
        texts << (w.quotedDelimiterLines == 1
                      ? localised(QT_TRANSLATE_NOOP("CoreMessages", "Line %1 holds a delimiter or an open quote inside "
                                                                    "double quotes; \"Quoted fields\" reads such "
                                                                    "fields whole"))
                            .arg(count(w.firstQuotedDelimiterLine))
                      : localised(QT_TRANSLATE_NOOP("CoreMessages", "%1 lines hold a delimiter or an open quote "
                                                                    "inside double quotes, the first is line %2; "
                                                                    "\"Quoted fields\" reads such fields whole"))
                            .arg(count(w.quotedDelimiterLines), count(w.firstQuotedDelimiterLine)));
    if (w.nulLine > 0)
        texts << (w.bytesAfterNul == 1
                      ? localised(QT_TRANSLATE_NOOP("CoreMessages", "The data file ends at a NUL byte in line %1; the "
                                                                    "byte after it is not read"))
                            .arg(count(w.nulLine))
                      : localised(QT_TRANSLATE_NOOP("CoreMessages", "The data file ends at a NUL byte in line %1; %2 "
                                                                    "bytes after it are not read"))
                            .arg(count(w.nulLine), count(w.bytesAfterNul)));
    if (!state.error.empty())
        texts << coreMessageText(state.error);
    if (state.encoding && state.encoding->choice == EncodingChoice::Detected)
        texts << localised(QT_TRANSLATE_NOOP("CoreMessages", "The data file is read as %1, the encoding its bytes "
                                                             "suggest; choose the encoding if it is another"))
                     .arg(toQt(state.encoding->name));
    if (state.replaced > 0 && state.encoding)
        texts << (state.replaced == 1
                      ? localised(QT_TRANSLATE_NOOP("CoreMessages", "1 sequence is not valid %1 and is read as U+FFFD"))
                            .arg(toQt(state.encoding->name))
                      : localised(QT_TRANSLATE_NOOP("CoreMessages", "%1 sequences are not valid %2 and are read as "
                                                                    "U+FFFD"))
                            .arg(count(state.replaced), toQt(state.encoding->name)));
    return texts;
}

} // namespace stencilor::ui
