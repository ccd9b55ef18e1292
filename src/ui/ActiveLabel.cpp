// SPDX-License-Identifier: GPL-3.0-or-later
#include "ui/ActiveLabel.h"

#include <QKeyEvent>
#include <QMouseEvent>
#include <QStyleOptionFocusRect>
#include <QStylePainter>

namespace stencilor::ui {

ActiveLabel::ActiveLabel(const QString& text, QWidget* parent)
    : QLabel(text, parent)
{
    setActive(true);
}

void ActiveLabel::setActive(bool active)
{
    m_active = active;
    setFocusPolicy(active ? Qt::StrongFocus : Qt::NoFocus);
    setCursor(active ? Qt::PointingHandCursor : Qt::ArrowCursor);
    if (!active && hasFocus())
        focusNextChild();
}

void ActiveLabel::setElidedText(const QString& text)
{
    m_elided = true;
    m_full = text;
    updateGeometry();
    elide();
}

QSize ActiveLabel::minimumSizeHint() const
{
    const QSize hint = QLabel::minimumSizeHint();
    return m_elided ? QSize(0, hint.height()) : hint;
}

QSize ActiveLabel::sizeHint() const
{
    const QSize hint = QLabel::sizeHint();
    return m_elided ? QSize(0, hint.height()) : hint;
}

void ActiveLabel::keyPressEvent(QKeyEvent* event)
{
    const int key = event->key();
    if (m_active && !(event->modifiers() & ~Qt::KeypadModifier) &&
        (key == Qt::Key_Return || key == Qt::Key_Enter || key == Qt::Key_Space)) {
        event->accept();
        emit activated();
        return;
    }
    QLabel::keyPressEvent(event);
}

void ActiveLabel::mouseReleaseEvent(QMouseEvent* event)
{
    // A click is the left button released over the label.
    if (m_active && event->button() == Qt::LeftButton && rect().contains(event->position().toPoint())) {
        event->accept();
        emit activated();
        return;
    }
    QLabel::mouseReleaseEvent(event);
}

void ActiveLabel::paintEvent(QPaintEvent* event)
{
    QLabel::paintEvent(event);
    if (!hasFocus())
        return;
    QStylePainter painter(this);
    QStyleOptionFocusRect frame;
    frame.initFrom(this);
    // Around the text, which may stand at one side of a wider label.
    frame.rect = style()
                     ->itemTextRect(fontMetrics(), contentsRect(), static_cast<int>(alignment()), isEnabled(), text())
                     .adjusted(-2, -1, 2, 1)
                     .intersected(rect());
    frame.backgroundColor = palette().color(backgroundRole());
    painter.drawPrimitive(QStyle::PE_FrameFocusRect, frame);
}

void ActiveLabel::resizeEvent(QResizeEvent* event)
{
    QLabel::resizeEvent(event);
    elide();
}

void ActiveLabel::elide()
{
    if (m_elided)
        setText(fontMetrics().elidedText(m_full, Qt::ElideRight, width()));
}

} // namespace stencilor::ui
