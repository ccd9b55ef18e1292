// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

// A fresh temporary folder for a window test, removed with everything in it when the object goes
// away, and the files a test writes into it inline.

#include <QByteArray>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>

namespace stencilor::ui::test {

class TestFolder final {
public:
    QString path(const QString& relative) const { return m_dir.filePath(relative); }

    // Writes `content` (bytes as given) to `relative`, creating its folders; returns its path.
    QString write(const QString& relative, const QByteArray& content) const
    {
        const QString file = path(relative);
        QDir().mkpath(QFileInfo(file).absolutePath());
        QFile out(file);
        if (!out.open(QIODevice::WriteOnly | QIODevice::Truncate))
            qFatal("cannot write a test file");
        out.write(content);
        return file;
    }

    // The bytes of `relative`; empty when it cannot be read.
    QByteArray read(const QString& relative) const
    {
        QFile in(path(relative));
        if (!in.open(QIODevice::ReadOnly))
            return {};
        return in.readAll();
    }

    bool exists(const QString& relative) const { return QFileInfo::exists(path(relative)); }

private:
    QTemporaryDir m_dir;
};

} // namespace stencilor::ui::test
