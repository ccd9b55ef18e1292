// SPDX-License-Identifier: GPL-3.0-or-later
// The Tools menu from the window: the check's findings of the current (unsaved) settings, a
// double-click that shows the record in the data preview, the output preview of one record, and
// nothing written by either.

#include "MainWindowFixture.h"
#include "ui/CheckDialog.h"
#include "ui/DataPreviewDialog.h"
#include "ui/RecordPreviewDialog.h"

#include <QCheckBox>
#include <QLabel>
#include <QLineEdit>
#include <QLocale>
#include <QMenu>
#include <QMenuBar>
#include <QProgressBar>
#include <QPushButton>
#include <QSpinBox>
#include <QStatusBar>
#include <QTableView>
#include <QTextBlock>
#include <QTextBrowser>
#include <QTextEdit>

using namespace Qt::StringLiterals;
using namespace stencilor::ui;
using stencilor::ui::test::MainWindowFixture;

namespace {

QByteArray project(const QString& outputDir)
{
    return "[setup]\ndelim=;\ntextfile=d.csv\ntemplatefile=t.html\noutputdir=" + outputDir.toUtf8() +
           "\nnameFromFld=1\nFileNameFld=Field 1\nrulesCount=3\n[rules]\nColFld1=Field 2\nColTemp1=%V%\n"
           "ColFld2=Field 3\nColTemp2=%Unused%\n";
}

QStringList texts(std::initializer_list<const char*> items)
{
    QStringList list;
    for (const char* item : items)
        list << QString::fromUtf8(item);
    return list;
}

QString cell(const QTableView* grid, int row, int column)
{
    return grid->model()->index(row, column).data().toString();
}

QStringList column(const QTableView* grid, int column)
{
    QStringList texts;
    for (int row = 0; row < grid->model()->rowCount(); ++row)
        texts << cell(grid, row, column);
    return texts;
}

// A double-click as a user makes it: the view acts only on a cell it saw pressed first.
void doubleClick(QTableView* grid, int row, int column)
{
    const QModelIndex index = grid->model()->index(row, column);
    grid->scrollTo(index);
    const QPoint at = grid->visualRect(index).center();
    QTest::mouseClick(grid->viewport(), Qt::LeftButton, {}, at);
    QTest::mouseDClick(grid->viewport(), Qt::LeftButton, {}, at);
}

// A project on a data file of two million records, each short of the third field a rule uses:
// more than a tenth of a second's reading on any machine, so that the check and the preview are
// still reading when the test looks.
QString writeLargeJob(const MainWindowFixture& f)
{
    constexpr int kRecords = 2'000'000;
    QByteArray content;
    content.reserve(kRecords * 24);
    for (int n = 1; n <= kRecords; ++n)
        content.append(QByteArray::number(n)).append(";Name of the record\n");
    f.write(QStringLiteral("work/d.csv"), content);
    f.write(QStringLiteral("work/t.html"), "<p>%V%</p>\n");
    return f.write(QStringLiteral("work/p.ql"), project(f.path(QStringLiteral("out"))));
}

// The pieces of a document drawn with a background: the highlighted replacements.
QStringList highlighted(const QTextEdit* edit)
{
    QStringList pieces;
    for (QTextBlock block = edit->document()->begin(); block.isValid(); block = block.next())
        for (auto it = block.begin(); !it.atEnd(); ++it)
            if (it.fragment().charFormat().background().style() != Qt::NoBrush)
                pieces << it.fragment().text();
    return pieces;
}

} // namespace

class ToolsWindowTest : public QObject {
    Q_OBJECT

private slots:
    void toolsMenuFollowsProjectWhoseItemsStay()
    {
        MainWindowFixture f;
        T_FRMain* window = f.open();
        QStringList menus;
        for (QAction* menu : window->menuBar()->actions())
            menus << menu->text().remove(u'&');
        QCOMPARE(menus, (QStringList{QStringLiteral("Project"), QStringLiteral("Tools"), QStringLiteral("About")}));
        QStringList items;
        for (QAction* item : f.widget<QMenu>("Project1")->actions())
            items << (item->isSeparator() ? QStringLiteral("-") : item->text().remove(u'&'));
        QCOMPARE(items, texts({"Load", "Open Recent", "New", "Save", "Save As", "-", "Run", "Stop", "-", "Exit"}));
        QCOMPARE(f.widget<QMenu>("Tools1")->actions(),
                 (QList<QAction*>{f.action("actCheck"), f.action("actPreviewOutput")}));
    }

    void checkListsFindingsAndDoubleClickSelectsTheRecord()
    {
        MainWindowFixture f;
        f.write(QStringLiteral("work/d.csv"), "a;Ann\nb;Bo\n;none\nA;again\n");
        f.write(QStringLiteral("work/t.html"), "<p>%V%</p>\n");
        f.write(QStringLiteral("work/p.ql"), project(f.path(QStringLiteral("out"))));
        f.open(f.path(QStringLiteral("work/p.ql")));

        QVERIFY(f.trigger("actCheck"));
        auto* dialog = f.widget<CheckDialog>("CheckDialog");
        QVERIFY(dialog->isVisible());
        QTRY_VERIFY(!dialog->checking());
        QTableView* grid = dialog->gridFindings();
        QCOMPARE(column(grid, 0), texts({"-", "1", "2", "3", "3", "4", "4"}));
        QCOMPARE(column(grid, 1), texts({"identifier not in template", "fewer fields", "fewer fields", "fewer fields",
                                         "no name", "fewer fields", "same name ignoring case"}));
        QCOMPARE(cell(grid, 6, 2), QStringLiteral("A"));
        QCOMPARE(f.widget<QLabel>("lblSummary")->text(), QStringLiteral("4 of 4 records checked, 7 findings"));
        QVERIFY(!f.exists(QStringLiteral("out")));

        // A double-click on record 3's row shows the data preview with line 3 selected.
        doubleClick(grid, 4, 3);
        auto* preview = f.widget<TformViewCsv>("formViewCsv");
        QTRY_VERIFY(preview->isVisible());
        QCOMPARE(preview->gridCsv()->currentIndex().row(), 2);
        QVERIFY(preview->gridCsv()->selectionModel()->isRowSelected(2, {}));
        preview->close();

        // A project-wide row names no record: nothing happens.
        doubleClick(grid, 0, 0);
        QVERIFY(!preview->isVisible());

        // "Check again" reads the controls as they are now, saved or not.
        f.widget<QLineEdit>("EdDelim")->setText(QString());
        QTest::mouseClick(f.widget<QPushButton>("btnCheckAgain"), Qt::LeftButton);
        QTRY_VERIFY(!dialog->checking());
        QCOMPARE(grid->model()->rowCount(), 0);
        QCOMPARE(f.widget<QLabel>("lblSummary")->text(),
                 QStringLiteral("The check did not start: Please select field delimiter!"));
    }

    void aLargeCheckLeavesTheWindowAnsweringAndCancelStopsIt()
    {
        MainWindowFixture f;
        f.open(writeLargeJob(f));
        QVERIFY(f.trigger("actCheck"));
        auto* dialog = f.widget<CheckDialog>("CheckDialog");
        auto* said = dialog->findChild<QLabel*>(QStringLiteral("lblProgress"));
        auto* bar = dialog->findChild<QProgressBar*>(QStringLiteral("barProgress"));
        auto* cancel = dialog->findChild<QPushButton*>(QStringLiteral("btnCancel"));
        auto* summary = dialog->findChild<QLabel*>(QStringLiteral("lblSummary"));

        // Cancel while the first pass counts the records: none is checked.
        QVERIFY(dialog->checking());
        QVERIFY(bar->isVisible() && cancel->isVisible());
        QVERIFY2(said->text().startsWith(u"Counting records: "_s), qPrintable(said->text()));
        QTest::mouseClick(cancel, Qt::LeftButton);
        QTRY_VERIFY_WITH_TIMEOUT(!dialog->checking(), 2000);
        QVERIFY2(summary->text().startsWith(u"The check was stopped before any record was checked"_s),
                 qPrintable(summary->text()));
        QVERIFY(!cancel->isVisible());

        // Checked again: the records checked of all, the findings joining the list, and the window
        // answering the keyboard meanwhile.
        QTest::mouseClick(dialog->findChild<QPushButton*>(QStringLiteral("btnCheckAgain")), Qt::LeftButton);
        const QString all = QLocale().toString(2'000'000);
        QTRY_VERIFY_WITH_TIMEOUT(said->text().startsWith(u"Checking: "_s), 60000);
        QVERIFY2(said->text().endsWith(u" of "_s + all + u" records"_s), qPrintable(said->text()));
        QTRY_VERIFY(dialog->gridFindings()->model()->rowCount() > 1);
        auto* folder = f.widget<QLineEdit>("EdOuputDir");
        folder->setFocus();
        QTest::keyClick(folder, Qt::Key_End);
        QTest::keyClick(folder, Qt::Key_X);
        QVERIFY(folder->text().endsWith(u'x'));
        QVERIFY(dialog->checking());
        QTest::mouseClick(cancel, Qt::LeftButton);
        QTRY_VERIFY_WITH_TIMEOUT(!dialog->checking(), 2000);
        QVERIFY2(summary->text().startsWith(u"The check was stopped after "_s), qPrintable(summary->text()));
        QVERIFY(dialog->gridFindings()->model()->rowCount() > 1);

        // Closing the dialog stops a check; so does the window's end (the fixture's) for one left running.
        QTest::mouseClick(dialog->findChild<QPushButton*>(QStringLiteral("btnCheckAgain")), Qt::LeftButton);
        QVERIFY(dialog->checking());
        dialog->close();
        QTRY_VERIFY_WITH_TIMEOUT(!dialog->checking(), 2000);
        QVERIFY(f.trigger("actCheck"));
        QVERIFY(dialog->checking());
    }

    void theListOfFindingsIsBounded()
    {
        // A check that finds more than the list holds, without a data file to read.
        constexpr std::uint64_t kFound = CheckDialog::kMaxListed + 5;
        CheckDialog dialog(
            [] {
                return CheckDialog::Job{[](const stencilor::FindingSink& sink, const stencilor::CheckProgress&,
                                           const stencilor::PassWatch&) {
                                            stencilor::CheckReport report;
                                            report.started = true;
                                            report.recordCount = report.recordsChecked = kFound;
                                            for (std::uint64_t n = 1; n <= kFound; ++n) {
                                                sink({stencilor::CheckFindingKind::NoName, n, n, 0, {}, {}});
                                                ++report.findingCount;
                                            }
                                            return report;
                                        },
                                        false};
            },
            [](const stencilor::Error&) { return QString(); });
        dialog.startCheck();
        QTRY_VERIFY_WITH_TIMEOUT(!dialog.checking(), 60000);
        const QAbstractItemModel* model = dialog.gridFindings()->model();
        QCOMPARE(model->rowCount(), static_cast<int>(CheckDialog::kMaxListed));
        QCOMPARE(model->index(model->rowCount() - 1, 0).data().toString(), QString::number(CheckDialog::kMaxListed));
        const QLocale locale;
        QVERIFY(dialog.findChild<QLabel*>(QStringLiteral("lblSummary"))
                    ->text()
                    .endsWith(locale.toString(kFound) + u" findings"_s));
        auto* notListed = dialog.findChild<QLabel*>(QStringLiteral("lblNotListed"));
        QVERIFY(!notListed->isHidden());
        QCOMPARE(notListed->text(), u"The first "_s +
                                        locale.toString(static_cast<qulonglong>(CheckDialog::kMaxListed)) +
                                        u" findings are listed, the other 5 are not: \"stencilor --dry-run\" lists "
                                        u"them all."_s);
    }

    void aFarRecordIsReadWithProgressAndCancelStopsIt()
    {
        MainWindowFixture f;
        f.open(writeLargeJob(f));
        QVERIFY(f.trigger("actPreviewOutput"));
        auto* dialog = f.widget<RecordPreviewDialog>("RecordPreview");
        auto* said = dialog->findChild<QLabel*>(QStringLiteral("lblProgress"));
        auto* cancel = dialog->findChild<QPushButton*>(QStringLiteral("btnCancel"));
        // The last record asked for replaces the first, still being read.
        QVERIFY(dialog->reading());
        dialog->showRecord(2'000'000);
        QVERIFY(dialog->reading());
        QVERIFY(cancel->isVisible());
        QVERIFY2(said->text().startsWith(u"Counting records: "_s) || said->text().startsWith(u"Reading: "_s),
                 qPrintable(said->text()));
        QTest::mouseClick(cancel, Qt::LeftButton);
        QTRY_VERIFY_WITH_TIMEOUT(!dialog->reading(), 2000);
        QCOMPARE(f.widget<QLabel>("lblOutputPath")->text(),
                 u"Stopped before record "_s + QLocale().toString(2'000'000) + u" was read"_s);
        QVERIFY(!cancel->isVisible());
    }

    void previewShowsTheChosenRecordsOutputAndPath()
    {
        MainWindowFixture f;
        f.write(QStringLiteral("work/d.csv"), "a;Ann\nb;Bo\n");
        f.write(QStringLiteral("work/t.html"), "<p>%V% and %V%</p>\n");
        f.write(QStringLiteral("work/p.ql"), project(f.path(QStringLiteral("out"))));
        f.open(f.path(QStringLiteral("work/p.ql")));

        // Record 2 chosen in the data preview.
        auto* data = f.widget<TformViewCsv>("formViewCsv");
        data->loadData(f.path(QStringLiteral("work/d.csv")).toStdString(), stencilor::DataFormat{}, 2);
        data->gridCsv()->setCurrentIndex(data->gridCsv()->model()->index(1, 0));
        QVERIFY(f.trigger("actPreviewOutput"));
        auto* dialog = f.widget<RecordPreviewDialog>("RecordPreview");
        QVERIFY(dialog->isVisible());
        QTRY_VERIFY(!dialog->reading());
        QCOMPARE(f.widget<QSpinBox>("edRecord")->value(), 2);
        QCOMPARE(f.widget<QLabel>("lblOutputPath")->text(),
                 QStringLiteral("Output file: ") + f.path(QStringLiteral("out/b")));
        auto* source = f.widget<QTextEdit>("memSource");
        QCOMPARE(source->toPlainText(), QStringLiteral("<p>Bo and Bo</p>\n"));
        QCOMPARE(highlighted(source), texts({"Bo", "Bo"}));
        auto* rendered = f.widget<QTextBrowser>("viewRendered");
        QVERIFY(!rendered->isHidden());
        QCOMPARE(rendered->toPlainText().trimmed(), QStringLiteral("Bo and Bo"));

        // It follows the data preview, and takes a number.
        data->gridCsv()->setCurrentIndex(data->gridCsv()->model()->index(0, 1));
        QTRY_COMPARE(highlighted(source), texts({"Ann", "Ann"}));
        f.widget<QSpinBox>("edRecord")->setValue(3);
        QTRY_COMPARE(f.widget<QLabel>("lblOutputPath")->text(), QStringLiteral("There is no record 3"));
        QCOMPARE(source->toPlainText(), QString());
        QVERIFY(!f.exists(QStringLiteral("out")));
    }

    void runWritesOnlyTheChosenRecords()
    {
        MainWindowFixture f;
        f.write(QStringLiteral("work/d.csv"), "a;Ann\nb;Bo\nc;Cy\nd;Di\n");
        f.write(QStringLiteral("work/t.html"), "<p>%V%</p>\n");
        f.write(QStringLiteral("work/p.ql"), project(f.path(QStringLiteral("out"))));
        f.open(f.path(QStringLiteral("work/p.ql")));

        auto* from = f.widget<QSpinBox>("edRecFrom");
        auto* to = f.widget<QSpinBox>("edRecTo");
        QVERIFY(!from->isEnabled());
        f.widget<QCheckBox>("chkRecords")->setChecked(true);
        QVERIFY(from->isEnabled() && to->isEnabled());
        from->setValue(2);
        QCOMPARE(to->value(), 2); // To follows a From that passes it
        to->setValue(3);
        QVERIFY(f.trigger("actRun"));
        QVERIFY(!f.exists(QStringLiteral("out/a")));
        QCOMPARE(f.read(QStringLiteral("out/b")), QByteArray("<p>Bo</p>\r\n"));
        QCOMPARE(f.read(QStringLiteral("out/c")), QByteArray("<p>Cy</p>\r\n"));
        QVERIFY(!f.exists(QStringLiteral("out/d")));
        QCOMPARE(f.window()->lastRunSummary().recordCount, std::uint64_t{2});

        // Unticked, Run takes every record again.
        f.widget<QCheckBox>("chkRecords")->setChecked(false);
        QVERIFY(f.trigger("actRun"));
        QVERIFY(f.exists(QStringLiteral("out/a")) && f.exists(QStringLiteral("out/d")));
    }
};

QTEST_MAIN(ToolsWindowTest)
#include "ToolsWindowTest.moc"
