// SPDX-License-Identifier: GPL-3.0-or-later
#include "desktop/TextEditorCommand.h"

#include "project/ProjectFile.h"

#include <algorithm>
#include <iterator>
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

// Editors that draw in the terminal they are started from.
constexpr std::string_view kTerminalEditors[] = {
    "vi", "vim", "vim.basic", "vim.tiny", "nvim", "view", "nano",  "pico", "micro", "joe",   "jed",  "jstar",
    "ne", "ed",  "mcedit",    "mg",       "kak",  "hx",   "helix", "vis",  "nvi",   "elvis", "zile", "emacs-nox"};

} // namespace

std::string templatePreviewPath(std::string_view templatePath, std::string_view projectPath,
                                std::string_view programFolder)
{
    return resolveDataFilePath(templatePath, resolveProjectPath(projectPath, programFolder));
}

bool isTerminalEditor(const XdgDirs& dirs, std::string_view program)
{
    const std::string_view name =
        program.substr(program.rfind('/') == std::string_view::npos ? 0 : program.rfind('/') + 1);
    if (const std::optional<DesktopEntry> entry = findDesktopEntry(dirs, std::string(name) + ".desktop"))
        return entry->terminal;
    return std::find(std::begin(kTerminalEditors), std::end(kTerminalEditors), name) != std::end(kTerminalEditors);
}

TextEditorSearch findTextEditor(const XdgDirs& dirs, std::string_view visual, std::string_view searchPath,
                                const std::string& path)
{
    TextEditorSearch search;
    const std::string terminal = findExecutable(kTerminalEmulator, searchPath);
    bool terminalMissed = false;
    // `command` as it is, or in the terminal emulator when `needsTerminal`; false when it needs
    // one and there is none.
    const auto choose = [&](std::vector<std::string> command, bool needsTerminal) {
        if (!needsTerminal) {
            search.command = std::move(command);
            return true;
        }
        if (terminal.empty()) {
            search.tried.push_back(command.front());
            terminalMissed = true;
            return false;
        }
        command.insert(command.begin(), {terminal, "-e"});
        search.command = std::move(command);
        return true;
    };
    const auto chooseEntry = [&](const std::string& id) {
        const std::optional<DesktopEntry> entry = findDesktopEntry(dirs, id);
        if (!entry)
            return false;
        std::vector<std::string> command = execCommandForFile(entry->exec, path);
        return !command.empty() && choose(std::move(command), entry->terminal);
    };
    const auto finish = [&] {
        if (search.command.empty() && terminalMissed)
            search.tried.emplace_back(kTerminalEmulator);
        // An application may be both a default and an association: it is named once.
        std::vector<std::string> named;
        for (std::string& program : search.tried)
            if (std::find(named.begin(), named.end(), program) == named.end())
                named.push_back(std::move(program));
        search.tried = std::move(named);
        return search;
    };

    for (const std::string& id : defaultApplicationIds(dirs, kTextType))
        if (chooseEntry(id))
            return finish();

    // $VISUAL is a command of its own, not a shell text: its words are the program and options.
    if (std::vector<std::string> command = splitAtBlanks(visual); !command.empty()) {
        const std::string program = command.front();
        if (findExecutable(program, searchPath).empty()) {
            search.tried.push_back(program);
        } else {
            command.push_back(path);
            if (choose(std::move(command), isTerminalEditor(dirs, program)))
                return finish();
        }
    }
    for (std::string_view editor : kCommonTextEditors) {
        if (std::string program = findExecutable(editor, searchPath); !program.empty()) {
            search.command = {program, path};
            return finish();
        }
        search.tried.emplace_back(editor);
    }
    for (const std::string& id : associatedApplicationIds(dirs, kTextType))
        if (chooseEntry(id))
            return finish();
    return finish();
}

} // namespace stencilor
