// SPDX-License-Identifier: GPL-3.0-or-later
#include "ui/ExplorerButton.h"

#include "ui/PaletteColours.h"

#include <QEnterEvent>
#include <QKeyEvent>
#include <QPainter>
#include <QStyleOptionFocusRect>
#include <algorithm>
#include <cmath>

namespace stencilor::ui {

namespace {

constexpr int kMargin = 3;  // between the bevel and the picture or caption
constexpr int kSpacing = 1; // between the picture and the caption

// Draws a one-pixel bevel along the edges of `rect`: `topLeft` on the upper and left edges,
// `bottomRight` on the lower and right ones.
void drawBevel(QPainter& painter, const QRect& rect, const QColor& topLeft, const QColor& bottomRight)
{
    painter.setPen(topLeft);
    painter.drawLine(rect.topLeft(), rect.topRight());
    painter.drawLine(rect.topLeft(), rect.bottomLeft());
    painter.setPen(bottomRight);
    painter.drawLine(rect.bottomLeft(), rect.bottomRight());
    painter.drawLine(rect.topRight(), rect.bottomRight());
}

} // namespace

TExplorerButton::TExplorerButton(QWidget* parent)
    : QAbstractButton(parent)
{
    // Reached by Tab like every other control, and pressed with Space or Enter.
    setFocusPolicy(Qt::StrongFocus);
    setAttribute(Qt::WA_Hover);
}

void TExplorerButton::setPicture(const QPixmap& picture)
{
    m_picture = picture;
    m_greyPicture = greyedPicture(picture, palette());
    updateGeometry();
    update();
}

QSize TExplorerButton::sizeHint() const
{
    const QSize picture = m_picture.isNull() ? QSize() : m_picture.deviceIndependentSize().toSize();
    // The caption's width rounded up: a caption one fraction of a pixel wider than its room is
    // drawn cut short.
    const QFontMetricsF metrics(font());
    const int captionWidth = text().isEmpty() ? 0 : static_cast<int>(std::ceil(metrics.horizontalAdvance(text())));
    const int captionHeight = text().isEmpty() ? 0 : static_cast<int>(std::ceil(metrics.height()));
    const int spacing = picture.isEmpty() || captionHeight == 0 ? 0 : kSpacing;
    return {std::max(picture.width(), captionWidth) + 2 * (kMargin + 1),
            picture.height() + spacing + captionHeight + 2 * (kMargin + 1)};
}

QSize TExplorerButton::minimumSizeHint() const
{
    return sizeHint();
}

void TExplorerButton::paintEvent(QPaintEvent*)
{
    QPainter painter(this);
    const QRect frame = rect().adjusted(0, 0, -1, -1);
    const bool hot = m_hot && isEnabled();
    const bool down = isDown();
    if (down)
        drawBevel(painter, frame, palette().color(QPalette::Dark), palette().color(QPalette::Light));
    else if (hot)
        drawBevel(painter, frame, palette().color(QPalette::Light), palette().color(QPalette::Dark));

    // Held down, the contents move by one pixel, as a pressed key would.
    QRect inner = rect().adjusted(kMargin + 1, kMargin + 1, -kMargin - 1, -kMargin - 1);
    if (down)
        inner.translate(1, 1);

    const QFontMetrics metrics = fontMetrics();
    const int captionHeight = text().isEmpty() ? 0 : metrics.height();
    if (!m_picture.isNull()) {
        const int spacing = captionHeight == 0 ? 0 : kSpacing;
        const QSize room(inner.width(), std::max(0, inner.height() - captionHeight - spacing));
        // A picture larger than the room is shrunk, keeping its proportions; never enlarged.
        QSize size = m_picture.deviceIndependentSize().toSize();
        if (size.width() > room.width() || size.height() > room.height())
            size = size.scaled(room, Qt::KeepAspectRatio);
        if (!size.isEmpty()) {
            const QRect target(inner.left() + (inner.width() - size.width()) / 2,
                               inner.top() + (room.height() - size.height()) / 2, size.width(), size.height());
            painter.setRenderHint(QPainter::SmoothPixmapTransform);
            painter.drawPixmap(target, hot || down ? m_picture : m_greyPicture);
        }
    }
    if (captionHeight > 0) {
        const QRect caption(inner.left(), inner.bottom() + 1 - captionHeight, inner.width(), captionHeight);
        painter.setPen(palette().color(isEnabled() ? QPalette::Active : QPalette::Disabled, QPalette::ButtonText));
        painter.drawText(caption, Qt::AlignHCenter | Qt::AlignVCenter | Qt::TextSingleLine,
                         metrics.elidedText(text(), Qt::ElideRight, caption.width()));
    }
    if (hasFocus()) {
        QStyleOptionFocusRect focus;
        focus.initFrom(this);
        focus.rect = rect().adjusted(2, 2, -2, -2);
        style()->drawPrimitive(QStyle::PE_FrameFocusRect, &focus, &painter, this);
    }
}

void TExplorerButton::keyPressEvent(QKeyEvent* event)
{
    if (event->key() == Qt::Key_Return || event->key() == Qt::Key_Enter) {
        animateClick();
        event->accept();
        return;
    }
    QAbstractButton::keyPressEvent(event);
}

void TExplorerButton::enterEvent(QEnterEvent* event)
{
    setHot(true);
    QAbstractButton::enterEvent(event);
}

void TExplorerButton::leaveEvent(QEvent* event)
{
    setHot(false);
    QAbstractButton::leaveEvent(event);
}

void TExplorerButton::hideEvent(QHideEvent* event)
{
    // A window closed by this button gets no leave event; shown again, the button must not
    // look as if the mouse were still over it.
    setHot(false);
    QAbstractButton::hideEvent(event);
}

void TExplorerButton::changeEvent(QEvent* event)
{
    // The greyed picture is made towards the window colour of the palette in use.
    if (event->type() == QEvent::PaletteChange)
        m_greyPicture = greyedPicture(m_picture, palette());
    if (event->type() == QEvent::EnabledChange || event->type() == QEvent::PaletteChange)
        update();
    QAbstractButton::changeEvent(event);
}

void TExplorerButton::setHot(bool hot)
{
    if (m_hot == hot)
        return;
    m_hot = hot;
    update();
}

} // namespace stencilor::ui
