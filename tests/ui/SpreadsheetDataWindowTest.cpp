// SPDX-License-Identifier: GPL-3.0-or-later
// Data as spreadsheets export it, in the window: the five data choices saved, loaded and compared,
// what a new project starts with, fields listed by their header names, the data file's warnings
// beside the delimiter, and records that span lines in the check and the previews.

#include "MainWindowFixture.h"
#include "datasource/workbook/ZipBytes.h"
#include "ui/CheckDialog.h"
#include "ui/DataPreviewDialog.h"
#include "ui/RecordPreviewDialog.h"
#include "ui/ReportOptionsDialog.h"
#include "ui/RuleEditorDialog.h"

#include <QCheckBox>
#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QSpinBox>
#include <QTableView>
#include <QToolButton>

using namespace Qt::StringLiterals;
using namespace stencilor::ui;
using stencilor::ui::test::MainWindowFixture;
using stencilor::ui::test::whileModal;

namespace {

// A quoted, comma-separated export with a header record; record 2 spans lines 2 and 3, record 3
// lacks the third field that the rules use.
const QByteArray kExport = "id,City,Note\r\n1,\"Oslo, N\",\"two\r\nlines\"\r\n2,Bergen\r\n";

QString writeExportJob(const MainWindowFixture& f)
{
    f.write(QStringLiteral("work/d.csv"), kExport);
    f.write(QStringLiteral("work/t.html"), "<p>%City% %Note%</p>\n");
    return f.write(
        QStringLiteral("work/p.ql"),
        "[setup]\ndelim=,\ntextfile=d.csv\ntemplatefile=t.html\noutputdir=" + f.path(QStringLiteral("out")).toUtf8() +
            "\nnameFromFld=1\nFileNameFld=Field 1\nquotes=1\nheader=1\nrulesCount=3\n[rules]\n"
            "ColFld1=Field 2\nColTemp1=%City%\nColFld2=Field 3\nColTemp2=%Note%\n");
}

// What the open list of `box` shows for the item whose label is `label`.
QString shownFor(const QComboBox* box, const QString& label)
{
    return box->itemData(box->findData(label, Qt::EditRole), Qt::DisplayRole).toString();
}

QStringList gridRow(const QTableView* grid, int row)
{
    QStringList texts;
    for (int column = 0; column < grid->model()->columnCount(); ++column)
        texts << grid->model()->index(row, column).data().toString();
    return texts;
}

QStringList itemTexts(const QComboBox* box)
{
    QStringList texts;
    for (int i = 0; i < box->count(); ++i)
        texts << box->itemText(i);
    return texts;
}

QStringList headerTexts(const QTableView* grid)
{
    QStringList texts;
    for (int column = 0; column < grid->model()->columnCount(); ++column)
        texts << grid->model()->headerData(column, Qt::Horizontal).toString();
    return texts;
}

// Types `name` into the encoding box and confirms it with Enter, as a user does.
void typeEncoding(const MainWindowFixture& f, const QString& name)
{
    QLineEdit* edit = f.widget<QComboBox>("cbEncoding")->lineEdit();
    edit->selectAll();
    QTest::keyClicks(edit, name);
    QTest::keyClick(edit, Qt::Key_Return);
}

// The data file warnings beside the delimiter, one a line; empty when none shows.
QStringList dataWarnings(const MainWindowFixture& f)
{
    if (f.widget<QLabel>("lblDataWarningIcon")->isHidden())
        return {};
    return f.widget<QLabel>("lblDataWarnings")->toolTip().split(u'\n');
}

// An .ods workbook of two sheets: "people" (a header and two fields) and "cities" (three fields).
QByteArray twoSheetWorkbook()
{
    const std::string type = "application/vnd.oasis.opendocument.spreadsheet";
    const auto row = [](std::initializer_list<const char*> cells) {
        std::string xml = "<table:table-row>";
        for (const char* cell : cells)
            xml += std::string("<table:table-cell office:value-type=\"string\"><text:p>") + cell +
                   "</text:p></table:table-cell>";
        return xml + "</table:table-row>";
    };
    const std::string content =
        "<office:document-content xmlns:office=\"urn:oasis:names:tc:opendocument:xmlns:office:1.0\" "
        "xmlns:table=\"urn:oasis:names:tc:opendocument:xmlns:table:1.0\" "
        "xmlns:text=\"urn:oasis:names:tc:opendocument:xmlns:text:1.0\"><office:body><office:spreadsheet>"
        "<table:table table:name=\"people\">" +
        row({"Name", "City"}) + row({"Ann", "Oslo"}) + "</table:table><table:table table:name=\"cities\">" +
        row({"Oslo", "NO", "709000"}) + "</table:table></office:spreadsheet></office:body></office:document-content>";
    const std::string zip = stencilor::test::zipBytes({{"mimetype", type}, {"content.xml", content}});
    return QByteArray(zip.data(), static_cast<qsizetype>(zip.size()));
}

} // namespace

class SpreadsheetDataWindowTest : public QObject {
    Q_OBJECT

private slots:
    void dataChoicesAreSavedLoadedAndCompared_data()
    {
        QTest::addColumn<QByteArray>("control");
        QTest::addColumn<QByteArray>("key");
        QTest::newRow("quoted fields") << QByteArray("chkQuotes") << QByteArray("quotes=1\n");
        QTest::newRow("header record") << QByteArray("chkHeader") << QByteArray("header=1\n");
        QTest::newRow("encoding") << QByteArray("cbEncoding") << QByteArray("encoding=windows-1251\n");
        QTest::newRow("escaped values") << QByteArray("chkEscapeHtml") << QByteArray("escapehtml=1\n");
        QTest::newRow("name template through the rules") << QByteArray("chkTempRules") << QByteArray("tempRules=1\n");
    }

    void dataChoicesAreSavedLoadedAndCompared()
    {
        QFETCH(QByteArray, control);
        QFETCH(QByteArray, key);
        MainWindowFixture f;
        const QString path = f.write(QStringLiteral("work/p.ql"), "[setup]\ndelim=;\n");
        T_FRMain* w = f.open(path);
        QVERIFY(f.trigger("actSave"));
        QTRY_VERIFY(!w->isWindowModified());
        auto* box = qobject_cast<QCheckBox*>(f.widget<QWidget>(control.constData()));
        const auto chosen = [&] {
            return box ? box->isChecked() : f.widget<QComboBox>("cbEncoding")->currentText() == u"windows-1251"_s;
        };
        // A project file without the key reads with the choice off.
        QVERIFY(!chosen());

        if (box)
            box->click();
        else
            typeEncoding(f, QStringLiteral("windows-1251"));
        QTRY_VERIFY(w->isWindowModified());
        QVERIFY(!f.read(QStringLiteral("work/p.ql")).contains(key));
        QVERIFY(f.trigger("actSave"));
        QVERIFY(f.read(QStringLiteral("work/p.ql")).contains(key));
        QTRY_VERIFY(!w->isWindowModified());

        // Loading gives the choice back; so the title stays unmarked.
        f.dialogs().setNextFileName(path);
        QVERIFY(f.trigger("actLoad"));
        QVERIFY(chosen());
        QTRY_VERIFY(!w->isWindowModified());
        QCOMPARE(f.dialogs().unexpected(), 0);
    }

    void aNewProjectReadsSpreadsheetData()
    {
        MainWindowFixture f;
        f.open();
        const auto choices = [&] {
            QStringList on;
            for (const char* name : {"chkQuotes", "chkHeader", "chkEscapeHtml", "chkTempRules"})
                if (f.widget<QCheckBox>(name)->isChecked())
                    on << QString::fromLatin1(name);
            return on << f.widget<QComboBox>("cbEncoding")->currentText();
        };
        // The window starts on a new project, with an HTML template.
        QCOMPARE(choices(), QStringList({u"chkQuotes"_s, u"chkEscapeHtml"_s, u"auto"_s}));

        // A loaded project keeps what its file says.
        f.dialogs().setNextFileName(
            f.write(QStringLiteral("work/p.ql"), "[setup]\ndelim=;\ntemplatefile=t.txt\nheader=1\n"));
        QVERIFY(f.trigger("actLoad"));
        QCOMPARE(choices(), QStringList({u"chkHeader"_s, QString()}));

        // New keeps the settings shown and reads the data as spreadsheets write it; a text
        // template gets no escaping. (The file lacks keys the window shows: New asks first.)
        f.dialogs().setNextAnswer(QMessageBox::No);
        QVERIFY(f.trigger("actNew"));
        QCOMPARE(choices(), QStringList({u"chkQuotes"_s, u"chkHeader"_s, u"auto"_s}));
    }

    void fieldsAreListedByTheirHeaderNames()
    {
        MainWindowFixture f;
        f.open(writeExportJob(f));
        const auto* folders = f.widget<QComboBox>("cbDirectoryField");
        QCOMPARE(shownFor(folders, u"Field 2"_s), u"Field 2 — City"_s);
        QCOMPARE(shownFor(f.widget<QComboBox>("cbFileNameFld"), u"Field 3"_s), u"Field 3 — Note"_s);

        // The rule editor lists the names too, and shows the quoted sample value whole.
        QVERIFY(whileModal([&] { QTest::mouseClick(f.widget<QToolButton>("btnEditlRule"), Qt::LeftButton); },
                           [](QWidget* editor) {
                               QVERIFY(qobject_cast<T_Extract*>(editor));
                               auto* list = editor->findChild<QComboBox*>(u"cbFieldList"_s);
                               QCOMPARE(list->currentText(), u"Field 2"_s);
                               QCOMPARE(shownFor(list, u"Field 1"_s), u"Field 1 — id"_s);
                               QCOMPARE(editor->findChild<QLineEdit*>(u"EdValueCsv"_s)->text(), u"Oslo, N"_s);
                           }));
        // So do the report options.
        QVERIFY(whileModal([&] { QTest::mouseClick(f.widget<QToolButton>("btnSetupRep"), Qt::LeftButton); },
                           [](QWidget* dialog) {
                               auto* report = qobject_cast<TformSetupReport*>(dialog);
                               QVERIFY(report);
                               QCOMPARE(shownFor(report->column(1), u"Field 2"_s), u"Field 2 — City"_s);
                           }));
        // The default rules take their identifiers from the names.
        f.dialogs().setNextFileName(f.path(QStringLiteral("work/d.csv")));
        f.dialogs().setNextAnswer(QMessageBox::Yes);
        f.widget<QPushButton>("btnChoiceText")->click();
        QCOMPARE(f.rules(QStringLiteral(">")),
                 QStringList({u"Field 1>%id%"_s, u"Field 2>%City%"_s, u"Field 3>%Note%"_s}));
        QCOMPARE(f.dialogs().unexpected(), 0);
    }

    void dataFileWarningsShowBesideTheDelimiter()
    {
        MainWindowFixture f;
        f.write(QStringLiteral("work/d.csv"), "\xEF\xBB\xBFid;name\n1;\"Smith; John\"\n");
        f.open(f.write(QStringLiteral("work/p.ql"), "[setup]\ndelim=;\ntextfile=d.csv\n"));
        const QString byteOrderMark = u"The data file starts with a byte-order mark, which becomes part of its first "
                                      "field (the encoding \"auto\" drops it)"_s;
        QCOMPARE(dataWarnings(f),
                 QStringList({byteOrderMark, u"Line 2 holds a delimiter or an open quote inside "
                                             "double quotes; \"Quoted fields\" reads such fields whole"_s}));
        QVERIFY(f.widget<QLabel>("lblDataWarnings")->text().startsWith(u"The data file starts"_s));

        // Each data choice the user makes checks the file again.
        f.widget<QCheckBox>("chkQuotes")->click();
        QCOMPARE(dataWarnings(f), QStringList{byteOrderMark});
        typeEncoding(f, QStringLiteral("auto"));
        QCOMPARE(dataWarnings(f), QStringList());

        f.write(QStringLiteral("work/d.csv"), "id;name\n2;M\xFCller\n");
        typeEncoding(f, QStringLiteral("UTF-8"));
        QCOMPARE(dataWarnings(f), QStringList{u"1 sequence is not valid UTF-8 and is read as U+FFFD"_s});
        typeEncoding(f, QStringLiteral("no-such-code"));
        QCOMPARE(dataWarnings(f), QStringList{u"Unknown encoding \"no-such-code\" in the project file"_s});
        // Said where it is seen, never asked.
        QVERIFY(f.dialogs().shown().empty());
    }

    void aWorkbookOffersItsSheetsAndGreysWhatDoesNotApply()
    {
        MainWindowFixture f;
        f.write(QStringLiteral("work/book.ods"), twoSheetWorkbook());
        f.write(QStringLiteral("work/t.html"), "<p>%Name%</p>\n");
        const QString path = f.write(QStringLiteral("work/p.ql"),
                                     "[setup]\ndelim=;\ntextfile=book.ods\ntemplatefile=t.html\nheader=1\n");
        T_FRMain* w = f.open(path);
        QVERIFY(f.trigger("actSave"));
        QTRY_VERIFY(!w->isWindowModified());
        auto* sheets = f.widget<QComboBox>("cbSheet");
        QVERIFY(sheets->isVisible());
        QCOMPARE(itemTexts(sheets), QStringList({u"people"_s, u"cities"_s}));
        QCOMPARE(sheets->currentText(), u"people"_s);
        for (const char* control : {"EdDelim", "chkQuotes", "cbEncoding"})
            QVERIFY2(!f.widget<QWidget>(control)->isEnabled(), control);
        QCOMPARE(f.widget<QComboBox>("cbFileNameFld")->count(), 2);

        // Choosing a sheet reads its fields, is a change of the project and is saved as its sheet.
        sheets->setCurrentIndex(1);
        emit sheets->activated(1);
        QCOMPARE(f.widget<QComboBox>("cbFileNameFld")->count(), 3);
        QTRY_VERIFY(w->isWindowModified());
        QVERIFY(f.trigger("actSave"));
        QVERIFY(f.read(QStringLiteral("work/p.ql")).contains("sheet=cities\n"));
        QTRY_VERIFY(!w->isWindowModified());

        // A sheet the workbook lacks stays chosen and saved, and the warnings say so.
        f.dialogs().setNextFileName(f.write(QStringLiteral("work/q.ql"),
                                            "[setup]\ndelim=;\ntextfile=book.ods\ntemplatefile=t.html\nsheet=gone\n"));
        QVERIFY(f.trigger("actLoad"));
        QCOMPARE(itemTexts(sheets), QStringList({u"people"_s, u"cities"_s, u"gone"_s}));
        QCOMPARE(sheets->currentText(), u"gone"_s);
        QCOMPARE(dataWarnings(f), QStringList{u"Sheet \"gone\" not found in the data file"_s});
        QVERIFY(f.trigger("actSave"));
        QVERIFY(f.read(QStringLiteral("work/q.ql")).contains("sheet=gone\n"));

        // A delimited data file hides the sheet box and gives the data choices back.
        f.write(QStringLiteral("work/d.csv"), "a;b\n");
        f.dialogs().setNextFileName(f.write(QStringLiteral("work/r.ql"), "[setup]\ndelim=;\ntextfile=d.csv\n"));
        QVERIFY(f.trigger("actLoad"));
        QVERIFY(sheets->isHidden());
        QVERIFY(f.widget<QWidget>("chkQuotes")->isEnabled());
        QCOMPARE(f.dialogs().unexpected(), 0);
    }

    void recordsSpanningLinesInTheCheckAndThePreviews()
    {
        MainWindowFixture f;
        f.open(writeExportJob(f));
        QVERIFY(f.trigger("actCheck"));
        QTRY_VERIFY(!f.widget<CheckDialog>("CheckDialog")->checking());
        QTableView* grid = f.widget<CheckDialog>("CheckDialog")->gridFindings();
        QCOMPARE(headerTexts(grid), QStringList({u"Record"_s, u"Line"_s, u"Finding"_s, u"Name"_s, u"Detail"_s}));
        QCOMPARE(grid->model()->rowCount(), 1);
        QCOMPARE(gridRow(grid, 0).mid(0, 3), QStringList({u"3"_s, u"4"_s, u"fewer fields"_s}));

        // The record's row in the data preview, where the header record names the columns.
        const QRect cell = grid->visualRect(grid->model()->index(0, 2));
        QTest::mouseClick(grid->viewport(), Qt::LeftButton, {}, cell.center());
        QTest::mouseDClick(grid->viewport(), Qt::LeftButton, {}, cell.center());
        auto* preview = f.widget<TformViewCsv>("formViewCsv");
        QTRY_VERIFY(preview->isVisible());
        QCOMPARE(preview->gridCsv()->currentIndex().row(), 1);
        QCOMPARE(preview->gridCsv()->model()->headerData(1, Qt::Horizontal).toString(), u"Field 2 — City"_s);

        // The output preview takes the record of the row chosen.
        QVERIFY(f.trigger("actPreviewOutput"));
        QCOMPARE(f.widget<QSpinBox>("edRecord")->value(), 3);
        preview->gridCsv()->setCurrentIndex(preview->gridCsv()->model()->index(0, 0));
        QCOMPARE(f.widget<QSpinBox>("edRecord")->value(), 2);
        QTRY_VERIFY(!f.widget<RecordPreviewDialog>("RecordPreview")->reading());
    }
};

QTEST_MAIN(SpreadsheetDataWindowTest)
#include "SpreadsheetDataWindowTest.moc"
