// SPDX-License-Identifier: GPL-3.0-or-later
// The main window's project: its path and title, start-up and closing, and the commands that
// switch, load and save projects (New, Load, Open Recent, a dropped project file, Save, Save As,
// Exit), each asking "Save project" first when the window differs from its file.

#include "platform/FileSystem.h"
#include "platform/Messages.h"
#include "project/ProjectCommands.h"
#include "project/ProjectFile.h"
#include "ui/CoreMessages.h"
#include "ui/MainWindow.h"
#include "ui/ProjectSettingsForm.h"
#include "ui/QtText.h"
#include "ui/RecentProjectsMenu.h"
#include "ui/UserDialogs.h"
#include "ui/WindowBands.h"

#include <QAction>
#include <QCloseEvent>
#include <QCoreApplication>
#include <QDragEnterEvent>
#include <QDropEvent>
#include <QLineEdit>
#include <QMimeData>
#include <QStatusBar>
#include <QTimer>
#include <QWindow>
#include <ctime>

namespace stencilor::ui {

namespace {

std::tm localNow()
{
    const std::time_t now = std::time(nullptr);
    std::tm local{};
    localtime_r(&now, &local);
    return local;
}

bool isProjectFile(const QString& path)
{
    return path.endsWith(QStringLiteral(".ql"), Qt::CaseInsensitive);
}

} // namespace

// ---------------------------------------------------------------- the project path and title

std::string T_FRMain::projectPath() const
{
    return fromQt(EdPrjFile->text());
}

std::string T_FRMain::resolvedProjectPath() const
{
    return resolveProjectPath(projectPath(), m_env.programFolder);
}

void T_FRMain::updateTitle()
{
    // The caption names the program's version too, as the about box and --version do.
    setWindowTitle(
        tr("%1[*] — Stencilor %2").arg(toQt(fileNamePart(projectPath())), QStringLiteral(STENCILOR_VERSION)));
}

void T_FRMain::checkModified()
{
    const ProjectFileComparison comparison = compareWithProjectFile(settingsFromControls(), resolvedProjectPath());
    setWindowModified(comparison == ProjectFileComparison::Differs ||
                      comparison == ProjectFileComparison::UnsavedRules);
}

// ---------------------------------------------------------------- start-up and closing

void T_FRMain::setSplash(QWidget* splash)
{
    m_splash = splash;
}

void T_FRMain::showEvent(QShowEvent* event)
{
    QMainWindow::showEvent(event);
    if (m_shownOnce)
        return;
    m_shownOnce = true;
    // A screen of another size, or a window moved to one, sets the smallest size afresh.
    if (QWindow* handle = windowHandle())
        connect(handle, &QWindow::screenChanged, this, &T_FRMain::fitMinimumSize);
    fitMinimumSize();
    FormShow();
}

void T_FRMain::FormShow()
{
    EdPrjFile->setText(
        toQt(startupProjectPath(m_env.startupArgument, m_env.programSettingsPath, m_env.programFolder, localNow())));
    actLoadInt();
    ChkCsvFile(DataFileOrigin::Project);
    m_form->focusFirstStep();
    if (m_splash) {
        m_splash->close();
        m_splash->deleteLater();
        m_splash = nullptr;
    }
}

void T_FRMain::closeEvent(QCloseEvent* event)
{
    if (m_closeApproved) {
        m_recentMenu->remember();
        event->accept();
        return;
    }
    // A second close while the question is open (or the events it lets through) changes nothing.
    if (m_closeCheckRunning || m_closeAfterRun) {
        event->ignore();
        return;
    }
    m_closeCheckRunning = true;
    const bool mayClose = saveChangesFirst();
    m_closeCheckRunning = false;
    if (!mayClose) {
        event->ignore();
        return;
    }
    if (isRunning()) {
        // The run goes on through its remaining records; actRunExecute closes the window then.
        m_closeAfterRun = true;
        statusBar()->showMessage(tr("The window closes when the run ends"));
        event->ignore();
        return;
    }
    m_closeApproved = true;
    m_recentMenu->remember();
    event->accept();
}

void T_FRMain::dragEnterEvent(QDragEnterEvent* event)
{
    if (isProjectFile(droppedFile(event->mimeData())))
        event->acceptProposedAction();
}

void T_FRMain::dropEvent(QDropEvent* event)
{
    const QString path = droppedFile(event->mimeData());
    if (!isProjectFile(path))
        return;
    event->acceptProposedAction();
    // The drop is finished first: the program the file came from waits until it is, and the
    // question about unsaved changes may keep the user a while.
    QTimer::singleShot(0, this, [this, path] { switchToProject(path); });
}

// ---------------------------------------------------------------- switching projects

bool T_FRMain::saveChangesFirst()
{
    const ProjectFileComparison comparison = compareWithProjectFile(settingsFromControls(), resolvedProjectPath());
    if (comparison == ProjectFileComparison::NoFile)
        return true;
    QCoreApplication::processEvents();
    if (comparison == ProjectFileComparison::Same)
        return true;
    // Differs, or rules of a project that was never saved: Yes saves them to the project path.
    switch (m_dialogs.ask(this, tr("Attention"), tr("Save project"),
                          QMessageBox::Yes | QMessageBox::No | QMessageBox::Cancel, QMessageBox::Cancel)) {
    case QMessageBox::Yes:
        // A save that failed has said so; the window keeps its contents so that nothing is lost.
        return actSaveExecute();
    case QMessageBox::No:
        return true;
    default:
        return false;
    }
}

void T_FRMain::actLoadInt()
{
    const LoadedProject loaded = loadProject(projectPath(), settingsFromControls(), m_env.programFolder);
    // A project file says how its data is read; a project without one is a new project.
    applySettings(loaded.fileFound ? loaded.settings : newProjectSettings(loaded.settings));
    if (loaded.fileFound)
        m_recentMenu->add(resolvedProjectPath());
}

void T_FRMain::openProject(const QString& path)
{
    EdPrjFile->setText(path);
    actLoadInt();
    ChkCsvFile(DataFileOrigin::Project);
    clearRunStatus();
    m_form->focusFirstStep();
}

void T_FRMain::switchToProject(const QString& path)
{
    if (saveChangesFirst())
        openProject(path);
}

void T_FRMain::actNewExecute()
{
    if (!saveChangesFirst())
        return;
    EdPrjFile->setText(toQt(newProjectPath(projectPath(), m_env.programFolder)));
    actLoadInt();
    ChkCsvFile(DataFileOrigin::Project);
    clearRunStatus();
}

void T_FRMain::actLoadExecute()
{
    const std::string current = projectPath();
    FileDialogRequest request;
    request.title = tr("Load Project");
    request.filter = tr("Project Files (*.ql)|*.ql|All Files (*.*)|*.*");
    request.defaultSuffix = QStringLiteral("ql");
    request.fileName = toQt(current);
    request.folder = dialogFolder(resolvedProjectPath());
    // The question comes once a file is chosen: a cancelled dialog changes nothing anyway.
    if (const std::optional<QString> chosen = m_dialogs.chooseFile(this, request))
        switchToProject(*chosen);
}

// ---------------------------------------------------------------- saving

bool T_FRMain::actSaveExecute()
{
    return saveProjectFile(SaveMode::Update);
}

bool T_FRMain::saveProjectFile(SaveMode mode)
{
    const Status saved =
        saveProject(projectPath(), settingsFromControls(), m_env.programFolder, m_env.programSettingsPath, mode);
    // The file now holds what the window shows (or what it held, when the save failed).
    m_modifiedCheck->start();
    if (saved) {
        m_recentMenu->add(resolvedProjectPath());
        return true;
    }
    // The message names the file that could not be written and the system's reason.
    m_dialogs.error(this, tr("Save Project"), errorMessage(saved.error()));
    return false;
}

void T_FRMain::actSaveAsExecute()
{
    const std::string resolved = resolvedProjectPath();
    FileDialogRequest request;
    request.title = tr("Save Project");
    request.filter = tr("Project Files (*.ql)|*.ql|All Files (*.*)|*.*");
    request.defaultSuffix = QStringLiteral("ql");
    request.fileName = toQt(fileNamePart(resolved));
    request.folder = dialogFolder(resolved);
    request.save = true;
    const std::optional<QString> chosen = m_dialogs.chooseFile(this, request);
    if (!chosen)
        return;
    const std::string target = withProjectExtension(fromQt(*chosen));
    // Another file is replaced whole once the user agrees; the project's own file is updated.
    const bool replaces = saveAsReplacesAnotherFile(resolveProjectPath(target, m_env.programFolder), resolved);
    if (replaces &&
        !m_dialogs.confirm(this, request.title,
                           tr("%1 already exists.\nDo you want to replace it?").arg(toQt(fileNamePart(target))))) {
        return;
    }
    EdPrjFile->setText(toQt(target));
    saveProjectFile(replaces ? SaveMode::Replace : SaveMode::Update);
}

void T_FRMain::actExitExecute()
{
    close();
}

} // namespace stencilor::ui
