// SPDX-License-Identifier: GPL-3.0-or-later
// The report options dialog driven through its widgets: the lists and texts of an opening, and
// what Ok, Cancel, the close button and the keyboard do to report_fld.

#include "ui/ReportOptionsDialog.h"

#include <QApplication>
#include <QComboBox>
#include <QLineEdit>
#include <QTest>
#include <QTimer>
#include <QToolButton>
#include <functional>

using stencilor::ui::TformSetupReport;

namespace {

QStringList fieldLabels(int count)
{
    QStringList labels;
    for (int n = 1; n <= count; ++n)
        labels << QStringLiteral("Field %1").arg(n);
    return labels;
}

QStringList items(const QComboBox* combo)
{
    QStringList list;
    for (int i = 0; i < combo->count(); ++i)
        list << combo->itemText(i);
    return list;
}

QStringList texts(const TformSetupReport& dialog)
{
    QStringList list;
    for (int k = 1; k <= 6; ++k)
        list << dialog.column(k)->currentText();
    return list;
}

// Runs the dialog for `reportFld` and, once it is open, `whileOpen`, which must end it.
bool runDialog(TformSetupReport& dialog, const QStringList& fieldList, std::string& reportFld,
               const std::function<void()>& whileOpen)
{
    bool wasOpen = false;
    QTimer::singleShot(0, &dialog, [&] {
        wasOpen = dialog.isVisible() && dialog.isModal();
        whileOpen();
    });
    const bool confirmed = dialog.runFor(fieldList, reportFld);
    if (!wasOpen)
        qWarning("the dialog was not open");
    return confirmed;
}

void clickOk(TformSetupReport& dialog)
{
    QTest::mouseClick(dialog.findChild<QToolButton*>(QStringLiteral("SpeedButton3")), Qt::LeftButton);
}

void clickCancel(TformSetupReport& dialog)
{
    QTest::mouseClick(dialog.findChild<QToolButton*>(QStringLiteral("SpeedButton4")), Qt::LeftButton);
}

void typeInto(QComboBox* combo, const QString& text)
{
    combo->lineEdit()->selectAll();
    QTest::keyClick(combo->lineEdit(), Qt::Key_Delete);
    QTest::keyClicks(combo->lineEdit(), text);
}

} // namespace

class ReportOptionsDialogTest final : public QObject {
    Q_OBJECT

private slots:
    void opensWithTheListsAndTheStoredTexts();
    void listsAreRebuiltAtEveryOpening();
    void okWritesTheSixFieldForm_data();
    void okWritesTheSixFieldForm();
    void cancelAndCloseKeepTheValue_data();
    void cancelAndCloseKeepTheValue();
    void typedTextsAreKeptExactly();
    void aTypedSemicolonShiftsTheFollowingColumns();
    void keyboardReachesOkAndCancel_data();
    void keyboardReachesOkAndCancel();
};

void ReportOptionsDialogTest::opensWithTheListsAndTheStoredTexts()
{
    TformSetupReport dialog;
    QCOMPARE(dialog.windowTitle(), QStringLiteral("Content file report options"));
    QCOMPARE(dialog.size(), QSize(369, 329));
    // Larger where the text needs it: no fixed size.
    QCOMPARE(dialog.maximumSize(), QSize(QWIDGETSIZE_MAX, QWIDGETSIZE_MAX));

    // The main window's start list: fields 1 to 20.
    dialog.prepare(fieldLabels(20), "FileName;Field 9;bogus;;Field 33");
    QStringList expected{QStringLiteral("--not defined--"), QStringLiteral("FileName")};
    expected += fieldLabels(20);
    for (int k = 1; k <= 6; ++k) {
        QComboBox* combo = dialog.column(k);
        QCOMPARE(combo->objectName(), QStringLiteral("cbCol%1").arg(k));
        QVERIFY(combo->isEditable());
        QCOMPARE(combo->width(), 250);
        QCOMPARE(items(combo), expected);
    }
    // Texts outside the list and missing columns are shown as they are; the open list starts on
    // the entry a column shows, or on none.
    QCOMPARE(texts(dialog), QStringList({QStringLiteral("FileName"), QStringLiteral("Field 9"), QStringLiteral("bogus"),
                                         QString(), QStringLiteral("Field 33"), QString()}));
    QCOMPARE(dialog.column(1)->currentIndex(), 1);
    QCOMPARE(dialog.column(2)->currentIndex(), 10);
    QCOMPARE(dialog.column(3)->currentIndex(), -1);
}

void ReportOptionsDialogTest::listsAreRebuiltAtEveryOpening()
{
    TformSetupReport dialog;
    std::string reportFld = "Field 9;";
    QVERIFY(runDialog(dialog, fieldLabels(20), reportFld, [&] {
        typeInto(dialog.column(2), QStringLiteral("typed"));
        clickOk(dialog);
    }));
    QCOMPARE(reportFld, std::string("Field 9;typed;;;;;"));

    // After a check of a file with five fields: a stored "Field 9" is still shown and kept.
    QVERIFY(runDialog(dialog, fieldLabels(5), reportFld, [&] {
        QCOMPARE(items(dialog.column(2)),
                 QStringList({QStringLiteral("--not defined--"), QStringLiteral("FileName")}) + fieldLabels(5));
        QCOMPARE(dialog.column(1)->currentText(), QStringLiteral("Field 9"));
        QCOMPARE(dialog.column(2)->currentText(), QStringLiteral("typed"));
        clickOk(dialog);
    }));
    QCOMPARE(reportFld, std::string("Field 9;typed;;;;;"));
}

void ReportOptionsDialogTest::okWritesTheSixFieldForm_data()
{
    QTest::addColumn<QByteArray>("before");
    QTest::addColumn<QByteArray>("after");
    QTest::newRow("empty") << QByteArray() << QByteArray(";;;;;;");
    QTest::newRow("two columns") << QByteArray("FileName;Field 2") << QByteArray("FileName;Field 2;;;;;");
    QTest::newRow("load default")
        << QByteArray("FileName;--not defined--;--not defined--;--not defined--;--not defined--;--not defined--;")
        << QByteArray("FileName;--not defined--;--not defined--;--not defined--;--not defined--;--not defined--;");
    QTest::newRow("eight columns") << QByteArray("1;2;3;4;5;6;7;8;") << QByteArray("1;2;3;4;5;6;");
    QTest::newRow("texts that are not UTF-8") << QByteArray("Feld \xE4;\xC3;;;;;") << QByteArray("Feld \xE4;\xC3;;;;;");
}

void ReportOptionsDialogTest::okWritesTheSixFieldForm()
{
    QFETCH(QByteArray, before);
    QFETCH(QByteArray, after);
    TformSetupReport dialog;
    std::string reportFld = before.toStdString();
    QVERIFY(runDialog(dialog, fieldLabels(20), reportFld, [&] { clickOk(dialog); }));
    QCOMPARE(QByteArray::fromStdString(reportFld), after);
}

void ReportOptionsDialogTest::cancelAndCloseKeepTheValue_data()
{
    QTest::addColumn<bool>("byCloseButton");
    QTest::newRow("Cancel") << false;
    QTest::newRow("close button") << true;
}

void ReportOptionsDialogTest::cancelAndCloseKeepTheValue()
{
    QFETCH(bool, byCloseButton);
    TformSetupReport dialog;
    std::string reportFld = "FileName;Field 2";
    QVERIFY(!runDialog(dialog, fieldLabels(20), reportFld, [&] {
        dialog.column(1)->setCurrentIndex(3);
        typeInto(dialog.column(6), QStringLiteral("Field 4"));
        if (byCloseButton)
            dialog.close();
        else
            clickCancel(dialog);
    }));
    QCOMPARE(reportFld, std::string("FileName;Field 2"));
    QVERIFY(!dialog.isVisible());
}

void ReportOptionsDialogTest::typedTextsAreKeptExactly()
{
    TformSetupReport dialog;
    std::string reportFld;
    QVERIFY(runDialog(dialog, fieldLabels(20), reportFld, [&] {
        // Lower case stays lower case, also confirmed by Enter, and nothing is added to the list.
        typeInto(dialog.column(2), QStringLiteral(" Field 3 "));
        dialog.column(3)->setCurrentIndex(dialog.column(3)->findText(QStringLiteral("Field 20")));
        typeInto(dialog.column(1), QStringLiteral("filename"));
        QTest::keyClick(dialog.column(1)->lineEdit(), Qt::Key_Return);
    }));
    QCOMPARE(dialog.column(1)->count(), 22);
    QCOMPARE(reportFld, std::string("filename; Field 3 ;Field 20;;;;"));
}

void ReportOptionsDialogTest::aTypedSemicolonShiftsTheFollowingColumns()
{
    TformSetupReport dialog;
    std::string reportFld = "FileName;Field 2;Field 3;Field 4;Field 5;Field 6;";
    QVERIFY(runDialog(dialog, fieldLabels(20), reportFld, [&] {
        typeInto(dialog.column(1), QStringLiteral("Field 1;Field 2"));
        clickOk(dialog);
    }));
    QCOMPARE(reportFld, std::string("Field 1;Field 2;Field 2;Field 3;Field 4;Field 5;Field 6;"));

    // Opened again, the columns show the shift and the former column 6 is gone.
    dialog.prepare(fieldLabels(20), reportFld);
    QCOMPARE(texts(dialog),
             QStringList({QStringLiteral("Field 1"), QStringLiteral("Field 2"), QStringLiteral("Field 2"),
                          QStringLiteral("Field 3"), QStringLiteral("Field 4"), QStringLiteral("Field 5")}));
}

void ReportOptionsDialogTest::keyboardReachesOkAndCancel_data()
{
    QTest::addColumn<int>("key");
    QTest::addColumn<int>("tabs"); // Tab presses from column 6 before the key
    QTest::addColumn<bool>("confirmed");
    QTest::newRow("Enter in a column") << int(Qt::Key_Return) << 0 << true;
    QTest::newRow("Enter of the key pad") << int(Qt::Key_Enter) << 0 << true;
    QTest::newRow("Escape") << int(Qt::Key_Escape) << 0 << false;
    QTest::newRow("Tab to Ok, Space") << int(Qt::Key_Space) << 1 << true;
    QTest::newRow("Tab to Cancel, Enter") << int(Qt::Key_Return) << 2 << false;
    QTest::newRow("Tab to Cancel, Space") << int(Qt::Key_Space) << 2 << false;
}

void ReportOptionsDialogTest::keyboardReachesOkAndCancel()
{
    QFETCH(int, key);
    QFETCH(int, tabs);
    QFETCH(bool, confirmed);
    TformSetupReport dialog;
    std::string reportFld = "FileName;";
    QWidget* focused = nullptr;
    QCOMPARE(runDialog(dialog, fieldLabels(20), reportFld,
                       [&] {
                           typeInto(dialog.column(6), QStringLiteral("Field 2"));
                           dialog.activateWindow();
                           QTRY_COMPARE(QApplication::activeWindow(), &dialog);
                           dialog.column(6)->setFocus();
                           for (int i = 0; i < tabs; ++i)
                               QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
                           focused = QApplication::focusWidget();
                           QTest::keyClick(focused, static_cast<Qt::Key>(key));
                           // A pressed button clicks a moment later; the dialog ends then.
                           QTRY_VERIFY(!dialog.isVisible());
                       }),
             confirmed);
    const char* expectedFocus[] = {"cbCol6", "SpeedButton3", "SpeedButton4"};
    QCOMPARE((focused->parentWidget() == dialog.column(6) ? dialog.column(6) : focused)->objectName(),
             QString::fromLatin1(expectedFocus[tabs]));
    QCOMPARE(reportFld, confirmed ? std::string("FileName;;;;;Field 2;") : std::string("FileName;"));
}

QTEST_MAIN(ReportOptionsDialogTest)
#include "ReportOptionsDialogTest.moc"
