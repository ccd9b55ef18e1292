// SPDX-License-Identifier: GPL-3.0-or-later
#include "ui/MainRunHost.h"

#include "ui/CoreMessages.h"
#include "ui/QtText.h"
#include "ui/UserDialogs.h"

#include <QCoreApplication>
#include <algorithm>
#include <climits>

namespace stencilor::ui {

namespace {

// While records are fast, pending events are processed at most this often: often enough for
// Stop, the dialogs and repaints to answer at once, rarely enough to cost nothing beside the
// writing of the files.
constexpr qint64 kEventIntervalMs = 25;

} // namespace

const ProjectSettings& MainRunHost::currentSettings()
{
    if (m_settingsStale) {
        m_settings = m_window.settingsFromControls();
        m_settingsStale = false;
    }
    return m_settings;
}

ProjectPlace MainRunHost::place()
{
    return ProjectPlace{m_window.projectPath(), m_window.programFolder()};
}

void MainRunHost::runStateChanged(bool running)
{
    m_window.showRunState(running);
    if (running) {
        m_position = 0;
        // The first record is followed by event processing at once, later ones by the interval.
        m_sinceEvents.invalidate();
    } else {
        // A run broken off by an error leaves the bar where it got to.
        showProgress();
    }
}

void MainRunHost::progress(std::uint64_t position, std::uint64_t maximum)
{
    m_position = position;
    m_maximum = maximum;
    if (position == 0)
        showProgress();
}

void MainRunHost::processEvents()
{
    if (m_sinceEvents.isValid() && m_sinceEvents.elapsed() < kEventIntervalMs)
        return;
    showProgress();
    QCoreApplication::processEvents();
    // Commands handled just now may have changed any control.
    m_settingsStale = true;
    m_sinceEvents.start();
}

void MainRunHost::showMessage(const Error& error)
{
    // A message about a missing data file or template names the file below its text.
    m_dialogs.message(m_dialogParent, QStringLiteral("Stencilor"), errorMessage(error), missingInputPaths(error));
    m_settingsStale = true;
}

void MainRunHost::showError(const Error& error)
{
    m_dialogs.error(m_dialogParent, QCoreApplication::translate("MainRunHost", "Error"), errorMessage(error));
    m_settingsStale = true;
}

void MainRunHost::openReport(const std::string& reportPath, const std::string&)
{
    m_dialogs.openDocument(toQt(reportPath));
}

void MainRunHost::showProgress()
{
    // The bar counts in int; beyond that, records are counted in blocks. A bar of 0 records keeps
    // a maximum of 1, since 0..0 would show a busy indicator instead of an empty bar.
    std::uint64_t block = 1;
    if (m_maximum > static_cast<std::uint64_t>(INT_MAX))
        block = m_maximum / static_cast<std::uint64_t>(INT_MAX) + 1;
    const int maximum = std::max(1, static_cast<int>(m_maximum / block));
    m_window.showProgress(static_cast<int>(std::min(m_position, m_maximum) / block), maximum);
    m_window.showRecordsDone(std::min(m_position, m_maximum), m_maximum);
}

} // namespace stencilor::ui
