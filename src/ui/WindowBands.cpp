#include "ui/WindowBands.h"

#include "ui/QtText.h"

#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QCompleter>
#include <QFrame>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QSignalBlocker>
#include <QToolButton>
#include <algorithm>
#include <climits>

namespace stencilor::ui {

QLabel* boldLabel(const QString& text)
{
    auto* label = new QLabel(text);
    QFont font = label->font();
    font.setBold(true);
    label->setFont(font);
    return label;
}

QFrame* newBand(const char* name)
{
    auto* band = new QFrame;
    band->setObjectName(QString::fromLatin1(name));
    band->setFrameShape(QFrame::Panel);
    band->setFrameShadow(QFrame::Raised);
    return band;
}

void fixHeight(QWidget* band, int height)
{
    band->setFixedHeight(std::max(height, band->sizeHint().height()));
}

QHBoxLayout* row(int spacing)
{
    auto* layout = new QHBoxLayout;
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(spacing);
    return layout;
}

QIcon themedIcon(const char* themeName, QStyle::StandardPixmap fallback)
{
    return QIcon::fromTheme(QString::fromLatin1(themeName), QApplication::style()->standardIcon(fallback));
}

QToolButton* flatButton(const char* name, const QString& text, const QIcon& icon, QSize size)
{
    auto* button = new QToolButton;
    button->setObjectName(QString::fromLatin1(name));
    button->setText(text);
    button->setIcon(icon);
    button->setIconSize(QSize(24, 24));
    button->setToolButtonStyle(Qt::ToolButtonTextUnderIcon);
    button->setAutoRaise(true);
    button->setFixedSize(std::max(size.width(), button->sizeHint().width()), size.height());
    return button;
}

QLineEdit* newEdit(const char* name, int width)
{
    auto* edit = new QLineEdit;
    edit->setObjectName(QString::fromLatin1(name));
    // A project value may be longer than the 32767 characters a line edit holds by default.
    edit->setMaxLength(INT_MAX);
    if (width > 0)
        edit->setFixedWidth(width);
    return edit;
}

QPushButton* newButton(const char* name, const QString& text)
{
    auto* button = new QPushButton(text);
    button->setObjectName(QString::fromLatin1(name));
    button->setAutoDefault(false);
    return button;
}

QCheckBox* newCheckBox(const char* name, const QString& text)
{
    auto* box = new QCheckBox(text);
    box->setObjectName(QString::fromLatin1(name));
    return box;
}

QComboBox* newFieldList(const char* name)
{
    auto* box = new QComboBox;
    box->setObjectName(QString::fromLatin1(name));
    box->setEditable(true);
    box->lineEdit()->setMaxLength(INT_MAX);
    box->setInsertPolicy(QComboBox::NoInsert);
    box->completer()->setCaseSensitivity(Qt::CaseSensitive);
    box->setMinimumWidth(100);
    return box;
}

void setFieldList(QComboBox* box, const std::vector<std::string>& labels)
{
    const QString shown = box->currentText();
    const QSignalBlocker blocker(box);
    QStringList items;
    items.reserve(static_cast<qsizetype>(labels.size()));
    for (const std::string& label : labels)
        items << toQt(label);
    box->clear();
    box->addItems(items);
    box->setEditText(shown);
}

QStringList itemTexts(const QComboBox* box)
{
    QStringList texts;
    texts.reserve(box->count());
    for (int i = 0; i < box->count(); ++i)
        texts << box->itemText(i);
    return texts;
}

} // namespace stencilor::ui
