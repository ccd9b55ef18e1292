// SPDX-License-Identifier: GPL-3.0-or-later
// The core's errors and findings in the window's words: without a translation the window says
// what the command line says, and the German translation has a text for every kind.

#include "ui/CoreMessages.h"

#include "generation/RunSummaryText.h"
#include "platform/Messages.h"
#include "ui/QtText.h"
#include "ui/Translations.h"

#include <QTest>
#include <QTranslator>
#include <cerrno>
#include <vector>

using namespace stencilor;
using stencilor::ui::toQt;

namespace {

// One error of every kind, naming every object and number a text can hold; the operations on a
// file or folder also without an object.
std::vector<Error> everyError()
{
    std::vector<Error> errors;
    for (int kind = 0; kind <= int(kLastErrorKind); ++kind) {
        errors.emplace_back(ErrorKind(kind), "/a \"b\". c/d.csv", EACCES, Error::Numbers{7, 9, 2, 3}, "/x/y %1.jsonl");
        if (ErrorKind(kind) <= ErrorKind::LockFolder)
            errors.emplace_back(ErrorKind(kind), std::string(), ENOSPC);
    }
    return errors;
}

// One detail of every kind, with counts of one and of more, naming records by line and by number.
std::vector<Detail> everyDetail()
{
    std::vector<Detail> details;
    for (int kind = 0; kind <= int(kLastDetailKind); ++kind) {
        for (const std::uint64_t count : {1, 2}) {
            for (const bool byRecord : {false, true}) {
                Detail detail(DetailKind(kind), "Field \"7\" %1", count, count);
                detail.byRecord = byRecord;
                if (detail.kind == DetailKind::ReadFailed)
                    detail.error = Error(ErrorKind::OpenInput, "/d.csv", EIO);
                details.push_back(detail);
            }
        }
    }
    return details;
}

// The kinds of detail about the data file, which the window words as its data warnings.
bool isDataFileDetail(DetailKind kind)
{
    return kind >= DetailKind::ByteOrderMark && kind != DetailKind::ReadFailed;
}

} // namespace

class CoreMessagesTest final : public QObject {
    Q_OBJECT

private slots:
    void withoutATranslationTheWindowSaysWhatTheCommandLineSays()
    {
        RunSummary summaries[4];
        summaries[1].filesWritten = 1;
        summaries[2].skipped[std::size_t(Refusal::NoName)] = 1;
        summaries[3].filesWritten = 12;
        for (const Refusal refusal :
             {Refusal::NoName, Refusal::FolderFailed, Refusal::LeavesFolder, Refusal::LinkInPath, Refusal::OwnInput})
            summaries[3].skipped[std::size_t(refusal)] = std::size_t(refusal);
        for (const RunSummary& summary : summaries)
            QCOMPARE(ui::runSummaryText(summary), toQt(filesAndSkipsText(summary)));
        for (int kind = 0; kind <= int(CheckFindingKind::DataFile); ++kind)
            QCOMPARE(ui::checkFindingText(CheckFindingKind(kind)),
                     QString::fromLatin1(checkFindingLabel(CheckFindingKind(kind))));
        // Errors as a sentence: the system's errors begin with a capital letter in a message box.
        for (const Error& error : everyError()) {
            std::string text = errorText(error);
            text.front() = static_cast<char>(std::toupper(static_cast<unsigned char>(text.front())));
            QCOMPARE(ui::errorMessage(error), toQt(text));
        }
        for (const Detail& detail : everyDetail())
            if (!isDataFileDetail(detail.kind))
                QCOMPARE(ui::detailMessage(detail), toQt(detailText(detail)));
    }

    void missingInputsAreNamedByTheirPaths()
    {
        QCOMPARE(ui::missingInputPaths(Error(ErrorKind::InputsMissing, "/jobs/d.csv", 0, {}, "/jobs/t.html")),
                 QStringLiteral("/jobs/d.csv\n/jobs/t.html"));
        QCOMPARE(ui::missingInputPaths(Error(ErrorKind::TemplateMissing, "/jobs/t.html")),
                 QStringLiteral("/jobs/t.html"));
        QCOMPARE(ui::missingInputPaths(Error(ErrorKind::DelimiterNotSet)), QString());
    }

    void everyKindHasItsGermanText()
    {
        const std::vector<Error> errors = everyError();
        const std::vector<Detail> details = everyDetail();
        QStringList english;
        for (const Error& error : errors)
            english << ui::errorMessage(error);
        for (const Detail& detail : details)
            english << ui::detailMessage(detail);
        QVERIFY(ui::installTranslations(QLocale(QLocale::German, QLocale::Germany)));
        int i = 0;
        for (const Error& error : errors)
            QVERIFY2(ui::errorMessage(error) != english[i++], qPrintable(english[i - 1]));
        for (const Detail& detail : details)
            QVERIFY2(ui::detailMessage(detail) != english[i++], qPrintable(english[i - 1]));
        QCOMPARE(ui::errorMessage(Error(ErrorKind::DataFileMissing)), QStringLiteral("Die Datendatei ist leer"));
        QCOMPARE(ui::errorMessage(Error(ErrorKind::DataChanged, "/d.csv", 0, {41})),
                 QStringLiteral("Die Datendatei \"/d.csv\" wurde während des Laufs geändert: sie endet jetzt nach "
                                "Datensatz 41"));
        for (QTranslator* translator : QCoreApplication::instance()->findChildren<QTranslator*>())
            QCoreApplication::removeTranslator(translator);
    }
};

QTEST_MAIN(CoreMessagesTest)
#include "CoreMessagesTest.moc"
