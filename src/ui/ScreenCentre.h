#pragma once

#include <QScreen>
#include <QWidget>

namespace stencilor::ui {

// Moves the top-level `window`, frame included, to the middle of the free area of its screen
// (the screen of its parent when it has one).
inline void centreOnScreen(QWidget* window)
{
    const QWidget* anchor = window->parentWidget() ? window->parentWidget()->window() : window;
    const QScreen* screen = anchor->screen();
    if (!screen)
        return;
    QRect frame = window->frameGeometry();
    frame.moveCenter(screen->availableGeometry().center());
    window->move(frame.topLeft());
}

} // namespace stencilor::ui
