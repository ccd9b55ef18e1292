// SPDX-License-Identifier: GPL-3.0-or-later
// The data preview: the table model over the file's lines (checked by QAbstractItemModelTester)
// and the window's "Close" button.

#include "ui/DataPreviewDialog.h"

#include "TestUtil.h"
#include "ui/ExplorerButton.h"

#include <QAbstractItemModelTester>
#include <QLabel>
#include <QLineEdit>
#include <QProgressBar>
#include <QPushButton>
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

// Lines cut at `delimiter`, with nothing else read from the data.
stencilor::DataFormat delimitedBy(const char* delimiter)
{
    stencilor::DataFormat format;
    format.delim = delimiter;
    return format;
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
    void aLargeFileIsReadWhileTheWindowAnswers();
};

void DataPreviewDialogTest::showsTheFileAsATable_data()
{
    QTest::addColumn<bool>("fileExists");
    QTest::addColumn<QByteArray>("content");
    QTest::addColumn<QByteArray>("delimiter");
    QTest::addColumn<int>("fieldCount");
    QTest::addColumn<Rows>("expected");
    // How the data is read, and what it gives beyond the rows: the column titles when not the
    // plain labels, and the record number of the first row.
    QTest::addColumn<bool>("quotes");
    QTest::addColumn<QByteArray>("encoding");
    QTest::addColumn<bool>("header");
    QTest::addColumn<QStringList>("titles");
    QTest::addColumn<int>("firstRecord");

    // Lines and fields as they are, without quotes, encoding or header.
    const auto plain = [](const char* name, bool fileExists, const QByteArray& content, const QByteArray& delimiter,
                          int fieldCount, const Rows& expected) {
        QTest::newRow(name) << fileExists << content << delimiter << fieldCount << expected << false << QByteArray()
                            << false << QStringList() << 1;
    };
    plain("lines of different lengths leave empty cells", true, "a;b;c\nd\ne;f\n", ";", 3,
          {{u"a"_s, u"b"_s, u"c"_s}, {u"d"_s, u""_s, u""_s}, {u"e"_s, u"f"_s, u""_s}});
    plain("fields beyond the column count are not shown", true, "a;b;c;d\n", ";", 2, {{u"a"_s, u"b"_s}});
    plain("missing file with no field count: one column, one empty row", false, {}, ";", -1, {{u""_s}});
    plain("missing file keeps the known column count", false, {}, ";", 3, {{u""_s, u""_s, u""_s}});
    plain("empty file", true, {}, ";", 2, {{u""_s, u""_s}});
    plain("blank lines are shown", true, "a;1\n\n \nb;2", ";", 2,
          {{u"a"_s, u"1"_s}, {u""_s, u""_s}, {u" "_s, u""_s}, {u"b"_s, u"2"_s}});
    plain("CR, LF and CR LF end lines", true, "a;1\rb;2\nc;3\r\nd;4\r\r\ne;5", ";", 2,
          {{u"a"_s, u"1"_s}, {u"b"_s, u"2"_s}, {u"c"_s, u"3"_s}, {u"d"_s, u"4"_s}, {u""_s, u""_s}, {u"e"_s, u"5"_s}});
    plain("a line end at the very end adds no line", true, "a;1\r\nb;2\r\n", ";", 2,
          {{u"a"_s, u"1"_s}, {u"b"_s, u"2"_s}});
    plain("a NUL byte ends the text", true, QByteArray("a;1\nb;2\0c;3\nd;4", 15), ";", 2,
          {{u"a"_s, u"1"_s}, {u"b"_s, u"2"_s}});
    plain("delimiter of several characters, never trimmed", true, " x :: y ::", "::", 3, {{u" x "_s, u" y "_s, u""_s}});
    plain("empty delimiter: the whole line is field 1", true, "a;b\nc", {}, 1, {{u"a;b"_s}, {u"c"_s}});
    plain("UTF-8 text", true, "Zo\xc3\xab;\xd0\x9a\xd0\xb8\xd0\xb5\xd0\xb2", ";", 2, {{u"Zoë"_s, u"Киев"_s}});
    const auto [line, fields] = wideLine(600);
    plain("600 fields give 600 columns", true, line + "\nlast", ";", 600,
          {fields, QStringList{u"last"_s} + QStringList(599, QString())});

    const auto read = [](const char* name, const QByteArray& content, int fieldCount, const Rows& expected, bool quotes,
                         const QByteArray& encoding, bool header, const QStringList& titles = {}) {
        QTest::newRow(name) << true << content << QByteArray(",") << fieldCount << expected << quotes << encoding
                            << header << titles << (header ? 2 : 1);
    };
    read("quoted fields: a record of several lines is one row, its line breaks shown",
         "1,\"Smith, John\",\"a\r\nb\"\r\n2,\"x\"\"y\",\n", 3,
         {{u"1"_s, u"Smith, John"_s, u"a\u21B5b"_s}, {u"2"_s, u"x\"y"_s, u""_s}}, true, {}, false);
    read("the header record titles the columns and is no row", "id,,\"C,ity\"\n1,x,Oslo\n", 3,
         {{u"1"_s, u"x"_s, u"Oslo"_s}}, true, {}, true,
         {u"Field 1 \u2014 id"_s, u"Field 2"_s, u"Field 3 \u2014 C,ity"_s});
    read("a header alone leaves one empty row", "id,City", 2, {{u""_s, u""_s}}, false, {}, true,
         {u"Field 1 \u2014 id"_s, u"Field 2 \u2014 City"_s});
    read("decoded from the encoding named", "\xCA\xE8\xE5\xE2,x", 2, {{u"Киев"_s, u"x"_s}}, false, "windows-1251",
         false);
    read("a byte-order mark dropped with an encoding", "\xEF\xBB\xBFid,x", 2, {{u"id"_s, u"x"_s}}, false, "auto",
         false);
    read("an encoding no converter knows gives no rows", "a,b", 2, {{u""_s, u""_s}}, false, "no-such-code", false);
}

void DataPreviewDialogTest::showsTheFileAsATable()
{
    QFETCH(bool, fileExists);
    QFETCH(QByteArray, content);
    QFETCH(QByteArray, delimiter);
    QFETCH(int, fieldCount);
    QFETCH(Rows, expected);
    QFETCH(bool, quotes);
    QFETCH(QByteArray, encoding);
    QFETCH(bool, header);
    QFETCH(QStringList, titles);
    QFETCH(int, firstRecord);

    TempDir dir;
    const std::string path = fileExists ? dir.write("data.csv", content.toStdString()) : dir.file("absent.csv");
    TformViewCsv window;
    QAbstractItemModel& model = *window.gridCsv()->model();
    QAbstractItemModelTester tester(&model, QAbstractItemModelTester::FailureReportingMode::QtTest);

    window.loadData(path, stencilor::DataFormat{delimiter.toStdString(), quotes, encoding.toStdString(), header},
                    fieldCount);

    QCOMPARE(headers(model), titles.isEmpty() ? fieldLabels(int(expected.first().size())) : titles);
    QCOMPARE(cells(model), expected);
    // The rows and the data file's record numbers, which count the header record.
    QCOMPARE(window.recordOfRow(0), std::uint64_t(firstRecord));
    const bool noRecords = expected.size() == 1 && expected.first().join(QString()).isEmpty();
    QCOMPARE(window.rowOfRecord(std::uint64_t(firstRecord)), noRecords ? -1 : 0);
    QCOMPARE(window.rowOfRecord(std::uint64_t(firstRecord) - 1), -1);
}

void DataPreviewDialogTest::reloadReplacesThePreviousFile()
{
    TempDir dir;
    TformViewCsv window;
    QAbstractItemModel& model = *window.gridCsv()->model();
    QAbstractItemModelTester tester(&model, QAbstractItemModelTester::FailureReportingMode::QtTest);

    window.loadData(dir.write("long.csv", "1;2;3\n4;5;6\n7;8;9\n"), delimitedBy(";"), 3);
    QCOMPARE(model.rowCount(), 3);
    window.gridCsv()->scrollToBottom();

    window.loadData(dir.write("short.csv", "x,y\n"), delimitedBy(","), 2);
    QCOMPARE(cells(model), (Rows{{u"x"_s, u"y"_s}}));

    window.loadData(dir.file("gone.csv"), delimitedBy(","), 2);
    QCOMPARE(cells(model), (Rows{{QString(), QString()}}));
}

void DataPreviewDialogTest::cellsAreNotEditable()
{
    TempDir dir;
    TformViewCsv window;
    window.loadData(dir.write("data.csv", "a;b\n"), delimitedBy(";"), 2);
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
        window.loadData(dir.write("data.csv", "a;b\n"), delimitedBy(";"), 2);
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

void DataPreviewDialogTest::aLargeFileIsReadWhileTheWindowAnswers()
{
    // Two million records: more than a tenth of a second's reading on any machine.
    constexpr int kRecords = 2'000'000;
    std::string content;
    content.reserve(kRecords * 10);
    for (int n = 1; n <= kRecords; ++n)
        content.append(std::to_string(n)).append(";x\n");
    TempDir dir;
    const std::string path = dir.write("big.csv", content);
    TformViewCsv window;
    QAbstractItemModel& model = *window.gridCsv()->model();
    auto* stop = window.findChild<QPushButton*>(QStringLiteral("btnStopReading"));
    auto* said = window.findChild<QLabel*>(QStringLiteral("lblReading"));
    // A preview closed before has no say in the next one's reading.
    window.loadData(dir.write("small.csv", "a;b\n"), delimitedBy(";"), 2);
    window.show();
    QVERIFY(QTest::qWaitForWindowExposed(&window));
    window.hide();
    window.show();
    QVERIFY(QTest::qWaitForWindowExposed(&window));

    // The first rows are there at once; more join while the window answers the keyboard.
    window.loadData(path, delimitedBy(";"), 2);
    QVERIFY(stop->isVisible());
    const int first = model.rowCount();
    QVERIFY(first > 0 && first < kRecords);
    window.gridCsv()->setFocus();
    window.gridCsv()->setCurrentIndex(model.index(0, 0));
    QTest::keyClick(window.gridCsv(), Qt::Key_Down);
    QCOMPARE(window.gridCsv()->currentIndex().row(), 1);
    QTRY_VERIFY(model.rowCount() > first);

    // Cancel stops the reading; the rows read stay.
    QTest::mouseClick(stop, Qt::LeftButton);
    QTRY_VERIFY(said->text().startsWith(u"Stopped after"_s));
    QVERIFY(stop->isHidden());
    const int kept = model.rowCount();
    QVERIFY(kept < kRecords);
    QTest::qWait(50);
    QCOMPARE(model.rowCount(), kept);

    // Read to the end, the last row is the last record, read from the file when shown.
    window.loadData(path, delimitedBy(";"), 2);
    QTRY_VERIFY_WITH_TIMEOUT(stop->isHidden(), 60000);
    QVERIFY(said->isHidden());
    QCOMPARE(model.rowCount(), kRecords);
    QCOMPARE(model.data(model.index(kRecords - 1, 0)).toString(), QString::number(kRecords));
}

QTEST_MAIN(DataPreviewDialogTest)
#include "DataPreviewDialogTest.moc"
