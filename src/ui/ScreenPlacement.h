// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

// Where a window goes on its screen: every window fits the free area of its screen (the screen
// less its panels), title bar and frame included, and opens on it.

#include <QMargins>
#include <QSize>

class QWidget;

namespace stencilor::ui {

// The frame the window manager puts around the top-level `window`: what it reported once the
// window is shown; before that (or on a platform that reports none) an estimate, a title bar as
// tall as the style draws one and thin borders, which is rather more than most window managers use.
QMargins windowFrame(const QWidget* window);

// The largest size the client area of `window` may have so that the window, frame included, fits
// the free area of its screen.
QSize roomOnScreen(const QWidget* window);

// Shrinks the top-level `window` to fit its screen where it is larger, and moves it, frame
// included, to the middle of the free area of its screen (the screen of its parent when it has
// one). A window whose smallest size is larger than the screen keeps its title bar on the screen.
void centreOnScreen(QWidget* window);

// The same, centred over `owner`'s window as far as the screen allows.
void centreOver(QWidget* window, const QWidget* owner);

} // namespace stencilor::ui
