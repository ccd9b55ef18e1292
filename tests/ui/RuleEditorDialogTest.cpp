// SPDX-License-Identifier: GPL-3.0-or-later
// The rule editor on its own: its controls, the field lists it offers, the sample value,
// "Auto-create identifier", the keys of the identifier box and what Ok and Cancel give back.

#include "ui/RuleEditorDialog.h"

#include "datasource/DataSourceCheck.h"
#include "rules/RulesTable.h"
#include "ui/QtText.h"

#include <QCheckBox>
#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QTest>
#include <QTimer>
#include <QToolButton>
#include <functional>
#include <string>
#include <vector>

Q_DECLARE_METATYPE(std::vector<stencilor::Rule>)

using namespace stencilor;
using namespace stencilor::ui;

namespace {

QStringList labelsUpTo(int count)
{
    QStringList list;
    for (int n = 1; n <= count; ++n)
        list << QStringLiteral("Field %1").arg(n);
    return list;
}

QStringList labelsOf(const std::vector<int>& numbers)
{
    QStringList list;
    for (int n : numbers)
        list << QStringLiteral("Field %1").arg(n);
    return list;
}

QStringList items(const QComboBox* box)
{
    QStringList list;
    for (int i = 0; i < box->count(); ++i)
        list << box->itemText(i);
    return list;
}

// The opening the main window makes for row `edited` of `rules`: the used-field flags of the
// other rows, `listLabels` labels in the file-name field list.
T_Extract::Opening openingFor(const std::vector<Rule>& rules, std::size_t edited, std::int64_t fieldCount,
                              int listLabels, std::string sampleLine = {}, std::string delimiter = ";")
{
    RulesTable table;
    table.setRowCount(rules.size() + 1);
    for (std::size_t i = 0; i < rules.size(); ++i)
        table.rule(i) = rules[i];
    T_Extract::Opening opening;
    opening.sampleLine = std::move(sampleLine);
    opening.delimiter = std::move(delimiter);
    opening.fieldCount = fieldCount;
    opening.usedFields = table.usedFields(fieldCount, edited);
    opening.fieldLabels = labelsUpTo(listLabels);
    opening.rule = rules.at(edited);
    return opening;
}

// Shows `dialog` modally and runs `act` inside its loop; returns how the dialog ended.
int execWith(T_Extract& dialog, const std::function<void()>& act)
{
    bool ran = false;
    QTimer::singleShot(0, &dialog, [&] {
        ran = true;
        act();
    });
    const int result = dialog.exec();
    if (!ran)
        qWarning("the dialog closed before the test acted");
    return result;
}

class RuleEditorDialogTest final : public QObject {
    Q_OBJECT

private:
    template <class Widget> Widget* child(const T_Extract& dialog, const char* name)
    {
        auto* found = dialog.findChild<Widget*>(QString::fromLatin1(name));
        if (!found)
            qFatal("no widget %s", name);
        return found;
    }

private slots:
    void controlsCaptionsAndSizes()
    {
        T_Extract dialog;
        QCOMPARE(dialog.windowTitle(), QStringLiteral("Add / Edit rule"));
        const struct {
            const char* name;
            const char* caption;
        } captions[] = {
            {"Label5", "Select &field"},
            {"Label1", "Field value  (1 record from CSV)"},
            {"Label3", "Enter the variable name. For example enter %Name%, etc.. "},
            {"Label4", "The program will search this variable (%Name%) in your HTML template and replace with "
                       "selected field from your datasource CSV file."},
            {"Label2", "Field &Identifier (variable)   in Template"},
        };
        for (const auto& c : captions)
            QCOMPARE(child<QLabel>(dialog, c.name)->text(), QString::fromLatin1(c.caption));
        QCOMPARE(child<QToolButton>(dialog, "SpeedButton5")->text(), QStringLiteral("&Auto-create identifier"));
        QCOMPARE(child<QToolButton>(dialog, "SpeedButton3")->text(), QStringLiteral("Ok"));
        QCOMPARE(child<QToolButton>(dialog, "SpeedButton4")->text(), QStringLiteral("Cancel"));
        auto* hide = child<QCheckBox>(dialog, "ChkHideUse");
        QCOMPARE(hide->text(), QStringLiteral("&hide used fields"));
        QVERIFY(hide->isChecked());
        auto* list = child<QComboBox>(dialog, "cbFieldList");
        QVERIFY(list->isEditable());
        QCOMPARE(items(list), labelsUpTo(5));
        QCOMPARE(list->currentText(), QStringLiteral("Field 1"));
        QVERIFY(child<QLineEdit>(dialog, "EdValueCsv")->isReadOnly());

        dialog.show();
        QVERIFY(QTest::qWaitForWindowExposed(&dialog));
        QCOMPARE(dialog.size(), QSize(718, 447));
        QCOMPARE(child<QWidget>(dialog, "Panel1")->height(), 109);
        auto* identifier = child<QPlainTextEdit>(dialog, "EdTextAfter");
        QCOMPARE(identifier->mapTo(&dialog, QPoint(0, 0)).x(), 72);
        auto* ok = child<QToolButton>(dialog, "SpeedButton3");
        auto* cancel = child<QToolButton>(dialog, "SpeedButton4");
        QCOMPARE(ok->size(), QSize(75, 25));
        QCOMPARE(cancel->size(), QSize(75, 25));
        QVERIFY(ok->mapTo(&dialog, QPoint(0, 0)).x() < cancel->mapTo(&dialog, QPoint(0, 0)).x());
        QVERIFY(ok->mapTo(&dialog, QPoint(0, 0)).y() > identifier->mapTo(&dialog, QPoint(0, 0)).y());

        // The identifier box fills the room the window gives; Ok and Cancel stay at the bottom right.
        const QSize before = identifier->size();
        const QPoint cancelFromCorner = QPoint(dialog.width(), dialog.height()) - cancel->mapTo(&dialog, QPoint(0, 0));
        dialog.resize(818, 547);
        QTRY_COMPARE(identifier->size(), before + QSize(100, 100));
        QCOMPARE(QPoint(dialog.width(), dialog.height()) - cancel->mapTo(&dialog, QPoint(0, 0)), cancelFromCorner);
        QCOMPARE(identifier->mapTo(&dialog, QPoint(0, 0)).x(), 72);
    }

    void openingAndHideUsedLists_data()
    {
        QTest::addColumn<std::vector<Rule>>("rules");
        QTest::addColumn<int>("edited");
        QTest::addColumn<qint64>("fieldCount");
        QTest::addColumn<int>("listLabels");
        QTest::addColumn<bool>("hide");
        QTest::addColumn<QStringList>("opening");
        QTest::addColumn<QStringList>("afterClick");
        QTest::addColumn<QStringList>("clickedBack");

        // The third rule, a blank one, is where Insert on a blank row would open the editor.
        const std::vector<Rule> twoAndFour{{"Field 2", "%b%"}, {"Field 4", "%d%"}, {}};
        QTest::newRow("five fields, rules for 2 and 4")
            << twoAndFour << 2 << qint64{5} << 5 << true << labelsOf({1, 3, 5}) << labelsUpTo(5) << labelsOf({1, 3, 5});
        QTest::newRow("editing the rule for field 2 itself")
            << twoAndFour << 0 << qint64{5} << 5 << true << labelsOf({1, 2, 3, 5}) << labelsUpTo(5)
            << labelsOf({1, 2, 3, 5});
        QTest::newRow("two other rules on field 3")
            << std::vector<Rule>{{"Field 3", "x"}, {"Field 3", "y"}, {}} << 2 << qint64{5} << 5 << true
            << labelsOf({1, 2, 4, 5}) << labelsUpTo(5) << labelsOf({1, 2, 4, 5});
        QTest::newRow("box unticked: ticking hides")
            << twoAndFour << 2 << qint64{5} << 5 << false << labelsUpTo(5) << labelsOf({1, 3, 5}) << labelsUpTo(5);
        QStringList firstTwenty = labelsUpTo(20);
        firstTwenty.removeAll(QStringLiteral("Field 2"));
        firstTwenty.removeAll(QStringLiteral("Field 4"));
        QStringList all500 = labelsUpTo(500);
        all500.removeAll(QStringLiteral("Field 2"));
        all500.removeAll(QStringLiteral("Field 4"));
        QTest::newRow("no data file: twenty labels, then 500")
            << twoAndFour << 2 << qint64{500} << 20 << true << firstTwenty << labelsUpTo(500) << all500;
        QTest::newRow("more fields than the list holds: the list, then all")
            << std::vector<Rule>{{}} << 0 << qint64{600} << 500 << true << labelsUpTo(500) << labelsUpTo(600)
            << labelsUpTo(600);
    }

    void openingAndHideUsedLists()
    {
        QFETCH(std::vector<Rule>, rules);
        QFETCH(int, edited);
        QFETCH(qint64, fieldCount);
        QFETCH(int, listLabels);
        QFETCH(bool, hide);
        QFETCH(QStringList, opening);
        QFETCH(QStringList, afterClick);
        QFETCH(QStringList, clickedBack);

        T_Extract dialog;
        auto* box = child<QCheckBox>(dialog, "ChkHideUse");
        box->setChecked(hide);
        dialog.setOpening(openingFor(rules, static_cast<std::size_t>(edited), fieldCount, listLabels));
        dialog.show();
        QVERIFY(QTest::qWaitForWindowExposed(&dialog));
        auto* list = child<QComboBox>(dialog, "cbFieldList");
        QCOMPARE(items(list), opening);
        const QString shown = list->currentText();
        QCOMPARE(shown, toQt(rules.at(static_cast<std::size_t>(edited)).fieldLabel));

        QTest::mouseClick(box, Qt::LeftButton, {}, QPoint(6, box->height() / 2));
        QCOMPARE(box->isChecked(), !hide);
        QCOMPARE(items(list), afterClick);
        QCOMPARE(list->currentText(), shown);

        // Clicking back builds the labels of fields 1 to the field count itself.
        QTest::mouseClick(box, Qt::LeftButton, {}, QPoint(6, box->height() / 2));
        QCOMPARE(items(list), clickedBack);
    }

    void sampleValueFollowsTheFieldBox_data()
    {
        QTest::addColumn<QString>("typed");
        QTest::addColumn<QString>("value");
        QTest::newRow("field 1") << QStringLiteral("Field 1") << QStringLiteral("Smith");
        QTest::newRow("field 3") << QStringLiteral("Field 3") << QStringLiteral("42");
        QTest::newRow("beyond the line's fields") << QStringLiteral("Field 7") << QString();
        QTest::newRow("no digits") << QStringLiteral("Name") << QString();
        QTest::newRow("field 0") << QStringLiteral("Field 0") << QString();
        QTest::newRow("beyond the integer range") << QStringLiteral("Field 99999999999") << QString();
        QTest::newRow("digits anywhere") << QStringLiteral("2nd") << QStringLiteral("John");
    }

    void sampleValueFollowsTheFieldBox()
    {
        QFETCH(QString, typed);
        QFETCH(QString, value);
        T_Extract dialog;
        dialog.setOpening(openingFor({{"Field 2", ""}}, 0, 5, 5, "Smith;John;42;x;y"));
        dialog.show();
        auto* list = child<QComboBox>(dialog, "cbFieldList");
        auto* sample = child<QLineEdit>(dialog, "EdValueCsv");
        QCOMPARE(sample->text(), QStringLiteral("John"));

        list->lineEdit()->clear();
        QTest::keyClicks(list->lineEdit(), typed);
        QCOMPARE(list->currentText(), typed);
        QCOMPARE(sample->text(), value);

        // Choosing from the list updates it as well.
        list->setCurrentIndex(2);
        QCOMPARE(sample->text(), QStringLiteral("42"));
    }

    void autoCreateIdentifier_data()
    {
        QTest::addColumn<QByteArray>("label");
        QTest::addColumn<QByteArray>("sampleLine");
        QTest::addColumn<QByteArray>("before");
        QTest::addColumn<QByteArray>("after");
        const QByteArray line = "Smith;John;42;x;y";
        QTest::newRow("empty box") << QByteArray("Field 1") << line << QByteArray() << QByteArray("%Smith%");
        QTest::newRow("a second line") << QByteArray("Field 1") << line << QByteArray("%Name%")
                                       << QByteArray("%Name%\r\n%Smith%");
        QTest::newRow("below two lines") << QByteArray("Field 2") << line << QByteArray("a\r\nb")
                                         << QByteArray("a\r\nb\r\n%John%");
        QTest::newRow("after a final line break")
            << QByteArray("Field 2") << line << QByteArray("a\r\n") << QByteArray("a\r\n%John%");
        QTest::newRow("field beyond the line: nothing")
            << QByteArray("Field 7") << line << QByteArray("%Name%") << QByteArray("%Name%");
        QTest::newRow("no data file read: nothing")
            << QByteArray("Field 1") << QByteArray() << QByteArray() << QByteArray();
        // A Latin-1 data file: the identifier holds the value's own bytes, as its template will.
        QTest::newRow("value that is not UTF-8") << QByteArray("Field 2")
                                                 << QByteArray("M\xFCller;Stra\xDF"
                                                               "e")
                                                 << QByteArray()
                                                 << QByteArray("%Stra\xDF"
                                                               "e%");
    }

    void autoCreateIdentifier()
    {
        QFETCH(QByteArray, label);
        QFETCH(QByteArray, sampleLine);
        QFETCH(QByteArray, before);
        QFETCH(QByteArray, after);
        T_Extract dialog;
        dialog.setOpening(openingFor({{label.toStdString(), before.toStdString()}}, 0, 5, 5, sampleLine.toStdString()));
        const int result = execWith(dialog, [&] {
            QTest::mouseClick(child<QToolButton>(dialog, "SpeedButton5"), Qt::LeftButton);
            QTest::mouseClick(child<QToolButton>(dialog, "SpeedButton3"), Qt::LeftButton);
        });
        QCOMPARE(result, int(QDialog::Accepted));
        QCOMPARE(QByteArray::fromStdString(dialog.rule().identifier), after);
        QCOMPARE(QByteArray::fromStdString(dialog.rule().fieldLabel), label);
    }

    void enterConfirmsAndCtrlEnterBreaksTheLine()
    {
        T_Extract dialog;
        dialog.setOpening(openingFor({{"Field 1", ""}}, 0, 5, 5));
        dialog.show();
        QVERIFY(QTest::qWaitForWindowExposed(&dialog));
        auto* identifier = child<QPlainTextEdit>(dialog, "EdTextAfter");
        identifier->setFocus();
        QTest::keyClicks(identifier, QStringLiteral("%A%"));
        QTest::keyClick(identifier, Qt::Key_Return, Qt::ShiftModifier);
        QTest::keyClicks(identifier, QStringLiteral("B"));
        QTest::keyClick(identifier, Qt::Key_Return, Qt::ControlModifier);
        QTest::keyClicks(identifier, QStringLiteral("C"));
        QTest::keyClick(identifier, Qt::Key_Enter, Qt::ControlModifier | Qt::KeypadModifier);
        QTest::keyClicks(identifier, QStringLiteral("D"));
        QVERIFY(dialog.isVisible());
        // Enter alone is Ok, with the identifier as typed.
        QTest::keyClick(identifier, Qt::Key_Return);
        QVERIFY(!dialog.isVisible());
        QCOMPARE(dialog.result(), int(QDialog::Accepted));
        QCOMPARE(dialog.rule().identifier, std::string("%A%B\r\nC\r\nD"));
    }

    void textsSurviveOkExactly_data()
    {
        QTest::addColumn<QByteArray>("label");
        QTest::addColumn<QByteArray>("identifier");
        QTest::newRow("CR LF") << QByteArray("Field 1") << QByteArray("%A\r\nB%");
        QTest::newRow("lone LF") << QByteArray("Field 1") << QByteArray("%A\nB%");
        QTest::newRow("lone CR") << QByteArray("Field 1") << QByteArray("%A\rB%");
        QTest::newRow("final and empty lines") << QByteArray("Field 2") << QByteArray("\r\n\r\nx\r\n");
        QTest::newRow("blanks and tabs") << QByteArray(" Field 3 ") << QByteArray("  %a\t%  ");
        QTest::newRow("no-break space") << QByteArray("Field 1") << QByteArray("%a\xc2\xa0z%");
        QTest::newRow("bytes that are not UTF-8") << QByteArray("F\xffld 1") << QByteArray("%\xe9t\xe9\r\n%");
        QTest::newRow("empty") << QByteArray("") << QByteArray("");
    }

    void textsSurviveOkExactly()
    {
        QFETCH(QByteArray, label);
        QFETCH(QByteArray, identifier);
        const Rule rule{label.toStdString(), identifier.toStdString()};
        T_Extract dialog;
        dialog.setOpening(openingFor({rule}, 0, 5, 5, "a;b;c"));
        const int result =
            execWith(dialog, [&] { QTest::mouseClick(child<QToolButton>(dialog, "SpeedButton3"), Qt::LeftButton); });
        QCOMPARE(result, int(QDialog::Accepted));
        QCOMPARE(dialog.rule(), rule);
    }

    void editedIdentifierTakesCrLf()
    {
        T_Extract dialog;
        dialog.setOpening(openingFor({{"Field 1", "%A\nB%\rC"}}, 0, 5, 5));
        dialog.show();
        auto* identifier = child<QPlainTextEdit>(dialog, "EdTextAfter");
        identifier->setFocus();
        identifier->moveCursor(QTextCursor::End);
        QTest::keyClicks(identifier, QStringLiteral("Z"));
        QCOMPARE(dialog.rule().identifier, std::string("%A\r\nB%\r\nCZ"));
        // Undone back to the opening text, the row's own bytes come back.
        QTest::keyClick(identifier, Qt::Key_Backspace);
        QCOMPARE(dialog.rule().identifier, std::string("%A\nB%\rC"));
    }

    void freeTextLabelIsWrittenBackAsTyped()
    {
        T_Extract dialog;
        dialog.setOpening(openingFor({{"Field 1", "%x%"}}, 0, 5, 5, "a;b"));
        const int result = execWith(dialog, [&] {
            auto* list = child<QComboBox>(dialog, "cbFieldList");
            list->lineEdit()->clear();
            QTest::keyClicks(list->lineEdit(), QStringLiteral("Name Z"));
            QCOMPARE(child<QLineEdit>(dialog, "EdValueCsv")->text(), QString());
            QTest::mouseClick(child<QToolButton>(dialog, "SpeedButton3"), Qt::LeftButton);
        });
        QCOMPARE(result, int(QDialog::Accepted));
        QCOMPARE(dialog.rule(), (Rule{"Name Z", "%x%"}));
    }

    void okAndCancel_data()
    {
        QTest::addColumn<QString>("how");
        QTest::addColumn<int>("result");
        QTest::newRow("Ok") << QStringLiteral("SpeedButton3") << int(QDialog::Accepted);
        QTest::newRow("Cancel") << QStringLiteral("SpeedButton4") << int(QDialog::Rejected);
        QTest::newRow("Escape") << QStringLiteral("escape") << int(QDialog::Rejected);
        QTest::newRow("Enter in the field box") << QStringLiteral("cbFieldList") << int(QDialog::Accepted);
        QTest::newRow("Enter in the identifier box") << QStringLiteral("EdTextAfter") << int(QDialog::Accepted);
        QTest::newRow("Enter on Cancel") << QStringLiteral("SpeedButton4 Enter") << int(QDialog::Rejected);
        QTest::newRow("closing the window") << QStringLiteral("close") << int(QDialog::Rejected);
    }

    void okAndCancel()
    {
        QFETCH(QString, how);
        QFETCH(int, result);
        T_Extract dialog;
        dialog.setOpening(openingFor({{"Field 1", "%x%"}}, 0, 5, 5));
        const int ended = execWith(dialog, [&] {
            if (how == QStringLiteral("escape")) {
                QTest::keyClick(&dialog, Qt::Key_Escape);
            } else if (how == QStringLiteral("close")) {
                dialog.close();
            } else if (auto* button = dialog.findChild<QToolButton*>(how)) {
                QTest::mouseClick(button, Qt::LeftButton);
            } else {
                // Enter where the focus is: a box, or a button that Tab reached.
                auto* focus = dialog.findChild<QWidget*>(how.section(u' ', 0, 0));
                focus->setFocus();
                auto* box = qobject_cast<QComboBox*>(focus);
                QTest::keyClick(box ? box->lineEdit() : focus, Qt::Key_Return);
            }
        });
        QCOMPARE(ended, result);
        QVERIFY(!dialog.isVisible());
    }

    void hideUsedFieldsCarriesOver()
    {
        const std::vector<Rule> rules{{"Field 2", "%b%"}, {"Field 4", "%d%"}, {"Field 1", "%a%"}};
        T_Extract dialog;
        dialog.setOpening(openingFor(rules, 2, 5, 5));
        execWith(dialog, [&] {
            auto* box = child<QCheckBox>(dialog, "ChkHideUse");
            QTest::mouseClick(box, Qt::LeftButton, {}, QPoint(6, box->height() / 2));
            dialog.reject();
        });
        dialog.setOpening(openingFor(rules, 2, 5, 5));
        QVERIFY(!child<QCheckBox>(dialog, "ChkHideUse")->isChecked());
        QCOMPARE(items(child<QComboBox>(dialog, "cbFieldList")), labelsUpTo(5));
    }
};

} // namespace

QTEST_MAIN(RuleEditorDialogTest)
#include "RuleEditorDialogTest.moc"
