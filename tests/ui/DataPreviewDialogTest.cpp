// The data preview: the table model over the file's lines (checked by QAbstractItemModelTester)
// and the window's "Close" button.

#include "ui/DataPreviewDialog.h"

#include "TestUtil.h"
#include "ui/ExplorerButton.h"

#include <QAbstractItemModelTester>
#include <QLineEdit>
#include <QTableView>
#include <QTest>
#include <QTimer>
#include <memory>

using namespace Qt::StringLiterals;
using stencilor::test::TempDir;
using stencilor::ui::TExplorerButton;
using stencilor::ui::TformViewCsv;

namespace {

using Rows = QList<QStringList>;

// Every cell of the model, row by row.
Rows cells(const QAbstractItemModel& model)
{
    Rows rows;
    for (int r = 0; r < model.rowCount(); ++r) {
        QStringList row;
        for (int c = 0; c < model.columnCount(); ++c)
            row << model.data(model.index(r, c)).toString();
        rows << row;
    }
    return rows;
}

QStringList headers(const QAbstractItemModel& model)
{
    QStringList labels;
    for (int c = 0; c < model.columnCount(); ++c)
        labels << model.headerData(c, Qt::Horizontal).toString();
    return labels;
}

QStringList fieldLabels(int count)
{
    QStringList labels;
    for (int n = 1; n <= count; ++n)
        labels << QStringLiteral("Field %1").arg(n);
    return labels;
}

// One line of `count` fields "v1;v2;...", and the same fields as a row.
std::pair<QByteArray, QStringList> wideLine(int count)
{
    QStringList fields;
    for (int n = 1; n <= count; ++n)
        fields << QStringLiteral("v%1").arg(n);
    return {fields.join(u';').toUtf8(), fields};
}

} // namespace

class DataPreviewDialogTest final : public QObject {
    Q_OBJECT

private slots:
    void showsTheFileAsATable_data();
    void showsTheFileAsATable();
    void reloadReplacesThePreviousFile();
    void cellsAreNotEditable();
    void closeButtonClosesTheWindow();
};

void DataPreviewDialogTest::showsTheFileAsATable_data()
{
    QTest::addColumn<bool>("fileExists");
    QTest::addColumn<QByteArray>("content");
    QTest::addColumn<QByteArray>("delimiter");
    QTest::addColumn<int>("fieldCount");
    QTest::addColumn<Rows>("expected");

    QTest::newRow("lines of different lengths leave empty cells")
        << true << QByteArray("a;b;c\nd\ne;f\n") << QByteArray(";") << 3
        << Rows{{u"a"_s, u"b"_s, u"c"_s}, {u"d"_s, u""_s, u""_s}, {u"e"_s, u"f"_s, u""_s}};
    QTest::newRow("fields beyond the column count are not shown")
        << true << QByteArray("a;b;c;d\n") << QByteArray(";") << 2 << Rows{{u"a"_s, u"b"_s}};
    QTest::newRow("missing file with no field count: one column, one empty row")
        << false << QByteArray() << QByteArray(";") << -1 << Rows{{u""_s}};
    QTest::newRow("missing file keeps the known column count")
        << false << QByteArray() << QByteArray(";") << 3 << Rows{{u""_s, u""_s, u""_s}};
    QTest::newRow("empty file") << true << QByteArray() << QByteArray(";") << 2 << Rows{{u""_s, u""_s}};
    QTest::newRow("blank lines are shown") << true << QByteArray("a;1\n\n \nb;2") << QByteArray(";") << 2
                                           << Rows{{u"a"_s, u"1"_s}, {u""_s, u""_s}, {u" "_s, u""_s}, {u"b"_s, u"2"_s}};
    QTest::newRow("CR, LF and CR LF end lines")
        << true << QByteArray("a;1\rb;2\nc;3\r\nd;4\r\r\ne;5") << QByteArray(";") << 2
        << Rows{{u"a"_s, u"1"_s}, {u"b"_s, u"2"_s}, {u"c"_s, u"3"_s},
                {u"d"_s, u"4"_s}, {u""_s, u""_s},   {u"e"_s, u"5"_s}};
    QTest::newRow("a line end at the very end adds no line")
        << true << QByteArray("a;1\r\nb;2\r\n") << QByteArray(";") << 2 << Rows{{u"a"_s, u"1"_s}, {u"b"_s, u"2"_s}};
    QTest::newRow("a NUL byte ends the text") << true << QByteArray("a;1\nb;2\0c;3\nd;4", 15) << QByteArray(";") << 2
                                              << Rows{{u"a"_s, u"1"_s}, {u"b"_s, u"2"_s}};
    QTest::newRow("delimiter of several characters, never trimmed")
        << true << QByteArray(" x :: y ::") << QByteArray("::") << 3 << Rows{{u" x "_s, u" y "_s, u""_s}};
    QTest::newRow("empty delimiter: the whole line is field 1")
        << true << QByteArray("a;b\nc") << QByteArray() << 1 << Rows{{u"a;b"_s}, {u"c"_s}};
    QTest::newRow("UTF-8 text") << true << QByteArray("Zo\xc3\xab;\xd0\x9a\xd0\xb8\xd0\xb5\xd0\xb2") << QByteArray(";")
                                << 2 << Rows{{u"Zoë"_s, u"Киев"_s}};
    const auto [line, fields] = wideLine(600);
    QTest::newRow("600 fields give 600 columns") << true << line + "\nlast" << QByteArray(";") << 600
                                                 << Rows{fields, QStringList{u"last"_s} + QStringList(599, QString())};
}

void DataPreviewDialogTest::showsTheFileAsATable()
{
    QFETCH(bool, fileExists);
    QFETCH(QByteArray, content);
    QFETCH(QByteArray, delimiter);
    QFETCH(int, fieldCount);
    QFETCH(Rows, expected);

    TempDir dir;
    const std::string path = fileExists ? dir.write("data.csv", content.toStdString()) : dir.file("absent.csv");
    TformViewCsv window;
    QAbstractItemModel& model = *window.gridCsv()->model();
    QAbstractItemModelTester tester(&model, QAbstractItemModelTester::FailureReportingMode::QtTest);

    window.loadData(path, delimiter.toStdString(), fieldCount);

    QCOMPARE(headers(model), fieldLabels(int(expected.first().size())));
    QCOMPARE(cells(model), expected);
}

void DataPreviewDialogTest::reloadReplacesThePreviousFile()
{
    TempDir dir;
    TformViewCsv window;
    QAbstractItemModel& model = *window.gridCsv()->model();
    QAbstractItemModelTester tester(&model, QAbstractItemModelTester::FailureReportingMode::QtTest);

    window.loadData(dir.write("long.csv", "1;2;3\n4;5;6\n7;8;9\n"), ";", 3);
    QCOMPARE(model.rowCount(), 3);
    window.gridCsv()->scrollToBottom();

    window.loadData(dir.write("short.csv", "x,y\n"), ",", 2);
    QCOMPARE(cells(model), (Rows{{u"x"_s, u"y"_s}}));

    window.loadData(dir.file("gone.csv"), ",", 2);
    QCOMPARE(cells(model), (Rows{{QString(), QString()}}));
}

void DataPreviewDialogTest::cellsAreNotEditable()
{
    TempDir dir;
    TformViewCsv window;
    window.loadData(dir.write("data.csv", "a;b\n"), ";", 2);
    QTableView* grid = window.gridCsv();
    const QModelIndex cell = grid->model()->index(0, 1);
    QVERIFY(!(grid->model()->flags(cell) & Qt::ItemIsEditable));
    window.show();
    QVERIFY(QTest::qWaitForWindowExposed(&window));
    grid->setCurrentIndex(cell);
    QTest::ignoreMessage(QtWarningMsg, "edit: editing failed");
    grid->edit(cell);
    QVERIFY(!grid->findChild<QLineEdit*>()); // no editor was opened
    QCOMPARE(grid->model()->data(cell).toString(), QStringLiteral("b"));
}

void DataPreviewDialogTest::closeButtonClosesTheWindow()
{
    TempDir dir;
    TformViewCsv window;
    auto* close = window.findChild<TExplorerButton*>(QStringLiteral("btnExit"));
    QVERIFY(close);
    QCOMPARE(close->text(), QStringLiteral("Close"));
    QCOMPARE(window.windowTitle(), QStringLiteral("Preview file"));

    // The window is reused: it must close by its button on every opening.
    for (int opening = 1; opening <= 2; ++opening) {
        window.loadData(dir.write("data.csv", "a;b\n"), ";", 2);
        bool shown = false;
        QTimer::singleShot(0, &window, [&] {
            shown = window.isVisible();
            QTest::mouseClick(close, Qt::LeftButton);
        });
        window.exec();
        QVERIFY(shown);
        QVERIFY(!window.isVisible());
    }
}

QTEST_MAIN(DataPreviewDialogTest)
#include "DataPreviewDialogTest.moc"
