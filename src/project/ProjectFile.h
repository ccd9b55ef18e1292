// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "platform/Result.h"
#include "project/ProjectSettings.h"

#include <string>
#include <string_view>

namespace stencilor {

// The project path used for reading and writing: a path without any "/" lies in the program
// folder (`programFolder` ends with "/"); any other path is used as it stands.
std::string resolveProjectPath(std::string_view projectPath, std::string_view programFolder);

// A path stored in a project (data file, template, output folder): a relative path, bare name or
// with a folder part, is taken against the folder of `resolvedProjectPath` (the project file's
// path resolved as resolveProjectPath does), so a project means the same whatever the working
// folder; an absolute path stands as it is.
std::string resolveDataFilePath(std::string_view textFile, std::string_view resolvedProjectPath);

// The output folder `outputdir` of a project at `resolvedProjectPath`: a relative folder is taken
// against the project file's folder; the empty text stays empty (no output folder is set).
std::string resolveOutputFolder(std::string_view outputdir, std::string_view resolvedProjectPath);

// The values taken for keys missing from a project file.
ProjectSettings loadDefaults(std::string_view programFolder);

// The result of loading a project file into the settings shown before.
struct LoadedProject {
    ProjectSettings settings;
    bool fileFound = false;
};

// Loads the project file `projectPath` over `current` (the values shown before): the rules are
// always reset to one blank row; when no file exists nothing else changes; otherwise every key
// is read with its load default, `case` is clamped to -1..2, nameFromTemp wins over nameFromFld
// when both are set, and the rules come from the section "rules". A file that cannot be read
// loads as a missing one.
LoadedProject loadProject(std::string_view projectPath, const ProjectSettings& current, std::string_view programFolder);

// What a save does with a file that is already at the project path.
enum class SaveMode {
    Update,  // the project's keys are replaced in place; comments, other keys and sections stay
    Replace, // the old content is gone: the file holds exactly the project, as a new file would
};

// Writes `settings` into the project file `projectPath` (with Update: keys of "setup" replaced in
// place, other keys and sections kept, "rules" rebuilt) atomically, then records `projectPath`
// exactly as given as "lastprj" in section "total" of `programSettingsPath`. Rules rows that are
// blank write no keys (rulesCount keeps them). Returns the first failure; after a failed project
// write the program settings file is not touched.
Status saveProject(std::string_view projectPath, const ProjectSettings& settings, std::string_view programFolder,
                   const std::string& programSettingsPath, SaveMode mode = SaveMode::Update);

// The text the project file would hold after saving `settings` into a file whose current
// contents are `existing` (empty IniFile for a new file).
std::string projectFileText(const class IniFile& existing, const ProjectSettings& settings);

// Creates the folder of the file at `path` (mode 0700, as the XDG rules ask for the folders they
// name) when it is missing; fails with the folder's error.
Status ensureFolderOf(const std::string& path);

// "lastprj" of section "total" of the program settings file; empty when missing.
std::string readLastProject(const std::string& programSettingsPath);

} // namespace stencilor
