#pragma once

// The template preview: the template file opened in the desktop's text editor, which the program
// does not wait for and keeps no link to.

#include <string>

namespace stencilor::ui {

class ProgramLauncher;

// What became of a template preview.
enum class EditorStart { Started, NotStarted, NoEditor };

// Starts the text editor on the template `templatePath` (the text of the template edit; a bare
// name lies beside the project file `projectPath`, a bare project name in `programFolder`).
// Nothing is checked beforehand: the editor reacts to a missing file itself. NoEditor when the
// desktop names no text editor and none is found, NotStarted when the one found did not start.
EditorStart previewTemplate(ProgramLauncher& launcher, const std::string& templatePath, const std::string& projectPath,
                            const std::string& programFolder);

// Starts the desktop's text editor (see textEditorCommand) on `path`, handed over as one argument.
// False when no editor is known or it did not start.
bool startTextEditor(ProgramLauncher& launcher, const std::string& path);

} // namespace stencilor::ui
