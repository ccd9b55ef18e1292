// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

// The look the main window's bands share: raised panels that keep their height, bold step
// captions with their keys, flat picture buttons with pictures that follow the desktop's theme,
// and edits and lists that hold any project value.

#include <QIcon>
#include <QSize>
#include <QString>
#include <QStringList>
#include <QStyle>
#include <string>
#include <vector>

class QAbstractButton;
class QAction;
class QCheckBox;
class QComboBox;
class QFrame;
class QHBoxLayout;
class QKeyEvent;
class QLabel;
class QLineEdit;
class QMenuBar;
class QMimeData;
class QPushButton;
class QToolButton;
class QWidget;

namespace stencilor::ui {

// A label in bold type.
QLabel* boldLabel(const QString& text);

// A caption whose key (the letter after "&", pressed with Alt) moves the focus to `buddy`; a buddy
// that is a button gets the focus without being pressed.
QLabel* captionFor(const QString& text, QWidget* buddy);

// A band of the window named `name`: a raised panel.
QFrame* newBand(const char* name);

// Fixes the height of `band` at `height`, or more when the desktop's font needs it.
void fixHeight(QWidget* band, int height);

// A row without margins, its widgets `spacing` pixels apart.
QHBoxLayout* row(int spacing = 6);

// The desktop theme's icon `themeName`, or the style's `fallback` where the theme has none, as it
// should show on the application's palette (see iconForPalette).
QIcon themedIcon(const char* themeName, QStyle::StandardPixmap fallback);

// Gives `action` or `button` the themed icon and remembers its names, so that
// refreshThemedIcons can take it again when the desktop's palette or theme changes.
void setThemedIcon(QAction* action, const char* themeName, QStyle::StandardPixmap fallback);
void setThemedIcon(QAbstractButton* button, const char* themeName, QStyle::StandardPixmap fallback);

// Takes the themed icon afresh for every action and button below `root` that setThemedIcon set.
void refreshThemedIcons(QWidget* root);

// A flat button named `name` with its picture above the caption, as on the tool bars, `size`
// large (larger only where the desktop's font needs more room for the caption). It takes the
// focus with Tab and is pressed with Space or Enter.
QToolButton* flatButton(const char* name, const QString& text, const QIcon& icon, QSize size);

// Makes Enter and Return press `button` while it has the focus, as Space does.
void pressOnEnter(QAbstractButton* button);

// Whether `event` is Enter or Return alone (the key pad's Enter included).
bool isEnterKey(const QKeyEvent* event);

// Makes Alt pressed and released alone move the keyboard into `menuBar` with its first menu
// highlighted, as the common desktops' styles do.
void highlightMenuOnAlt(QMenuBar* menuBar);

// A line edit named `name` that holds a value of any length; `width` fixes its width when > 0.
QLineEdit* newEdit(const char* name, int width = 0);

QPushButton* newButton(const char* name, const QString& text);
QCheckBox* newCheckBox(const char* name, const QString& text);

// An editable field list named `name`: the user picks a label or types any text, which is never
// added to the list and never has its letter case changed by completion.
QComboBox* newFieldList(const char* name);

// Replaces the list of the editable `box` with `labels`, keeping the text it shows. The open list
// shows `shown[i]` for label i where given ("Field 4 — Berlin"); picking it puts the label itself
// into the box, in the window's language ("Feld 4", see FieldTexts). A box not made by
// newFieldList gets the list model it needs.
void setFieldList(QComboBox* box, QStringList labels, QStringList shown = {});
void setFieldList(QComboBox* box, const std::vector<std::string>& labels, const std::vector<std::string>& shown = {});

// The labels of the items of `box`, in order, as a project stores them.
QStringList itemTexts(const QComboBox* box);

// Shows the stored text `stored` in the field list `box`, in the window's language, with the
// item it names as the current one (the open list starts there).
void setFieldText(QComboBox* box, const QString& stored);
// The text of `box` as a project stores it: exactly what setFieldText was given while the box
// still shows it; a label shown or typed in the window's language in its stored form.
QString fieldText(const QComboBox* box);
// What the open list of `box` shows for each item, in order.
QStringList itemShownTexts(const QComboBox* box);

// The one local file that `mime` carries (a file dragged from a file manager), as the window
// shows paths; empty when it carries anything else.
QString droppedFile(const QMimeData* mime);

} // namespace stencilor::ui
