// SPDX-License-Identifier: GPL-3.0-or-later
#include "project/RecentProjects.h"

#include "project/IniFile.h"
#include "project/ProjectFile.h"

#include <algorithm>

namespace stencilor {

namespace {

constexpr std::string_view kTotal = "total";

std::string recentKey(std::size_t place)
{
    return "recent" + std::to_string(place + 1);
}

} // namespace

std::vector<std::string> readRecentProjects(const std::string& programSettingsPath)
{
    std::vector<std::string> list;
    const Result<IniFile> file = IniFile::load(programSettingsPath);
    if (!file)
        return list;
    for (std::size_t place = 0; place < kRecentProjectCount; ++place) {
        std::string path = file.value().readString(kTotal, recentKey(place), {});
        if (!path.empty() && std::find(list.begin(), list.end(), path) == list.end())
            list.push_back(std::move(path));
    }
    return list;
}

std::vector<std::string> withRecentProject(std::vector<std::string> list, std::string_view projectPath)
{
    if (projectPath.empty())
        return list;
    std::erase(list, projectPath);
    list.insert(list.begin(), std::string(projectPath));
    if (list.size() > kRecentProjectCount)
        list.resize(kRecentProjectCount);
    return list;
}

Status writeRecentProjects(const std::string& programSettingsPath, const std::vector<std::string>& list)
{
    if (Status made = ensureFolderOf(programSettingsPath); !made)
        return made;
    Result<IniFile> file = IniFile::load(programSettingsPath);
    if (!file)
        return file.error();
    // Every place is written, the unused ones empty, so a shorter list leaves no old entry behind.
    for (std::size_t place = 0; place < kRecentProjectCount; ++place)
        file.value().writeString(kTotal, recentKey(place), place < list.size() ? list[place] : std::string());
    return file.value().save(programSettingsPath);
}

} // namespace stencilor
