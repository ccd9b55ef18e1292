// SPDX-License-Identifier: GPL-3.0-or-later
#include "ui/RecentProjectsMenu.h"

#include "platform/FileSystem.h"
#include "project/RecentProjects.h"
#include "ui/QtText.h"

#include <QAction>

namespace stencilor::ui {

RecentProjectsMenu::RecentProjectsMenu(std::string programSettingsPath, QWidget* parent)
    : QMenu(tr("&Open Recent"), parent)
    , m_programSettingsPath(std::move(programSettingsPath))
    , m_projects(readRecentProjects(m_programSettingsPath))
{
    setObjectName(QStringLiteral("OpenRecent1"));
    setToolTipsVisible(true);
    // A project may have gone since the list was filled.
    connect(this, &QMenu::aboutToShow, this, &RecentProjectsMenu::rebuild);
    rebuild();
}

void RecentProjectsMenu::add(const std::string& projectPath)
{
    std::vector<std::string> updated = withRecentProject(m_projects, projectPath);
    if (updated == m_projects)
        return;
    m_projects = std::move(updated);
    m_changed = true;
    rebuild();
}

void RecentProjectsMenu::remember()
{
    if (!m_changed)
        return;
    if (writeRecentProjects(m_programSettingsPath, m_projects))
        m_changed = false;
}

void RecentProjectsMenu::rebuild()
{
    // The items go later: this may run from the triggered signal of one of them.
    for (QAction* old : actions()) {
        removeAction(old);
        old->setObjectName(QString());
        old->deleteLater();
    }
    int number = 0;
    for (const std::string& project : m_projects) {
        ++number;
        // The number is the item's key; an "&" of the path is shown as itself.
        const QString key = number < 10 ? QStringLiteral("&%1").arg(number) : QStringLiteral("1&0");
        const QString path = toQt(project);
        QAction* item = addAction(key + u' ' + QString(path).replace(u'&', QStringLiteral("&&")));
        item->setObjectName(QStringLiteral("actRecent%1").arg(number));
        item->setData(path);
        if (!fileExists(project)) {
            item->setEnabled(false);
            item->setToolTip(tr("The project file is no longer there"));
        }
        connect(item, &QAction::triggered, this, [this, path] { emit projectChosen(path); });
    }
    if (!m_projects.empty())
        addSeparator();
    QAction* clearItem = addAction(tr("&Clear list"));
    clearItem->setObjectName(QStringLiteral("actClearRecent"));
    clearItem->setEnabled(!m_projects.empty());
    connect(clearItem, &QAction::triggered, this, &RecentProjectsMenu::clearList);
}

void RecentProjectsMenu::clearList()
{
    m_projects.clear();
    m_changed = true;
    rebuild();
}

} // namespace stencilor::ui
