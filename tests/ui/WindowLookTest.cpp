// How the window looks on the desktop it runs on: nothing cut off at its smallest size in the
// desktop's font (or a larger one, or in German), the window on a screen smaller than that size,
// colours that read in a dark palette, and the core's messages in the window's words and language.
// fitsAScreenSmallerThanTheWindow means something when run with QT_SCALE_FACTOR=2 (its own test).

#include "MainWindowFixture.h"
#include "generation/RunSummaryText.h"
#include "platform/Messages.h"
#include "ui/CoreMessages.h"
#include "ui/PaletteColours.h"
#include "ui/QtText.h"
#include "ui/Translations.h"

#include <QAbstractSpinBox>
#include <QApplication>
#include <QComboBox>
#include <QHeaderView>
#include <QLabel>
#include <QLayout>
#include <QLineEdit>
#include <QMenuBar>
#include <QProgressBar>
#include <QScrollArea>
#include <QScrollBar>
#include <QTableView>
#include <QTextBlock>
#include <QTextBrowser>
#include <QTextEdit>
#include <QTranslator>

using namespace stencilor::ui;
using stencilor::ui::test::MainWindowFixture;

namespace {

// The controls of the window's bands that show less than they need: narrower or lower than their
// smallest size, or reaching out of their band. A control's own parts (the edit of a combo box,
// the cells of a grid) count with the control.
QStringList cutOff(const T_FRMain* window)
{
    QStringList cut;
    const auto* bands = window->findChild<QWidget*>(QStringLiteral("Bands"));
    for (const QWidget* widget : bands->findChildren<QWidget*>()) {
        if (!widget->isVisibleTo(window) || widget->objectName() == QLatin1String("pgBar"))
            continue;
        bool part = false;
        for (const QWidget* p = widget->parentWidget(); p != bands; p = p->parentWidget())
            part = part || qobject_cast<const QComboBox*>(p) || qobject_cast<const QAbstractSpinBox*>(p) ||
                   qobject_cast<const QAbstractScrollArea*>(p);
        if (part)
            continue;
        const QSize least = widget->minimumSizeHint().expandedTo(widget->minimumSize());
        const QString name = widget->objectName().isEmpty() ? QString::fromLatin1(widget->metaObject()->className()) +
                                                                  u' ' + widget->property("text").toString()
                                                            : widget->objectName();
        if (widget->width() < least.width() || widget->height() < least.height())
            cut << name + QStringLiteral(" is %1x%2 of %3x%4")
                              .arg(widget->width())
                              .arg(widget->height())
                              .arg(least.width())
                              .arg(least.height());
        else if (!widget->parentWidget()->rect().contains(widget->geometry()))
            cut << name + QStringLiteral(" reaches out of its band");
    }
    // The grid's header texts, and the percentage in the progress bar.
    const QHeaderView* header = window->findChild<QTableView*>(QStringLiteral("gridRules"))->horizontalHeader();
    for (int column = 0; column < header->count(); ++column) {
        if (header->sectionSize(column) < header->sectionSizeHint(column))
            cut << QStringLiteral("grid header %1").arg(column);
    }
    const auto* bar = window->findChild<QProgressBar*>(QStringLiteral("pgBar"));
    if (QFontMetrics(bar->font()).height() > bar->height())
        cut << QStringLiteral("pgBar text");
    return cut;
}

// Shows `window` at its smallest size with its layout done.
void atSmallestSize(T_FRMain* window)
{
    window->resize(window->minimumSize());
    QCoreApplication::processEvents();
    window->findChild<QWidget*>(QStringLiteral("Bands"))->layout()->activate();
    QCoreApplication::processEvents();
}

QPalette darkPalette()
{
    QPalette dark;
    dark.setColor(QPalette::Window, QColor(45, 45, 48));
    dark.setColor(QPalette::WindowText, QColor(230, 230, 230));
    dark.setColor(QPalette::Base, QColor(30, 30, 32));
    dark.setColor(QPalette::AlternateBase, QColor(45, 45, 48));
    dark.setColor(QPalette::Text, QColor(230, 230, 230));
    dark.setColor(QPalette::Button, QColor(53, 53, 56));
    dark.setColor(QPalette::ButtonText, QColor(230, 230, 230));
    dark.setColor(QPalette::Highlight, QColor(42, 130, 218));
    dark.setColor(QPalette::HighlightedText, Qt::white);
    return dark;
}

// The mean colour of the opaque pixels of `image` within `area`.
QColor meanColour(const QImage& image, const QRect& area)
{
    long long r = 0, g = 0, b = 0, n = 0;
    for (int y = area.top(); y <= area.bottom(); ++y) {
        for (int x = area.left(); x <= area.right(); ++x) {
            const QRgb pixel = image.pixel(x, y);
            if (qAlpha(pixel) < 128)
                continue;
            r += qRed(pixel);
            g += qGreen(pixel);
            b += qBlue(pixel);
            ++n;
        }
    }
    return n == 0 ? QColor() : QColor(int(r / n), int(g / n), int(b / n));
}

// The colour of `image` within `area` that stands out most from `background`.
QColor mostDistinct(const QImage& image, const QRect& area, const QColor& background)
{
    QColor best = background;
    for (int y = area.top(); y <= area.bottom(); ++y)
        for (int x = area.left(); x <= area.right(); ++x)
            if (contrastRatio(QColor(image.pixel(x, y)), background) > contrastRatio(best, background))
                best = QColor(image.pixel(x, y));
    return best;
}

} // namespace

class WindowLookTest : public QObject {
    Q_OBJECT

private slots:
    void nothingIsCutOffAtTheSmallestSize_data()
    {
        QTest::addColumn<int>("pointSize");
        QTest::newRow("the desktop's font") << 0;
        QTest::newRow("a larger desktop font") << 12;
    }

    void nothingIsCutOffAtTheSmallestSize()
    {
        QFETCH(int, pointSize);
        const QFont before = QApplication::font();
        if (pointSize > 0) {
            QFont larger = before;
            larger.setPointSize(pointSize);
            QApplication::setFont(larger);
        }
        {
            MainWindowFixture f;
            T_FRMain* w = f.open();
            atSmallestSize(w);
            QCOMPARE(cutOff(w), QStringList());
            // The screen holds the window: nothing to scroll.
            QVERIFY(!f.widget<QScrollArea>("ScrollBands")->verticalScrollBar()->isVisible());
            QVERIFY(!f.widget<QScrollArea>("ScrollBands")->horizontalScrollBar()->isVisible());
            // Path edits and the identifier column take the room a wider window gives.
            auto* dataFile = f.widget<QLineEdit>("EdTextFile");
            const int narrow = dataFile->width();
            const int column = f.widget<QTableView>("gridRules")->horizontalHeader()->sectionSize(2);
            w->resize(w->minimumWidth() + 400, w->minimumHeight());
            QTRY_COMPARE(dataFile->width(), narrow + 400);
            QCOMPARE(f.widget<QTableView>("gridRules")->horizontalHeader()->sectionSize(2), column + 400);
        }
        QApplication::setFont(before);
    }

    void fitsAScreenSmallerThanTheWindow()
    {
        MainWindowFixture f;
        T_FRMain* w = f.open();
        const QSize screen = w->screen()->availableGeometry().size();
        QVERIFY(w->minimumWidth() <= screen.width() && w->minimumHeight() <= screen.height());
        if (screen.width() >= 955 && screen.height() >= 650) {
            // The scaled run is there to have a screen too small: it must have one.
            QVERIFY(!qEnvironmentVariableIsSet("STENCILOR_SMALL_SCREEN"));
            QSKIP("The screen holds the whole window; QT_SCALE_FACTOR=2 makes it too small");
        }
        atSmallestSize(w);
        // The bands keep their sizes and scroll instead; the last step can be scrolled to.
        auto* scroll = f.widget<QScrollArea>("ScrollBands");
        QVERIFY(scroll->verticalScrollBar()->maximum() > 0);
        QCOMPARE(cutOff(w), QStringList());
        auto* report = f.widget<QWidget>("chkReport");
        scroll->ensureWidgetVisible(report);
        QVERIFY(scroll->viewport()->rect().contains(report->mapTo(scroll->viewport(), report->rect().bottomRight())));
    }

    void coloursReadWellInADarkPalette()
    {
        const QPalette before = QApplication::palette();
        QApplication::setPalette(darkPalette());
        {
            MainWindowFixture f;
            f.write(QStringLiteral("work/d.csv"), "Ann;Oslo\n");
            f.write(QStringLiteral("work/t.html"), "<body bgcolor=\"white\"><p>%N% from %C%</p></body>\n");
            f.write(QStringLiteral("work/p.ql"),
                    "[setup]\ntextfile=d.csv\ntemplatefile=t.html\noutputdir=out\nnameFromFld=1\nFileNameFld=Field "
                    "1\nrulesCount=3\n[rules]\nColFld1=Field 1\nColTemp1=%N%\nColFld2=Field 2\nColTemp2=%C%\n");
            T_FRMain* w = f.open(f.path(QStringLiteral("work/p.ql")));
            const QColor window = w->palette().color(QPalette::Window);

            // The project strip's text on its teal.
            const QPalette strip = f.widget<QWidget>("PanelProject")->palette();
            QVERIFY(contrastRatio(strip.color(QPalette::Window), strip.color(QPalette::WindowText)) >= 4.5);

            // The Run picture stands out from the dark window; so does the Exit picture waiting for
            // the mouse, greyed towards the window colour.
            const QImage run = f.action("actRun")->icon().pixmap(24, 24).toImage();
            QVERIFY2(contrastRatio(meanColour(run, run.rect()), window) >= 3,
                     qPrintable(meanColour(run, run.rect()).name()));
            auto* exit = f.widget<QWidget>("ExplorerButton1");
            const QImage exitLook = exit->grab().toImage();
            QVERIFY(contrastRatio(mostDistinct(exitLook, QRect(4, 4, exitLook.width() - 8, 24), window), window) >= 3);

            // The record preview: replaced values readable on their marker, the page as a browser
            // shows it.
            QVERIFY(f.trigger("actPreviewOutput"));
            const QTextEdit* source = f.widget<QTextEdit>("memSource");
            int marked = 0;
            for (QTextBlock block = source->document()->begin(); block.isValid(); block = block.next()) {
                for (auto it = block.begin(); !it.atEnd(); ++it) {
                    const QTextCharFormat format = it.fragment().charFormat();
                    if (format.background().style() == Qt::NoBrush)
                        continue;
                    ++marked;
                    QVERIFY(contrastRatio(format.background().color(), format.foreground().color()) >= 4.5);
                }
            }
            QCOMPARE(marked, 2);
            const QPalette page = f.widget<QTextBrowser>("viewRendered")->palette();
            QCOMPARE(page.color(QPalette::Base), QColor(Qt::white));
            QVERIFY(contrastRatio(page.color(QPalette::Base), page.color(QPalette::Text)) >= 4.5);
        }
        QApplication::setPalette(before);
    }

    void contrastAndReadableColours()
    {
        const struct {
            QColor first, second;
            double least, most;
        } pairs[] = {
            {Qt::black, Qt::white, 20.9, 21.1},
            {QColor(0, 128, 128), Qt::white, 4.5, 5.0},
            {QColor(255, 226, 122), QColor(230, 230, 230), 1.0, 1.5},
            {Qt::gray, Qt::gray, 1.0, 1.0},
        };
        for (const auto& pair : pairs) {
            const double ratio = contrastRatio(pair.first, pair.second);
            QVERIFY2(ratio >= pair.least && ratio <= pair.most, qPrintable(QString::number(ratio)));
        }
        QCOMPARE(readableOn(Qt::white, QColor(200, 200, 200)), QColor(Qt::black));
        QCOMPARE(readableOn(QColor(30, 30, 32), QColor(230, 230, 230)), QColor(230, 230, 230));
        QCOMPARE(readableOn(QColor(255, 226, 122), QColor(230, 230, 230)), QColor(Qt::black));
    }

    void coreMessagesInTheWindowsWords()
    {
        // Without a translation the window says what the command line says.
        stencilor::RunSummary summary;
        const auto same = [&] { QCOMPARE(runSummaryText(summary), toQt(filesAndSkipsText(summary))); };
        same();
        summary.filesWritten = 1;
        same();
        summary.skippedNoName = 1;
        same();
        summary = {};
        summary.filesWritten = 12;
        summary.skippedFolder = 2;
        summary.skippedOutside = 3;
        summary.skippedLink = 4;
        summary.skippedOwnInput = 5;
        same();
        for (int kind = 0; kind <= int(stencilor::CheckFindingKind::FolderBlocked); ++kind) {
            const auto k = stencilor::CheckFindingKind(kind);
            QCOMPARE(checkFindingText(k), QString::fromLatin1(stencilor::checkFindingLabel(k)));
        }
        const std::string messages[] = {
            stencilor::kDelimiterNotSetMessage,
            std::string(stencilor::kDataFileMissingMessage) + stencilor::kTemplateMissingMessage,
            stencilor::kTemplateMissingMessage,
            stencilor::kOutputFolderNotSetMessage,
            stencilor::kFolderInUseMessage,
            stencilor::cannotOpenMessage("/a \"b\". c/d.csv", "No such file or directory"),
            stencilor::messageForUser(stencilor::systemError("cannot write file", "/x.ql", EACCES)),
            stencilor::recordTooLargeMessage(7, std::size_t{1} << 30),
            stencilor::noSuchRecordMessage(3),
        };
        for (const std::string& message : messages)
            QCOMPARE(coreMessageText(message), toQt(message));

        // The files the missing-input lines are about, in their order.
        stencilor::RunInputPaths paths;
        paths.dataFile = "/jobs/d.csv";
        paths.templateFile = "/jobs/t.html";
        QCOMPARE(missingInputPaths(messages[1], paths), QStringLiteral("/jobs/d.csv\n/jobs/t.html"));
        QCOMPARE(missingInputPaths(messages[2], paths), QStringLiteral("/jobs/t.html"));
        QCOMPARE(missingInputPaths(messages[0], paths), QString());
    }

    void theGermanTranslationFollowsTheLocale()
    {
        QVERIFY(!installTranslations(QLocale(QLocale::English, QLocale::UnitedStates)));
        QVERIFY(installTranslations(QLocale(QLocale::German, QLocale::Germany)));
        {
            MainWindowFixture f;
            T_FRMain* w = f.open();
            QStringList menus;
            for (QAction* menu : w->menuBar()->actions())
                menus << menu->text();
            QCOMPARE(menus,
                     QStringList({QStringLiteral("&Projekt"), QStringLiteral("E&xtras"), QStringLiteral("&Hilfe")}));
            QCOMPARE(f.action("actRun")->text(), QStringLiteral("&Ausführen"));
            QCOMPARE(f.widget<QTableView>("gridRules")->model()->headerData(1, Qt::Horizontal).toString(),
                     QStringLiteral("Feld in der Datenquelle"));
            QCOMPARE(coreMessageText(stencilor::kDataFileMissingMessage), QStringLiteral("Die Datendatei ist leer"));
            atSmallestSize(w);
            QCOMPARE(cutOff(w), QStringList());

            // The system's own question, in German too.
            f.widget<QLineEdit>("EdDelim")->setText(QStringLiteral(","));
            QVERIFY(f.trigger("actSave"));
            f.widget<QLineEdit>("EdDelim")->setText(QStringLiteral("|"));
            f.dialogs().setNextAnswer(QMessageBox::Cancel);
            QVERIFY(!w->close());
            QCOMPARE(f.dialogs().shown().back().text, QStringLiteral("Projekt speichern?"));
        }
        for (QTranslator* translator : QCoreApplication::instance()->findChildren<QTranslator*>())
            QCoreApplication::removeTranslator(translator);
    }
};

QTEST_MAIN(WindowLookTest)
#include "WindowLookTest.moc"
