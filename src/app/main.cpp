// The stencilor executable: the headless command line, or the window.

#include "app/CommandLine.h"
#include "project/ProgramPaths.h"

#include <iostream>
#include <string>
#include <vector>

int main(int argc, char** argv)
{
    using namespace stencilor;
    const std::vector<std::string> args(argv + 1, argv + argc);
    ParsedCommandLine parsed = parseCommandLine(args);
    if (parsed.command == Command::OpenWindow) {
        // The window is not part of this build yet; say how to use the command line instead.
        std::cerr << "stencilor: this build has no window yet; use 'stencilor --run PROJECT.ql' or "
                     "'stencilor --check PROJECT.ql' (see --help)\n";
        return kExitUsage;
    }
    return runHeadless(parsed, programFolder(systemPathEnvironment()), std::cout, std::cerr);
}
