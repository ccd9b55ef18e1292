// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

// What the window tests put in place of the desktop: a launcher that records the programs it is
// asked to start (and starts none), and a private XDG tree with its own applications and
// default associations, set as the process's XDG folders while the object lives.

#include "TestFolder.h"
#include "ui/ProgramLauncher.h"

#include <QByteArray>
#include <QFile>
#include <map>
#include <optional>
#include <vector>

namespace stencilor::ui::test {

class RecordingLauncher final : public ProgramLauncher {
public:
    struct Start {
        QString program;
        QStringList arguments;
    };

    bool startDetached(const QString& program, const QStringList& arguments) override
    {
        m_starts.push_back({program, arguments});
        return m_succeeds;
    }

    // Whether the next starts report success (they do by default).
    void setSucceeds(bool succeeds) { m_succeeds = succeeds; }
    const std::vector<Start>& starts() const { return m_starts; }

private:
    bool m_succeeds = true;
    std::vector<Start> m_starts;
};

class FakeDesktop final {
public:
    FakeDesktop()
    {
        // The variables the lookups read; PATH and VISUAL too, so no editor of the machine is found.
        const char* names[] = {"XDG_CONFIG_HOME",     "XDG_CONFIG_DIRS", "XDG_DATA_HOME", "XDG_DATA_DIRS",
                               "XDG_CURRENT_DESKTOP", "VISUAL",          "PATH"};
        for (const char* name : names)
            m_saved[name] = qEnvironmentVariableIsSet(name) ? std::optional(qgetenv(name)) : std::nullopt;
        qputenv("XDG_CONFIG_HOME", path(QStringLiteral("config")).toUtf8());
        qputenv("XDG_CONFIG_DIRS", path(QStringLiteral("etc")).toUtf8());
        qputenv("XDG_DATA_HOME", path(QStringLiteral("home")).toUtf8());
        qputenv("XDG_DATA_DIRS", path(QStringLiteral("share")).toUtf8());
        qputenv("XDG_CURRENT_DESKTOP", "");
        qputenv("VISUAL", "");
        qputenv("PATH", path(QStringLiteral("bin")).toUtf8());
    }
    ~FakeDesktop()
    {
        for (const auto& [name, value] : m_saved) {
            if (value)
                qputenv(name, *value);
            else
                qunsetenv(name);
        }
    }
    FakeDesktop(const FakeDesktop&) = delete;
    FakeDesktop& operator=(const FakeDesktop&) = delete;

    QString path(const QString& relative) const { return m_folder.path(relative); }

    // Installs the application `id` ("browser.desktop") with the Exec value `exec`.
    void addApplication(const QString& id, const QByteArray& exec, const QByteArray& moreLines = {}) const
    {
        write(QStringLiteral("share/applications/") + id,
              "[Desktop Entry]\nType=Application\nName=App\nExec=" + exec + "\n" + moreLines);
    }

    // Installs an executable program `name` on the private PATH; returns its path.
    QString addProgram(const QString& name) const
    {
        const QString file = m_folder.write(QStringLiteral("bin/") + name, "#!/bin/sh\n");
        QFile::setPermissions(file, QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
        return file;
    }

    // Makes `id` the user's default application for `mimeType` (replacing every earlier choice).
    void setDefault(const QByteArray& mimeType, const QByteArray& id)
    {
        m_defaults[mimeType] = id;
        QByteArray list = "[Default Applications]\n";
        for (const auto& [type, app] : m_defaults)
            list += type + '=' + app + ";\n";
        write(QStringLiteral("config/mimeapps.list"), list);
    }

private:
    void write(const QString& relative, const QByteArray& content) const { m_folder.write(relative, content); }

    TestFolder m_folder;
    std::map<const char*, std::optional<QByteArray>> m_saved;
    std::map<QByteArray, QByteArray> m_defaults;
};

} // namespace stencilor::ui::test
