// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

// The desktop's applications as the freedesktop.org (XDG) files describe them: which application
// is associated with a MIME type (mimeapps.list, mimeinfo.cache), what its desktop entry says,
// and how its Exec line becomes a program and arguments. Reads files only; starts nothing.

#include <functional>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace stencilor {

// The XDG base folders and the current desktop, each folder without a trailing "/".
struct XdgDirs {
    std::string configHome;                   // $XDG_CONFIG_HOME, default ~/.config
    std::vector<std::string> configDirs;      // $XDG_CONFIG_DIRS, default /etc/xdg
    std::string dataHome;                     // $XDG_DATA_HOME, default ~/.local/share
    std::vector<std::string> dataDirs;        // $XDG_DATA_DIRS, default /usr/local/share, /usr/share
    std::vector<std::string> currentDesktops; // $XDG_CURRENT_DESKTOP split at ":", lower case
};

// The XDG folders from the environment variables `getEnv` gives (empty text when unset); an
// unset or empty variable takes its default, a relative folder in a list is ignored.
XdgDirs xdgDirsFromEnvironment(const std::function<std::string(const char* name)>& getEnv);

// The XDG folders of the running process.
XdgDirs systemXdgDirs();

// What the program needs of one desktop entry (the group "Desktop Entry" of a .desktop file).
struct DesktopEntry {
    std::string path;      // the .desktop file
    std::string exec;      // the Exec value, string escapes ("\s", "\\", ...) already decoded
    bool terminal = false; // Terminal=true: the program needs a terminal window
};

// The desktop entry of the application `desktopId` ("firefox.desktop"), looked up in the
// "applications" folder of $XDG_DATA_HOME and then of each $XDG_DATA_DIRS, the first found
// winning (a hidden entry there hides the application); an id "vendor-app.desktop" also finds
// "vendor/app.desktop". Nothing when no file exists or readDesktopEntry refuses it.
std::optional<DesktopEntry> findDesktopEntry(const XdgDirs& dirs, std::string_view desktopId);

// Reads one desktop entry file; nothing when it cannot be read, is not of Type=Application, is
// marked Hidden=true (deleted) or has no Exec value.
std::optional<DesktopEntry> readDesktopEntry(const std::string& path);

// The ids of the applications chosen as default for `mimeType` in the "Default Applications" of
// every mimeapps.list, most important file first (desktop-specific lists before general ones,
// configuration before data folders), in the order each file lists them.
std::vector<std::string> defaultApplicationIds(const XdgDirs& dirs, std::string_view mimeType);

// The ids of the other applications that can open `mimeType`: the "Added Associations" of every
// mimeapps.list and then the mimeinfo.cache of each data folder, without those that a
// mimeapps.list of higher or equal importance names under "Removed Associations".
std::vector<std::string> associatedApplicationIds(const XdgDirs& dirs, std::string_view mimeType);

// The first installed application that `accept` takes, trying the defaults of each type of
// `mimeTypes` in turn, and only then the other associations of each type in turn, so that a
// default for a later type beats a mere association of an earlier one. Nothing when none fits.
std::optional<DesktopEntry> preferredApplication(const XdgDirs& dirs, const std::vector<std::string>& mimeTypes,
                                                 const std::function<bool(const DesktopEntry&)>& accept);

// The words of an Exec value by the desktop entry quoting rules: words are separated by blanks,
// a word in double quotes may hold blanks and the escapes \" \` \$ \\. Quotes in the middle of a
// word join the quoted text to it.
std::vector<std::string> splitExec(std::string_view exec);

// The program and arguments that open the local file `path` with the application whose Exec
// value is `exec`: %f %F %u %U give the path as one argument (inside a word, the path is put
// in its place), "%%" gives "%", every other field code is dropped; when the value has no file
// code at all the path is added as the last argument. Empty when the value names no program.
std::vector<std::string> execCommandForFile(std::string_view exec, const std::string& path);

// The full path of the executable `name` in the folders of `searchPath` (a PATH value, folders
// separated by ":"); a name with a "/" is taken as it stands. Empty when none is executable.
std::string findExecutable(std::string_view name, std::string_view searchPath);

} // namespace stencilor
