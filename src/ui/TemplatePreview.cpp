#include "ui/TemplatePreview.h"

#include "desktop/TextEditorCommand.h"
#include "ui/ProgramLauncher.h"
#include "ui/QtText.h"

#include <cstdlib>

namespace stencilor::ui {

namespace {

std::string environmentValue(const char* name)
{
    const char* value = std::getenv(name);
    return value ? value : "";
}

EditorStart startEditor(ProgramLauncher& launcher, const std::string& path)
{
    const std::vector<std::string> command =
        textEditorCommand(systemXdgDirs(), environmentValue("VISUAL"), environmentValue("PATH"), path);
    if (command.empty())
        return EditorStart::NoEditor;
    QStringList arguments;
    for (std::size_t i = 1; i < command.size(); ++i)
        arguments << toQt(command[i]);
    return launcher.startDetached(toQt(command.front()), arguments) ? EditorStart::Started : EditorStart::NotStarted;
}

} // namespace

bool startTextEditor(ProgramLauncher& launcher, const std::string& path)
{
    return startEditor(launcher, path) == EditorStart::Started;
}

EditorStart previewTemplate(ProgramLauncher& launcher, const std::string& templatePath, const std::string& projectPath,
                            const std::string& programFolder)
{
    return startEditor(launcher, templatePreviewPath(templatePath, projectPath, programFolder));
}

} // namespace stencilor::ui
