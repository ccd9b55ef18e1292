// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

// The template preview's two decisions: which file it shows, and which text editor shows it.

#include "desktop/XdgApplications.h"

#include <string>
#include <string_view>
#include <vector>

namespace stencilor {

// The file the template preview opens: `templatePath` as it stands when it has a folder part (a
// "/"), otherwise put into the folder of the project file, which is `projectPath` resolved the
// way the project is loaded (a bare project name lies in `programFolder`, which ends with "/").
// The same file the run and the data source check read; nothing is checked on disk.
std::string templatePreviewPath(std::string_view templatePath, std::string_view projectPath,
                                std::string_view programFolder);

// Graphical text editors tried, in this order, when the desktop names none.
inline constexpr std::string_view kCommonTextEditors[] = {
    "gnome-text-editor", "gedit", "kate", "kwrite", "mousepad", "xed", "pluma", "featherpad", "leafpad", "geany"};

// The desktop's terminal emulator (Debian's alternative), which runs a program given after "-e".
inline constexpr std::string_view kTerminalEmulator = "x-terminal-emulator";

// Whether the editor `program` (a name or a path) draws in a terminal rather than a window of its
// own: its desktop entry ("vim.desktop") says Terminal=true, or, without an entry, it is one of
// the common terminal editors (vi, vim, nano, ...).
bool isTerminalEditor(const XdgDirs& dirs, std::string_view program);

// The editor that opens a file, and what was looked for in vain on the way to it.
struct TextEditorSearch {
    std::vector<std::string> command; // program and arguments, the file one argument; empty: none
    std::vector<std::string> tried;   // programs not found or not usable, in the order looked for
};

// The program and arguments that open `path` in a text editor, `path` always one argument: the
// desktop's default application for text/plain, else the command in `visual` ($VISUAL) split at
// blanks when its program is found on `searchPath` ($PATH), else the first of kCommonTextEditors
// found there, else any other application associated with text/plain. An editor that draws in a
// terminal runs in kTerminalEmulator ("x-terminal-emulator -e vim FILE"): the window has no
// terminal of its own. Without a terminal emulator such an editor is passed over for the
// graphical ones.
TextEditorSearch findTextEditor(const XdgDirs& dirs, std::string_view visual, std::string_view searchPath,
                                const std::string& path);

} // namespace stencilor
