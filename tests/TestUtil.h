// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "rules/RulesTable.h"

#include <string>
#include <string_view>
#include <vector>

namespace stencilor::test {

// A fresh folder under the system's temporary folder, removed with everything in it when the
// object goes away.
class TempDir final {
public:
    TempDir();
    ~TempDir();
    TempDir(const TempDir&) = delete;
    TempDir& operator=(const TempDir&) = delete;

    // The folder, without a trailing "/".
    const std::string& path() const { return m_path; }
    // path() + "/" + name.
    std::string file(std::string_view name) const;
    // Writes `content` to the file `name` (creating folders on the way) and returns its path.
    std::string write(std::string_view name, std::string_view content) const;
    // Writes `content` to the file at the absolute `path`, whose folder must exist.
    static void writeAt(const std::string& path, std::string_view content);
    // The whole content of the file `name`; a test failure when it cannot be read.
    std::string read(std::string_view name) const;

private:
    std::string m_path;
};

// A rules table holding `rules` in this order.
RulesTable rulesTable(const std::vector<Rule>& rules);

} // namespace stencilor::test
