// SPDX-License-Identifier: GPL-3.0-or-later
#include "ui/ScreenPlacement.h"

#include <QFontMetrics>
#include <QRect>
#include <QScreen>
#include <QStyle>
#include <QWidget>
#include <QWindow>
#include <algorithm>

namespace stencilor::ui {

namespace {

// The border the estimate gives each side of a frame.
constexpr int kEstimatedBorder = 4;

// The screen `window` opens on: its parent's when it has one.
QScreen* screenOf(const QWidget* window)
{
    const QWidget* anchor = window->parentWidget() ? window->parentWidget()->window() : window;
    return anchor->screen();
}

// Shrinks `window` to the room on its screen and moves it, frame included, so that the middle of
// the frame is at `centre`, as far as the free area of the screen allows.
void placeAround(QWidget* window, QPoint centre)
{
    const QScreen* screen = screenOf(window);
    if (!screen)
        return;
    window->resize(window->size().boundedTo(roomOnScreen(window)));
    const QRect free = screen->availableGeometry();
    QRect frame = QRect(QPoint(0, 0), window->size()).marginsAdded(windowFrame(window));
    frame.moveCenter(centre);
    // Right and bottom edges first, so that a window larger than the screen keeps its top left
    // (and its title bar) on it.
    frame.moveRight(std::min(frame.right(), free.right()));
    frame.moveBottom(std::min(frame.bottom(), free.bottom()));
    frame.moveLeft(std::max(frame.left(), free.left()));
    frame.moveTop(std::max(frame.top(), free.top()));
    // A top-level widget is moved by the top left corner of its frame.
    window->move(frame.topLeft());
}

} // namespace

QMargins windowFrame(const QWidget* window)
{
    if (const QWindow* handle = window->windowHandle(); handle && window->isVisible()) {
        const QMargins known = handle->frameMargins();
        if (!known.isNull())
            return known;
    }
    const int title = std::max(window->style()->pixelMetric(QStyle::PM_TitleBarHeight, nullptr, window),
                               QFontMetrics(window->font()).height() + 2 * kEstimatedBorder);
    return QMargins(kEstimatedBorder, title + kEstimatedBorder, kEstimatedBorder, kEstimatedBorder);
}

QSize roomOnScreen(const QWidget* window)
{
    const QScreen* screen = screenOf(window);
    if (!screen)
        return QSize(QWIDGETSIZE_MAX, QWIDGETSIZE_MAX);
    return screen->availableGeometry().size().shrunkBy(windowFrame(window)).expandedTo(QSize(0, 0));
}

void centreOnScreen(QWidget* window)
{
    if (const QScreen* screen = screenOf(window))
        placeAround(window, screen->availableGeometry().center());
}

void centreOver(QWidget* window, const QWidget* owner)
{
    placeAround(window, owner->window()->frameGeometry().center());
}

} // namespace stencilor::ui
