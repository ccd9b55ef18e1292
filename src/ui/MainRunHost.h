#pragma once

// The main window's side of the generation run: settings read from the window's controls, the
// Run/Stop states, the progress bar, pending events processed between records, messages through
// the window's dialogs, and the report handed to the desktop.

#include "generation/GenerationRun.h"
#include "project/ProjectSettings.h"

#include <QElapsedTimer>
#include <cstdint>
#include <string>

namespace stencilor::ui {

class T_FRMain;

class MainRunHost final : public RunHost {
public:
    explicit MainRunHost(T_FRMain& window)
        : m_window(window)
    {
    }

    // The controls are read afresh at the next use (at the start of a run).
    void invalidateSettings() { m_settingsStale = true; }

    const ProjectSettings& currentSettings() override;
    std::string projectPath() override;
    std::string programFolder() override;
    void runStateChanged(bool running) override;
    void progress(std::uint64_t position, std::uint64_t maximum) override;
    void processEvents() override;
    void showMessage(const std::string& text) override;
    void showError(const std::string& text) override;
    void openReport(const std::string& reportPath, const std::string& folder) override;

private:
    void showProgress();

    T_FRMain& m_window;
    // The controls as last read. They change only while events are processed (a command of the
    // user, a modal box), so they are read again only after that.
    ProjectSettings m_settings;
    bool m_settingsStale = true;
    std::uint64_t m_position = 0;
    std::uint64_t m_maximum = 0;
    QElapsedTimer m_sinceEvents;
};

} // namespace stencilor::ui
