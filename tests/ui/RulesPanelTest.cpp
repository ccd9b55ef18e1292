// SPDX-License-Identifier: GPL-3.0-or-later
// The rules table in the window: Add Rule, Edit Rule, Insert and Delete Rule through the real
// buttons, the double-click, in-place editing of identifiers, the rule editor as the window opens
// it, and a multi-line identifier through the grid, a save, a load and a run.

#include "MainWindowFixture.h"
#include "project/ProjectSettings.h"
#include "ui/QtText.h"
#include "ui/RuleEditorDialog.h"

#include <QAbstractItemModelTester>
#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPointer>
#include <QTableView>
#include <QTimer>
#include <QToolButton>
#include <algorithm>
#include <functional>

using namespace stencilor;
using namespace stencilor::ui;
using stencilor::ui::test::MainWindowFixture;

namespace {

// A text of the test's table, written in UTF-8.
QString text(const char* utf8)
{
    return QString::fromUtf8(utf8);
}

// Rules as "label -> identifier" lines, as the fixture's rules() gives them.
QStringList ruleLines(std::initializer_list<const char*> lines)
{
    QStringList list;
    for (const char* line : lines)
        list << text(line);
    return list;
}

// The rules grid as "label -> identifier" lines.
QStringList items(const QComboBox* box)
{
    QStringList list;
    for (int i = 0; i < box->count(); ++i)
        list << box->itemText(i);
    return list;
}

QStringList labelsOf(std::initializer_list<int> numbers)
{
    QStringList list;
    for (int n : numbers)
        list << QStringLiteral("Field %1").arg(n);
    return list;
}

// Puts `lines` ("label -> identifier") into the grid as a loaded project would.
void setRules(MainWindowFixture& f, const QStringList& lines)
{
    ProjectSettings settings = f.window()->settingsFromControls();
    settings.rules.setRowCount(static_cast<std::size_t>(lines.size()) + 1);
    for (qsizetype i = 0; i < lines.size(); ++i) {
        const QStringList cells = lines[i].split(QStringLiteral(" -> "));
        settings.rules.rule(static_cast<std::size_t>(i)) = Rule{fromQt(cells.value(0)), fromQt(cells.value(1))};
    }
    f.window()->applySettings(settings);
}

QRect cellRect(const MainWindowFixture& f, int row, int column)
{
    auto* grid = f.widget<QTableView>("gridRules");
    return grid->visualRect(grid->model()->index(row, column));
}

void clickCell(const MainWindowFixture& f, int row, int column)
{
    auto* grid = f.widget<QTableView>("gridRules");
    QTest::mouseClick(grid->viewport(), Qt::LeftButton, {}, cellRect(f, row, column).center());
}

// The in-place editor open on the rules grid, or null.
QLineEdit* inPlaceEditor(const MainWindowFixture& f)
{
    const auto editors = f.widget<QTableView>("gridRules")->viewport()->findChildren<QLineEdit*>();
    const auto open = std::find_if(editors.begin(), editors.end(), [](const QWidget* e) { return e->isVisible(); });
    return open == editors.end() ? nullptr : *open;
}

bool editingInPlace(const MainWindowFixture& f)
{
    return inPlaceEditor(f) != nullptr;
}

int currentRow(const MainWindowFixture& f)
{
    return f.widget<QTableView>("gridRules")->currentIndex().row();
}

// What the rule editor showed when it opened.
struct Seen {
    bool opened = false;
    QString label;
    QString identifier;
    QStringList list;
};

// Runs `start`, answering the rule editor it opens with `answer` (called with the dialog while it
// is shown modally); returns what the editor showed on opening.
Seen withEditor(const std::function<void()>& start, const std::function<void(T_Extract*)>& answer)
{
    Seen seen;
    // The answer is dropped with `context` when no editor opened.
    QObject context;
    QTimer::singleShot(0, &context, [&] {
        auto* editor = qobject_cast<T_Extract*>(QApplication::activeModalWidget());
        if (!editor)
            return;
        seen.opened = true;
        seen.label = editor->findChild<QComboBox*>(QStringLiteral("cbFieldList"))->currentText();
        seen.identifier = editor->findChild<QPlainTextEdit*>(QStringLiteral("EdTextAfter"))->toPlainText();
        seen.list = items(editor->findChild<QComboBox*>(QStringLiteral("cbFieldList")));
        answer(editor);
        if (editor->isVisible())
            editor->reject();
    });
    start();
    return seen;
}

// Types `text` at the end of the identifier box and presses Ok.
std::function<void(T_Extract*)> typeAndOk(const QString& text)
{
    return [text](T_Extract* editor) {
        auto* identifier = editor->findChild<QPlainTextEdit*>(QStringLiteral("EdTextAfter"));
        identifier->setFocus();
        identifier->moveCursor(QTextCursor::End);
        QTest::keyClicks(identifier, text);
        QTest::mouseClick(editor->findChild<QToolButton*>(QStringLiteral("SpeedButton3")), Qt::LeftButton);
    };
}

void pressCancel(T_Extract* editor)
{
    QTest::mouseClick(editor->findChild<QToolButton*>(QStringLiteral("SpeedButton4")), Qt::LeftButton);
}

} // namespace

class RulesPanelTest : public QObject {
    Q_OBJECT

private slots:
    void buttonsActOnTheCurrentRow_data()
    {
        QTest::addColumn<QStringList>("before");
        QTest::addColumn<int>("row");
        QTest::addColumn<QString>("button");
        QTest::addColumn<QString>("typed"); // typed into the editor before Ok; empty: Cancel
        QTest::addColumn<bool>("opens");
        QTest::addColumn<QString>("shownLabel");
        QTest::addColumn<QStringList>("after");
        QTest::addColumn<int>("currentAfter");

        const QStringList blank = ruleLines({" -> "});
        const QStringList three = ruleLines({"Field 1 -> %a%", "Field 2 -> %b%", "Field 3 -> %c%"});
        const QStringList four = three + ruleLines({"Field 4 -> %d%"});

        QTest::newRow("Add on the empty table") << blank << 0 << text("btnAddRule") << text("%N%") << true
                                                << text("Field 1") << ruleLines({"Field 1 -> %N%"}) << 0;
        QTest::newRow("Add after Field 2 and Field 7, cancelled")
            << ruleLines({"Field 2 -> %x%", "Field 7 -> %y%"}) << 0 << text("btnAddRule") << QString() << true
            << text("Field 8") << ruleLines({"Field 2 -> %x%", "Field 7 -> %y%", "Field 8 -> "}) << 2;
        QTest::newRow("Add takes over a label without digits")
            << ruleLines({"Name -> %n%"}) << 0 << text("btnAddRule") << QString() << true << text("Field 1")
            << ruleLines({"Field 1 -> "}) << 0;
        QTest::newRow("Insert on the empty table writes no label")
            << blank << 0 << text("btnInsRule") << text("%i%") << true << QString() << ruleLines({" -> %i%"}) << 0;
        QTest::newRow("Insert into row 2 of three, cancelled")
            << three << 1 << text("btnInsRule") << QString() << true << text("Field 4")
            << ruleLines({"Field 1 -> %a%", "Field 4 -> ", "Field 2 -> %b%", "Field 3 -> %c%"}) << 1;
        QTest::newRow("Insert on a blank row adds none")
            << ruleLines({"Field 1 -> %a%", " -> ", "Field 2 -> %b%"}) << 1 << text("btnInsRule") << text("%z%") << true
            << QString() << ruleLines({"Field 1 -> %a%", " -> %z%", "Field 2 -> %b%"}) << 1;
        QTest::newRow("Edit Rule on row 3")
            << three << 2 << text("btnEditlRule") << text("x") << true << text("Field 3")
            << ruleLines({"Field 1 -> %a%", "Field 2 -> %b%", "Field 3 -> %c%x"}) << 2;
        QTest::newRow("Edit Rule cancelled")
            << three << 0 << text("btnEditlRule") << QString() << true << text("Field 1") << three << 0;
        QTest::newRow("Delete row 2 of four") << four << 1 << text("btnDelRule") << QString() << false << QString()
                                              << ruleLines({"Field 1 -> %a%", "Field 3 -> %c%", "Field 4 -> %d%"}) << 1;
        QTest::newRow("Delete the last row")
            << four << 3 << text("btnDelRule") << QString() << false << QString() << three << 2;
        QTest::newRow("Delete the only rule") << ruleLines({"Field 1 -> %a%"}) << 0 << text("btnDelRule") << QString()
                                              << false << QString() << blank << 0;
    }

    void buttonsActOnTheCurrentRow()
    {
        QFETCH(QStringList, before);
        QFETCH(int, row);
        QFETCH(QString, button);
        QFETCH(QString, typed);
        QFETCH(bool, opens);
        QFETCH(QString, shownLabel);
        QFETCH(QStringList, after);
        QFETCH(int, currentAfter);

        MainWindowFixture f;
        f.open();
        setRules(f, before);
        // Checks that the grid is told of every row the operation adds, removes or changes.
        QAbstractItemModelTester tester(f.widget<QTableView>("gridRules")->model(),
                                        QAbstractItemModelTester::FailureReportingMode::QtTest);
        clickCell(f, row, 1);
        QCOMPARE(currentRow(f), row);

        auto* pressed = f.widget<QToolButton>(button.toLatin1().constData());
        const Seen seen = withEditor([&] { QTest::mouseClick(pressed, Qt::LeftButton); },
                                     typed.isEmpty() ? std::function<void(T_Extract*)>(pressCancel) : typeAndOk(typed));
        QCOMPARE(seen.opened, opens);
        if (opens)
            QCOMPARE(seen.label, shownLabel);
        QCOMPARE(f.rules(), after);
        QCOMPARE(currentRow(f), currentAfter);
        QVERIFY(f.widget<QTableView>("gridRules")->model()->rowCount() >= 1);
    }

    void doubleClickEditsThatRow()
    {
        MainWindowFixture f;
        f.open();
        setRules(f, ruleLines({"Field 1 -> %a%", "Field 2 -> %b%"}));
        auto* grid = f.widget<QTableView>("gridRules");
        for (int column : {1, 2}) {
            const Seen seen = withEditor(
                [&] {
                    QTest::mouseClick(grid->viewport(), Qt::LeftButton, {}, cellRect(f, 1, column).center());
                    QTest::mouseDClick(grid->viewport(), Qt::LeftButton, {}, cellRect(f, 1, column).center());
                },
                typeAndOk(QStringLiteral("!")));
            QVERIFY(seen.opened);
            QCOMPARE(seen.label, QStringLiteral("Field 2"));
            // A double-click in the identifier column opens the editor, not the in-place editor
            // (which a click on a selected cell would open once the double-click time is over).
            QTest::qWait(QApplication::doubleClickInterval() + 100);
            QVERIFY(!editingInPlace(f));
        }
        QCOMPARE(f.rules(), ruleLines({"Field 1 -> %a%", "Field 2 -> %b%!!"}));
    }

    void inPlaceEditingOnlyInTheIdentifierColumn()
    {
        MainWindowFixture f;
        f.open();
        setRules(f, ruleLines({"Field 1 -> %a%"}));
        auto* grid = f.widget<QTableView>("gridRules");

        clickCell(f, 0, 1);
        QTest::keyClicks(grid, QStringLiteral("Q"));
        QTest::keyClick(grid, Qt::Key_F2);
        QVERIFY(!editingInPlace(f));

        clickCell(f, 0, 2);
        QTest::keyClicks(grid, QStringLiteral("Q"));
        QVERIFY(editingInPlace(f));
        QLineEdit* editor = inPlaceEditor(f);
        QVERIFY(editor);
        QTest::keyClicks(editor, QStringLiteral("%Z"));
        QTest::keyClick(editor, Qt::Key_Return);
        // The delegate commits after the key event has been handled.
        QTRY_COMPARE(f.rules(), QStringList{QStringLiteral("Field 1 -> Q%Z")});
        QTRY_VERIFY(!editingInPlace(f));

        // Back in column 1 the in-place editor stays off again.
        clickCell(f, 0, 1);
        QTest::keyClicks(grid, QStringLiteral("W"));
        QVERIFY(!editingInPlace(f));
        QCOMPARE(f.rules(), QStringList{QStringLiteral("Field 1 -> Q%Z")});
    }

    void editorListsAndSampleFromTheWindow()
    {
        // Five fields; rules for 2 and 4; Add opens the editor on a new rule for field 5.
        MainWindowFixture f;
        f.write(QStringLiteral("work/d.csv"), "\nSmith;John;42;x;y\na;b\n");
        f.write(QStringLiteral("work/p.ql"), "[setup]\ndelim=;\ntextfile=d.csv\nrulesCount=3\n[rules]\n"
                                             "ColFld1=Field 2\nColTemp1=%b%\nColFld2=Field 4\nColTemp2=%d%\n");
        f.open(f.path(QStringLiteral("work/p.ql")));
        QCOMPARE(f.window()->dataFileState().csvFieldCount, std::int64_t{5});

        Seen seen = withEditor(
            [&] { QTest::mouseClick(f.widget<QToolButton>("btnAddRule"), Qt::LeftButton); },
            [](T_Extract* editor) {
                QCOMPARE(editor->findChild<QLineEdit*>(QStringLiteral("EdValueCsv"))->text(), QStringLiteral("y"));
                QTest::mouseClick(editor->findChild<QToolButton*>(QStringLiteral("SpeedButton5")), Qt::LeftButton);
                QTest::mouseClick(editor->findChild<QToolButton*>(QStringLiteral("SpeedButton3")), Qt::LeftButton);
            });
        QVERIFY(seen.opened);
        QCOMPARE(seen.list, labelsOf({1, 3, 5}));
        QCOMPARE(f.rules().last(), QStringLiteral("Field 5 -> %y%"));

        // Editing the rule for field 2 itself offers field 2 (5 is now used).
        clickCell(f, 0, 1);
        seen =
            withEditor([&] { QTest::mouseClick(f.widget<QToolButton>("btnEditlRule"), Qt::LeftButton); }, pressCancel);
        QCOMPARE(seen.list, labelsOf({1, 2, 3}));
    }

    void editorWithoutADataFile()
    {
        MainWindowFixture f;
        f.open();
        setRules(f, ruleLines({"Field 2 -> %b%", "Field 4 -> %d%"}));
        // Add writes "Field 5" into a new row; the list leaves out the fields of the other rules.
        QStringList twenty;
        for (int n = 1; n <= 20; ++n)
            if (n != 2 && n != 4)
                twenty << QStringLiteral("Field %1").arg(n);
        int afterClick = 0;
        QString sample = QStringLiteral("unset");
        const Seen seen = withEditor([&] { QTest::mouseClick(f.widget<QToolButton>("btnAddRule"), Qt::LeftButton); },
                                     [&](T_Extract* editor) {
                                         sample = editor->findChild<QLineEdit*>(QStringLiteral("EdValueCsv"))->text();
                                         auto* box = editor->findChild<QCheckBox*>(QStringLiteral("ChkHideUse"));
                                         QTest::mouseClick(box, Qt::LeftButton, {}, QPoint(6, box->height() / 2));
                                         afterClick =
                                             editor->findChild<QComboBox*>(QStringLiteral("cbFieldList"))->count();
                                         pressCancel(editor);
                                     });
        QCOMPARE(seen.list, twenty);
        QCOMPARE(afterClick, 500);
        QCOMPARE(sample, QString());
    }

    void oneEditorForTheProgramsLife()
    {
        MainWindowFixture f;
        f.open();
        const QList<T_Extract*> created = f.window()->findChildren<T_Extract*>();
        QCOMPARE(created.size(), qsizetype{1});
        QPointer<T_Extract> editor = created.front();
        QVERIFY(!editor->isVisible());

        // "hide used fields" unticked in one opening stays unticked in the next.
        withEditor([&] { QTest::mouseClick(f.widget<QToolButton>("btnEditlRule"), Qt::LeftButton); },
                   [](T_Extract* shown) {
                       auto* box = shown->findChild<QCheckBox*>(QStringLiteral("ChkHideUse"));
                       QTest::mouseClick(box, Qt::LeftButton, {}, QPoint(6, box->height() / 2));
                       pressCancel(shown);
                   });
        T_Extract* second = nullptr;
        withEditor([&] { QTest::mouseClick(f.widget<QToolButton>("btnEditlRule"), Qt::LeftButton); },
                   [&](T_Extract* shown) {
                       second = shown;
                       QVERIFY(!shown->findChild<QCheckBox*>(QStringLiteral("ChkHideUse"))->isChecked());
                       pressCancel(shown);
                   });
        QCOMPARE(second, editor.data());

        // Gone for some reason, it is made again when needed.
        delete editor.data();
        const Seen seen =
            withEditor([&] { QTest::mouseClick(f.widget<QToolButton>("btnEditlRule"), Qt::LeftButton); }, pressCancel);
        QVERIFY(seen.opened);
        QCOMPARE(f.window()->findChildren<T_Extract*>().size(), qsizetype{1});
    }

    void multiLineIdentifierSurvivesGridSaveLoadAndRun()
    {
        MainWindowFixture f;
        f.write(QStringLiteral("work/d.csv"), "r1;v1\nr2;v2\n");
        f.write(QStringLiteral("work/t.html"), "<p>%A\nB%</p>\r\n%A\n");
        const QString project =
            f.write(QStringLiteral("work/p.ql"), "[setup]\ndelim=;\ntextfile=d.csv\ntemplatefile=t.html\noutputdir=" +
                                                     f.path(QStringLiteral("out")).toUtf8() +
                                                     "\nnameFromFld=1\nFileNameFld=Field 1\nrulesCount=2\n[rules]\n"
                                                     "ColFld1=Field 2\nColTemp1=\n");
        f.open(project);

        // Typed in the editor as two lines.
        clickCell(f, 0, 2);
        withEditor([&] { QTest::mouseClick(f.widget<QToolButton>("btnEditlRule"), Qt::LeftButton); },
                   [](T_Extract* editor) {
                       auto* identifier = editor->findChild<QPlainTextEdit*>(QStringLiteral("EdTextAfter"));
                       identifier->setFocus();
                       QTest::keyClicks(identifier, QStringLiteral("%A"));
                       QTest::keyClick(identifier, Qt::Key_Return, Qt::ControlModifier);
                       QTest::keyClicks(identifier, QStringLiteral("B%"));
                       QTest::mouseClick(editor->findChild<QToolButton*>(QStringLiteral("SpeedButton3")),
                                         Qt::LeftButton);
                   });
        const std::string expected = "%A\r\nB%";
        QCOMPARE(f.window()->settingsFromControls().rules.rule(0).identifier, expected);

        // Edited in place (its line break kept), then edited back in the rule editor.
        auto* grid = f.widget<QTableView>("gridRules");
        QTest::keyClick(grid, Qt::Key_F2);
        QVERIFY(editingInPlace(f));
        QTest::keyClick(inPlaceEditor(f), Qt::Key_End);
        QTest::keyClicks(inPlaceEditor(f), QStringLiteral("X"));
        QTest::keyClick(inPlaceEditor(f), Qt::Key_Return);
        QTRY_COMPARE(f.window()->settingsFromControls().rules.rule(0).identifier, expected + "X");
        withEditor([&] { QTest::mouseClick(f.widget<QToolButton>("btnEditlRule"), Qt::LeftButton); },
                   [](T_Extract* editor) {
                       auto* identifier = editor->findChild<QPlainTextEdit*>(QStringLiteral("EdTextAfter"));
                       identifier->moveCursor(QTextCursor::End);
                       QTest::keyClick(identifier, Qt::Key_Backspace);
                       QTest::mouseClick(editor->findChild<QToolButton*>(QStringLiteral("SpeedButton3")),
                                         Qt::LeftButton);
                   });
        QCOMPARE(f.window()->settingsFromControls().rules.rule(0).identifier, expected);

        // Saved, and loaded by a fresh window.
        QVERIFY(f.trigger("actSave"));
        QVERIFY(!f.read(QStringLiteral("work/p.ql")).contains("ColTemp1=%A\r\n"));
        f.open(project);
        QCOMPARE(f.window()->settingsFromControls().rules.rule(0).identifier, expected);

        // The run matches it across the template's line end, whatever that line end is.
        QVERIFY(f.trigger("actRun"));
        QCOMPARE(f.read(QStringLiteral("out/r1")), QByteArray("<p>v1</p>\r\n%A\r\n"));
        QCOMPARE(f.read(QStringLiteral("out/r2")), QByteArray("<p>v2</p>\r\n%A\r\n"));
        QCOMPARE(f.dialogs().unexpected(), 0);
    }
};

QTEST_MAIN(RulesPanelTest)
#include "RulesPanelTest.moc"
