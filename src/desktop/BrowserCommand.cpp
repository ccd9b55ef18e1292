// SPDX-License-Identifier: GPL-3.0-or-later
#include "desktop/BrowserCommand.h"

#include <algorithm>
#include <array>

namespace stencilor {

namespace {

bool isControlOrBlank(char c)
{
    return static_cast<unsigned char>(c) < 33;
}

std::string trimControlsAndBlanks(std::string_view text)
{
    while (!text.empty() && isControlOrBlank(text.front()))
        text.remove_prefix(1);
    while (!text.empty() && isControlOrBlank(text.back()))
        text.remove_suffix(1);
    return std::string(text);
}

bool isProgramExtension(std::string_view four)
{
    std::array<char, 4> upper{};
    for (std::size_t i = 0; i < 4; ++i)
        upper[i] = (four[i] >= 'a' && four[i] <= 'z') ? char(four[i] - 'a' + 'A') : four[i];
    const std::string_view text(upper.data(), upper.size());
    return text == ".EXE" || text == ".BAT" || text == ".COM";
}

// The number of characters of `command` that make the program: up to the last program extension,
// or the first word when there is none (0 for an empty command).
std::size_t programLength(std::string_view command)
{
    for (std::size_t end = command.size(); end >= 4; --end)
        if (isProgramExtension(command.substr(end - 4, 4)))
            return end;
    // No extension, as with every Exec line of a desktop entry: the first word is the program. A
    // quoted program ends before its closing quote, which goes with the rest and is deleted there.
    if (!command.empty() && command.front() == '"')
        return std::min(command.find('"', 1), command.size());
    return static_cast<std::size_t>(std::find_if(command.begin(), command.end(), isControlOrBlank) - command.begin());
}

// Deletes every text from a "%" up to, not including, the next space (or to the end).
void deletePercentWords(std::string& text)
{
    for (std::size_t percent = text.find('%'); percent != std::string::npos; percent = text.find('%', percent)) {
        const std::size_t space = text.find(' ', percent);
        text.erase(percent, space == std::string::npos ? std::string::npos : space - percent);
    }
}

} // namespace

BrowserCommandParts splitBrowserCommand(std::string_view command)
{
    BrowserCommandParts parts;
    if (command.empty())
        return parts;
    const std::size_t end = programLength(command);
    if (end < command.size()) {
        std::string rest = trimControlsAndBlanks(command.substr(end));
        std::erase(rest, '"');
        deletePercentWords(rest);
        parts.extraArguments = trimControlsAndBlanks(rest);
    } else {
        parts.extraArguments = std::string();
    }
    std::string_view program = command.substr(0, end);
    if (!program.empty() && program.front() == '"')
        program.remove_prefix(1);
    parts.program = std::string(program);
    return parts;
}

std::string findBrowserCommand(const XdgDirs& dirs)
{
    const std::vector<std::string> types(std::begin(kBrowserMimeTypes), std::end(kBrowserMimeTypes));
    const std::optional<DesktopEntry> browser =
        preferredApplication(dirs, types, [](const DesktopEntry& entry) { return !entry.terminal; });
    return browser ? browser->exec : std::string();
}

} // namespace stencilor
