// SPDX-License-Identifier: GPL-3.0-or-later
// The window as a desktop user drives it: the whole job by keyboard, the title's project name and
// unsaved marker, the status bar of a run, messages naming the missing file or editor, Open
// Recent, dropped files, tooltips and the field lists' sample values.

#include "FakeDesktop.h"
#include "MainWindowFixture.h"
#include "ui/CheckDialog.h"
#include "ui/ExplorerButton.h"
#include "ui/ProductWebLink.h"

#include <QAbstractSpinBox>
#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QDropEvent>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QMenuBar>
#include <QMimeData>
#include <QProgressBar>
#include <QPushButton>
#include <QStatusBar>
#include <QTableView>
#include <QTimer>

using namespace stencilor::ui;
using stencilor::ui::test::drop;
using stencilor::ui::test::MainWindowFixture;

namespace {

// A job in work/: p.ql naming each file after field 1, with %V% for field 2 and %W% for field 3.
QString writeJob(const MainWindowFixture& f, const QByteArray& data = "a;Ann;x\nb;Bo;y\n")
{
    f.write(QStringLiteral("work/d.csv"), data);
    f.write(QStringLiteral("work/t.html"), "<p>%V% %W%</p>\n");
    return f.write(QStringLiteral("work/p.ql"), "[setup]\ndelim=;\ntextfile=d.csv\ntemplatefile=t.html\noutputdir=" +
                                                    f.path(QStringLiteral("out")).toUtf8() +
                                                    "\nnameFromFld=1\nFileNameFld=Field 1\nrulesCount=3\n[rules]\n"
                                                    "ColFld1=Field 2\nColTemp1=%V%\nColFld2=Field 3\nColTemp2=%W%\n");
}

// Presses `key` (or types `text`) where the focus is, and lets the window take it before the next.
void press(int key, Qt::KeyboardModifiers modifiers = Qt::NoModifier)
{
    QWidget* focus = QApplication::focusWidget();
    QTest::keyClick(focus ? focus : QApplication::activeWindow(), static_cast<Qt::Key>(key), modifiers);
    QCoreApplication::processEvents();
}

void type(const QString& text)
{
    for (const QChar c : text) {
        QTest::keyClick(QApplication::focusWidget(), c.toLatin1());
        QCoreApplication::processEvents();
    }
}

// Presses the first key of the action `name`.
void pressKeyOf(const MainWindowFixture& f, const char* name)
{
    const QKeySequence key = f.action(name)->shortcut();
    QVERIFY2(!key.isEmpty(), name);
    press(key[0].key(), key[0].keyboardModifiers());
}

void activate(QWidget* window)
{
    window->activateWindow();
    QTRY_COMPARE(QApplication::activeWindow(), window);
}

// Open Recent's items as the menu shows them when it opens; "-" before a disabled one.
QStringList recentItems(const MainWindowFixture& f)
{
    auto* menu = f.widget<QMenu>("OpenRecent1");
    emit menu->aboutToShow();
    QStringList items;
    for (QAction* item : menu->actions())
        if (!item->isSeparator())
            items << (item->isEnabled() ? QString() : QStringLiteral("-")) + item->text();
    return items;
}

} // namespace

class DesktopWindowTest : public QObject {
    Q_OBJECT

private slots:
    void keyboardDrivesTheWholeJob()
    {
        MainWindowFixture f;
        const QString path = writeJob(f);
        f.write(QStringLiteral("work/t.html"), "<p>%Z% %W%</p>\n");
        T_FRMain* w = f.open();
        activate(w);
        for (const char* name : {"actNew", "actSaveAs", "About2", "actPreviewOutput", "actStop"})
            QVERIFY2(!f.action(name)->shortcut().isEmpty(), name);

        // F10 opens the Project menu.
        press(Qt::Key_F10);
        QTRY_VERIFY(f.widget<QMenu>("Project1")->isVisible());
        QTest::keyClick(QApplication::activePopupWidget(), Qt::Key_Escape);
        QTRY_VERIFY(!f.widget<QMenu>("Project1")->isVisible());
        activate(w);

        f.dialogs().setNextFileName(path);
        pressKeyOf(f, "actLoad");
        QCOMPARE(f.widget<QLineEdit>("EdPrjFile")->text(), path);

        // The grid by its caption's key: an identifier typed in place, Delete deletes a rule, and
        // Tab (or Ctrl+Tab) leaves the grid for step 4.
        auto* grid = f.widget<QTableView>("gridRules");
        press(Qt::Key_R, Qt::AltModifier);
        QVERIFY(grid->hasFocus());
        grid->setCurrentIndex(grid->model()->index(0, 1));
        press(Qt::Key_Right);
        type(QStringLiteral("%Z%"));
        press(Qt::Key_Return);
        press(Qt::Key_Down);
        press(Qt::Key_Delete);
        QCOMPARE(f.rules(QStringLiteral(">")), QStringList{QStringLiteral("Field 2>%Z%")});
        for (const Qt::KeyboardModifier modifier : {Qt::NoModifier, Qt::ControlModifier}) {
            grid->setFocus();
            press(Qt::Key_Tab, modifier);
            QCOMPARE(QApplication::focusWidget(), f.widget<QLineEdit>("EdOuputDir"));
        }

        pressKeyOf(f, "actRun");
        QCOMPARE(f.read(QStringLiteral("out/a")), QByteArray("<p>Ann %W%</p>\r\n"));
        pressKeyOf(f, "actCheck");
        auto* check = f.widget<CheckDialog>("CheckDialog");
        activate(check);
        press(Qt::Key_Escape);
        QVERIFY(!check->isVisible());
        activate(w);
        pressKeyOf(f, "actSave");
        QVERIFY(f.read(QStringLiteral("work/p.ql")).contains("ColTemp1=%Z%\n"));
        pressKeyOf(f, "actExit");
        QVERIFY(!w->isVisible());
        QVERIFY(f.dialogs().shown().empty());
    }

    void escapeStopsARunAndEnterPressesTheFlatExitButton()
    {
        MainWindowFixture f;
        T_FRMain* w = f.open(writeJob(f, QByteArray(3000, '\n')));
        activate(w);
        QTimer::singleShot(0, w, [] { press(Qt::Key_Escape); });
        pressKeyOf(f, "actRun");
        QCOMPARE(w->lastRunSummary().outcome, stencilor::RunOutcome::Stopped);

        auto* exit = f.widget<TExplorerButton>("ExplorerButton1");
        QVERIFY(exit->focusPolicy() & Qt::TabFocus);
        exit->setFocus();
        f.dialogs().setNextAnswer(QMessageBox::No); // the hand-written project lacks keys: Exit asks
        press(Qt::Key_Return);
        QTRY_VERIFY(!w->isVisible());
    }

    void keyboardReachesStepsLinksAndTheMenuBar()
    {
        test::FakeDesktop desktop;
        test::RecordingLauncher launcher;
        MainWindowFixture f;
        // A byte-order mark gives the data file a warning beside the delimiter.
        const QString path = writeJob(f, "\xEF\xBB\xBF"
                                         "a;Ann;x\n");
        T_FRMain* w = f.open();
        w->setProgramLauncher(launcher);
        activate(w);

        // Load puts the focus on step 1, wherever it was.
        f.widget<QWidget>("chkEscapeHtml")->setFocus();
        f.dialogs().setNextFileName(path);
        pressKeyOf(f, "actLoad");
        QCOMPARE(QApplication::focusWidget(), f.widget<QWidget>("EdTextFile"));

        // A step's key goes to the step: Alt+E to the report's check box, without ticking it.
        auto* report = f.widget<QCheckBox>("chkReport");
        const bool reportOn = report->isChecked();
        press(Qt::Key_E, Qt::AltModifier);
        QCOMPARE(QApplication::focusWidget(), report);
        QCOMPARE(report->isChecked(), reportOn);

        // Tab reaches the warning line beside the delimiter; Enter shows its whole list.
        f.widget<QWidget>("EdDelim")->setFocus();
        press(Qt::Key_Tab);
        QCOMPARE(QApplication::focusWidget(), f.widget<QWidget>("lblDataWarnings"));
        press(Qt::Key_Return);
        QCOMPARE(f.dialogs().shown().back().kind, test::ScriptedDialogs::Kind::Message);
        QVERIFY(f.dialogs().shown().back().text.contains(QStringLiteral("byte-order mark")));

        // Tab reaches the product name; Enter opens the product's page (no browser here: the error).
        f.widget<QWidget>("chkRecords")->setFocus();
        press(Qt::Key_Tab);
        QCOMPARE(QApplication::focusWidget(), f.widget<QWidget>("Label5"));
        press(Qt::Key_Return);
        QCOMPARE(f.dialogs().shown().back().text, QStringLiteral("No internet connection.."));

        // Alt alone highlights the first menu, drawn in the highlight colour; Escape leaves it.
        QMenuBar* menuBar = w->menuBar();
        const QRect first = menuBar->actionGeometry(menuBar->actions().front());
        const auto highlighted = [&] {
            const QImage image = menuBar->grab(first).toImage();
            int pixels = 0;
            for (int y = 0; y < image.height(); ++y)
                for (int x = 0; x < image.width(); ++x)
                    pixels += image.pixelColor(x, y) == menuBar->palette().color(QPalette::Highlight);
            return pixels > image.width() * image.height() / 4;
        };
        QVERIFY(!highlighted());
        f.widget<QWidget>("EdTextFile")->setFocus();
        press(Qt::Key_Alt, Qt::AltModifier);
        QTest::keyRelease(QApplication::focusWidget(), Qt::Key_Alt);
        QTRY_COMPARE(menuBar->activeAction(), menuBar->actions().front());
        QVERIFY(highlighted());
        press(Qt::Key_Escape);
        QTRY_VERIFY(!menuBar->activeAction());
    }

    void titleNamesTheProjectAndMarksUnsavedChanges()
    {
        MainWindowFixture f;
        T_FRMain* w = f.open(writeJob(f));
        QCOMPARE(w->windowTitle(), QStringLiteral("p.ql[*] — Stencilor " STENCILOR_VERSION));
        // Exit's comparison: the hand-written file lacks keys the window shows with defaults.
        QTRY_VERIFY(w->isWindowModified());
        QVERIFY(f.trigger("actSave"));
        QTRY_VERIFY(!w->isWindowModified());
        auto* delimiter = f.widget<QLineEdit>("EdDelim");
        delimiter->setText(QStringLiteral(","));
        QTRY_VERIFY(w->isWindowModified());
        delimiter->setText(QStringLiteral(";"));
        QTRY_VERIFY(!w->isWindowModified());

        // After New nothing is lost until a rule has a field and an identifier.
        QVERIFY(f.trigger("actNew"));
        QCOMPARE(w->windowTitle(), QStringLiteral("noname0.ql[*] — Stencilor " STENCILOR_VERSION));
        QTRY_VERIFY(!w->isWindowModified());
        QAbstractItemModel* grid = f.widget<QTableView>("gridRules")->model();
        QVERIFY(grid->setData(grid->index(0, 1), QStringLiteral("Field 1")));
        QVERIFY(grid->setData(grid->index(0, 2), QStringLiteral("%A%")));
        QTRY_VERIFY(w->isWindowModified());
    }

    void statusBarFollowsTheRunAndOpensItsFolder()
    {
        test::FakeDesktop desktop;
        test::RecordingLauncher launcher;
        MainWindowFixture f;
        QByteArray data;
        for (int i = 1; i <= 300; ++i)
            data += "r" + QByteArray::number(i) + ";v;w\n";
        T_FRMain* w = f.open(writeJob(f, data));
        w->setProgramLauncher(launcher);
        QString during;
        QString bar;
        QTimer::singleShot(0, w, [&] {
            during = w->statusBar()->currentMessage();
            bar = f.widget<QProgressBar>("pgBar")->text();
        });
        QVERIFY(f.trigger("actRun"));
        QVERIFY2(during.contains(QStringLiteral(" of 300 records")), qPrintable(during));
        QVERIFY2(bar.endsWith(u'%'), qPrintable(bar));

        QCOMPARE(w->statusBar()->currentMessage(), QStringLiteral("300 files written, 0 records skipped"));
        auto* link = f.widget<QLabel>("lblOpenOutputFolder");
        QVERIFY(link->isVisible());
        const QString out = f.path(QStringLiteral("out"));
        QCOMPARE(link->toolTip(), out);
        // Without a file manager the user learns where the folder is.
        emit link->linkActivated(QStringLiteral("folder"));
        QVERIFY(launcher.starts().empty());
        QCOMPARE(f.dialogs().shown().back().detail, out);
        desktop.addApplication(QStringLiteral("files.desktop"), "files --select %U");
        desktop.setDefault("inode/directory", "files.desktop");
        emit link->linkActivated(QStringLiteral("folder"));
        QCOMPARE(launcher.starts().size(), std::size_t{1});
        QCOMPARE(launcher.starts()[0].arguments, QStringList({QStringLiteral("--select"), out}));
        QCOMPARE(f.dialogs().shown().size(), std::size_t{1});
        f.dialogs().setNextAnswer(QMessageBox::No);
        QVERIFY(f.trigger("actNew"));
        QVERIFY(w->statusBar()->currentMessage().isEmpty());
        QVERIFY(!link->isVisible());
    }

    void messagesNameTheMissingFileAndTheMissingEditor()
    {
        test::FakeDesktop desktop;
        test::RecordingLauncher launcher;
        MainWindowFixture f;
        writeJob(f);
        QFile::remove(f.path(QStringLiteral("work/d.csv")));
        QFile::remove(f.path(QStringLiteral("work/t.html")));
        f.open(f.path(QStringLiteral("work/p.ql")));
        f.window()->setProgramLauncher(launcher);

        // The described text, and the paths on the lines below it.
        QVERIFY(f.trigger("actRun"));
        QCOMPARE(f.dialogs().shown().at(0).detail,
                 f.path(QStringLiteral("work/d.csv")) + u'\n' + f.path(QStringLiteral("work/t.html")));

        // Check and Preview output name them as well, each beside its line.
        const QString missing = QStringLiteral("Text file is empty: ") + f.path(QStringLiteral("work/d.csv")) + u'\n' +
                                QStringLiteral("Template file is empty or not defined: ") +
                                f.path(QStringLiteral("work/t.html"));
        QVERIFY(f.trigger("actCheck"));
        QTRY_VERIFY(!f.widget<CheckDialog>("CheckDialog")->checking());
        QVERIFY2(f.widget<QLabel>("lblSummary")->text().endsWith(QString(missing).replace(u'\n', QStringLiteral("; "))),
                 qPrintable(f.widget<QLabel>("lblSummary")->text()));
        QVERIFY(f.trigger("actPreviewOutput"));
        QTRY_COMPARE(f.widget<QLabel>("lblOutputPath")->text(), missing);

        // No editor at all, or only one $VISUAL names that is not there: what was tried, and how to get one.
        for (const QByteArray& visual : {QByteArray(), QByteArray("/nonexistent/editor -w")}) {
            qputenv("VISUAL", visual);
            QTest::mouseClick(f.widget<QPushButton>("SpeedButton14"), Qt::LeftButton);
            QVERIFY(launcher.starts().empty());
            const QString how = f.dialogs().shown().back().detail;
            QVERIFY2(how.startsWith(visual.isEmpty() ? QStringLiteral("Tried: gnome-text-editor, gedit, ")
                                                     : QStringLiteral("Tried: /nonexistent/editor, gnome-text-editor")),
                     qPrintable(how));
            QVERIFY2(how.contains(QStringLiteral("$VISUAL")) && how.contains(QStringLiteral("desktop's settings")),
                     qPrintable(how));
        }
        QCOMPARE(f.dialogs().shown().size(), std::size_t{3});
    }

    void openRecentListsTheLastProjects()
    {
        MainWindowFixture f;
        const QString a = f.write(QStringLiteral("work/a.ql"), "[setup]\n");
        const QString b = f.write(QStringLiteral("work/b&c.ql"), "[setup]\n");
        const QString saved = f.path(QStringLiteral("work/new.ql"));
        f.open(a);
        // Loaded or saved projects are remembered; one loaded without a file is not. (The files
        // lack keys the window shows, so each switch asks first.)
        f.dialogs().setNextFileName(b);
        f.dialogs().setNextAnswer(QMessageBox::No);
        QVERIFY(f.trigger("actLoad"));
        f.dialogs().setNextFileName(saved);
        f.dialogs().setNextAnswer(QMessageBox::No);
        QVERIFY(f.trigger("actLoad"));
        QCOMPARE(recentItems(f).size(), 3);
        QVERIFY(f.trigger("actSave"));
        QVERIFY(QFile::remove(a));
        QCOMPARE(recentItems(f), QStringList({QStringLiteral("&1 ") + saved,
                                              QStringLiteral("&2 ") + f.path(QStringLiteral("work/b&&c.ql")),
                                              QStringLiteral("-&3 ") + a, QStringLiteral("&Clear list")}));
        f.dialogs().setNextAnswer(QMessageBox::No);
        f.action("actRecent2")->trigger();
        QCOMPARE(f.widget<QLineEdit>("EdPrjFile")->text(), b);

        // Written beside lastprj when the window closes, and read by the next window.
        const QStringList items = recentItems(f);
        f.dialogs().setNextAnswer(QMessageBox::No);
        QVERIFY(f.window()->close());
        QVERIFY(f.read(QStringLiteral("prog/stencilor.ini"))
                    .startsWith(QByteArray("[total]\nlastprj=" + saved.toUtf8() + "\nrecent1=")));
        f.open(b);
        QCOMPARE(recentItems(f), items);
        f.action("actClearRecent")->trigger();
        QCOMPARE(recentItems(f), QStringList{QStringLiteral("-&Clear list")});
    }

    void droppedFilesAreTakenAsLoadWouldTakeThem()
    {
        MainWindowFixture f;
        const QString path = writeJob(f);
        const QString data = f.write(QStringLiteral("other/people.csv"), "Name;Age\nAnn;31\n");
        const QString templ = f.write(QStringLiteral("other/card.txt"), "%Name%");
        T_FRMain* w = f.open();
        QVERIFY(!drop(w, {data}));
        QVERIFY(!drop(w, {path, data}));
        QVERIFY(drop(w, {path}));
        QTRY_COMPARE(f.widget<QLineEdit>("EdPrjFile")->text(), path);
        QCOMPARE(f.rules(QStringLiteral(">")),
                 QStringList({QStringLiteral("Field 2>%V%"), QStringLiteral("Field 3>%W%")}));

        // A data file gets the data source check and the default-rules question; a template no more.
        f.dialogs().setNextAnswer(QMessageBox::Yes);
        QVERIFY(drop(f.widget<QLineEdit>("EdTextFile"), {data}));
        QCOMPARE(f.rules(QStringLiteral(">")),
                 QStringList({QStringLiteral("Field 1>%Name%"), QStringLiteral("Field 2>%Age%")}));
        QVERIFY(drop(f.widget<QLineEdit>("EdTemplateFile"), {templ}));
        QCOMPARE(f.widget<QLineEdit>("EdTemplateFile")->text(), templ);
        QCOMPARE(f.dialogs().shown().size(), std::size_t{1});
        QCOMPARE(f.dialogs().unexpected(), 0);
    }

    void everyControlExplainsItself()
    {
        MainWindowFixture f;
        f.open();
        // Every control Tab reaches (a combo box's or spin box's edit and open list are parts of it).
        int controls = 0;
        for (QWidget* control : f.widget<QWidget>("Bands")->findChildren<QWidget*>()) {
            const QWidget* parent = control->parentWidget();
            if (!(control->focusPolicy() & Qt::TabFocus) || control->window() != f.window() ||
                qobject_cast<const QComboBox*>(parent) || qobject_cast<const QAbstractSpinBox*>(parent))
                continue;
            ++controls;
            QVERIFY2(!control->toolTip().isEmpty(), qPrintable(control->objectName()));
        }
        QVERIFY(controls > 30);
        QCOMPARE(f.widget<QWidget>("btnRun")->toolTip(), QStringLiteral("Generate one file per record (F5)"));
        QCOMPARE(f.widget<QLabel>("Label5")->toolTip(), QString::fromLatin1(kProductPageAddress));
    }

    void fieldListsShowEachFieldsSampleValue()
    {
        MainWindowFixture f;
        f.open(writeJob(f, "\nkey;Berlin;\n"));
        auto* box = f.widget<QComboBox>("cbDirectoryField");
        QStringList shown;
        for (int i = 0; i < box->count(); ++i)
            shown << box->itemData(i, Qt::DisplayRole).toString();
        QCOMPARE(shown, QStringList({QStringLiteral("Field 1 — key"), QStringLiteral("Field 2 — Berlin"),
                                     QStringLiteral("Field 3")}));
        // A pick stores the label alone.
        box->setCurrentIndex(1);
        QCOMPARE(f.window()->settingsFromControls().directoryFile, std::string("Field 2"));
    }
};

QTEST_MAIN(DesktopWindowTest)
#include "DesktopWindowTest.moc"
