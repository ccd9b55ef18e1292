// SPDX-License-Identifier: GPL-3.0-or-later
#include "app/CommandLine.h"
#include "app/WindowModule.h"
#include "platform/FileSystem.h"

#include <dlfcn.h>
#include <iostream>
#include <string>

namespace stencilor {

namespace {

constexpr const char* kModuleFileName = "stencilor-window.so";

} // namespace

int openWindowModule(int& argc, char** argv, const char* project)
{
    const std::string executable = executablePath();
    const std::string folder = executable.substr(0, executable.rfind('/') + 1);
    std::string failure = "the program's folder is unknown";
    void* module = nullptr;
    if (!folder.empty()) {
        // The installed place first: the executable's own folder holds the module only in the
        // build tree. The installed place's error is the one that tells a user what is missing.
        const std::string installed = folder + STENCILOR_WINDOW_MODULE "/" + kModuleFileName;
        module = ::dlopen(installed.c_str(), RTLD_NOW | RTLD_LOCAL);
        if (module == nullptr) {
            failure = ::dlerror();
            module = ::dlopen((folder + kModuleFileName).c_str(), RTLD_NOW | RTLD_LOCAL);
        }
    }
    const auto entry = module != nullptr ? reinterpret_cast<WindowEntry>(::dlsym(module, kWindowEntryName)) : nullptr;
    if (entry == nullptr) {
        if (module != nullptr)
            failure = ::dlerror();
        std::cerr << "stencilor: the window cannot be opened: " << failure << "\n";
        return kExitNotStarted;
    }
    // The module stays loaded until the program ends: Qt's objects may outlive the entry's return.
    return entry(&argc, argv, project);
}

} // namespace stencilor
