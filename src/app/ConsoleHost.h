// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "app/ProgressBar.h"
#include "generation/GenerationRun.h"
#include "project/ProjectSettings.h"

#include <functional>
#include <iosfwd>
#include <string>

namespace stencilor {

// Hosts a run on the command line: fixed settings from the project file, a progress bar on a
// terminal, messages on stderr, Ctrl-C (and SIGTERM, SIGHUP) as Stop.
class ConsoleHost final : public RunHost {
public:
    struct Options {
        bool quiet = false;
        bool progressBar = false; // draw a progress bar (stderr is a terminal and not quiet)
        bool openReport = false;
    };

    ConsoleHost(ProjectSettings settings, ProjectPlace place, std::ostream& err, Options options);

    // The run to stop when an interrupt arrives.
    void attach(GenerationRun& run) { m_run = &run; }
    // Replaces the desktop launcher (tests observe it instead of starting a program); it gets the
    // report's absolute file:// address.
    void setLauncher(std::function<void(const std::string& address)> launcher) { m_launcher = std::move(launcher); }
    // True when Stop came from an interrupt.
    bool interrupted() const { return m_interrupted; }

    const ProjectSettings& currentSettings() override { return m_settings; }
    bool settingsFixed() const override { return true; }
    ProjectPlace place() override { return m_place; }
    void runStateChanged(bool running) override;
    void progress(std::uint64_t position, std::uint64_t maximum) override;
    void processEvents() override;
    void showMessage(const Error& error) override;
    void showError(const Error& error) override;
    void openReport(const std::string& reportPath, const std::string& folder) override;

    // Makes Ctrl-C (SIGINT), SIGTERM and SIGHUP request a Stop; a second signal of the same kind
    // ends the program at once.
    static void installInterruptHandler();
    // True once a stop signal has arrived since the handler was installed.
    static bool interruptRequested();
    // The number of the first stop signal that arrived; 0 when none has.
    static int interruptSignal();

private:
    void clearProgressLine();

    ProjectSettings m_settings;
    ProjectPlace m_place;
    std::ostream& m_err;
    Options m_options;
    ProgressBar m_bar;
    GenerationRun* m_run = nullptr;
    std::function<void(const std::string&)> m_launcher;
    bool m_interrupted = false;
};

// Starts the desktop's default application for `address` (a path or a file:// address) without
// waiting and without a shell.
void openWithDesktop(const std::string& address);

} // namespace stencilor
