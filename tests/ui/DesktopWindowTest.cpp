// The window as a desktop user drives it: the whole job by keyboard, the title that names the
// project and marks unsaved changes, the status bar during and after a run, messages that name the
// missing file or the missing editor, Open Recent, files dropped on the window and on the path
// edits, tooltips, and the field lists' sample values.

#include "FakeDesktop.h"
#include "MainWindowFixture.h"
#include "ui/CheckDialog.h"
#include "ui/ExplorerButton.h"
#include "ui/ProductWebLink.h"

#include <QApplication>
#include <QComboBox>
#include <QDropEvent>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QMimeData>
#include <QProgressBar>
#include <QPushButton>
#include <QRegularExpression>
#include <QStatusBar>
#include <QTableView>
#include <QTimer>
#include <QUrl>

using namespace stencilor::ui;
using stencilor::ui::test::FakeDesktop;
using stencilor::ui::test::MainWindowFixture;
using stencilor::ui::test::RecordingLauncher;

namespace {

// A project naming each file after field 1, with field 2 for %V% and field 3 for %W%.
QByteArray project(const QString& outputDir)
{
    return "[setup]\ndelim=;\ntextfile=d.csv\ntemplatefile=t.html\noutputdir=" + outputDir.toUtf8() +
           "\nnameFromFld=1\nFileNameFld=Field 1\nrulesCount=3\n[rules]\nColFld1=Field 2\nColTemp1=%V%\n"
           "ColFld2=Field 3\nColTemp2=%W%\n";
}

// A job in work/: the project p.ql, its data file and template, writing into out/.
QString writeJob(const MainWindowFixture& f, const QByteArray& data = "a;Ann;x\nb;Bo;y\n")
{
    f.write(QStringLiteral("work/d.csv"), data);
    f.write(QStringLiteral("work/t.html"), "<p>%V% %W%</p>\n");
    return f.write(QStringLiteral("work/p.ql"), project(f.path(QStringLiteral("out"))));
}

// Presses `key` where the keyboard focus is, as the user would, and lets the window handle what
// the key set going before the next one comes.
void press(int key, Qt::KeyboardModifiers modifiers = Qt::NoModifier)
{
    QWidget* target = QApplication::focusWidget() ? QApplication::focusWidget() : QApplication::activeWindow();
    QTest::keyClick(target, static_cast<Qt::Key>(key), modifiers);
    QCoreApplication::processEvents();
}

// Types `text` key by key where the focus is (a key may move it, as into an in-place editor).
void type(const QString& text)
{
    for (const QChar c : text) {
        QTest::keyClick(QApplication::focusWidget(), c.toLatin1());
        QCoreApplication::processEvents();
    }
}

// Makes `window` the one that takes the keys.
void activate(QWidget* window)
{
    window->activateWindow();
    QTRY_COMPARE(QApplication::activeWindow(), window);
}

// The platform's first key for `key`, or the program's own where the platform has none.
QKeySequence standard(QKeySequence::StandardKey key, const QKeySequence& fallback)
{
    return QKeySequence::keyBindings(key).value(0, fallback);
}

QMimeData* filesDragged(const QStringList& paths)
{
    auto* mime = new QMimeData;
    QList<QUrl> urls;
    for (const QString& path : paths)
        urls << QUrl::fromLocalFile(path);
    mime->setUrls(urls);
    return mime;
}

// Drags `paths` over `target` and drops them there; true when the target took the drop.
bool drop(QWidget* target, const QStringList& paths)
{
    std::unique_ptr<QMimeData> mime(filesDragged(paths));
    const QPoint at = target->rect().center();
    QDragEnterEvent enter(at, Qt::CopyAction, mime.get(), Qt::LeftButton, Qt::NoModifier);
    QCoreApplication::sendEvent(target, &enter);
    if (!enter.isAccepted())
        return false;
    QDropEvent dropped(QPointF(at), Qt::CopyAction, mime.get(), Qt::LeftButton, Qt::NoModifier);
    QCoreApplication::sendEvent(target, &dropped);
    return dropped.isAccepted();
}

QStringList rules(const MainWindowFixture& f)
{
    const QAbstractItemModel* model = f.widget<QTableView>("gridRules")->model();
    QStringList list;
    for (int row = 0; row < model->rowCount(); ++row)
        list << model->index(row, 1).data().toString() + QStringLiteral(" -> ") +
                    model->index(row, 2).data().toString();
    return list;
}

QStringList recentItems(const MainWindowFixture& f)
{
    auto* menu = f.widget<QMenu>("OpenRecent1");
    emit menu->aboutToShow();
    QStringList items;
    for (QAction* item : menu->actions()) {
        if (!item->isSeparator())
            items << (item->isEnabled() ? QString() : QStringLiteral("(disabled) ")) + item->text();
    }
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

        // Load: the standard key opens the project dialog.
        f.dialogs().setNextFileName(path);
        press(Qt::Key_O, Qt::ControlModifier);
        QCOMPARE(f.widget<QLineEdit>("EdPrjFile")->text(), path);

        // The rules grid by its caption's key; an identifier typed in place; Delete deletes a rule.
        auto* grid = f.widget<QTableView>("gridRules");
        press(Qt::Key_R, Qt::AltModifier);
        QVERIFY(grid->hasFocus());
        grid->setCurrentIndex(grid->model()->index(0, 1));
        press(Qt::Key_Right);
        QCOMPARE(grid->currentIndex().column(), 2);
        type(QStringLiteral("%Z%"));
        press(Qt::Key_Return);
        press(Qt::Key_Down);
        press(Qt::Key_Delete);
        QCOMPARE(rules(f), QStringList{QStringLiteral("Field 2 -> %Z%")});

        // Tab leaves the grid for the output folder of step 4; Ctrl+Tab leaves it too.
        QVERIFY(grid->hasFocus());
        press(Qt::Key_Tab);
        QCOMPARE(QApplication::focusWidget(), f.widget<QLineEdit>("EdOuputDir"));
        grid->setFocus();
        press(Qt::Key_Tab, Qt::ControlModifier);
        QCOMPARE(QApplication::focusWidget(), f.widget<QLineEdit>("EdOuputDir"));

        // Run, then the check before writing.
        activate(w);
        press(Qt::Key_F5);
        QCOMPARE(f.read(QStringLiteral("out/a")), QByteArray("<p>Ann %W%</p>\r\n"));
        press(Qt::Key_F7);
        auto* check = f.widget<CheckDialog>("CheckDialog");
        QVERIFY(check->isVisible());
        activate(check);
        press(Qt::Key_Escape);
        QVERIFY(!check->isVisible());

        // Save, and Exit asks nothing since everything is saved.
        activate(w);
        press(Qt::Key_S, Qt::ControlModifier);
        QVERIFY(f.read(QStringLiteral("work/p.ql")).contains("ColTemp1=%Z%\n"));
        press(Qt::Key_Q, Qt::ControlModifier);
        QVERIFY(!w->isVisible());
        QCOMPARE(f.dialogs().unexpected(), 0);
        QVERIFY(f.dialogs().shown().empty());
    }

    void keysOfTheCommandsAndTheFlatExitButton()
    {
        MainWindowFixture f;
        writeJob(f, QByteArray().fill('\n', 3000));
        T_FRMain* w = f.open(f.path(QStringLiteral("work/p.ql")));
        activate(w);
        // The platform's standard keys (Save As has the common one where the platform has none).
        const struct {
            const char* action;
            QKeySequence key;
        } keys[] = {
            {"actLoad", standard(QKeySequence::Open, QKeySequence(Qt::CTRL | Qt::Key_O))},
            {"actNew", standard(QKeySequence::New, QKeySequence(Qt::CTRL | Qt::Key_N))},
            {"actSave", standard(QKeySequence::Save, QKeySequence(Qt::CTRL | Qt::Key_S))},
            {"actSaveAs", standard(QKeySequence::SaveAs, QKeySequence(Qt::CTRL | Qt::SHIFT | Qt::Key_S))},
            {"actExit", standard(QKeySequence::Quit, QKeySequence(Qt::CTRL | Qt::Key_Q))},
            {"About2", standard(QKeySequence::HelpContents, QKeySequence(Qt::Key_F1))},
            {"actRun", QKeySequence(Qt::Key_F5)},
            {"actCheck", QKeySequence(Qt::Key_F7)},
            {"actPreviewOutput", QKeySequence(Qt::Key_F8)},
        };
        for (const auto& k : keys)
            QVERIFY2(!k.key.isEmpty() && f.action(k.action)->shortcuts().contains(k.key), k.action);

        // Escape stops a run while it goes on (Ctrl+. too), and is free for the dialogs otherwise.
        QVERIFY(f.action("actStop")->shortcuts().contains(QKeySequence(Qt::CTRL | Qt::Key_Period)));
        QTimer::singleShot(0, w, [] { press(Qt::Key_Escape); });
        press(Qt::Key_F5);
        QCOMPARE(w->lastRunSummary().outcome, stencilor::RunOutcome::Stopped);

        // The flat Exit button takes the focus with Tab and Enter presses it.
        auto* exit = f.widget<TExplorerButton>("ExplorerButton1");
        QVERIFY(exit->focusPolicy() & Qt::TabFocus);
        exit->setFocus();
        f.dialogs().setNextAnswer(QMessageBox::No); // the hand-written project lacks keys: Exit asks
        press(Qt::Key_Return);
        QTRY_VERIFY(!w->isVisible());
    }

    void titleNamesTheProjectAndMarksUnsavedChanges()
    {
        MainWindowFixture f;
        const QString path = writeJob(f);
        T_FRMain* w = f.open(path);
        QCOMPARE(w->windowTitle(), QStringLiteral("p.ql[*] — Stencilor"));
        // Written by hand, the file lacks keys that the window shows with their defaults.
        QTRY_VERIFY(w->isWindowModified());
        QVERIFY(f.trigger("actSave"));
        QTRY_VERIFY(!w->isWindowModified());

        // A changed setting marks it, a save or the change undone clears it: Exit's comparison.
        auto* delimiter = f.widget<QLineEdit>("EdDelim");
        delimiter->setText(QStringLiteral(","));
        QTRY_VERIFY(w->isWindowModified());
        delimiter->setText(QStringLiteral(";"));
        QTRY_VERIFY(!w->isWindowModified());
        QAbstractItemModel* grid = f.widget<QTableView>("gridRules")->model();
        QVERIFY(grid->setData(grid->index(1, 2), QStringLiteral("%X%")));
        QTRY_VERIFY(w->isWindowModified());
        QVERIFY(f.trigger("actSave"));
        QTRY_VERIFY(!w->isWindowModified());

        // New: no file and no rules yet, nothing to lose; a rule with a field and an identifier is.
        QVERIFY(f.trigger("actNew"));
        QCOMPARE(w->windowTitle(), QStringLiteral("noname0.ql[*] — Stencilor"));
        QTRY_VERIFY(!w->isWindowModified());
        QVERIFY(grid->setData(grid->index(0, 1), QStringLiteral("Field 1")));
        QVERIFY(grid->setData(grid->index(0, 2), QStringLiteral("%A%")));
        QTRY_VERIFY(w->isWindowModified());
    }

    void statusBarFollowsTheRunAndOpensItsFolder()
    {
        MainWindowFixture f;
        QByteArray data;
        for (int i = 1; i <= 300; ++i)
            data += "r" + QByteArray::number(i) + ";v;w\n";
        T_FRMain* w = f.open(writeJob(f, data));

        QString during;
        QString barText;
        QTimer::singleShot(0, w, [&] {
            during = w->statusBar()->currentMessage();
            barText = f.widget<QProgressBar>("pgBar")->text();
        });
        QVERIFY(f.trigger("actRun"));
        QVERIFY2(QRegularExpression(QStringLiteral("^\\d+ of 300 records")).match(during).hasMatch(),
                 qPrintable(during));
        QVERIFY2(barText.endsWith(u'%'), qPrintable(barText));
        QVERIFY(!f.widget<QProgressBar>("pgBar")->isTextVisible());

        // Afterwards the summary and the way to the files; a load clears both.
        QCOMPARE(w->statusBar()->currentMessage(), QStringLiteral("300 files written, 0 records skipped"));
        auto* folderLink = f.widget<QLabel>("lblOpenOutputFolder");
        QVERIFY(folderLink->isVisible());
        emit folderLink->linkActivated(QStringLiteral("folder"));
        QCOMPARE(f.dialogs().openedDocuments(), QStringList{f.path(QStringLiteral("out"))});
        f.dialogs().setNextFileName(f.path(QStringLiteral("work/p.ql")));
        QVERIFY(f.trigger("actLoad"));
        QVERIFY(w->statusBar()->currentMessage().isEmpty());
        QVERIFY(!folderLink->isVisible());
    }

    void messagesNameTheMissingFileAndTheMissingEditor()
    {
        FakeDesktop desktop;
        RecordingLauncher launcher;
        MainWindowFixture f;
        f.write(QStringLiteral("work/p.ql"), project(f.path(QStringLiteral("out"))));
        f.open(f.path(QStringLiteral("work/p.ql")));
        f.window()->setProgramLauncher(launcher);

        // The described text, and the paths on the lines below it.
        QVERIFY(f.trigger("actRun"));
        QCOMPARE(f.dialogs().shown().at(0).text,
                 QStringLiteral("Text file is empty\nTemplate file is empty or not defined"));
        QCOMPARE(f.dialogs().shown().at(0).detail,
                 f.path(QStringLiteral("work/d.csv")) + u'\n' + f.path(QStringLiteral("work/t.html")));

        // No text editor anywhere: the user learns where to set one.
        QTest::mouseClick(f.widget<QPushButton>("SpeedButton14"), Qt::LeftButton);
        QVERIFY(launcher.starts().empty());
        QCOMPARE(f.dialogs().shown().size(), std::size_t{2});
        QVERIFY(f.dialogs().shown()[1].detail.contains(QStringLiteral("$VISUAL")));
        QVERIFY(f.dialogs().shown()[1].detail.contains(QStringLiteral("desktop's settings")));
    }

    void openRecentListsTheLastProjects()
    {
        MainWindowFixture f;
        const QString a = f.write(QStringLiteral("work/a.ql"), "[setup]\n");
        const QString b = f.write(QStringLiteral("work/b&c.ql"), "[setup]\n");
        f.open(a);
        // A project whose file is missing is not remembered; one saved is.
        f.dialogs().setNextFileName(b);
        QVERIFY(f.trigger("actLoad"));
        f.dialogs().setNextFileName(f.path(QStringLiteral("work/missing.ql")));
        QVERIFY(f.trigger("actLoad"));
        QVERIFY(f.trigger("actSave"));
        const QString saved = f.path(QStringLiteral("work/missing.ql"));
        QCOMPARE(recentItems(f), QStringList({QStringLiteral("&1 ") + saved,
                                              QStringLiteral("&2 ") + f.path(QStringLiteral("work/b&&c.ql")),
                                              QStringLiteral("&3 ") + a, QStringLiteral("&Clear list")}));

        // A project that is gone shows disabled; choosing one loads it.
        QVERIFY(QFile::remove(a));
        QCOMPARE(recentItems(f).at(2), QStringLiteral("(disabled) &3 ") + a);
        f.action("actRecent2")->trigger();
        QCOMPARE(f.widget<QLineEdit>("EdPrjFile")->text(), b);
        QCOMPARE(recentItems(f).at(0), QStringLiteral("&1 ") + f.path(QStringLiteral("work/b&&c.ql")));

        // Ten at the most; kept in the program settings file beside lastprj when the window
        // closes, and read by the next window.
        for (int n = 0; n < 10; ++n) {
            f.dialogs().setNextFileName(f.write(QStringLiteral("work/n%1.ql").arg(n), "[setup]\n"));
            QVERIFY(f.trigger("actLoad"));
        }
        QStringList ten = recentItems(f);
        QCOMPARE(ten.size(), 11);
        f.dialogs().setNextAnswer(QMessageBox::No);
        QVERIFY(f.window()->close());
        const QByteArray settings = f.read(QStringLiteral("prog/stencilor.ini"));
        QVERIFY2(settings.startsWith(QByteArray("[total]\nlastprj=" + saved.toUtf8() + "\nrecent1=")),
                 settings.constData());
        f.open(f.path(QStringLiteral("work/n9.ql")));
        QCOMPARE(recentItems(f), ten);

        f.action("actClearRecent")->trigger();
        QCOMPARE(recentItems(f), QStringList{QStringLiteral("(disabled) &Clear list")});
    }

    void droppedFilesAreTakenAsLoadWouldTakeThem()
    {
        MainWindowFixture f;
        const QString path = writeJob(f);
        const QString data = f.write(QStringLiteral("other/people.csv"), "Name;Age\nAnn;31\n");
        const QString templ = f.write(QStringLiteral("other/card.txt"), "%Name%");
        T_FRMain* w = f.open();

        // A project on the window; anything else the window refuses.
        QVERIFY(!drop(w, {data}));
        QVERIFY(!drop(w, {path, data}));
        QVERIFY(drop(w, {path}));
        QCOMPARE(f.widget<QLineEdit>("EdPrjFile")->text(), path);
        QCOMPARE(rules(f), QStringList({QStringLiteral("Field 2 -> %V%"), QStringLiteral("Field 3 -> %W%")}));

        // A data file on its edit: the data source check and the default-rules question.
        f.dialogs().setNextAnswer(QMessageBox::Yes);
        QVERIFY(drop(f.widget<QLineEdit>("EdTextFile"), {data}));
        QCOMPARE(f.widget<QLineEdit>("EdTextFile")->text(), data);
        QCOMPARE(f.dialogs().shown().at(0).text, QStringLiteral("Add default rules ?"));
        QCOMPARE(rules(f), QStringList({QStringLiteral("Field 1 -> %Name%"), QStringLiteral("Field 2 -> %Age%")}));

        // A template on its edit: nothing more is asked.
        QVERIFY(drop(f.widget<QLineEdit>("EdTemplateFile"), {templ}));
        QCOMPARE(f.widget<QLineEdit>("EdTemplateFile")->text(), templ);
        QCOMPARE(f.dialogs().shown().size(), std::size_t{1});
        QCOMPARE(f.dialogs().unexpected(), 0);
    }

    void everyControlExplainsItself()
    {
        MainWindowFixture f;
        f.open();
        const char* named[] = {"btnLoad",          "SpeedButton1",    "btnSave",        "btnSaveAs",
                               "btnRun",           "btnStop",         "chkRecords",     "edRecFrom",
                               "edRecTo",          "ExplorerButton1", "EdTextFile",     "btnChoiceText",
                               "SpeedButton12",    "EdDelim",         "EdTemplateFile", "btnChoiceTemplate",
                               "SpeedButton14",    "btnAddRule",      "btnEditlRule",   "btnInsRule",
                               "btnDelRule",       "gridRules",       "EdOuputDir",     "chkCopyDirFld",
                               "cbDirectoryField", "rbFromFld",       "cbFileNameFld",  "rbTemplate",
                               "EdTempFileName",   "chkAddExt",       "EdExt",          "chkDelChars",
                               "chkChangeCase",    "rbCase0",         "rbCase1",        "rbCase2",
                               "btnSetupRep",      "chkReport"};
        for (const char* name : named)
            QVERIFY2(!f.widget<QWidget>(name)->toolTip().isEmpty(), name);
        // The toolbar's tips name the key; the product name its address.
        QCOMPARE(f.widget<QWidget>("btnRun")->toolTip(), QStringLiteral("Generate one file per record (F5)"));
        QCOMPARE(f.widget<QLabel>("Label5")->toolTip(), QString::fromLatin1(kProductPageAddress));
    }

    void fieldListsShowEachFieldsSampleValue()
    {
        MainWindowFixture f;
        f.open(writeJob(f, "\nkey;Berlin;\n"));
        auto* box = f.widget<QComboBox>("cbDirectoryField");
        QCOMPARE(box->count(), 3);
        const QStringList shown = {box->itemData(0, Qt::DisplayRole).toString(),
                                   box->itemData(1, Qt::DisplayRole).toString(),
                                   box->itemData(2, Qt::DisplayRole).toString()};
        QCOMPARE(shown, QStringList({QStringLiteral("Field 1 — key"), QStringLiteral("Field 2 — Berlin"),
                                     QStringLiteral("Field 3")}));
        // Picking one stores the label alone.
        box->setCurrentIndex(1);
        QCOMPARE(box->currentText(), QStringLiteral("Field 2"));
        QCOMPARE(f.window()->settingsFromControls().directoryFile, std::string("Field 2"));
    }
};

QTEST_MAIN(DesktopWindowTest)
#include "DesktopWindowTest.moc"
