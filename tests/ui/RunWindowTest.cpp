// Run and Stop from the window: real runs writing files, the Run/Stop states and the progress
// bar during and after a run, Stop half-way, messages, closing during a run, and settings
// changed while the run goes on.

#include "MainWindowFixture.h"

#include <QLineEdit>
#include <QProgressBar>
#include <QStatusBar>
#include <QTimer>
#include <functional>

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

        bool runningSeen = false;
        atFirstEvents([&] {
            // During the run: Run disabled, Stop enabled, the bar counting towards the total.
            runningSeen = f.window()->isRunning() && !f.action("actRun")->isEnabled() &&
                          f.action("actStop")->isEnabled() && f.widget<QProgressBar>("pgBar")->maximum() == total &&
                          f.widget<QProgressBar>("pgBar")->value() > 0;
            QVERIFY(f.trigger("actStop"));
        });
        QVERIFY(f.trigger("actRun"));
        QVERIFY(runningSeen);

        const int written = filesIn(f.path(QStringLiteral("out")));
        QVERIFY2(written >= 1 && written < total, qPrintable(QString::number(written)));
        QCOMPARE(f.window()->lastRunSummary().outcome, stencilor::RunOutcome::Stopped);
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
        atFirstEvents([&] {
            // The window shows what it shows in its file: Exit decides to close without a question.
            QVERIFY(f.trigger("actExit"));
            stillShown = w->isVisible() && w->isRunning();
        });
        QVERIFY(f.trigger("actRun"));
        QVERIFY(stillShown);
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
        QCOMPARE(f.dialogs().shown()[0].kind, UserDialogs::Kind::Error);
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
