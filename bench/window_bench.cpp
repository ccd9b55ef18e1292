// SPDX-License-Identifier: GPL-3.0-or-later
// The window with a large data file, driven as a user would (run it with QT_QPA_PLATFORM=offscreen):
//   stencilor_window_bench check PROJECT      loads the project, waits for its data file to be
//                                             read, then runs the Tools menu's Check to its end
//   stencilor_window_bench preview DATA DELIM opens the data preview of DATA (fields cut at DELIM):
//                                             its first screen, then the end of the file
// Prints how long each step took and the longest time the window did not answer in it (the
// largest gap between the ticks of a timer due every 10 ms). Peak memory is measured around it
// (bench/big_inputs.sh runs it under /usr/bin/time).

#include "ui/CheckDialog.h"
#include "ui/DataFileReading.h"
#include "ui/DataPreviewDialog.h"
#include "ui/DataPreviewModel.h"
#include "ui/MainWindow.h"
#include "ui/UserDialogs.h"

#include <QAbstractItemModel>
#include <QAction>
#include <QApplication>
#include <QElapsedTimer>
#include <QLabel>
#include <QTableView>
#include <QTemporaryDir>
#include <QTimer>
#include <algorithm>
#include <cstdio>
#include <functional>

using namespace stencilor;
using namespace stencilor::ui;

namespace {

// Times the event loop's answers while steps run: the longest gap between two ticks of a timer.
class Responsiveness {
public:
    Responsiveness()
    {
        m_ticks.setInterval(10);
        QObject::connect(&m_ticks, &QTimer::timeout,
                         [this] { m_longest = std::max(m_longest, m_sinceTick.restart()); });
    }
    void start()
    {
        m_longest = 0;
        m_sinceTick.start();
        m_ticks.start();
    }
    qint64 longest() const { return m_longest; }

private:
    QTimer m_ticks;
    QElapsedTimer m_sinceTick;
    qint64 m_longest = 0;
};

// Processes events until `done` holds; the seconds it took.
double runUntil(const std::function<bool()>& done)
{
    QElapsedTimer clock;
    clock.start();
    while (!done())
        QApplication::processEvents(QEventLoop::AllEvents, 5);
    return static_cast<double>(clock.nsecsElapsed()) / 1e9;
}

int benchCheck(const char* project)
{
    QTemporaryDir programFolder;
    SystemUserDialogs dialogs;
    T_FRMain::Environment environment{programFolder.path().toStdString() + "/",
                                      programFolder.filePath(QStringLiteral("stencilor.ini")).toStdString(), project};
    T_FRMain window(environment, dialogs);
    window.show();
    Responsiveness answers;
    answers.start();
    auto* reading = window.findChild<DataFileReading*>();
    const double loaded = runUntil([reading] { return !reading->running(); });
    std::printf("load the project (data file read once): %.2f s, the window never still for more than %lld ms\n",
                loaded, static_cast<long long>(answers.longest()));

    answers.start();
    QElapsedTimer clock;
    clock.start();
    window.findChild<QAction*>(QStringLiteral("actCheck"))->trigger();
    auto* check = window.findChild<CheckDialog*>();
    const double started = static_cast<double>(clock.nsecsElapsed()) / 1e9;
    const double checked = started + runUntil([check] { return !check->checking(); });
    std::printf("check: %.2f s (the command returned after %.3f s), the window never still for more than %lld ms\n",
                checked, started, static_cast<long long>(answers.longest()));
    std::printf("  %s\n", qPrintable(check->findChild<QLabel*>(QStringLiteral("lblSummary"))->text()));
    return 0;
}

int benchPreview(const char* data, const char* delimiter)
{
    TformViewCsv preview;
    preview.show();
    QTableView* grid = preview.gridCsv();
    Responsiveness answers;
    answers.start();
    QElapsedTimer clock;
    clock.start();
    DataFormat format;
    format.delim = delimiter;
    preview.loadData(data, format, 2);
    grid->viewport()->repaint();
    const double firstScreen = static_cast<double>(clock.nsecsElapsed()) / 1e9;
    std::printf("data preview, first screen: %.3f s (%d rows)\n", firstScreen, grid->model()->rowCount());

    auto* model = qobject_cast<DataPreviewModel*>(grid->model());
    const double read = firstScreen + runUntil([model] { return !model->reading(); });
    std::printf("data preview, every record read: %.2f s (%d rows), the window never still for more than %lld ms\n",
                read, grid->model()->rowCount(), static_cast<long long>(answers.longest()));

    clock.restart();
    grid->scrollToBottom();
    grid->viewport()->repaint();
    std::printf("data preview, scrolled to the end: %.3f s\n", static_cast<double>(clock.nsecsElapsed()) / 1e9);
    return 0;
}

} // namespace

int main(int argc, char** argv)
{
    QApplication app(argc, argv);
    const QStringList arguments = QApplication::arguments();
    if (arguments.size() == 3 && arguments[1] == QStringLiteral("check"))
        return benchCheck(argv[2]);
    if (arguments.size() == 4 && arguments[1] == QStringLiteral("preview"))
        return benchPreview(argv[2], argv[3]);
    std::fprintf(stderr, "usage: stencilor_window_bench check PROJECT | preview DATA DELIMITER\n");
    return 2;
}
