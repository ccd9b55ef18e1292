// SPDX-License-Identifier: GPL-3.0-or-later
#include "generation/NamesInHand.h"

#include "generation/CaseMapping.h"

namespace stencilor {

namespace {

// Calls `visit` with every folder on the way of the file `key`, below the output folder.
template <class Visit> bool anyFolderOf(const std::string& key, Visit visit)
{
    for (std::size_t slash = key.find('/', key.find('\0')); slash != std::string::npos;
         slash = key.find('/', slash + 1))
        if (visit(key.substr(0, slash)))
            return true;
    return false;
}

void adjust(std::unordered_map<std::string, int>& names, const std::string& name, int by)
{
    if ((names[name] += by) == 0)
        names.erase(name);
}

} // namespace

std::string NamesInHand::keyOf(const std::string& folder, std::string_view relativeName)
{
    // The output folder is the user's and the same for every record; a NUL, which no path
    // holds, parts it from the generated name.
    std::string key = folder;
    key += '\0';
    const std::size_t base = key.size();
    for (std::size_t start = 0; start <= relativeName.size();) {
        std::size_t end = relativeName.find('/', start);
        if (end == std::string_view::npos)
            end = relativeName.size();
        const std::string_view component = relativeName.substr(start, end - start);
        start = end + 1;
        if (component.empty() || component == ".")
            continue;
        if (key.size() > base)
            key += '/';
        key += toLowerCase(component);
    }
    return key;
}

bool NamesInHand::touches(const std::string& key) const
{
    if (m_files.count(key) > 0 || m_folders.count(key) > 0)
        return true;
    return anyFolderOf(key, [this](const std::string& folder) { return m_files.count(folder) > 0; });
}

void NamesInHand::change(const std::string& key, int by)
{
    adjust(m_files, key, by);
    anyFolderOf(key, [this, by](const std::string& folder) {
        adjust(m_folders, folder, by);
        return false;
    });
}

} // namespace stencilor
