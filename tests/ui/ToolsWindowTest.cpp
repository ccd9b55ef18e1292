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
#include <QMenu>
#include <QMenuBar>
#include <QPushButton>
#include <QSpinBox>
#include <QStatusBar>
#include <QTableView>
#include <QTableWidget>
#include <QTextBlock>
#include <QTextBrowser>
#include <QTextEdit>

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

QStringList column(const QTableWidget* grid, int column)
{
    QStringList texts;
    for (int row = 0; row < grid->rowCount(); ++row)
        texts << grid->item(row, column)->text();
    return texts;
}

// A double-click as a user makes it: the view acts only on a cell it saw pressed first.
void doubleClick(QTableWidget* grid, QTableWidgetItem* item)
{
    const QPoint at = grid->visualItemRect(item).center();
    QTest::mouseClick(grid->viewport(), Qt::LeftButton, {}, at);
    QTest::mouseDClick(grid->viewport(), Qt::LeftButton, {}, at);
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
        QTableWidget* grid = dialog->gridFindings();
        QCOMPARE(column(grid, 0), texts({"-", "1", "2", "3", "3", "4", "4"}));
        QCOMPARE(column(grid, 1), texts({"identifier not in template", "fewer fields", "fewer fields", "fewer fields",
                                         "no name", "fewer fields", "same name ignoring case"}));
        QCOMPARE(grid->item(6, 2)->text(), QStringLiteral("A"));
        QCOMPARE(f.widget<QLabel>("lblSummary")->text(), QStringLiteral("4 of 4 records checked, 7 findings"));
        QVERIFY(!f.exists(QStringLiteral("out")));

        // A double-click on record 3's row shows the data preview with line 3 selected.
        QTableWidgetItem* item = grid->item(4, 3);
        grid->scrollToItem(item);
        doubleClick(grid, item);
        auto* preview = f.widget<TformViewCsv>("formViewCsv");
        QTRY_VERIFY(preview->isVisible());
        QCOMPARE(preview->gridCsv()->currentIndex().row(), 2);
        QVERIFY(preview->gridCsv()->selectionModel()->isRowSelected(2, {}));
        preview->close();

        // A project-wide row names no record: nothing happens.
        doubleClick(grid, grid->item(0, 0));
        QVERIFY(!preview->isVisible());

        // "Check again" reads the controls as they are now, saved or not.
        f.widget<QLineEdit>("EdDelim")->setText(QString());
        QTest::mouseClick(f.widget<QPushButton>("btnCheckAgain"), Qt::LeftButton);
        QCOMPARE(grid->rowCount(), 0);
        QCOMPARE(f.widget<QLabel>("lblSummary")->text(),
                 QStringLiteral("The check did not start: Please select field delimiter!"));
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
        QCOMPARE(highlighted(source), texts({"Ann", "Ann"}));
        f.widget<QSpinBox>("edRecord")->setValue(3);
        QCOMPARE(f.widget<QLabel>("lblOutputPath")->text(), QStringLiteral("There is no record 3"));
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
