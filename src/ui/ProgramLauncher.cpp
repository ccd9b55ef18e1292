#include "ui/ProgramLauncher.h"

#include <QProcess>

namespace stencilor::ui {

bool SystemProgramLauncher::startDetached(const QString& program, const QStringList& arguments)
{
    // The child is double-forked by Qt: it outlives the program and leaves no zombie behind.
    return QProcess::startDetached(program, arguments);
}

} // namespace stencilor::ui
