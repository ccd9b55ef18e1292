// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

// The one entry of the window module: opens the main window (with the project `project`, or
// none when it is empty) and runs it until it is closed; returns the exit status. `argc` and
// `argv` are the program's own, which Qt reads and may shorten.
extern "C" __attribute__((visibility("default"))) int stencilor_open_window(int* argc, char** argv,
                                                                            const char* project);

namespace stencilor {

// The name the executable finds the entry under.
inline constexpr const char* kWindowEntryName = "stencilor_open_window";
using WindowEntry = int (*)(int*, char**, const char*);

// Loads the window module beside the executable (in the build tree) or where it is installed
// (STENCILOR_WINDOW_MODULE, relative to the executable's folder) and runs its entry. When the
// module cannot be loaded, says why on standard error and returns kExitNotStarted.
int openWindowModule(int& argc, char** argv, const char* project);

} // namespace stencilor
