// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

// The projects opened or saved last, newest first, as Project > Open Recent offers them. The list
// is kept in the program settings file beside "lastprj", as the keys recent1 to recent10 of the
// section "total"; an empty key is an unused place.

#include "platform/Result.h"

#include <cstddef>
#include <string>
#include <string_view>
#include <vector>

namespace stencilor {

// How many projects the list remembers.
inline constexpr std::size_t kRecentProjectCount = 10;

// The list stored in the program settings file at `programSettingsPath`, newest first, without
// empty places and repeats; empty when the file, the section or the keys are missing.
std::vector<std::string> readRecentProjects(const std::string& programSettingsPath);

// `list` with `projectPath` put first: an earlier place of the same path is removed, and the
// oldest entries beyond kRecentProjectCount drop out. An empty path leaves the list as it is.
std::vector<std::string> withRecentProject(std::vector<std::string> list, std::string_view projectPath);

// Stores `list` (at most kRecentProjectCount entries are kept) in the program settings file at
// `programSettingsPath`, creating it and its folder when needed; every other line of the file
// stays. Fails with the file's error when it cannot be written.
Status writeRecentProjects(const std::string& programSettingsPath, const std::vector<std::string>& list);

} // namespace stencilor
