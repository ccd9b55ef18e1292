// SPDX-License-Identifier: GPL-3.0-or-later
#include "app/ConsoleHost.h"

#include "datasource/TextLines.h"
#include "platform/FileSystem.h"
#include "platform/Messages.h"

#include <csignal>
#include <fcntl.h>
#include <ostream>
#include <spawn.h>
#include <unistd.h>

extern char** environ;

namespace stencilor {

namespace {

// The number of the first stop signal that arrived, 0 while none has.
volatile std::sig_atomic_t g_interrupt = 0;

extern "C" void onInterrupt(int signal)
{
    if (g_interrupt == 0)
        g_interrupt = signal;
}

// Ctrl-C, and the signals batch schedulers and service managers stop a job with.
constexpr int kStopSignals[] = {SIGINT, SIGTERM, SIGHUP};

} // namespace

ConsoleHost::ConsoleHost(ProjectSettings settings, ProjectPlace place, std::ostream& err, Options options)
    : m_settings(std::move(settings))
    , m_place(std::move(place))
    , m_err(err)
    , m_options(options)
    , m_bar(err, options.progressBar)
    , m_launcher(openWithDesktop)
{
}

void ConsoleHost::installInterruptHandler()
{
    g_interrupt = 0;
    struct sigaction action {};
    action.sa_handler = onInterrupt;
    sigemptyset(&action.sa_mask);
    // After the first signal of a kind its default action returns, so a second one ends the
    // program at once.
    action.sa_flags = SA_RESETHAND;
    for (int signal : kStopSignals)
        sigaction(signal, &action, nullptr);
    // A reader that goes away (an archive piped into a program that ended) makes writing fail
    // with EPIPE, an error the run reports, instead of a signal that ends it without a word.
    std::signal(SIGPIPE, SIG_IGN);
}

bool ConsoleHost::interruptRequested()
{
    return g_interrupt != 0;
}

int ConsoleHost::interruptSignal()
{
    return g_interrupt;
}

void ConsoleHost::runStateChanged(bool running)
{
    if (!running)
        clearProgressLine();
}

void ConsoleHost::progress(std::uint64_t position, std::uint64_t maximum)
{
    m_bar.show(position, maximum);
}

void ConsoleHost::processEvents()
{
    if (interruptRequested() && !m_interrupted) {
        m_interrupted = true;
        if (m_run)
            m_run->stop();
    }
}

void ConsoleHost::showMessage(const Error& error)
{
    clearProgressLine();
    // The line breaks of the program's own messages stay; the other control bytes, which can only
    // come from names and values, are shown escaped, so that they cannot drive the terminal.
    m_err << escapeControlBytes(commandLineErrorText(error), true) << '\n' << std::flush;
}

void ConsoleHost::showError(const Error& error)
{
    showMessage(error);
}

void ConsoleHost::openReport(const std::string& reportPath, const std::string&)
{
    if (m_options.openReport && m_launcher)
        m_launcher(fileUrl(reportPath));
}

void ConsoleHost::clearProgressLine()
{
    m_bar.clear();
}

void openWithDesktop(const std::string& address)
{
    // xdg-open hands the file to the desktop's default application; the command line ends
    // right after the run, so nothing waits for the viewer.
    pid_t viewer = 0;
    const char* argv[] = {"xdg-open", address.c_str(), nullptr};
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_addopen(&actions, STDOUT_FILENO, "/dev/null", O_WRONLY, 0);
    posix_spawn_file_actions_addopen(&actions, STDERR_FILENO, "/dev/null", O_WRONLY, 0);
    posix_spawnp(&viewer, "xdg-open", &actions, nullptr, const_cast<char* const*>(argv), environ);
    posix_spawn_file_actions_destroy(&actions);
}

} // namespace stencilor
