// SPDX-License-Identifier: GPL-3.0-or-later
// Renders the product picture (the one of the about box and the window icon) as the PNG icons
// of the desktop integration: stencilor_render_icons FOLDER SIZE... writes
// FOLDER/SIZExSIZE/apps/stencilor.png and FOLDER/SIZExSIZE/mimetypes/application-x-stencilor-project.png
// for each size, the layout of the "hicolor" icon theme. Run on the offscreen platform.

#include "ui/AboutDialog.h"

#include <QDir>
#include <QGuiApplication>
#include <QPixmap>
#include <QTextStream>

int main(int argc, char** argv)
{
    QGuiApplication app(argc, argv);
    const QStringList args = QCoreApplication::arguments();
    QTextStream err(stderr);
    if (args.size() < 3) {
        err << "usage: stencilor_render_icons FOLDER SIZE...\n";
        return 64;
    }
    const QDir root(args[1]);
    for (qsizetype i = 2; i < args.size(); ++i) {
        bool isNumber = false;
        const int size = args[i].toInt(&isNumber);
        if (!isNumber || size < 1 || size > 1024) {
            err << "not an icon size: " << args[i] << '\n';
            return 64;
        }
        const QPixmap picture = stencilor::ui::productPicture(size);
        const QString theme = QStringLiteral("%1x%1").arg(size);
        const struct {
            const char* context;
            const char* name;
        } icons[] = {{"apps", "stencilor.png"}, {"mimetypes", "application-x-stencilor-project.png"}};
        for (const auto& icon : icons) {
            const QString folder = root.filePath(theme + u'/' + QLatin1String(icon.context));
            const QString file = folder + u'/' + QLatin1String(icon.name);
            if (!QDir().mkpath(folder) || !picture.save(file, "PNG")) {
                err << "cannot write " << file << '\n';
                return 1;
            }
        }
    }
    return 0;
}
