// SPDX-License-Identifier: GPL-3.0-or-later
#include "desktop/XdgApplications.h"

#include "platform/FileSystem.h"
#include "project/ProgramPaths.h"

#include <algorithm>
#include <sys/stat.h>
#include <unistd.h>

namespace stencilor {

namespace {

std::vector<std::string_view> splitAt(std::string_view text, char separator)
{
    std::vector<std::string_view> parts;
    std::size_t start = 0;
    while (start <= text.size()) {
        const std::size_t end = std::min(text.find(separator, start), text.size());
        parts.push_back(text.substr(start, end - start));
        start = end + 1;
    }
    return parts;
}

std::string withoutTrailingSlashes(std::string_view folder)
{
    while (folder.size() > 1 && folder.back() == '/')
        folder.remove_suffix(1);
    return std::string(folder);
}

// An absolute folder from the variable, or `fallback` when the variable is unset, empty or relative.
std::string baseFolder(const std::string& value, const std::string& fallback)
{
    return !value.empty() && value.front() == '/' ? withoutTrailingSlashes(value) : fallback;
}

// The absolute folders of a ":"-separated list, or `fallback` when none is given.
std::vector<std::string> folderList(const std::string& value, std::vector<std::string> fallback)
{
    std::vector<std::string> folders;
    for (std::string_view part : splitAt(value, ':'))
        if (!part.empty() && part.front() == '/')
            folders.push_back(withoutTrailingSlashes(part));
    return folders.empty() ? fallback : folders;
}

bool isBlank(char c)
{
    return c == ' ' || c == '\t';
}

std::string_view trimmed(std::string_view text)
{
    while (!text.empty() && isBlank(text.front()))
        text.remove_prefix(1);
    while (!text.empty() && (isBlank(text.back()) || text.back() == '\r'))
        text.remove_suffix(1);
    return text;
}

// The raw value of `key` in the group `group` of a key file's text (the first one when a key
// repeats); nothing when the group or key is missing. Localised keys ("Name[de]") are other keys.
std::optional<std::string_view> keyFileValue(std::string_view text, std::string_view group, std::string_view key)
{
    bool inGroup = false;
    for (std::string_view line : splitAt(text, '\n')) {
        line = trimmed(line);
        if (line.empty() || line.front() == '#')
            continue;
        if (line.front() == '[') {
            inGroup = line.size() >= 2 && line.back() == ']' && line.substr(1, line.size() - 2) == group;
            continue;
        }
        if (!inGroup)
            continue;
        const std::size_t equals = line.find('=');
        if (equals != std::string_view::npos && trimmed(line.substr(0, equals)) == key)
            return trimmed(line.substr(equals + 1));
    }
    return std::nullopt;
}

// A string value with the key file escapes \s \n \t \r \\ decoded; other backslashes stay.
std::string unescapeValue(std::string_view value)
{
    std::string out;
    out.reserve(value.size());
    for (std::size_t i = 0; i < value.size(); ++i) {
        if (value[i] != '\\' || i + 1 == value.size()) {
            out += value[i];
            continue;
        }
        switch (value[i + 1]) {
        case 's':
            out += ' ';
            break;
        case 'n':
            out += '\n';
            break;
        case 't':
            out += '\t';
            break;
        case 'r':
            out += '\r';
            break;
        case '\\':
            out += '\\';
            break;
        default:
            out += value[i];
            out += value[i + 1];
            break;
        }
        ++i;
    }
    return out;
}

void appendNew(std::vector<std::string>& ids, std::string_view id)
{
    if (!id.empty() && std::find(ids.begin(), ids.end(), id) == ids.end())
        ids.emplace_back(id);
}

// The desktop ids listed under `key` in `group` of the file at `path` (";"-separated).
std::vector<std::string> listedIds(const std::string& path, std::string_view group, std::string_view key)
{
    std::vector<std::string> ids;
    const Result<std::string> text = readWholeFile(path);
    if (!text)
        return ids;
    if (const std::optional<std::string_view> value = keyFileValue(text.value(), group, key))
        for (std::string_view id : splitAt(*value, ';'))
            appendNew(ids, trimmed(id));
    return ids;
}

// Every mimeapps.list in order of importance.
std::vector<std::string> mimeAppsLists(const XdgDirs& dirs)
{
    std::vector<std::string> folders;
    if (!dirs.configHome.empty())
        folders.push_back(dirs.configHome);
    folders.insert(folders.end(), dirs.configDirs.begin(), dirs.configDirs.end());
    if (!dirs.dataHome.empty())
        folders.push_back(dirs.dataHome + "/applications");
    for (const std::string& data : dirs.dataDirs)
        folders.push_back(data + "/applications");

    std::vector<std::string> lists;
    for (const std::string& folder : folders) {
        for (const std::string& desktop : dirs.currentDesktops)
            lists.push_back(folder + "/" + desktop + "-mimeapps.list");
        lists.push_back(folder + "/mimeapps.list");
    }
    return lists;
}

std::vector<std::string> applicationFolders(const XdgDirs& dirs)
{
    std::vector<std::string> folders;
    if (!dirs.dataHome.empty())
        folders.push_back(dirs.dataHome + "/applications");
    for (const std::string& data : dirs.dataDirs)
        folders.push_back(data + "/applications");
    return folders;
}

bool isExecutableFile(const std::string& path)
{
    struct stat info {};
    return ::stat(path.c_str(), &info) == 0 && S_ISREG(info.st_mode) && ::access(path.c_str(), X_OK) == 0;
}

} // namespace

XdgDirs xdgDirsFromEnvironment(const std::function<std::string(const char* name)>& getEnv)
{
    const std::string home = withoutTrailingSlashes(getEnv("HOME"));
    const auto homeFolder = [&home](const char* relative) { return home.empty() ? std::string() : home + relative; };

    XdgDirs dirs;
    dirs.configHome = baseFolder(getEnv("XDG_CONFIG_HOME"), homeFolder("/.config"));
    dirs.configDirs = folderList(getEnv("XDG_CONFIG_DIRS"), {"/etc/xdg"});
    dirs.dataHome = baseFolder(getEnv("XDG_DATA_HOME"), homeFolder("/.local/share"));
    dirs.dataDirs = folderList(getEnv("XDG_DATA_DIRS"), {"/usr/local/share", "/usr/share"});
    // Kept in a variable: the views of splitAt point into it, and a temporary would be gone
    // before the loop body runs.
    const std::string currentDesktop = getEnv("XDG_CURRENT_DESKTOP");
    for (std::string_view desktop : splitAt(currentDesktop, ':')) {
        if (desktop.empty())
            continue;
        std::string name(desktop);
        std::transform(name.begin(), name.end(), name.begin(),
                       [](unsigned char c) { return c >= 'A' && c <= 'Z' ? char(c - 'A' + 'a') : char(c); });
        dirs.currentDesktops.push_back(std::move(name));
    }
    return dirs;
}

XdgDirs systemXdgDirs()
{
    return xdgDirsFromEnvironment(systemPathEnvironment().getEnv);
}

std::optional<DesktopEntry> readDesktopEntry(const std::string& path)
{
    const Result<std::string> text = readWholeFile(path);
    if (!text)
        return std::nullopt;
    const std::string_view group = "Desktop Entry";
    const auto value = [&](std::string_view key) { return keyFileValue(text.value(), group, key); };
    if (value("Type") != std::optional<std::string_view>("Application") ||
        value("Hidden") == std::optional<std::string_view>("true"))
        return std::nullopt;
    DesktopEntry entry;
    entry.path = path;
    entry.exec = unescapeValue(value("Exec").value_or(std::string_view()));
    entry.terminal = value("Terminal") == std::optional<std::string_view>("true");
    if (entry.exec.empty())
        return std::nullopt;
    return entry;
}

std::optional<DesktopEntry> findDesktopEntry(const XdgDirs& dirs, std::string_view desktopId)
{
    if (desktopId.empty() || desktopId.find('/') != std::string_view::npos || desktopId.front() == '.')
        return std::nullopt;
    // The id of "applications/vendor/app.desktop" is "vendor-app.desktop": try each "-" from the
    // left as a folder boundary as well.
    std::vector<std::string> relatives{std::string(desktopId)};
    std::string relative(desktopId);
    for (std::size_t dash = relative.find('-'); dash != std::string::npos; dash = relative.find('-', dash + 1)) {
        relative[dash] = '/';
        relatives.push_back(relative);
    }
    for (const std::string& folder : applicationFolders(dirs))
        for (const std::string& candidate : relatives)
            if (fileExists(folder + "/" + candidate))
                return readDesktopEntry(folder + "/" + candidate);
    return std::nullopt;
}

std::vector<std::string> defaultApplicationIds(const XdgDirs& dirs, std::string_view mimeType)
{
    std::vector<std::string> ids;
    for (const std::string& list : mimeAppsLists(dirs))
        for (const std::string& id : listedIds(list, "Default Applications", mimeType))
            appendNew(ids, id);
    return ids;
}

std::vector<std::string> associatedApplicationIds(const XdgDirs& dirs, std::string_view mimeType)
{
    std::vector<std::string> removed;
    std::vector<std::string> ids;
    const auto addUnlessRemoved = [&](const std::vector<std::string>& found) {
        for (const std::string& id : found)
            if (std::find(removed.begin(), removed.end(), id) == removed.end())
                appendNew(ids, id);
    };
    for (const std::string& list : mimeAppsLists(dirs)) {
        for (const std::string& id : listedIds(list, "Removed Associations", mimeType))
            appendNew(removed, id);
        addUnlessRemoved(listedIds(list, "Added Associations", mimeType));
    }
    for (const std::string& folder : applicationFolders(dirs))
        addUnlessRemoved(listedIds(folder + "/mimeinfo.cache", "MIME Cache", mimeType));
    return ids;
}

std::optional<DesktopEntry> preferredApplication(const XdgDirs& dirs, const std::vector<std::string>& mimeTypes,
                                                 const std::function<bool(const DesktopEntry&)>& accept)
{
    using IdLookup = std::vector<std::string> (*)(const XdgDirs&, std::string_view);
    for (IdLookup lookup : {IdLookup(&defaultApplicationIds), IdLookup(&associatedApplicationIds)})
        for (const std::string& mimeType : mimeTypes)
            for (const std::string& id : lookup(dirs, mimeType))
                if (std::optional<DesktopEntry> entry = findDesktopEntry(dirs, id); entry && accept(*entry))
                    return entry;
    return std::nullopt;
}

std::vector<std::string> splitExec(std::string_view exec)
{
    std::vector<std::string> words;
    std::string word;
    bool inWord = false;
    for (std::size_t i = 0; i < exec.size(); ++i) {
        const char c = exec[i];
        if (isBlank(c) || c == '\n' || c == '\r') {
            if (inWord)
                words.push_back(std::move(word));
            word.clear();
            inWord = false;
            continue;
        }
        inWord = true;
        if (c != '"') {
            word += c;
            continue;
        }
        for (++i; i < exec.size() && exec[i] != '"'; ++i) {
            if (exec[i] == '\\' && i + 1 < exec.size() &&
                std::string_view("\"`$\\").find(exec[i + 1]) != std::string_view::npos)
                ++i;
            word += exec[i];
        }
    }
    if (inWord)
        words.push_back(std::move(word));
    return words;
}

std::vector<std::string> execCommandForFile(std::string_view exec, const std::string& path)
{
    std::vector<std::string> command;
    bool pathGiven = false;
    for (const std::string& word : splitExec(exec)) {
        std::string expanded;
        bool hadCode = false;
        for (std::size_t i = 0; i < word.size(); ++i) {
            if (word[i] != '%' || i + 1 == word.size()) {
                expanded += word[i];
                continue;
            }
            const char code = word[++i];
            if (code == '%') {
                expanded += '%';
                continue;
            }
            hadCode = true;
            if (code == 'f' || code == 'F' || code == 'u' || code == 'U') {
                // One path for all of them: a list code gets a list of one.
                if (!pathGiven)
                    expanded += path;
                pathGiven = true;
            }
        }
        // A word that was only a dropped code ("%i", "%c") leaves no empty argument behind.
        if (!(hadCode && expanded.empty()))
            command.push_back(std::move(expanded));
    }
    if (command.empty())
        return command;
    if (!pathGiven)
        command.push_back(path);
    return command;
}

std::string findExecutable(std::string_view name, std::string_view searchPath)
{
    if (name.empty())
        return {};
    if (name.find('/') != std::string_view::npos)
        return isExecutableFile(std::string(name)) ? std::string(name) : std::string();
    for (std::string_view folder : splitAt(searchPath, ':')) {
        if (folder.empty())
            continue;
        std::string candidate = withoutTrailingSlashes(folder) + "/" + std::string(name);
        if (isExecutableFile(candidate))
            return candidate;
    }
    return {};
}

} // namespace stencilor
