// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

// The decisions of the project commands that need no window: which file New and start-up pick,
// the extension Save As gives a chosen name, and whether the window differs from its file at Exit.

#include "project/ProjectSettings.h"

#include <ctime>
#include <string>
#include <string_view>

namespace stencilor {

// The path New switches to: "noname<n>.ql" with the smallest n >= 0 at which nothing exists, in
// the folder of `currentProjectPath`, or in `programFolder` (ending with "/") when that path has
// no folder part or its folder does not exist. The file is not created.
std::string newProjectPath(std::string_view currentProjectPath, const std::string& programFolder);

// The name start-up uses when there is no project to reopen: "New-YYYY-MM-DD_HH-MM.ql" from the
// local time `now`, in `programFolder`.
std::string newStartupProjectPath(const std::tm& now, const std::string& programFolder);

// The project the window opens at start-up: `argument` when it names an existing file (a folder
// does not count); otherwise "lastprj" of the program settings file, whether or not that project
// still exists; otherwise newStartupProjectPath. `argument` is the first command-line argument
// made absolute, or empty.
std::string startupProjectPath(const std::string& argument, const std::string& programSettingsPath,
                               const std::string& programFolder, const std::tm& now);

// The path Save As saves to: ".ql" replaces an empty extension or one that is the dot alone
// ("job" and "job." become "job.ql"); any other extension stays ("job.txt").
std::string withProjectExtension(std::string_view chosenPath);

// Whether Save As onto `target` would replace a file other than the current project's own file
// `currentProject` (both resolved): something that is not a folder stands at `target`, and it is
// not the file at `currentProject`, however either path names it (links, "." and ".." count).
bool saveAsReplacesAnotherFile(const std::string& target, const std::string& currentProject);

// How the window's settings compare with the project file at Exit.
enum class ProjectFileComparison {
    NoFile,       // no file yet and no rule worth keeping: close without asking
    UnsavedRules, // no file yet, but a rule has both a field and an identifier: ask
    Same,         // every compared value is equal
    Differs,      // some value differs, or the file cannot be read
};

// Whether `templateFile` names an HTML template: it ends with ".htm" or ".html", in any letter case.
bool isHtmlTemplate(std::string_view templateFile);

// The settings a project created in the window starts with: `kept` (the window's values) with
// quoted fields on, the encoding found from the file ("auto"), and values HTML-escaped when the
// template is an HTML one. A project file without these keys reads with them off, as before.
ProjectSettings newProjectSettings(ProjectSettings kept);

// Compares `window` with the project file at `path` (already resolved): the keys of "setup" from
// `delim` to `report`, then `rep_fld`, `report_fld`, the data keys `quotes`, `header`, `encoding`,
// `escapehtml` and `tempRules`, `rulesCount` against the row count, and the
// ColFld/ColTemp keys of every rule row. Missing keys count as empty texts, false flags and 0
// numbers; texts compare exactly, letter case included. Without a file (never saved) only the
// rules are the user's own work: a rule with a field and an identifier is worth a question.
ProjectFileComparison compareWithProjectFile(const ProjectSettings& window, const std::string& path);

} // namespace stencilor
