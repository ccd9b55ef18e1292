// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

// The colours the windows choose themselves, taken from the desktop's palette or checked against
// it, so that they read well in light and dark themes alike.

#include <QColor>
#include <QIcon>
#include <QPalette>
#include <QPixmap>

namespace stencilor::ui {

// The contrast ratio of two colours as the accessibility guidelines measure it: from 1 (the same
// luminance) to 21 (black on white); 4.5 or more reads well as text.
double contrastRatio(const QColor& first, const QColor& second);

// `preferred` when it reads well on `background`, else black or white, whichever contrasts more.
QColor readableOn(const QColor& background, const QColor& preferred);

// Whether `palette` is a dark theme: its window colour is darker than middle grey.
bool isDarkPalette(const QPalette& palette);

// The marker behind a replaced value in the record preview: a pale yellow on a light base, a
// dark amber on a dark one.
QColor markerColour(const QPalette& palette);

// `icon` as it should show on `palette`: unchanged on a light palette or when it is light
// already; on a dark palette a dark picture has its lightness turned over (hue and transparency
// kept), so a black arrow becomes a light one.
QIcon iconForPalette(const QIcon& icon, const QPalette& palette);

// The picture of a button waiting for the mouse: `picture` without its colour, moved a third of
// the way towards the palette's window colour, transparency kept.
QPixmap greyedPicture(const QPixmap& picture, const QPalette& palette);

} // namespace stencilor::ui
