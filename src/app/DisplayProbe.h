// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

namespace stencilor {

// True when the window can be shown: Qt is told to use a platform that needs no display server,
// a Wayland socket exists, or an X display accepts a connection (tried through libxcb, the
// library Qt itself connects with). False when no display can be opened, so that the program
// can say so instead of ending in the platform plugin's abort.
bool displayAvailable();

} // namespace stencilor
