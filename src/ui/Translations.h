// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

// The windows in the user's language: the program's own translation, built into the program, and
// Qt's for the buttons and file dialogs it draws, where the system has it. The command line does
// not use this: its messages stay English, for the scripts that read them.

#include <QLocale>

namespace stencilor::ui {

// Installs into the application the translations for `locale` (the desktop's language by
// default); true when the program has its own translation for it (English needs none).
bool installTranslations(const QLocale& locale = QLocale());

} // namespace stencilor::ui
