// SPDX-License-Identifier: GPL-3.0-or-later
// Every window and dialog as the keyboard and assistive technology meet it: no Alt key stands for
// two things in one window or menu, in English or in German, and every input has a name.

#include "MainWindowFixture.h"
#include "ui/AboutDialog.h"
#include "ui/Translations.h"

#include <QAbstractButton>
#include <QAbstractItemView>
#include <QAbstractSpinBox>
#include <QComboBox>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QMenuBar>
#include <QPlainTextEdit>
#include <QProgressBar>
#include <QTextEdit>
#include <QTranslator>
#include <map>
#include <vector>

using namespace stencilor::ui;
using stencilor::ui::test::MainWindowFixture;

namespace {

// A window with a job open, its dialogs created (the Tools dialogs by their commands) and the
// about box beside it; `walk` gets every window and every menu, each with a name for messages.
void walkEveryWindow(const std::function<void(const QString& name, QWidget* root)>& walk)
{
    MainWindowFixture f;
    f.write(QStringLiteral("work/d.csv"), "a;Ann\nb;Bo\n");
    f.write(QStringLiteral("work/t.html"), "<p>%V%</p>\n");
    T_FRMain* w = f.open(f.write(QStringLiteral("work/p.ql"),
                                 "[setup]\ndelim=;\ntextfile=d.csv\ntemplatefile=t.html\noutputdir=out\n"
                                 "rulesCount=2\n[rules]\nColFld1=Field 2\nColTemp1=%V%\n"));
    QVERIFY(f.trigger("actCheck"));
    QVERIFY(f.trigger("actPreviewOutput"));
    walk(QStringLiteral("main window"), w);
    for (QMenu* menu : w->findChildren<QMenu*>()) {
        emit menu->aboutToShow(); // Open Recent fills itself now
        walk(menu->title(), menu);
    }
    for (QDialog* dialog : w->findChildren<QDialog*>())
        walk(dialog->objectName(), dialog);
    TAboutForm about;
    walk(about.objectName(), &about);
}

// Whether `widget` is a part of a control (the edit of a combo box, the header of a grid) that
// the control answers for.
bool partOfControl(const QWidget* widget, const QWidget* root)
{
    for (const QWidget* p = widget->parentWidget(); p && p != root; p = p->parentWidget())
        if (qobject_cast<const QComboBox*>(p) || qobject_cast<const QAbstractSpinBox*>(p) ||
            qobject_cast<const QAbstractItemView*>(p) || qobject_cast<const QPlainTextEdit*>(p) ||
            qobject_cast<const QTextEdit*>(p))
            return true;
    return false;
}

// The widgets that the user meets in `root`: shown with it, and in it rather than in a window of
// their own.
QList<QWidget*> widgetsOf(QWidget* root)
{
    QList<QWidget*> widgets;
    for (QWidget* widget : root->findChildren<QWidget*>())
        if (widget->window() == root && widget->isVisibleTo(root) && !partOfControl(widget, root))
            widgets << widget;
    return widgets;
}

// The texts in `root` that carry an Alt key: menu items, the menu bar, buttons, group boxes and
// the captions of a control.
QStringList keyedTexts(QWidget* root)
{
    QStringList texts;
    const auto actions = [&texts](const QList<QAction*>& list) {
        for (const QAction* action : list)
            if (action->isVisible() && !action->isSeparator())
                texts << action->text();
    };
    if (auto* menu = qobject_cast<QMenu*>(root)) {
        actions(menu->actions());
        return texts;
    }
    for (QWidget* widget : widgetsOf(root)) {
        if (auto* bar = qobject_cast<QMenuBar*>(widget))
            actions(bar->actions());
        else if (auto* button = qobject_cast<QAbstractButton*>(widget))
            texts << button->text();
        else if (auto* group = qobject_cast<QGroupBox*>(widget))
            texts << group->title();
        else if (auto* label = qobject_cast<QLabel*>(widget); label && label->buddy())
            texts << label->text();
    }
    return texts;
}

// An input the user types, picks or reads a value in, which a screen reader must name.
bool isInput(const QWidget* widget)
{
    if (const auto* button = qobject_cast<const QAbstractButton*>(widget))
        return button->text().isEmpty();
    return qobject_cast<const QLineEdit*>(widget) || qobject_cast<const QComboBox*>(widget) ||
           qobject_cast<const QAbstractSpinBox*>(widget) || qobject_cast<const QPlainTextEdit*>(widget) ||
           qobject_cast<const QTextEdit*>(widget) || qobject_cast<const QAbstractItemView*>(widget) ||
           qobject_cast<const QProgressBar*>(widget);
}

void removeTranslations()
{
    for (QTranslator* translator : QCoreApplication::instance()->findChildren<QTranslator*>())
        QCoreApplication::removeTranslator(translator);
}

} // namespace

class KeysAndNamesTest : public QObject {
    Q_OBJECT

private slots:
    void noKeyStandsForTwoThings_data()
    {
        QTest::addColumn<QLocale>("language");
        QTest::newRow("English") << QLocale(QLocale::English, QLocale::UnitedStates);
        QTest::newRow("German") << QLocale(QLocale::German, QLocale::Germany);
    }

    void noKeyStandsForTwoThings()
    {
        QFETCH(QLocale, language);
        installTranslations(language);
        int keys = 0;
        walkEveryWindow([&](const QString& name, QWidget* root) {
            std::map<int, QStringList> owners;
            for (const QString& text : keyedTexts(root))
                if (const QKeySequence key = QKeySequence::mnemonic(text); !key.isEmpty())
                    owners[key[0].toCombined()] << text;
            for (const auto& [key, texts] : owners)
                QVERIFY2(texts.size() == 1, qPrintable(name + QStringLiteral(": ") + texts.join(QStringLiteral(", "))));
            keys += static_cast<int>(owners.size());
        });
        removeTranslations();
        // The walk saw the keys of the window, its menus and the dialogs.
        QVERIFY(keys > 40);
    }

    void everyInputHasAName()
    {
        int inputs = 0;
        walkEveryWindow([&](const QString& name, QWidget* root) {
            QList<const QWidget*> buddies;
            for (const QLabel* label : root->findChildren<QLabel*>())
                buddies << label->buddy();
            for (const QWidget* widget : widgetsOf(root)) {
                if (!isInput(widget))
                    continue;
                ++inputs;
                QVERIFY2(!widget->accessibleName().isEmpty() || buddies.contains(widget),
                         qPrintable(name + QStringLiteral(": ") + widget->objectName()));
            }
        });
        QVERIFY(inputs > 20);
    }
};

QTEST_MAIN(KeysAndNamesTest)
#include "KeysAndNamesTest.moc"
