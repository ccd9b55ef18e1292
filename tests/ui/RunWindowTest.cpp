// SPDX-License-Identifier: GPL-3.0-or-later
// Run and Stop from the window: real runs writing files, the Run/Stop states and the progress
// bar during and after a run, Stop half-way, messages, closing during a run, and settings
// changed while the run goes on.

#include "MainWindowFixture.h"
#include "app/CommandLine.h"
#include "ui/CoreMessages.h"

#include <QLineEdit>
#include <QLocale>
#include <QProgressBar>
#include <QStatusBar>
#include <QTimer>
#include <filesystem>
#include <fstream>
#include <functional>
#include <iterator>
#include <map>
#include <sstream>
#include <string>

using namespace stencilor::ui;
using stencilor::ui::test::MainWindowFixture;

namespace {

// A project that names every record's file after field 1 and puts field 2 into the template.
QByteArray project(const QString& outputDir, bool report = false)
{
    return "[setup]\ndelim=;\ntextfile=d.csv\ntemplatefile=t.html\noutputdir=" + outputDir.toUtf8() +
           "\nnameFromFld=1\nFileNameFld=Field 1\nreport=" + (report ? "1" : "0") +
           "\nreport_fld=FileName;Field 2;\nrulesCount=2\n[rules]\nColFld1=Field 2\nColTemp1=%V%\n";
}

QByteArray records(int count)
{
    QByteArray data;
    for (int i = 1; i <= count; ++i)
        data += "r" + QByteArray::number(i) + ";v" + QByteArray::number(i) + "\n";
    return data;
}

int filesIn(const QString& folder)
{
    return static_cast<int>(QDir(folder).entryList({QStringLiteral("r[0-9]*")}, QDir::Files).size());
}

// Every file below `folder` by its path relative to it, as bytes, with its contents.
std::map<std::string, std::string> fileTree(const QString& folder)
{
    namespace fs = std::filesystem;
    std::map<std::string, std::string> tree;
    const fs::path root(folder.toStdString());
    if (!fs::exists(root))
        return tree;
    for (const fs::directory_entry& entry : fs::recursive_directory_iterator(root)) {
        if (!entry.is_regular_file())
            continue;
        std::ifstream in(entry.path(), std::ios::binary);
        tree[fs::relative(entry.path(), root).native()] =
            std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
    }
    return tree;
}

// Runs `during` once, the first time the run lets events through.
void atFirstEvents(const std::function<void()>& during)
{
    QTimer::singleShot(0, during);
}

} // namespace

class RunWindowTest : public QObject {
    Q_OBJECT

private slots:
    void runWritesTheFilesAndOpensTheReport()
    {
        MainWindowFixture f;
        f.write(QStringLiteral("work/d.csv"), "a;Ann\nb;Bo\n;none\n");
        f.write(QStringLiteral("work/t.html"), "<p>%V%</p>\n");
        f.write(QStringLiteral("work/p.ql"), project(f.path(QStringLiteral("out")), true));
        f.open(f.path(QStringLiteral("work/p.ql")));

        QVERIFY(f.trigger("actRun"));
        QCOMPARE(f.read(QStringLiteral("out/a")), QByteArray("<p>Ann</p>\r\n"));
        QCOMPARE(f.read(QStringLiteral("out/b")), QByteArray("<p>Bo</p>\r\n"));
        QCOMPARE(f.window()->lastRunSummary().filesWritten, std::uint64_t{2});
        QCOMPARE(f.window()->statusBar()->currentMessage(),
                 QStringLiteral("2 files written, 1 record skipped (1 without a name)"));
        QCOMPARE(f.dialogs().openedDocuments(), QStringList{f.path(QStringLiteral("out/report.html"))});
        QVERIFY(f.read(QStringLiteral("out/report.html")).contains("Bo"));
        // Idle again: Run available, Stop not, the bar back at 0 with the record count as maximum.
        QVERIFY(f.action("actRun")->isEnabled());
        QVERIFY(!f.action("actStop")->isEnabled());
        QCOMPARE(f.widget<QProgressBar>("pgBar")->value(), 0);
        QCOMPARE(f.widget<QProgressBar>("pgBar")->maximum(), 3);
        QVERIFY(f.dialogs().shown().empty());
    }

    void runFromTheWindowMatchesTheCommandLine()
    {
        // Latin-1 throughout: the delimiter, the data, the identifiers and the name template.
        MainWindowFixture f;
        f.write(QStringLiteral("work/d.csv"), "M\xFCller\xA7Hof 1\nB\xE4r\xA7Weg 2\n");
        f.write(QStringLiteral("work/t.html"), "<p>%N\xE4me%: %Stra\xDF"
                                               "e%</p>\n");
        const QString project = f.write(
            QStringLiteral("work/p.ql"),
            "[setup]\ndelim=\xA7\ntextfile=d.csv\ntemplatefile=t.html\noutputdir=" +
                f.path(QStringLiteral("out")).toUtf8() +
                "\nnameFromTemp=1\nedTemp=K\xE4rte-?.htm\nreport=1\nreport_fld=FileName;Field 1;\nrulesCount=3\n"
                "[rules]\nColFld1=Field 1\nColTemp1=%N\xE4me%\nColFld2=Field 2\nColTemp2=%Stra\xDF"
                "e%\n");
        f.open(project);
        QVERIFY(f.trigger("actRun"));
        const std::map<std::string, std::string> fromWindow = fileTree(f.path(QStringLiteral("out")));
        const auto file = [&fromWindow](const std::string& name) {
            const auto it = fromWindow.find(name);
            return it == fromWindow.end() ? std::string("(missing)") : it->second;
        };
        QCOMPARE(file("K\xE4rte-1.htm"), std::string("<p>M\xFCller: Hof 1</p>\r\n"));
        QCOMPARE(file("K\xE4rte-2.htm"), std::string("<p>B\xE4r: Weg 2</p>\r\n"));
        QVERIFY(fromWindow.contains("report.html"));
        QCOMPARE(fromWindow.size(), std::size_t{3});

        // QDir cannot name files whose names are not UTF-8.
        QVERIFY(std::filesystem::remove_all(f.path(QStringLiteral("out")).toStdString()) == 4);
        std::ostringstream out;
        std::ostringstream err;
        const int status =
            stencilor::runHeadless(stencilor::parseCommandLine({"--run", "--quiet", project.toStdString()}),
                                   f.programFolder().toStdString(), out, err);
        QCOMPARE(status, 0);
        QVERIFY(fileTree(f.path(QStringLiteral("out"))) == fromWindow);
    }

    void runThatCannotStartSaysWhy_data()
    {
        QTest::addColumn<QString>("delimiter");
        QTest::addColumn<bool>("dataExists");
        QTest::addColumn<bool>("templateExists");
        QTest::addColumn<QString>("message");
        QTest::newRow("empty delimiter") << QString() << true << true
                                         << QStringLiteral("Please select field delimiter!");
        QTest::newRow("both files missing")
            << QStringLiteral(";") << false << false
            << QStringLiteral("Text file is empty\nTemplate file is empty or not defined");
        QTest::newRow("template missing")
            << QStringLiteral(";") << true << false << QStringLiteral("\nTemplate file is empty or not defined");
    }

    void runThatCannotStartSaysWhy()
    {
        QFETCH(QString, delimiter);
        QFETCH(bool, dataExists);
        QFETCH(bool, templateExists);
        QFETCH(QString, message);
        MainWindowFixture f;
        if (dataExists)
            f.write(QStringLiteral("work/d.csv"), "a;b\n");
        if (templateExists)
            f.write(QStringLiteral("work/t.html"), "%V%");
        f.write(QStringLiteral("work/p.ql"), project(f.path(QStringLiteral("out"))));
        f.open(f.path(QStringLiteral("work/p.ql")));
        f.widget<QLineEdit>("EdDelim")->setText(delimiter);

        QVERIFY(f.trigger("actRun"));
        QCOMPARE(f.dialogs().shown().size(), std::size_t{1});
        QCOMPARE(f.dialogs().shown()[0].text, message);
        QVERIFY(!f.exists(QStringLiteral("out")));
        QVERIFY(f.action("actRun")->isEnabled());
        QVERIFY(!f.action("actStop")->isEnabled());
        QVERIFY(f.window()->statusBar()->currentMessage().isEmpty());
    }

    void stopHalfWay()
    {
        MainWindowFixture f;
        const int total = 2000;
        f.write(QStringLiteral("work/d.csv"), records(total));
        f.write(QStringLiteral("work/t.html"), "%V%");
        f.write(QStringLiteral("work/p.ql"), project(f.path(QStringLiteral("out")), true));
        f.open(f.path(QStringLiteral("work/p.ql")));
        // Counts in the status bar follow the locale's digit grouping.
        const struct Restore {
            QLocale saved;
            ~Restore() { QLocale::setDefault(saved); }
        } restore;
        QLocale::setDefault(QLocale(QLocale::German, QLocale::Germany));

        bool runningSeen = false;
        QString during;
        atFirstEvents([&] {
            // During the run: Run disabled, Stop enabled, the bar counting towards the total.
            runningSeen = f.window()->isRunning() && !f.action("actRun")->isEnabled() &&
                          f.action("actStop")->isEnabled() && f.widget<QProgressBar>("pgBar")->maximum() == total &&
                          f.widget<QProgressBar>("pgBar")->value() > 0;
            during = f.window()->statusBar()->currentMessage();
            QVERIFY(f.trigger("actStop"));
        });
        QVERIFY(f.trigger("actRun"));
        QVERIFY(runningSeen);

        const int written = filesIn(f.path(QStringLiteral("out")));
        QVERIFY2(written >= 1 && written < total, qPrintable(QString::number(written)));
        QCOMPARE(f.window()->lastRunSummary().outcome, stencilor::RunOutcome::Stopped);
        QVERIFY2(during.contains(QStringLiteral(" of 2.000 records")), qPrintable(during));
        QCOMPARE(f.window()->statusBar()->currentMessage(),
                 QStringLiteral("Stopped after record %1 — %2")
                     .arg(QLocale().toString(written), runSummaryText(f.window()->lastRunSummary())));
        stencilor::RunSummary large;
        large.filesWritten = 200000;
        large.skipped[static_cast<std::size_t>(stencilor::Refusal::NoName)] = 1500;
        QCOMPARE(runSummaryText(large),
                 QStringLiteral("200.000 files written, 1.500 records skipped (1.500 without a name)"));
        // The report holds the rows so far and is opened.
        QCOMPARE(f.read(QStringLiteral("out/report.html")).count("<a href="), written);
        QCOMPARE(f.dialogs().openedDocuments().size(), 1);
        QVERIFY(f.action("actRun")->isEnabled());
        QVERIFY(!f.action("actStop")->isEnabled());
        QCOMPARE(f.widget<QProgressBar>("pgBar")->value(), 0);
    }

    void settingsChangedDuringTheRunTakeEffect()
    {
        MainWindowFixture f;
        const int total = 2000;
        f.write(QStringLiteral("work/d.csv"), records(total));
        f.write(QStringLiteral("work/t.html"), "%V%");
        f.write(QStringLiteral("work/p.ql"), project(f.path(QStringLiteral("first"))));
        f.open(f.path(QStringLiteral("work/p.ql")));

        atFirstEvents([&] { f.widget<QLineEdit>("EdOuputDir")->setText(f.path(QStringLiteral("second"))); });
        QVERIFY(f.trigger("actRun"));
        const int first = filesIn(f.path(QStringLiteral("first")));
        const int second = filesIn(f.path(QStringLiteral("second")));
        QVERIFY2(first >= 1 && second >= 1, qPrintable(QStringLiteral("%1 + %2").arg(first).arg(second)));
        QCOMPARE(first + second, total);
    }

    void closingDuringARunWaitsForItsEnd()
    {
        MainWindowFixture f;
        const int total = 500;
        f.write(QStringLiteral("work/d.csv"), records(total));
        f.write(QStringLiteral("work/t.html"), "%V%");
        f.write(QStringLiteral("work/p.ql"), project(f.path(QStringLiteral("out"))));
        f.open(f.path(QStringLiteral("work/p.ql")));
        T_FRMain* w = f.window();
        QVERIFY(f.trigger("actSave"));

        bool stillShown = false;
        QString status;
        atFirstEvents([&] {
            // The window shows what it shows in its file: Exit decides to close without a question.
            QVERIFY(f.trigger("actExit"));
            stillShown = w->isVisible() && w->isRunning();
            status = w->statusBar()->currentMessage();
        });
        QVERIFY(f.trigger("actRun"));
        QVERIFY(stillShown);
        QCOMPARE(status, QStringLiteral("The window closes when the run ends"));
        QCOMPARE(filesIn(f.path(QStringLiteral("out"))), total);
        QVERIFY(!w->isVisible());
        QVERIFY(f.dialogs().shown().empty());
    }

    void writeErrorEndsTheRunAndKeepsTheBar()
    {
        MainWindowFixture f;
        f.write(QStringLiteral("work/d.csv"), "a;1\nb;2\nc;3\n");
        f.write(QStringLiteral("work/t.html"), "%V%");
        f.write(QStringLiteral("work/p.ql"), project(f.path(QStringLiteral("out"))));
        // A folder where the second record's file must go: creating that file fails.
        QVERIFY(QDir().mkpath(f.path(QStringLiteral("out/b"))));
        f.open(f.path(QStringLiteral("work/p.ql")));

        QVERIFY(f.trigger("actRun"));
        QCOMPARE(f.window()->lastRunSummary().outcome, stencilor::RunOutcome::Failed);
        QCOMPARE(f.dialogs().shown().size(), std::size_t{1});
        QCOMPARE(f.dialogs().shown()[0].kind, test::ScriptedDialogs::Kind::Error);
        QVERIFY2(f.dialogs().shown()[0].text.startsWith(QStringLiteral("Cannot create file \"") +
                                                        f.path(QStringLiteral("out/b")) + u'"'),
                 qPrintable(f.dialogs().shown()[0].text));
        QVERIFY(f.exists(QStringLiteral("out/a")));
        QVERIFY(!f.exists(QStringLiteral("out/c")));
        QVERIFY(f.action("actRun")->isEnabled());
        QVERIFY(!f.action("actStop")->isEnabled());
        QCOMPARE(f.widget<QProgressBar>("pgBar")->value(), 1);
    }
};

QTEST_MAIN(RunWindowTest)
#include "RunWindowTest.moc"
