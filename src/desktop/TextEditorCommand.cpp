#include "desktop/TextEditorCommand.h"

#include "project/ProjectFile.h"

#include <optional>

namespace stencilor {

namespace {

const std::string kTextType = "text/plain";

std::vector<std::string> splitAtBlanks(std::string_view text)
{
    std::vector<std::string> words;
    std::size_t i = 0;
    while (i < text.size()) {
        while (i < text.size() && (text[i] == ' ' || text[i] == '\t'))
            ++i;
        const std::size_t start = i;
        while (i < text.size() && text[i] != ' ' && text[i] != '\t')
            ++i;
        if (i > start)
            words.emplace_back(text.substr(start, i - start));
    }
    return words;
}

bool needsNoTerminal(const DesktopEntry& entry)
{
    return !entry.terminal;
}

} // namespace

std::string templatePreviewPath(std::string_view templatePath, std::string_view projectPath,
                                std::string_view programFolder)
{
    return resolveDataFilePath(templatePath, resolveProjectPath(projectPath, programFolder));
}

std::vector<std::string> textEditorCommand(const XdgDirs& dirs, std::string_view visual, std::string_view searchPath,
                                           const std::string& path)
{
    for (const std::string& id : defaultApplicationIds(dirs, kTextType))
        if (const std::optional<DesktopEntry> entry = findDesktopEntry(dirs, id); entry && needsNoTerminal(*entry))
            return execCommandForFile(entry->exec, path);

    // $VISUAL is a command of its own, not a shell text: its words are the program and options.
    if (std::vector<std::string> command = splitAtBlanks(visual); !command.empty()) {
        command.push_back(path);
        return command;
    }
    for (std::string_view editor : kCommonTextEditors)
        if (std::string program = findExecutable(editor, searchPath); !program.empty())
            return {program, path};

    for (const std::string& id : associatedApplicationIds(dirs, kTextType))
        if (const std::optional<DesktopEntry> entry = findDesktopEntry(dirs, id); entry && needsNoTerminal(*entry))
            return execCommandForFile(entry->exec, path);
    return {};
}

} // namespace stencilor
