// SPDX-License-Identifier: GPL-3.0-or-later
// The project settings form's Report Options, driven through the real window: the lists and
// texts the dialog opens with, what Ok writes into the project, and Exit's question after a change.

#include "MainWindowFixture.h"
#include "ui/ReportOptionsDialog.h"

#include <QApplication>
#include <QComboBox>
#include <QTimer>
#include <QToolButton>
#include <functional>

using namespace stencilor::ui;
using stencilor::ui::test::MainWindowFixture;

namespace {

QStringList items(const QComboBox* combo)
{
    QStringList list;
    for (int i = 0; i < combo->count(); ++i)
        list << combo->itemText(i);
    return list;
}

QStringList fieldLabels(int count)
{
    QStringList labels{QStringLiteral("--not defined--"), QStringLiteral("FileName")};
    for (int n = 1; n <= count; ++n)
        labels << QStringLiteral("Field %1").arg(n);
    return labels;
}

// Clicks Report Options and, while the dialog is open, runs `whileOpen` on it, which must end it.
void onReportOptions(const MainWindowFixture& f, const std::function<void(TformSetupReport&)>& whileOpen)
{
    bool opened = false;
    QTimer::singleShot(0, f.window(), [&] {
        auto* dialog = qobject_cast<TformSetupReport*>(QApplication::activeModalWidget());
        if (!dialog)
            return;
        opened = true;
        whileOpen(*dialog);
    });
    QTest::mouseClick(f.widget<QToolButton>("btnSetupRep"), Qt::LeftButton);
    QVERIFY2(opened, "the report options dialog did not open");
}

void clickButton(QWidget& dialog, const char* name)
{
    QTest::mouseClick(dialog.findChild<QToolButton*>(QString::fromLatin1(name)), Qt::LeftButton);
}

std::string reportFld(const MainWindowFixture& f)
{
    return f.window()->settingsFromControls().report_fld;
}

} // namespace

class ProjectSettingsFormTest : public QObject {
    Q_OBJECT

private slots:
    void reportOptionsEditTheWindowsReportColumns()
    {
        MainWindowFixture f;
        f.write(QStringLiteral("work/d.csv"), "a;b;c\n");
        f.write(QStringLiteral("work/p.ql"), "[setup]\ntextfile=d.csv\nreport_fld=FileName;Field 9\n");
        f.open(f.path(QStringLiteral("work/p.ql")));

        // Created at start-up, hidden.
        auto* created = f.window()->findChild<TformSetupReport*>(QStringLiteral("formSetupReport"));
        QVERIFY(created);
        QVERIFY(!created->isVisible());

        onReportOptions(f, [&](TformSetupReport& dialog) {
            QCOMPARE(&dialog, created);
            // The lists follow the data file examined last; a stored text outside them stays.
            QCOMPARE(items(dialog.column(1)), fieldLabels(3));
            // The open list shows each field beside its label as the window's field lists do.
            const int third = dialog.column(3)->findData(QStringLiteral("Field 3"), Qt::EditRole);
            QCOMPARE(dialog.column(3)->itemData(third, Qt::DisplayRole).toString(), QStringLiteral("Field 3 — c"));
            QCOMPARE(dialog.column(2)->currentText(), QStringLiteral("Field 9"));
            dialog.column(3)->setCurrentIndex(third);
            clickButton(dialog, "SpeedButton4");
        });
        QCOMPARE(reportFld(f), std::string("FileName;Field 9"));

        onReportOptions(f, [&](TformSetupReport& dialog) {
            dialog.column(3)->setCurrentIndex(dialog.column(3)->findData(QStringLiteral("Field 3"), Qt::EditRole));
            clickButton(dialog, "SpeedButton3");
        });
        QCOMPARE(reportFld(f), std::string("FileName;Field 9;Field 3;;;;"));
        QCOMPARE(f.dialogs().unexpected(), 0);
    }

    void reportOptionsOfferTheStartListBeforeAnyFieldsAreFound()
    {
        MainWindowFixture f;
        f.open();
        // The dialog is made again when it no longer exists.
        delete f.window()->findChild<TformSetupReport*>(QStringLiteral("formSetupReport"));
        onReportOptions(f, [&](TformSetupReport& dialog) {
            QCOMPARE(items(dialog.column(6)), fieldLabels(20));
            clickButton(dialog, "SpeedButton3");
        });
        QCOMPARE(reportFld(f), std::string(";;;;;;"));
    }

    void aChangedReportChoiceAsksToSaveAtExit_data()
    {
        QTest::addColumn<bool>("changed");
        QTest::newRow("confirmed unchanged") << false;
        QTest::newRow("changed") << true;
    }

    void aChangedReportChoiceAsksToSaveAtExit()
    {
        QFETCH(bool, changed);
        MainWindowFixture f;
        f.open(f.write(QStringLiteral("work/p.ql"), "[setup]\nreport_fld=FileName;;;;;;\n"));
        QVERIFY(f.trigger("actSave"));
        const QByteArray saved = f.read(QStringLiteral("work/p.ql"));
        onReportOptions(f, [&](TformSetupReport& dialog) {
            if (changed)
                dialog.column(2)->setEditText(QStringLiteral("Field 1"));
            clickButton(dialog, "SpeedButton3");
        });
        f.dialogs().clearRecords();
        f.dialogs().setNextAnswer(QMessageBox::Cancel);
        QCOMPARE(f.window()->close(), !changed);
        QCOMPARE(f.dialogs().shown().size(), std::size_t(changed ? 1 : 0));
        if (changed)
            QCOMPARE(f.dialogs().shown()[0].text, QStringLiteral("Save project"));
        // Confirming writes nothing to disk.
        QCOMPARE(f.read(QStringLiteral("work/p.ql")), saved);
    }
};

QTEST_MAIN(ProjectSettingsFormTest)
#include "ProjectSettingsFormTest.moc"
