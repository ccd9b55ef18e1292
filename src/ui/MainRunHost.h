// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

// The main window's side of the generation run: settings read from the window's controls, the
// Run/Stop states, the progress bar, pending events processed between records, messages through
// the window's dialogs in the user's language (a missing input named by its path), and the report
// handed to the desktop.

#include "generation/GenerationRun.h"
#include "project/ProjectSettings.h"

#include <QElapsedTimer>
#include <cstdint>
#include <string>

class QWidget;

namespace stencilor::ui {

class UserDialogs;

// What the run's host needs of the main window.
class RunWindow {
public:
    virtual ~RunWindow() = default;

    // The project's settings as the controls show them now.
    virtual ProjectSettings settingsFromControls() const = 0;
    // The project path as the window shows it, and the program folder (ending with "/").
    virtual std::string projectPath() const = 0;
    virtual std::string programFolder() const = 0;
    // Run becomes unavailable and Stop available (true), or the other way round (false).
    virtual void showRunState(bool running) = 0;
    // The progress bar at `value` of `maximum` (at least 1).
    virtual void showProgress(int value, int maximum) = 0;
    // `done` of the run's `total` records are through, for the status bar while the run goes on.
    virtual void showRecordsDone(std::uint64_t done, std::uint64_t total) = 0;
};

class MainRunHost final : public RunHost {
public:
    // Messages and errors are shown through `dialogs` over `dialogParent`.
    MainRunHost(RunWindow& window, UserDialogs& dialogs, QWidget* dialogParent)
        : m_window(window)
        , m_dialogs(dialogs)
        , m_dialogParent(dialogParent)
    {
    }

    // The controls are read afresh at the next use (at the start of a run).
    void invalidateSettings() { m_settingsStale = true; }

    const ProjectSettings& currentSettings() override;
    ProjectPlace place() override;
    void runStateChanged(bool running) override;
    void progress(std::uint64_t position, std::uint64_t maximum) override;
    void processEvents() override;
    void showMessage(const Error& error) override;
    void showError(const Error& error) override;
    void openReport(const std::string& reportPath, const std::string& folder) override;

private:
    void showProgress();

    RunWindow& m_window;
    UserDialogs& m_dialogs;
    QWidget* m_dialogParent;
    // The controls as last read. They change only while events are processed (a command of the
    // user, a modal box), so they are read again only after that.
    ProjectSettings m_settings;
    bool m_settingsStale = true;
    std::uint64_t m_position = 0;
    std::uint64_t m_maximum = 0;
    QElapsedTimer m_sinceEvents;
};

} // namespace stencilor::ui
