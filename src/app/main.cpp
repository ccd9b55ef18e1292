// SPDX-License-Identifier: GPL-3.0-or-later
// The stencilor executable: the headless command line, or the window (a module loaded only then,
// so that a command-line run does not load Qt).

#include "app/CommandLine.h"
#include "app/DisplayProbe.h"
#include "app/WindowModule.h"
#include "platform/FileDescriptor.h"
#include "project/ProgramPaths.h"

#include <csignal>
#include <iostream>
#include <string>
#include <vector>

int main(int argc, char** argv)
{
    using namespace stencilor;
    // Under a file-size limit (ulimit -f, a quota) a write past it would end the program with
    // SIGXFSZ in the middle of a file; ignored, the write fails with EFBIG like one to a full
    // disk, so the partial file is removed and the error reported.
    std::signal(SIGXFSZ, SIG_IGN);
    // A run with many writers into many folders keeps many files open.
    raiseOpenFileLimit();
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
    return openWindowModule(argc, argv, parsed.project.c_str());
}
