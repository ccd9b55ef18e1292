// SPDX-License-Identifier: GPL-3.0-or-later
// The project commands driven from the window: New, Load, Save, Save As and Exit (and the
// title-bar close), with their dialogs and questions answered through the scripted seam.

#include "MainWindowFixture.h"
#include "ui/QtText.h"

#include <QCheckBox>
#include <QComboBox>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QTableView>
#include <fstream>
#include <iterator>
#include <string>

using namespace stencilor::ui;
using stencilor::ui::test::MainWindowFixture;

namespace {

const QByteArray kProject = "[setup]\ndelim=|\ntextfile=d.csv\ntemplatefile=t.html\noutputdir=/out\n"
                            "directoryFile=Field 4\nCopyDirFld=1\nnameFromTemp=1\nedTemp=card-?.htm\n"
                            "changecase=1\ncase=2\nreport_fld=FileName;Field 2;\nrulesCount=3\n"
                            "[rules]\nColFld1=Field 1\nColTemp1=%A%\nColFld2=Field 2\nColTemp2=%B%\n";

// A project as the program writes it in which every text value holds bytes that are not UTF-8
// (Latin-1 letters, a cut-off sequence, an encoded surrogate), some beside UTF-8 letters, and
// two values are longer than a line edit holds by default.
const QByteArray kLatin1Project =
    "[setup]\ndelim=\xA7\ntextfile=d\xE9.csv\ntemplatefile=t\xFF.html\noutputdir=/out\xC3" + QByteArray(40000, 'o') +
    "\ndirectoryFile=Feld \xE4" + QByteArray(40000, 'd') +
    "\nCopyDirFld=1\nnameFromFld=0\nAddExt=1\nedExt=*.h\xF6m\n"
    "FileNameFld=Name \xDF\nnameFromTemp=1\nedTemp=K\xE4rtchen-?.htm\nDelChars=0\n"
    "changecase=1\ncase=1\nreport=1\nrep_fld=r\xED\xA0\x80\n"
    "report_fld=FileName;Field \xB2;\nrulesCount=3\n[rules]\nColFld1=Field 1\xA0\n"
    "ColTemp1=%N\xE4me%\nColFld2=Field 2\nColTemp2=%\xE9\xC3\xA9%\n";

// Writes or reads a file by a path given as bytes, which a QString path could not name.
void writeBytes(const std::string& path, const QByteArray& content)
{
    std::ofstream(path, std::ios::binary).write(content.constData(), content.size());
}

QByteArray readBytes(const std::string& path)
{
    std::ifstream in(path, std::ios::binary);
    const std::string content{std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
    return QByteArray::fromStdString(content);
}

int ruleRows(const MainWindowFixture& f)
{
    return f.widget<QTableView>("gridRules")->model()->rowCount();
}

QString text(const MainWindowFixture& f, const char* edit)
{
    return f.widget<QLineEdit>(edit)->text();
}

std::size_t questions(const MainWindowFixture& f)
{
    std::size_t count = 0;
    for (const test::ScriptedDialogs::Shown& shown : f.dialogs().shown())
        count += shown.kind == test::ScriptedDialogs::Kind::Question ? 1 : 0;
    return count;
}

} // namespace

class ProjectCommandsWindowTest : public QObject {
    Q_OBJECT

private slots:
    void newTakesTheNextNonameAndKeepsAllButTheRules()
    {
        MainWindowFixture f;
        f.write(QStringLiteral("work/p.ql"), kProject);
        f.write(QStringLiteral("work/noname0.ql"), "");
        f.write(QStringLiteral("work/noname1.ql"), "");
        f.open(f.path(QStringLiteral("work/p.ql")));
        QCOMPARE(ruleRows(f), 2);

        // The file lacks keys the window shows, so New asks first.
        f.dialogs().setNextAnswer(QMessageBox::No);
        QVERIFY(f.trigger("actNew"));
        QCOMPARE(text(f, "EdPrjFile"), f.path(QStringLiteral("work/noname2.ql")));
        QVERIFY(!f.exists(QStringLiteral("work/noname2.ql")));
        QCOMPARE(ruleRows(f), 1);
        QCOMPARE(text(f, "EdDelim"), QStringLiteral("|"));
        QVERIFY(f.widget<QRadioButton>("rbTemplate")->isChecked());
        QVERIFY(!f.exists(QStringLiteral("prog/stencilor.ini")));

        // Once the project's folder is gone, the program folder takes the new project.
        QVERIFY(QDir(f.path(QStringLiteral("work"))).removeRecursively());
        QVERIFY(f.trigger("actNew"));
        QCOMPARE(text(f, "EdPrjFile"), f.programFolder() + QStringLiteral("noname0.ql"));
        QCOMPARE(questions(f), std::size_t{1});
        QCOMPARE(f.dialogs().unexpected(), 0);
    }

    void loadShowsTheFile()
    {
        MainWindowFixture f;
        const QString path = f.write(QStringLiteral("work/p.ql"), kProject);
        f.open();
        const QString fresh = text(f, "EdPrjFile");

        // Cancelled: nothing changes.
        f.dialogs().setNextFileName({});
        QVERIFY(f.trigger("actLoad"));
        QCOMPARE(text(f, "EdPrjFile"), fresh);
        const FileDialogRequest& request = f.dialogs().fileRequests().at(0);
        QCOMPARE(request.filter, QStringLiteral("Project Files (*.ql)|*.ql|All Files (*.*)|*.*"));
        QCOMPARE(request.defaultSuffix, QStringLiteral("ql"));
        QCOMPARE(request.fileName, fresh);
        QCOMPARE(request.folder, f.path(QStringLiteral("prog")));
        QVERIFY(!request.title.isEmpty());

        f.dialogs().setNextFileName(path);
        QVERIFY(f.trigger("actLoad"));
        QCOMPARE(text(f, "EdPrjFile"), path);
        QCOMPARE(text(f, "EdDelim"), QStringLiteral("|"));
        QCOMPARE(text(f, "EdTemplateFile"), QStringLiteral("t.html"));
        QCOMPARE(text(f, "EdTempFileName"), QStringLiteral("card-?.htm"));
        QCOMPARE(f.widget<QComboBox>("cbDirectoryField")->currentText(), QStringLiteral("Field 4"));
        QVERIFY(f.widget<QCheckBox>("chkCopyDirFld")->isChecked());
        QVERIFY(f.widget<QRadioButton>("rbTemplate")->isChecked());
        QVERIFY(f.widget<QRadioButton>("rbCase2")->isChecked());
        QCOMPARE(f.window()->settingsFromControls().report_fld, std::string("FileName;Field 2;"));
        QCOMPARE(ruleRows(f), 2);

        // A name where no file is behaves like New with that name.
        QVERIFY(f.trigger("actSave"));
        f.widget<QLineEdit>("EdDelim")->setText(QStringLiteral(","));
        QVERIFY(f.trigger("actSave"));
        f.dialogs().setNextFileName(f.path(QStringLiteral("work/none.ql")));
        QVERIFY(f.trigger("actLoad"));
        QCOMPARE(text(f, "EdPrjFile"), f.path(QStringLiteral("work/none.ql")));
        QCOMPARE(text(f, "EdDelim"), QStringLiteral(","));
        QCOMPARE(ruleRows(f), 1);
        QVERIFY(f.dialogs().shown().empty());
        QCOMPARE(f.dialogs().unexpected(), 0);
    }

    void switchingProjectsAsksFirst_data()
    {
        QTest::addColumn<QString>("command");
        QTest::addColumn<int>("answer");
        QTest::newRow("Load, Yes saves first") << QStringLiteral("load") << int(QMessageBox::Yes);
        QTest::newRow("Load, No drops the changes") << QStringLiteral("load") << int(QMessageBox::No);
        QTest::newRow("Load, Cancel") << QStringLiteral("load") << int(QMessageBox::Cancel);
        QTest::newRow("New, Cancel") << QStringLiteral("new") << int(QMessageBox::Cancel);
        QTest::newRow("Open Recent, Cancel") << QStringLiteral("recent") << int(QMessageBox::Cancel);
        QTest::newRow("drop, Cancel") << QStringLiteral("drop") << int(QMessageBox::Cancel);
        QTest::newRow("drop, No") << QStringLiteral("drop") << int(QMessageBox::No);
    }

    void switchingProjectsAsksFirst()
    {
        QFETCH(QString, command);
        QFETCH(int, answer);
        MainWindowFixture f;
        const QString other = f.write(QStringLiteral("work/other.ql"), kProject);
        const QString path = f.write(QStringLiteral("work/p.ql"), kProject);
        T_FRMain* w = f.open(other);
        f.dialogs().setNextAnswer(QMessageBox::No);
        f.dialogs().setNextFileName(path);
        QVERIFY(f.trigger("actLoad"));
        // Saved, then changed: the title is marked, and any switch asks first.
        QVERIFY(f.trigger("actSave"));
        f.widget<QLineEdit>("EdDelim")->setText(QStringLiteral(","));
        QTRY_VERIFY(w->isWindowModified());
        f.dialogs().clearRecords();

        f.dialogs().setNextAnswer(QMessageBox::StandardButton(answer));
        if (command == QStringLiteral("load")) {
            f.dialogs().setNextFileName(other);
            QVERIFY(f.trigger("actLoad"));
        } else if (command == QStringLiteral("new")) {
            QVERIFY(f.trigger("actNew"));
        } else if (command == QStringLiteral("recent")) {
            f.action("actRecent2")->trigger();
        } else {
            QVERIFY(test::drop(w, {other}));
        }
        QTRY_COMPARE(questions(f), std::size_t{1});
        QCOMPARE(f.dialogs().shown()[0].text, QStringLiteral("Save project"));
        const bool switched = answer != QMessageBox::Cancel;
        if (switched)
            QTRY_VERIFY(text(f, "EdPrjFile") != path);
        QCOMPARE(text(f, "EdPrjFile") == path, !switched);
        QCOMPARE(text(f, "EdDelim"), switched ? QStringLiteral("|") : QStringLiteral(","));
        QVERIFY(f.read(QStringLiteral("work/p.ql")).contains(answer == QMessageBox::Yes ? "delim=," : "delim=|"));
        QCOMPARE(f.dialogs().unexpected(), 0);
    }

    void everyRuleOfALargeProjectIsInTheGridAndSaved()
    {
        MainWindowFixture f;
        const QString path = f.write(QStringLiteral("work/big.ql"),
                                     "[setup]\nrulesCount=100000\n[rules]\nColFld1=Field 1\nColTemp1=%a%\n"
                                     "ColFld99999=Field 2\nColTemp99999=%z%\n");
        T_FRMain* w = f.open(path);
        QCOMPARE(ruleRows(f), 99999);
        QCOMPARE(f.widget<QTableView>("gridRules")->model()->index(99998, 2).data().toString(), QStringLiteral("%z%"));
        QVERIFY(f.trigger("actSave"));
        QVERIFY(f.read(QStringLiteral("work/big.ql")).endsWith("ColFld99999=Field 2\nColTemp99999=%z%\n"));
        QVERIFY(f.read(QStringLiteral("work/big.ql")).size() < 1000);
        QTRY_VERIFY(!w->isWindowModified());
    }

    void windowKeepsEveryByteOfAProject()
    {
        // The project's own name is not UTF-8 either; the load dialog hands it over.
        MainWindowFixture f;
        const std::string path = f.path(QStringLiteral("work")).toStdString() + "/pr\xF6jekt.ql";
        writeBytes(path, kLatin1Project);
        T_FRMain* w = f.open();
        f.dialogs().setNextFileName(toQt(path));
        QVERIFY(f.trigger("actLoad"));
        QCOMPARE(ruleRows(f), 2);

        // Saving writes back every value as it was loaded, and Exit finds nothing changed.
        QVERIFY(f.trigger("actSave"));
        QCOMPARE(readBytes(path), kLatin1Project);
        QVERIFY(f.trigger("actExit"));
        QCOMPARE(questions(f), std::size_t{0});
        QVERIFY(!w->isVisible());
        QCOMPARE(f.dialogs().unexpected(), 0);
    }

    void saveAsAddsTheProjectExtension_data()
    {
        QTest::addColumn<QString>("chosen");
        QTest::addColumn<QString>("saved");
        QTest::newRow("no extension") << QStringLiteral("work/job") << QStringLiteral("work/job.ql");
        QTest::newRow("lone dot") << QStringLiteral("work/job.") << QStringLiteral("work/job.ql");
        QTest::newRow("other extension") << QStringLiteral("work/job.txt") << QStringLiteral("work/job.txt");
    }

    void saveAsAddsTheProjectExtension()
    {
        QFETCH(QString, chosen);
        QFETCH(QString, saved);
        MainWindowFixture f;
        f.open();
        const QString before = text(f, "EdPrjFile");
        f.dialogs().setNextFileName(f.path(chosen));
        QVERIFY(f.trigger("actSaveAs"));

        const FileDialogRequest& request = f.dialogs().fileRequests().at(0);
        QCOMPARE(request.title, QStringLiteral("Save Project"));
        QVERIFY(request.save);
        QCOMPARE(request.fileName, QFileInfo(before).fileName());
        QCOMPARE(request.folder, f.path(QStringLiteral("prog")));

        QCOMPARE(text(f, "EdPrjFile"), f.path(saved));
        QVERIFY(f.read(saved).startsWith("[setup]\ndelim=;\n"));
        QCOMPARE(f.read(QStringLiteral("prog/stencilor.ini")), "[total]\nlastprj=" + f.path(saved).toUtf8() + "\n");
        QVERIFY(f.dialogs().shown().empty());
    }

    void exitAsksOnlyWhenTheWindowDiffers_data()
    {
        QTest::addColumn<QString>("situation");
        QTest::addColumn<bool>("asks");
        QTest::newRow("never saved") << QStringLiteral("fresh") << false;
        QTest::newRow("never saved, with a rule") << QStringLiteral("rule") << true;
        QTest::newRow("right after New") << QStringLiteral("new") << false;
        QTest::newRow("right after Save") << QStringLiteral("saved") << false;
        QTest::newRow("delimiter changed") << QStringLiteral("delimiter") << true;
        QTest::newRow("file sets both name sources") << QStringLiteral("both") << true;
    }

    void exitAsksOnlyWhenTheWindowDiffers()
    {
        QFETCH(QString, situation);
        QFETCH(bool, asks);
        MainWindowFixture f;
        const QString path = f.write(QStringLiteral("work/p.ql"), kProject);
        const bool unsaved = situation == QStringLiteral("fresh") || situation == QStringLiteral("rule");
        T_FRMain* w = f.open(unsaved ? QString() : path);
        if (situation == QStringLiteral("rule")) {
            QAbstractItemModel* grid = f.widget<QTableView>("gridRules")->model();
            QVERIFY(grid->setData(grid->index(0, 1), QStringLiteral("Field 1")));
            QVERIFY(grid->setData(grid->index(0, 2), QStringLiteral("%A%")));
        } else if (situation == QStringLiteral("new")) {
            QVERIFY(f.trigger("actSave"));
            QVERIFY(f.trigger("actNew"));
        } else if (situation == QStringLiteral("saved")) {
            QVERIFY(f.trigger("actSave"));
        } else if (situation == QStringLiteral("delimiter")) {
            QVERIFY(f.trigger("actSave"));
            f.widget<QLineEdit>("EdDelim")->setText(QStringLiteral(","));
        } else if (situation == QStringLiteral("both")) {
            f.write(QStringLiteral("work/p.ql"), QByteArray(kProject).replace("CopyDirFld=1", "nameFromFld=1"));
            f.dialogs().setNextAnswer(QMessageBox::No);
            f.dialogs().setNextFileName(path);
            QVERIFY(f.trigger("actLoad"));
        }
        f.dialogs().clearRecords();
        if (asks)
            f.dialogs().setNextAnswer(QMessageBox::No);
        QVERIFY(f.trigger("actExit"));
        QCOMPARE(questions(f), std::size_t(asks ? 1 : 0));
        QVERIFY(!w->isVisible());
        if (asks) {
            const test::ScriptedDialogs::Shown& question = f.dialogs().shown().back();
            QCOMPARE(question.caption, QStringLiteral("Attention"));
            QCOMPARE(question.text, QStringLiteral("Save project"));
        }
        QCOMPARE(f.dialogs().unexpected(), 0);
    }

    void exitAnswers_data()
    {
        QTest::addColumn<int>("answer");
        QTest::addColumn<bool>("closes");
        QTest::addColumn<QByteArray>("delimiterOnDisk");
        QTest::newRow("Yes saves and closes") << int(QMessageBox::Yes) << true << QByteArray("delim=,");
        QTest::newRow("No closes without saving") << int(QMessageBox::No) << true << QByteArray("delim=|");
        QTest::newRow("Cancel keeps the window") << int(QMessageBox::Cancel) << false << QByteArray("delim=|");
    }

    void exitAnswers()
    {
        QFETCH(int, answer);
        QFETCH(bool, closes);
        QFETCH(QByteArray, delimiterOnDisk);
        MainWindowFixture f;
        f.write(QStringLiteral("work/p.ql"), kProject);
        T_FRMain* w = f.open(f.path(QStringLiteral("work/p.ql")));
        f.widget<QLineEdit>("EdDelim")->setText(QStringLiteral(","));
        f.dialogs().setNextAnswer(QMessageBox::StandardButton(answer));
        QVERIFY(f.trigger("actExit"));
        QCOMPARE(!w->isVisible(), closes);
        QVERIFY(f.read(QStringLiteral("work/p.ql")).contains(delimiterOnDisk));
    }

    void saveAsAsksBeforeReplacingAnotherFile_data()
    {
        QTest::addColumn<QString>("target");
        QTest::addColumn<int>("answer"); // 0: no question expected
        QTest::addColumn<bool>("saved");
        QTest::newRow("another file, No") << QStringLiteral("work/other.ql") << int(QMessageBox::No) << false;
        QTest::newRow("another file, Yes") << QStringLiteral("work/other.ql") << int(QMessageBox::Yes) << true;
        QTest::newRow("a data file, Yes") << QStringLiteral("work/contacts.csv") << int(QMessageBox::Yes) << true;
        QTest::newRow("its own file") << QStringLiteral("work/p.ql") << 0 << true;
    }

    void saveAsAsksBeforeReplacingAnotherFile()
    {
        QFETCH(QString, target);
        QFETCH(int, answer);
        QFETCH(bool, saved);
        MainWindowFixture f;
        const QString project = f.write(QStringLiteral("work/p.ql"), kProject);
        f.write(QStringLiteral("work/other.ql"), "[mine]\nk=v\n");
        f.write(QStringLiteral("work/contacts.csv"), "Ann;Lee\nBo;Ray\n");
        f.open(project);
        f.widget<QLineEdit>("EdDelim")->setText(QStringLiteral(","));
        const QByteArray before = f.read(target);
        if (answer != 0)
            f.dialogs().setNextAnswer(QMessageBox::StandardButton(answer));
        f.dialogs().setNextFileName(f.path(target));
        QVERIFY(f.trigger("actSaveAs"));

        QCOMPARE(questions(f), std::size_t(answer != 0 ? 1 : 0));
        if (answer != 0) {
            const test::ScriptedDialogs::Shown& question = f.dialogs().shown().back();
            QCOMPARE(question.caption, QStringLiteral("Save Project"));
            QCOMPARE(question.text, QFileInfo(target).fileName() + QStringLiteral(" already exists.\nDo you want to "
                                                                                  "replace it?"));
        }
        QCOMPARE(text(f, "EdPrjFile"), saved ? f.path(target) : project);
        QCOMPARE(f.read(target).contains("delim=,"), saved);
        if (!saved)
            QCOMPARE(f.read(target), before);
        // A replaced file holds exactly the project, as a new file of it would; its own file is
        // updated in place and keeps what the project does not write.
        if (answer == QMessageBox::Yes) {
            f.dialogs().setNextFileName(f.path(QStringLiteral("work/fresh.ql")));
            QVERIFY(f.trigger("actSaveAs"));
            QCOMPARE(f.read(target), f.read(QStringLiteral("work/fresh.ql")));
        }
        QCOMPARE(f.dialogs().unexpected(), 0);
    }

    void titleBarCloseAsksLikeExit()
    {
        MainWindowFixture f;
        f.write(QStringLiteral("work/p.ql"), kProject);
        T_FRMain* w = f.open(f.path(QStringLiteral("work/p.ql")));
        f.widget<QLineEdit>("EdTextFile")->setText(QStringLiteral("other.csv"));
        f.dialogs().setNextAnswer(QMessageBox::Cancel);
        QVERIFY(!w->close());
        QVERIFY(w->isVisible());
        QCOMPARE(questions(f), std::size_t{1});
        f.dialogs().setNextAnswer(QMessageBox::No);
        QVERIFY(w->close());
        QCOMPARE(questions(f), std::size_t{2});
    }

    void failedSaveSaysSoAndKeepsTheWindowOpen()
    {
        MainWindowFixture f;
        f.open();
        // Save As into a folder that does not exist.
        const QString missing = f.path(QStringLiteral("work/nowhere/p.ql"));
        f.dialogs().setNextFileName(missing);
        QVERIFY(f.trigger("actSaveAs"));
        QCOMPARE(f.dialogs().shown().size(), std::size_t{1});
        const test::ScriptedDialogs::Shown& error = f.dialogs().shown()[0];
        QCOMPARE(error.kind, test::ScriptedDialogs::Kind::Error);
        QVERIFY2(error.text.contains(missing), qPrintable(error.text));
        QVERIFY2(error.text.contains(QStringLiteral("No such file or directory")), qPrintable(error.text));
        QVERIFY(!f.exists(QStringLiteral("prog/stencilor.ini")));

        // Exit with Yes whose save fails (here the program settings file cannot be written, since
        // a folder stands in its place): the error is shown and the window stays open.
        const QString path = f.write(QStringLiteral("work/p.ql"), kProject);
        f.dialogs().setNextFileName(path);
        QVERIFY(f.trigger("actLoad"));
        f.widget<QLineEdit>("EdDelim")->setText(QStringLiteral(","));
        QVERIFY(QDir(f.path(QStringLiteral("prog"))).mkdir(QStringLiteral("stencilor.ini")));
        f.dialogs().clearRecords();
        f.dialogs().setNextAnswer(QMessageBox::Yes);
        QVERIFY(f.trigger("actExit"));
        QCOMPARE(f.dialogs().shown().size(), std::size_t{2});
        QCOMPARE(f.dialogs().shown()[1].kind, test::ScriptedDialogs::Kind::Error);
        QVERIFY2(f.dialogs().shown()[1].text.contains(f.settingsPath()), qPrintable(f.dialogs().shown()[1].text));
        QVERIFY(f.window()->isVisible());
        QCOMPARE(f.dialogs().unexpected(), 0);
    }
};

QTEST_MAIN(ProjectCommandsWindowTest)
#include "ProjectCommandsWindowTest.moc"
