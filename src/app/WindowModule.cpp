// SPDX-License-Identifier: GPL-3.0-or-later
// The window, built as a module of its own: the executable loads it (WindowLoader) only when a
// window is asked for, so a command-line run starts without loading Qt and its libraries.

#include "app/WindowModule.h"

#include "platform/FileSystem.h"
#include "project/ProgramPaths.h"
#include "ui/AboutDialog.h"
#include "ui/MainWindow.h"
#include "ui/ScreenPlacement.h"
#include "ui/Translations.h"
#include "ui/UserDialogs.h"

#include <QApplication>
#include <QIcon>
#include <QPointer>

// The window's start-up: the splash, the application title, the main window (which loads the
// start-up project and discards the splash when it is first shown), then the event loop.
extern "C" int stencilor_open_window(int* argc, char** argv, const char* project)
{
    using namespace stencilor;
    QApplication app(*argc, argv);
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
    if (project != nullptr && *project != '\0')
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
