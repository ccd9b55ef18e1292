// The stencilor executable: the headless command line, or the window.

#include "app/CommandLine.h"
#include "app/DisplayProbe.h"
#include "platform/FileSystem.h"
#include "project/ProgramPaths.h"
#include "ui/AboutDialog.h"
#include "ui/MainWindow.h"
#include "ui/ScreenCentre.h"
#include "ui/Translations.h"
#include "ui/UserDialogs.h"

#include <QApplication>
#include <QIcon>
#include <QPointer>
#include <csignal>
#include <iostream>
#include <string>
#include <vector>

namespace {

// The window's start-up: the splash, the application title, the main window (which loads the
// start-up project and discards the splash when it is first shown), then the event loop.
int openWindow(int& argc, char** argv, const std::string& project)
{
    using namespace stencilor;
    QApplication app(argc, argv);
    ui::installTranslations();

    QPointer<ui::TAboutForm> splash = new ui::TAboutForm;
    splash->showAsSplash();
    QCoreApplication::processEvents();

    QApplication::setApplicationName(QStringLiteral("Stencilor"));
    QGuiApplication::setDesktopFileName(QStringLiteral("stencilor"));
    QApplication::setWindowIcon(QIcon(ui::productPicture(64)));

    const PathEnvironment paths = systemPathEnvironment();
    ui::T_FRMain::Environment environment;
    environment.programFolder = programFolder(paths);
    environment.programSettingsPath = programSettingsPath(paths);
    // A project named on the command line is taken against the working folder of the start.
    if (!project.empty())
        environment.startupArgument = absolutePath(project);

    ui::SystemUserDialogs dialogs;
    ui::T_FRMain window(environment, dialogs);
    window.setSplash(splash);
    // Restoring the maximized window puts it in the middle of the screen.
    ui::centreOnScreen(&window);
    window.showMaximized();
    const int status = QApplication::exec();
    delete splash;
    return status;
}

} // namespace

int main(int argc, char** argv)
{
    using namespace stencilor;
    // Under a file-size limit (ulimit -f, a quota) a write past it would end the program with
    // SIGXFSZ in the middle of a file; ignored, the write fails with EFBIG like one to a full
    // disk, so the partial file is removed and the error reported.
    std::signal(SIGXFSZ, SIG_IGN);
    const std::vector<std::string> args(argv + 1, argv + argc);
    const ParsedCommandLine parsed = parseCommandLine(args);
    // Options mean the command line, without a window and without a display.
    if (parsed.command != Command::OpenWindow)
        return runHeadless(parsed, programFolder(systemPathEnvironment()), std::cout, std::cerr);
    // Without a display Qt would abort in its platform plugin; say what to do instead.
    if (!displayAvailable()) {
        std::cerr << "stencilor: no display found (DISPLAY or WAYLAND_DISPLAY); without a window, run "
                     "stencilor --run PROJECT.ql\n";
        return kExitNotStarted;
    }
    return openWindow(argc, argv, parsed.project);
}
