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

// The program and arguments that open `path` in a text editor, `path` always one argument: the
// desktop's default application for text/plain (one that needs no terminal), else the command in
// `visual` ($VISUAL) split at blanks, else the first of kCommonTextEditors found on `searchPath`
// ($PATH), else any other application associated with text/plain. Empty when there is none.
std::vector<std::string> textEditorCommand(const XdgDirs& dirs, std::string_view visual, std::string_view searchPath,
                                           const std::string& path);

} // namespace stencilor
