// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

// The template preview: the template file opened in the desktop's text editor, which the program
// does not wait for and keeps no link to.

#include <string>
#include <vector>

namespace stencilor::ui {

class ProgramLauncher;

// What became of a template preview.
struct EditorStart {
    bool started = false;
    std::vector<std::string> tried; // the programs looked for in vain, or that did not start
};

// Starts the text editor (see findTextEditor) on the template `templatePath` (the text of the
// template edit; a bare name lies beside the project file `projectPath`, a bare project name in
// `programFolder`), the path handed over as one argument. Nothing is checked beforehand: the
// editor reacts to a missing file itself.
EditorStart previewTemplate(ProgramLauncher& launcher, const std::string& templatePath, const std::string& projectPath,
                            const std::string& programFolder);

} // namespace stencilor::ui
