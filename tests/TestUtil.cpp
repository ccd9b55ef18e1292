// SPDX-License-Identifier: GPL-3.0-or-later
#include "TestUtil.h"

#include <filesystem>
#include <fstream>
#include <gtest/gtest.h>
#include <sstream>
#include <stdlib.h>

namespace stencilor::test {

TempDir::TempDir()
{
    std::string pattern = (std::filesystem::temp_directory_path() / "stencilor-test-XXXXXX").string();
    if (!mkdtemp(pattern.data()))
        throw std::runtime_error("cannot create a temporary folder");
    m_path = pattern;
}

TempDir::~TempDir()
{
    std::error_code ignored;
    std::filesystem::permissions(m_path, std::filesystem::perms::owner_all, ignored);
    std::filesystem::remove_all(m_path, ignored);
}

std::string TempDir::file(std::string_view name) const
{
    return m_path + "/" + std::string(name);
}

std::string TempDir::write(std::string_view name, std::string_view content) const
{
    const std::string path = file(name);
    std::filesystem::create_directories(std::filesystem::path(path).parent_path());
    writeAt(path, content);
    return path;
}

void TempDir::writeAt(const std::string& path, std::string_view content)
{
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    out.write(content.data(), static_cast<std::streamsize>(content.size()));
}

std::string TempDir::read(std::string_view name) const
{
    std::ifstream in(file(name), std::ios::binary);
    EXPECT_TRUE(in.good()) << "cannot read " << file(name);
    std::ostringstream all;
    all << in.rdbuf();
    return all.str();
}

RulesTable rulesTable(const std::vector<Rule>& rules)
{
    RulesTable table;
    table.setRowCount(rules.size() + 1);
    for (std::size_t i = 0; i < rules.size(); ++i)
        table.rule(i) = rules[i];
    return table;
}

} // namespace stencilor::test
