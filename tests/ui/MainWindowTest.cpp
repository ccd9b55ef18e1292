// SPDX-License-Identifier: GPL-3.0-or-later
// The main window from start-up on: start values and states, the start-up project, the splash,
// the data source check with its field lists and default-rules offer, the pickers, the preview.

#include "MainWindowFixture.h"
#include "ui/AboutDialog.h"
#include "ui/DataPreviewDialog.h"
#include "ui/RulesModel.h"

#include <QAbstractItemModelTester>
#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QFileInfo>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QMenuBar>
#include <QPointer>
#include <QProgressBar>
#include <QPushButton>
#include <QRadioButton>
#include <QRegularExpression>
#include <QTableView>
#include <QTimer>
#include <QToolButton>
#include <cstdint>
#include <functional>

using namespace stencilor::ui;
using stencilor::ui::test::MainWindowFixture;

namespace {

QStringList items(const QComboBox* box)
{
    QStringList list;
    for (int i = 0; i < box->count(); ++i)
        list << box->itemText(i);
    return list;
}

QStringList labels(int count)
{
    QStringList list;
    for (int n = 1; n <= count; ++n)
        list << QStringLiteral("Field %1").arg(n);
    return list;
}

// The rules grid as "label -> identifier" lines.
QString text(const MainWindowFixture& f, const char* edit)
{
    return f.widget<QLineEdit>(edit)->text();
}

// Runs `inspect` on the modal window that `open` brings up, then closes it.
void whileModal(const std::function<void()>& open, const std::function<void(QWidget*)>& inspect)
{
    bool seen = false;
    QTimer::singleShot(0, [&] {
        QWidget* modal = QApplication::activeModalWidget();
        QVERIFY(modal);
        seen = true;
        inspect(modal);
        modal->close();
    });
    open();
    QVERIFY(seen);
}

} // namespace

class MainWindowTest : public QObject {
    Q_OBJECT

private slots:
    void startValuesStatesAndCommands()
    {
        MainWindowFixture f;
        T_FRMain* w = f.open();
        // The title names the project (the start-up project here) and has a place for the marker.
        QCOMPARE(w->windowTitle(),
                 QFileInfo(text(f, "EdPrjFile")).fileName() + QStringLiteral("[*] — Stencilor " STENCILOR_VERSION));
        QCOMPARE(w->minimumSize(), QSize(955, 650));

        // Idle: Run available, Stop not, on the buttons and in the menu alike.
        QVERIFY(f.action("actRun")->isEnabled());
        QVERIFY(!f.action("actStop")->isEnabled());
        QVERIFY(f.widget<QToolButton>("btnRun")->isEnabled());
        QVERIFY(!f.widget<QToolButton>("btnStop")->isEnabled());
        QCOMPARE(f.widget<QProgressBar>("pgBar")->value(), 0);
        QCOMPARE(f.widget<QProgressBar>("pgBar")->maximum(), 1000);

        const struct {
            const char* edit;
            const char* value;
        } starts[] = {
            {"EdDelim", ";"},      {"EdTextFile", "data.csv"},           {"EdTemplateFile", "template.html"},
            {"EdOuputDir", "out"}, {"EdTempFileName", "example-F?.htm"}, {"EdExt", "*.htm"},
        };
        for (const auto& start : starts)
            QCOMPARE(text(f, start.edit), QString::fromLatin1(start.value));
        QCOMPARE(f.widget<QComboBox>("cbDirectoryField")->currentText(), QStringLiteral("Field 2"));
        QCOMPARE(f.widget<QComboBox>("cbFileNameFld")->currentText(), QStringLiteral("Field 3"));
        for (const char* box : {"chkCopyDirFld", "chkAddExt", "chkDelChars", "chkChangeCase", "chkReport"})
            QVERIFY2(!f.widget<QCheckBox>(box)->isChecked(), box);
        for (const char* radio : {"rbFromFld", "rbTemplate", "rbCase0", "rbCase1", "rbCase2"})
            QVERIFY2(!f.widget<QRadioButton>(radio)->isChecked(), radio);

        // The rules grid: its header texts and one empty rule row.
        const QAbstractItemModel* grid = f.widget<QTableView>("gridRules")->model();
        QCOMPARE(grid->columnCount(), 3);
        QCOMPARE(grid->headerData(0, Qt::Horizontal).toString(), QStringLiteral("N"));
        QCOMPARE(grid->headerData(1, Qt::Horizontal).toString(), QStringLiteral("Field in Data Source File"));
        QCOMPARE(grid->headerData(2, Qt::Horizontal).toString(), QStringLiteral("Field Identifier in Template file"));
        QCOMPARE(f.rules(), QStringList{QStringLiteral(" -> ")});

        // The menu: Project, Tools and About, with the commands in their order (their keys are
        // the keyboard test's).
        const QList<QAction*> menus = w->menuBar()->actions();
        QCOMPARE(menus.size(), 3);
        QStringList project;
        for (QAction* item : menus[0]->menu()->actions())
            project << (item->isSeparator() ? QStringLiteral("-") : item->text().remove(u'&'));
        QCOMPARE(project, QString::fromLatin1("Load,Open Recent,New,Save,Save As,-,Run,Stop,-,Exit").split(u','));
        QCOMPARE(menus[1]->text().remove(u'&'), QStringLiteral("Tools"));
        QCOMPARE(menus[2]->menu()->actions().size(), 1);
        QCOMPARE(menus[2]->menu()->actions()[0]->text().remove(u'&'), QStringLiteral("About"));
        QCOMPARE(f.dialogs().shown().size(), std::size_t{0});
    }

    void rulesModelIsAConsistentModel()
    {
        RulesModel model;
        QAbstractItemModelTester tester(&model, QAbstractItemModelTester::FailureReportingMode::QtTest);
        stencilor::RulesTable table;
        table.FillDefaultRules(3, "a;b;c", ";");
        model.setTable(table);
        QCOMPARE(model.rowCount(), 3);
        QVERIFY(model.setData(model.index(1, 2), QStringLiteral("%B2%")));
        QCOMPARE(model.table().rule(1).identifier, std::string("%B2%"));
        QVERIFY(!model.setData(model.index(1, 0), QStringLiteral("7")));
        QVERIFY(!(model.flags(model.index(0, 0)) & Qt::ItemIsSelectable));
    }

    void startUpNeverShowsTheFormTextAndDiscardsTheSplash()
    {
        MainWindowFixture f;
        T_FRMain* w = f.open({}, false);
        QCOMPARE(text(f, "EdPrjFile"), QStringLiteral("Noname.ql"));
        QPointer<TAboutForm> splash = new TAboutForm;
        splash->showAsSplash();
        QVERIFY(splash->isVisible());
        w->setSplash(splash);

        w->show();
        // No project exists anywhere: a "New-" name in the program folder.
        QVERIFY(!splash || !splash->isVisible());
        const QRegularExpression fresh(QRegularExpression::escape(f.programFolder()) +
                                       QStringLiteral("New-\\d{4}-\\d\\d-\\d\\d_\\d\\d-\\d\\d\\.ql"));
        QVERIFY2(fresh.match(text(f, "EdPrjFile")).hasMatch(), qPrintable(text(f, "EdPrjFile")));
        QTRY_VERIFY(splash.isNull());
    }

    void startUpProjectChoice_data()
    {
        QTest::addColumn<bool>("argumentExists");
        QTest::addColumn<bool>("lastProject");
        QTest::addColumn<QString>("opened");
        QTest::newRow("existing argument wins over lastprj") << true << true << QStringLiteral("work/arg.ql");
        QTest::newRow("missing argument gives lastprj") << false << true << QStringLiteral("work/last.ql");
        QTest::newRow("argument alone") << true << false << QStringLiteral("work/arg.ql");
    }

    void startUpProjectChoice()
    {
        QFETCH(bool, argumentExists);
        QFETCH(bool, lastProject);
        QFETCH(QString, opened);
        MainWindowFixture f;
        f.write(QStringLiteral("work/data.csv"), "Name;Age;City\nAnn;31;Oslo\n");
        const QByteArray project = "[setup]\ndelim=;\ntextfile=data.csv\ntemplatefile=t.html\noutputdir=/out\n"
                                   "FileNameFld=Field 9\nnameFromFld=1\ncase=1\nreport=1\nrulesCount=3\n"
                                   "[rules]\nColFld1=Field 1\nColTemp1=%N%\nColFld2=Field 3\nColTemp2=%C%\n";
        if (argumentExists)
            f.write(QStringLiteral("work/arg.ql"), project);
        f.write(QStringLiteral("work/last.ql"), project);
        if (lastProject)
            f.write(QStringLiteral("prog/stencilor.ini"),
                    "[total]\nlastprj=" + f.path(QStringLiteral("work/last.ql")).toUtf8() + "\n");

        f.open(f.path(QStringLiteral("work/arg.ql")));
        QCOMPARE(text(f, "EdPrjFile"), f.path(opened));
        // The project is loaded into the controls and the data source check has run, silently.
        QCOMPARE(text(f, "EdTextFile"), QStringLiteral("data.csv"));
        QCOMPARE(text(f, "EdOuputDir"), QStringLiteral("/out"));
        QCOMPARE(f.widget<QComboBox>("cbFileNameFld")->currentText(), QStringLiteral("Field 9"));
        QVERIFY(f.widget<QRadioButton>("rbFromFld")->isChecked());
        QVERIFY(f.widget<QRadioButton>("rbCase1")->isChecked());
        QVERIFY(f.widget<QCheckBox>("chkReport")->isChecked());
        QCOMPARE(f.rules(), QStringList({QStringLiteral("Field 1 -> %N%"), QStringLiteral("Field 3 -> %C%")}));
        QCOMPARE(items(f.widget<QComboBox>("cbFileNameFld")), labels(3));
        QCOMPARE(f.window()->dataFileState().csvFieldCount, std::int64_t{3});
        QCOMPARE(f.dialogs().shown().size(), std::size_t{0});
    }

    void fieldListsFollowTheDataFile()
    {
        MainWindowFixture f;
        // A data file that is not there: the twenty start labels stay.
        f.write(QStringLiteral("work/p.ql"), "[setup]\ntextfile=missing.csv\ndirectoryFile=Field 77\n");
        f.open(f.path(QStringLiteral("work/p.ql")));
        QCOMPARE(items(f.widget<QComboBox>("cbDirectoryField")), labels(20));
        QCOMPARE(items(f.widget<QComboBox>("cbFileNameFld")), labels(20));
        QCOMPARE(f.window()->dataFileState().csvFieldCount, std::int64_t{-1});

        const struct {
            QByteArray data;
            int labels;
        } cases[] = {
            {"a;b;c\n1;2;3;4\n", 4},
            {QByteArray("x") + QByteArray(599, ';') + '\n', 500},
            {"\n\n", 1},
        };
        for (const auto& c : cases) {
            f.write(QStringLiteral("work/d.csv"), c.data);
            f.dialogs().setNextFileName(f.path(QStringLiteral("work/d.csv")));
            f.dialogs().setNextAnswer(QMessageBox::No);
            f.widget<QPushButton>("btnChoiceText")->click();
            QCOMPARE(items(f.widget<QComboBox>("cbDirectoryField")), labels(c.labels));
            QCOMPARE(items(f.widget<QComboBox>("cbFileNameFld")), labels(c.labels));
            // The texts shown stay, even when they name a field beyond the list.
            QCOMPARE(f.widget<QComboBox>("cbDirectoryField")->currentText(), QStringLiteral("Field 77"));
        }
        QCOMPARE(f.window()->dataFileState().csvFieldCount, std::int64_t{1});

        // A later check that finds no file keeps the lists of the last successful one.
        f.dialogs().setNextFileName(f.path(QStringLiteral("work/gone.csv")));
        f.widget<QPushButton>("btnChoiceText")->click();
        QCOMPARE(f.window()->dataFileState().csvFieldCount, std::int64_t{-1});
        QCOMPARE(items(f.widget<QComboBox>("cbFileNameFld")), labels(1));
        QCOMPARE(f.dialogs().unexpected(), 0);
    }

    void defaultRulesOfferAfterChoosingTheDataFile_data()
    {
        QTest::addColumn<int>("answer");
        QTest::addColumn<QStringList>("expected");
        QTest::newRow("Yes replaces every rule")
            << int(QMessageBox::Yes)
            << QStringList({QStringLiteral("Field 1 -> %Ann%"), QStringLiteral("Field 2 -> %31%"),
                            QStringLiteral("Field 3 -> %Oslo%"), QStringLiteral("Field 4 -> %%")});
        QTest::newRow("No keeps them") << int(QMessageBox::No)
                                       << QStringList({QStringLiteral("Field 1 -> %A%"),
                                                       QStringLiteral("Field 7 -> %B%"), QStringLiteral("x -> %C%"),
                                                       QStringLiteral("Field 2 -> %D%"),
                                                       QStringLiteral("Field 3 -> %E%")});
    }

    void defaultRulesOfferAfterChoosingTheDataFile()
    {
        QFETCH(int, answer);
        QFETCH(QStringList, expected);
        MainWindowFixture f;
        f.write(
            QStringLiteral("work/p.ql"),
            "[setup]\ntextfile=old.csv\nrulesCount=6\n[rules]\nColFld1=Field 1\nColTemp1=%A%\nColFld2=Field 7\n"
            "ColTemp2=%B%\nColFld3=x\nColTemp3=%C%\nColFld4=Field 2\nColTemp4=%D%\nColFld5=Field 3\nColTemp5=%E%\n");
        // A header of three fields, then the widest line: the identifiers come from it.
        const QString data = f.write(QStringLiteral("work/sub/people.csv"), "Name;Age;City\nAnn;31;Oslo;\nBo;4\n");
        f.open(f.path(QStringLiteral("work/p.ql")));

        f.dialogs().setNextFileName(data);
        f.dialogs().setNextAnswer(QMessageBox::StandardButton(answer));
        f.widget<QPushButton>("btnChoiceText")->click();

        QCOMPARE(text(f, "EdTextFile"), data);
        QCOMPARE(f.rules(), expected);
        QCOMPARE(f.dialogs().shown().size(), std::size_t{1});
        const test::ScriptedDialogs::Shown& question = f.dialogs().shown()[0];
        QCOMPARE(question.kind, test::ScriptedDialogs::Kind::Question);
        QCOMPARE(question.caption, QStringLiteral("Confirm"));
        QCOMPARE(question.text, QStringLiteral("Add default rules ?"));

        // The picker was set up from the old bare name, in the project's folder.
        const FileDialogRequest& request = f.dialogs().fileRequests().at(0);
        QCOMPARE(request.title, QStringLiteral("Select source file (csv with data)"));
        QCOMPARE(request.filter, QStringLiteral("Data Files (*.csv *.xlsx *.ods)|*.csv;*.xlsx;*.ods|Workbooks (*.xlsx "
                                                "*.ods)|*.xlsx;*.ods|All Files (*.*)|*.*"));
        QCOMPARE(request.defaultSuffix, QStringLiteral("csv"));
        QCOMPARE(request.fileName, QStringLiteral("old.csv"));
        QCOMPARE(request.folder, f.path(QStringLiteral("work")));
        QVERIFY(!request.save);
        QCOMPARE(f.dialogs().unexpected(), 0);
    }

    void noOfferAfterLoadNewPreviewOrCancel()
    {
        MainWindowFixture f;
        f.write(QStringLiteral("work/d.csv"), "a;b\n");
        f.write(QStringLiteral("work/p.ql"), "[setup]\ntextfile=d.csv\n");
        f.open(f.path(QStringLiteral("work/p.ql")));
        // Saved, the window holds what its file holds: Load and New have nothing to ask about.
        QVERIFY(f.trigger("actSave"));
        f.dialogs().setNextFileName(f.path(QStringLiteral("work/p.ql")));
        QVERIFY(f.trigger("actLoad"));
        QVERIFY(f.trigger("actNew"));
        QCOMPARE(f.window()->dataFileState().csvFieldCount, std::int64_t{2});
        // Cancelling the picker changes nothing and asks nothing.
        f.dialogs().setNextFileName({});
        f.widget<QPushButton>("btnChoiceText")->click();
        QCOMPARE(text(f, "EdTextFile"), QStringLiteral("d.csv"));
        whileModal([&] { f.widget<QPushButton>("SpeedButton12")->click(); }, [](QWidget*) {});
        for (const test::ScriptedDialogs::Shown& shown : f.dialogs().shown())
            QVERIFY2(shown.kind != test::ScriptedDialogs::Kind::Question, qPrintable(shown.text));
        QCOMPARE(f.dialogs().unexpected(), 0);
    }

    void templatePicker()
    {
        MainWindowFixture f;
        f.open();
        f.widget<QLineEdit>("EdTemplateFile")->setText(f.path(QStringLiteral("work/tpl/card.html")));
        f.dialogs().setNextFileName(f.path(QStringLiteral("work/tpl/other.htm")));
        f.widget<QPushButton>("btnChoiceTemplate")->click();
        QCOMPARE(text(f, "EdTemplateFile"), f.path(QStringLiteral("work/tpl/other.htm")));
        const FileDialogRequest& request = f.dialogs().fileRequests().at(0);
        QCOMPARE(request.title, QStringLiteral("Select html or text file template"));
        QCOMPARE(request.filter, QStringLiteral("HTML Files|*.html;*.htm|Text Files|*.txt|All Files (*.*)|*.*"));
        QCOMPARE(request.defaultSuffix, QStringLiteral("html"));
        QCOMPARE(request.fileName, QStringLiteral("card.html"));
        QCOMPARE(request.folder, f.path(QStringLiteral("work/tpl")));

        f.dialogs().setNextFileName({});
        f.widget<QPushButton>("btnChoiceTemplate")->click();
        QCOMPARE(text(f, "EdTemplateFile"), f.path(QStringLiteral("work/tpl/other.htm")));
        QVERIFY(f.dialogs().shown().empty());
    }

    void fileDialogFiltersInQtForm()
    {
        QCOMPARE(qtNameFilters(QStringLiteral("Project Files (*.ql)|*.ql|All Files (*.*)|*.*")),
                 QStringList({QStringLiteral("Project Files (*.ql)"), QStringLiteral("All Files (*)")}));
        QCOMPARE(qtNameFilters(QStringLiteral("HTML Files|*.html;*.htm|Text Files|*.txt")),
                 QStringList({QStringLiteral("HTML Files (*.html *.htm)"), QStringLiteral("Text Files (*.txt)")}));
    }

    void previewShowsTheDataFile()
    {
        MainWindowFixture f;
        f.write(QStringLiteral("work/p.ql"), "[setup]\ntextfile=d.csv\n");
        f.open(f.path(QStringLiteral("work/p.ql")));
        QCOMPARE(f.window()->dataFileState().csvFieldCount, std::int64_t{-1});
        // The file appears after start-up: the preview checks it first, without the offer.
        f.write(QStringLiteral("work/d.csv"), "a;b;c\n1;2\n\nx\n");
        whileModal([&] { f.widget<QPushButton>("SpeedButton12")->click(); },
                   [](QWidget* modal) {
                       auto* preview = qobject_cast<TformViewCsv*>(modal);
                       QVERIFY(preview);
                       QCOMPARE(preview->windowTitle(), QStringLiteral("Preview file"));
                       const QAbstractItemModel* grid = preview->gridCsv()->model();
                       QCOMPARE(grid->columnCount(), 3);
                       QCOMPARE(grid->rowCount(), 4);
                       QCOMPARE(grid->index(1, 1).data().toString(), QStringLiteral("2"));
                       QCOMPARE(grid->index(1, 2).data().toString(), QString());
                   });
        QCOMPARE(f.window()->dataFileState().csvFieldCount, std::int64_t{3});
        QVERIFY(f.dialogs().shown().empty());
    }

    void aLargeDataFileIsReadWhileTheWindowAnswers()
    {
        // Quoted fields: records cut as the run cuts them, more than half a second's reading on
        // any machine. The widest record comes last.
        constexpr int kRecords = 2'500'000;
        QByteArray content;
        content.reserve(kRecords * 14);
        for (int n = 1; n <= kRecords; ++n)
            content.append(QByteArray::number(n)).append(";x;\"y\"\n");
        content.append("a;b;c;d\n");
        MainWindowFixture f;
        const QString big = f.write(QStringLiteral("work/big.csv"), content);
        const QString small = f.write(QStringLiteral("work/small.csv"), "a;b\n");
        f.write(QStringLiteral("work/p.ql"), "[setup]\ntextfile=big.csv\ndelimiter=;\nquotes=1\n");
        f.open(f.path(QStringLiteral("work/p.ql")));
        auto* said = f.widget<QLabel>("lblReadingDataFile");
        auto* bar = f.widget<QProgressBar>("barReadingDataFile");
        auto* cancel = f.widget<QPushButton>("btnStopReadingDataFile");
        auto* fileNames = f.widget<QComboBox>("cbFileNameFld");

        // The project's data file is read after start-up; its progress shows while the window
        // answers the keyboard.
        QTRY_VERIFY(cancel->isVisible());
        QVERIFY(said->text().startsWith(QStringLiteral("Reading the data file: ")));
        QVERIFY(bar->value() >= 0 && bar->value() <= 100);
        auto* templateFile = f.widget<QLineEdit>("EdTemplateFile");
        templateFile->clear();
        QTest::keyClicks(templateFile, QStringLiteral("t.htm"));
        QCOMPARE(templateFile->text(), QStringLiteral("t.htm"));
        QVERIFY(cancel->isVisible());

        // Cancel stops it: the data file stays unexamined, the field lists as they were.
        QTest::mouseClick(cancel, Qt::LeftButton);
        QTRY_VERIFY(cancel->isHidden());
        QVERIFY(bar->isHidden());
        QCOMPARE(f.window()->dataFileState().csvFieldCount, std::int64_t{-1});
        QCOMPARE(items(fileNames), labels(20));

        // A data file chosen while another is read replaces that reading.
        f.dialogs().setNextFileName(big);
        f.widget<QPushButton>("btnChoiceText")->click();
        f.dialogs().setNextFileName(small);
        f.dialogs().setNextAnswer(QMessageBox::No);
        f.widget<QPushButton>("btnChoiceText")->click();
        QTRY_COMPARE(items(fileNames), labels(2));
        QVERIFY(cancel->isHidden());
        QCOMPARE(f.dialogs().shown().size(), std::size_t{1});

        // Read to its end, the field lists are filled and the default rules offered.
        f.dialogs().setNextFileName(big);
        f.dialogs().setNextAnswer(QMessageBox::No);
        f.widget<QPushButton>("btnChoiceText")->click();
        QTRY_COMPARE_WITH_TIMEOUT(items(fileNames), labels(4), 60000);
        QVERIFY(cancel->isHidden());
        QCOMPARE(f.window()->dataFileState().csvFieldCount, std::int64_t{4});
        QCOMPARE(f.dialogs().shown().size(), std::size_t{2});
        QCOMPARE(f.dialogs().shown()[1].text, QStringLiteral("Add default rules ?"));
        QCOMPARE(f.dialogs().unexpected(), 0);
    }

    void aboutIsModal()
    {
        MainWindowFixture f;
        f.open();
        whileModal([&] { f.action("About2")->trigger(); },
                   [](QWidget* modal) {
                       QVERIFY(qobject_cast<TAboutForm*>(modal));
                       QCOMPARE(modal->windowTitle(), QStringLiteral("About"));
                   });
    }
};

QTEST_MAIN(MainWindowTest)
#include "MainWindowTest.moc"
