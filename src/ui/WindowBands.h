#pragma once

// The look the main window's bands share: raised panels that keep their height, bold step
// captions, flat picture buttons, and edits and lists that hold any project value.

#include <QIcon>
#include <QSize>
#include <QString>
#include <QStyle>
#include <string>
#include <vector>

class QCheckBox;
class QComboBox;
class QFrame;
class QHBoxLayout;
class QLabel;
class QLineEdit;
class QPushButton;
class QToolButton;
class QWidget;

namespace stencilor::ui {

// A label in bold type.
QLabel* boldLabel(const QString& text);

// A band of the window named `name`: a raised panel.
QFrame* newBand(const char* name);

// Fixes the height of `band` at `height`, or more when the desktop's font needs it.
void fixHeight(QWidget* band, int height);

// A row without margins, its widgets `spacing` pixels apart.
QHBoxLayout* row(int spacing = 6);

// The desktop theme's icon `themeName`, or the style's `fallback` where the theme has none.
QIcon themedIcon(const char* themeName, QStyle::StandardPixmap fallback);

// A flat button named `name` with its picture above the caption, as on the tool bars, `size`
// large (wider only when the desktop's font needs more room for the caption).
QToolButton* flatButton(const char* name, const QString& text, const QIcon& icon, QSize size);

// A line edit named `name` that holds a value of any length; `width` fixes its width when > 0.
QLineEdit* newEdit(const char* name, int width = 0);

QPushButton* newButton(const char* name, const QString& text);
QCheckBox* newCheckBox(const char* name, const QString& text);

// An editable field list named `name`: the user picks a label or types any text, which is never
// added to the list and never has its letter case changed by completion.
QComboBox* newFieldList(const char* name);

// Replaces the list of `box` with `labels`, keeping the text it shows.
void setFieldList(QComboBox* box, const std::vector<std::string>& labels);

// The texts of the items of `box`, in order.
QStringList itemTexts(const QComboBox* box);

} // namespace stencilor::ui
