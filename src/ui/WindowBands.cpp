// SPDX-License-Identifier: GPL-3.0-or-later
#include "ui/WindowBands.h"

#include "ui/FieldTexts.h"
#include "ui/PaletteColours.h"
#include "ui/QtText.h"

#include <QAbstractItemView>
#include <QAbstractListModel>
#include <QAction>
#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QCompleter>
#include <QFrame>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QMenuBar>
#include <QMimeData>
#include <QProxyStyle>
#include <QPushButton>
#include <QSignalBlocker>
#include <QStyleFactory>
#include <QStyleOptionMenuItem>
#include <QToolButton>
#include <QUrl>
#include <algorithm>
#include <climits>
#include <utility>

namespace stencilor::ui {

namespace {

// The names setThemedIcon keeps on an action or button for refreshThemedIcons.
constexpr char kThemeNameProperty[] = "stencilorThemeIcon";
constexpr char kFallbackProperty[] = "stencilorFallbackIcon";
// What setFieldText put into a field list: the stored text and the text shown for it.
constexpr char kStoredTextProperty[] = "stencilorStoredText";
constexpr char kShownTextProperty[] = "stencilorShownText";
// The role of a field list's items that holds the stored label.
constexpr int kStoredRole = Qt::UserRole + 1;

// Presses the button it watches when Enter or Return reaches it.
class EnterPresses final : public QObject {
public:
    using QObject::QObject;

protected:
    bool eventFilter(QObject* watched, QEvent* event) override
    {
        if (event->type() == QEvent::KeyPress) {
            const int key = static_cast<QKeyEvent*>(event)->key();
            auto* button = qobject_cast<QAbstractButton*>(watched);
            if (button && (key == Qt::Key_Return || key == Qt::Key_Enter)) {
                button->animateClick();
                return true;
            }
        }
        return QObject::eventFilter(watched, event);
    }
};

// A caption whose key moves the focus to its buddy and nothing more: a label's key would also
// press a buddy that is a button, so that the key of a step's caption would tick its check box.
class Caption final : public QLabel {
public:
    using QLabel::QLabel;

protected:
    bool event(QEvent* event) override
    {
        // A label takes one shortcut, its own key.
        if (event->type() == QEvent::Shortcut && buddy()) {
            buddy()->setFocus(Qt::ShortcutFocusReason);
            window()->setAttribute(Qt::WA_KeyboardFocusChange);
            return true;
        }
        return QLabel::event(event);
    }
};

// The list of a field list: the label it stores for each field, the label in the window's
// language, and what the open list shows. An editable combo box puts an item's edit text into its
// box, so a pick gives the label alone.
class FieldListModel final : public QAbstractListModel {
public:
    using QAbstractListModel::QAbstractListModel;

    void setItems(QStringList labels, QStringList shown)
    {
        beginResetModel();
        m_labels = std::move(labels);
        m_shown = std::move(shown);
        m_edit.clear();
        m_edit.reserve(m_labels.size());
        for (const QString& label : std::as_const(m_labels))
            m_edit << FieldTexts::shownEntry(label);
        endResetModel();
    }

    int rowCount(const QModelIndex& parent = QModelIndex()) const override
    {
        return parent.isValid() ? 0 : static_cast<int>(m_labels.size());
    }

    QVariant data(const QModelIndex& index, int role) const override
    {
        if (!index.isValid() || index.row() >= m_labels.size())
            return {};
        const qsizetype row = index.row();
        switch (role) {
        case kStoredRole:
            return m_labels[row];
        case Qt::EditRole:
            return m_edit[row];
        case Qt::DisplayRole:
        case Qt::ToolTipRole:
            return row < m_shown.size() && !m_shown[row].isEmpty() ? m_shown[row] : m_edit[row];
        default:
            return {};
        }
    }

private:
    QStringList m_labels;
    QStringList m_edit;
    QStringList m_shown;
};

// The item of `box` whose `role` holds `text` exactly, or -1.
int itemHolding(const QComboBox* box, const QString& text, int role)
{
    return box->findData(text, role, Qt::MatchExactly | Qt::MatchCaseSensitive);
}

// Shows `shown` in `box` with the item that puts that text into the box as its current item, so
// that the open list starts on it (none when no item does).
void showText(QComboBox* box, const QString& shown)
{
    box->setCurrentIndex(itemHolding(box, shown, Qt::EditRole));
    box->setEditText(shown);
}

// The application's style for a menu bar, where Alt alone moves the keyboard into the menu bar
// and shows its current menu highlighted. Some styles take Alt but draw a menu as current only
// while it is open, so the user would not see where the keyboard went.
class AltKeyMenuStyle final : public QProxyStyle {
public:
    using QProxyStyle::QProxyStyle;

    int styleHint(StyleHint hint, const QStyleOption* option, const QWidget* widget,
                  QStyleHintReturn* returnData) const override
    {
        if (hint == SH_MenuBar_AltKeyNavigation)
            return 1;
        return QProxyStyle::styleHint(hint, option, widget, returnData);
    }

    void drawControl(ControlElement element, const QStyleOption* option, QPainter* painter,
                     const QWidget* widget) const override
    {
        // The menu bar has the focus only while the keyboard is in it: its current menu is drawn
        // as an open one is.
        const auto* item = qstyleoption_cast<const QStyleOptionMenuItem*>(option);
        if (element == CE_MenuBarItem && item && (item->state & State_Selected) && widget && widget->hasFocus()) {
            QStyleOptionMenuItem current = *item;
            current.state |= State_Sunken;
            QProxyStyle::drawControl(element, &current, painter, widget);
            return;
        }
        QProxyStyle::drawControl(element, option, painter, widget);
    }
};

} // namespace

QLabel* boldLabel(const QString& text)
{
    auto* label = new QLabel(text);
    QFont font = label->font();
    font.setBold(true);
    label->setFont(font);
    return label;
}

QLabel* captionFor(const QString& text, QWidget* buddy)
{
    auto* label = new Caption(text);
    label->setBuddy(buddy);
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
    const QString name = QString::fromLatin1(themeName);
    // An icon of the desktop's theme follows the theme already (a dark theme has its own set);
    // the style's own pictures are drawn for light backgrounds.
    if (QIcon::hasThemeIcon(name))
        return QIcon::fromTheme(name);
    return iconForPalette(QApplication::style()->standardIcon(fallback), QApplication::palette());
}

void setThemedIcon(QAction* action, const char* themeName, QStyle::StandardPixmap fallback)
{
    action->setProperty(kThemeNameProperty, QByteArray(themeName));
    action->setProperty(kFallbackProperty, static_cast<int>(fallback));
    action->setIcon(themedIcon(themeName, fallback));
}

void setThemedIcon(QAbstractButton* button, const char* themeName, QStyle::StandardPixmap fallback)
{
    button->setProperty(kThemeNameProperty, QByteArray(themeName));
    button->setProperty(kFallbackProperty, static_cast<int>(fallback));
    button->setIcon(themedIcon(themeName, fallback));
}

void refreshThemedIcons(QWidget* root)
{
    const auto refresh = [](auto* item) {
        const QByteArray name = item->property(kThemeNameProperty).toByteArray();
        if (!name.isEmpty())
            item->setIcon(themedIcon(name.constData(),
                                     static_cast<QStyle::StandardPixmap>(item->property(kFallbackProperty).toInt())));
    };
    for (QAction* action : root->findChildren<QAction*>())
        refresh(action);
    for (QAbstractButton* button : root->findChildren<QAbstractButton*>())
        refresh(button);
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
    button->setFixedSize(size.expandedTo(button->sizeHint()));
    pressOnEnter(button);
    return button;
}

void pressOnEnter(QAbstractButton* button)
{
    button->installEventFilter(new EnterPresses(button));
}

void highlightMenuOnAlt(QMenuBar* menuBar)
{
    auto* style = new AltKeyMenuStyle(QStyleFactory::create(QApplication::style()->name()));
    style->setParent(menuBar);
    menuBar->setStyle(style);
}

bool isEnterKey(const QKeyEvent* event)
{
    return (event->key() == Qt::Key_Return || event->key() == Qt::Key_Enter) &&
           !(event->modifiers() & ~Qt::KeypadModifier);
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
    box->setModel(new FieldListModel(box));
    box->setEditable(true);
    box->lineEdit()->setMaxLength(INT_MAX);
    box->setInsertPolicy(QComboBox::NoInsert);
    box->completer()->setCaseSensitivity(Qt::CaseSensitive);
    // The box keeps its width whatever its list holds; the open list is as wide as its texts.
    box->setSizeAdjustPolicy(QComboBox::AdjustToMinimumContentsLengthWithIcon);
    box->setMinimumWidth(100);
    return box;
}

void setFieldList(QComboBox* box, QStringList labels, QStringList shown)
{
    auto* model = dynamic_cast<FieldListModel*>(box->model());
    if (!model) {
        model = new FieldListModel(box);
        box->setModel(model);
    }
    const QString text = box->currentText();
    const QSignalBlocker blocker(box);
    model->setItems(std::move(labels), std::move(shown));
    showText(box, text);
    // The open list shows the whole text beside each label.
    int widest = 0;
    for (int i = 0; i < box->count(); ++i)
        widest = std::max(widest, box->fontMetrics().horizontalAdvance(box->itemData(i, Qt::DisplayRole).toString()));
    box->view()->setMinimumWidth(std::min(widest + 40, 600));
}

void setFieldList(QComboBox* box, const std::vector<std::string>& labels, const std::vector<std::string>& shown)
{
    QStringList items;
    items.reserve(static_cast<qsizetype>(labels.size()));
    for (const std::string& label : labels)
        items << toQt(label);
    QStringList texts;
    texts.reserve(static_cast<qsizetype>(shown.size()));
    for (const std::string& one : shown)
        texts << toQt(one);
    setFieldList(box, std::move(items), std::move(texts));
}

QStringList itemShownTexts(const QComboBox* box)
{
    QStringList texts;
    texts.reserve(box->count());
    for (int i = 0; i < box->count(); ++i)
        texts << box->itemData(i, Qt::DisplayRole).toString();
    return texts;
}

QStringList itemTexts(const QComboBox* box)
{
    QStringList texts;
    texts.reserve(box->count());
    for (int i = 0; i < box->count(); ++i) {
        const QVariant stored = box->itemData(i, kStoredRole);
        texts << (stored.isValid() ? stored.toString() : box->itemText(i));
    }
    return texts;
}

void setFieldText(QComboBox* box, const QString& stored)
{
    const int item = itemHolding(box, stored, kStoredRole);
    const QString shown = item >= 0 ? box->itemData(item, Qt::EditRole).toString() : FieldTexts::shownLabel(stored);
    box->setProperty(kStoredTextProperty, stored);
    box->setProperty(kShownTextProperty, shown);
    showText(box, shown);
}

QString fieldText(const QComboBox* box)
{
    const QString text = box->currentText();
    // Unchanged since it was set: exactly what was stored, whatever it looks like.
    const QVariant shown = box->property(kShownTextProperty);
    if (shown.isValid() && shown.toString() == text)
        return box->property(kStoredTextProperty).toString();
    if (const int item = itemHolding(box, text, Qt::EditRole); item >= 0)
        return box->itemData(item, kStoredRole).toString();
    // A translated text typed in another letter case ("dateiname") is the item it translates; a
    // text in the stored language stays as typed, as the project keeps what the user wrote.
    if (const int item = box->findData(text, Qt::EditRole, Qt::MatchFixedString);
        item >= 0 && box->itemData(item, Qt::EditRole) != box->itemData(item, kStoredRole))
        return box->itemData(item, kStoredRole).toString();
    return FieldTexts::storedLabel(text);
}

QString droppedFile(const QMimeData* mime)
{
    if (!mime || !mime->hasUrls() || mime->urls().size() != 1)
        return {};
    return localFilePath(mime->urls().front());
}

} // namespace stencilor::ui
