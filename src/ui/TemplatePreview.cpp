// SPDX-License-Identifier: GPL-3.0-or-later
#include "ui/TemplatePreview.h"

#include "desktop/TextEditorCommand.h"
#include "ui/ProgramLauncher.h"

#include <cstdlib>

namespace stencilor::ui {

namespace {

std::string environmentValue(const char* name)
{
    const char* value = std::getenv(name);
    return value ? value : "";
}

} // namespace

EditorStart previewTemplate(ProgramLauncher& launcher, const std::string& templatePath, const std::string& projectPath,
                            const std::string& programFolder)
{
    const std::string path = templatePreviewPath(templatePath, projectPath, programFolder);
    TextEditorSearch search =
        findTextEditor(systemXdgDirs(), environmentValue("VISUAL"), environmentValue("PATH"), path);
    EditorStart start{false, std::move(search.tried)};
    if (search.command.empty())
        return start;
    start.started = startCommand(launcher, search.command);
    if (!start.started)
        start.tried.push_back(search.command.front());
    return start;
}

} // namespace stencilor::ui
