#include "app/CommandLine.h"
#include "app/WindowModule.h"
#include "platform/FileSystem.h"

#include <dlfcn.h>
#include <iostream>
#include <string>

namespace stencilor {

namespace {

constexpr const char* kModuleFileName = "stencilor-window.so";

// The module's places, the installed one first: the folder of the executable holds it only in
// the build tree.
std::string modulePath(const std::string& executableFolder, bool installed)
{
    return installed ? executableFolder + STENCILOR_WINDOW_MODULE "/" + kModuleFileName
                     : executableFolder + kModuleFileName;
}

} // namespace

int openWindowModule(int& argc, char** argv, const char* project)
{
    const std::string executable = executablePath();
    const std::string folder = executable.substr(0, executable.rfind('/') + 1);
    std::string failure = "the program's folder is unknown";
    void* module = nullptr;
    if (!folder.empty()) {
        for (const bool installed : {true, false}) {
            const std::string path = modulePath(folder, installed);
            module = ::dlopen(path.c_str(), RTLD_NOW | RTLD_LOCAL);
            if (module != nullptr)
                break;
            // The installed place's error is the one that tells a user what is missing.
            if (installed)
                failure = ::dlerror();
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
