// SPDX-License-Identifier: GPL-3.0-or-later
#include "app/DisplayProbe.h"

#include <cstdlib>
#include <dlfcn.h>
#include <string>
#include <string_view>
#include <sys/stat.h>

namespace stencilor {

namespace {

std::string environment(const char* name)
{
    const char* value = std::getenv(name);
    return value ? value : "";
}

// The Wayland compositor's socket named by WAYLAND_DISPLAY (absolute, or in XDG_RUNTIME_DIR).
bool waylandSocketExists()
{
    const std::string display = environment("WAYLAND_DISPLAY");
    if (display.empty())
        return false;
    const std::string path = display.front() == '/' ? display : environment("XDG_RUNTIME_DIR") + "/" + display;
    struct stat info {};
    return ::stat(path.c_str(), &info) == 0 && S_ISSOCK(info.st_mode);
}

// Connects to the X display named by DISPLAY and disconnects again. libxcb is loaded at run time,
// so the program needs no build dependency of its own on it; when it cannot be loaded, Qt's xcb
// plugin cannot run either, and the answer is left to Qt.
bool xDisplayAccepts()
{
    if (environment("DISPLAY").empty())
        return false;
    void* xcb = ::dlopen("libxcb.so.1", RTLD_NOW | RTLD_LOCAL);
    if (!xcb)
        return true;
    using Connect = void* (*)(const char*, int*);
    using HasError = int (*)(void*);
    using Disconnect = void (*)(void*);
    const auto connect = reinterpret_cast<Connect>(::dlsym(xcb, "xcb_connect"));
    const auto hasError = reinterpret_cast<HasError>(::dlsym(xcb, "xcb_connection_has_error"));
    const auto disconnect = reinterpret_cast<Disconnect>(::dlsym(xcb, "xcb_disconnect"));
    bool accepted = true;
    if (connect && hasError && disconnect) {
        void* connection = connect(nullptr, nullptr);
        accepted = hasError(connection) == 0;
        // xcb_connect returns an error object even on failure; it is freed the same way.
        disconnect(connection);
    }
    ::dlclose(xcb);
    return accepted;
}

} // namespace

bool displayAvailable()
{
    const std::string platform = environment("QT_QPA_PLATFORM");
    const std::string_view name = std::string_view(platform).substr(0, platform.find(':'));
    if (!name.empty() && name != "xcb" && !name.starts_with("wayland"))
        return true; // offscreen, vnc, eglfs...: Qt needs no display server for them
    if (name != "xcb" && waylandSocketExists())
        return true;
    if (name.starts_with("wayland"))
        return false;
    return xDisplayAccepts();
}

} // namespace stencilor
