// The main window's commands: the project commands, the data source check with the data
// preview, the template preview, Run and Stop, the Tools menu, About and the product's web page.

#include "generation/DryRun.h"
#include "generation/RecordPreview.h"
#include "platform/FileSystem.h"
#include "platform/Messages.h"
#include "project/ProjectCommands.h"
#include "project/ProjectFile.h"
#include "ui/AboutDialog.h"
#include "ui/CheckDialog.h"
#include "ui/CoreMessages.h"
#include "ui/DataPreviewDialog.h"
#include "ui/MainWindow.h"
#include "ui/ProductWebLink.h"
#include "ui/ProjectSettingsForm.h"
#include "ui/QtText.h"
#include "ui/RecentProjectsMenu.h"
#include "ui/RecordPreviewDialog.h"
#include "ui/RecordRangeBox.h"
#include "ui/RulesPanel.h"
#include "ui/TemplatePreview.h"
#include "ui/UserDialogs.h"

#include <QAction>
#include <QCoreApplication>
#include <QItemSelectionModel>
#include <QLabel>
#include <QLineEdit>
#include <QStatusBar>
#include <QTableView>
#include <QTimer>
#include <algorithm>
#include <climits>

namespace stencilor::ui {

// ---------------------------------------------------------------- project commands

void T_FRMain::actLoadInt()
{
    const LoadedProject loaded = loadProject(projectPath(), settingsFromControls(), m_env.programFolder);
    applySettings(loaded.settings);
    if (loaded.fileFound)
        m_recentMenu->add(resolvedProjectPath());
}

void T_FRMain::openProject(const QString& path)
{
    EdPrjFile->setText(path);
    actLoadInt();
    ChkCsvFile(actLoad);
    clearRunStatus();
}

void T_FRMain::clearRunStatus()
{
    statusBar()->clearMessage();
    m_openOutputFolder->hide();
}

void T_FRMain::actNewExecute()
{
    EdPrjFile->setText(toQt(newProjectPath(projectPath(), m_env.programFolder)));
    actLoadInt();
    ChkCsvFile(actNew);
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
    const std::optional<QString> chosen = m_dialogs.chooseFile(this, request);
    if (chosen)
        openProject(*chosen);
}

bool T_FRMain::actSaveExecute()
{
    const Status saved =
        saveProject(projectPath(), settingsFromControls(), m_env.programFolder, m_env.programSettingsPath);
    // The file now holds what the window shows (or what it held, when the save failed).
    m_modifiedCheck->start();
    if (saved) {
        m_recentMenu->add(resolvedProjectPath());
        return true;
    }
    // The message names the file that could not be written and the system's reason.
    m_dialogs.error(this, tr("Save Project"), coreMessageText(messageForUser(saved.error())));
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
    if (saveAsReplacesAnotherFile(resolveProjectPath(target, m_env.programFolder), resolved) &&
        !m_dialogs.confirm(this, request.title,
                           tr("%1 already exists.\nDo you want to replace it?").arg(toQt(fileNamePart(target))))) {
        return;
    }
    EdPrjFile->setText(toQt(target));
    actSaveExecute();
}

void T_FRMain::actExitExecute()
{
    close();
}

bool T_FRMain::exitCheck()
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
        // A save that failed has said so; the window stays so that nothing is lost.
        return actSaveExecute();
    case QMessageBox::No:
        return true;
    default:
        return false;
    }
}

// ---------------------------------------------------------------- data file and template

void T_FRMain::ChkCsvFile(const QObject* trigger)
{
    const std::string delim = m_form->delimiter();
    m_dataFile = checkDataFile(m_form->resolvedDataFile(), delim);
    if (m_dataFile.csvFieldCount <= 0)
        return;
    const std::int64_t labels = std::min(m_dataFile.csvFieldCount, kMaxFieldLabels);
    m_form->setFieldLists(labels, m_dataFile.csvSampleLine);
    // Only a data file the user has just picked earns the offer, never a load or a preview.
    if (!trigger || trigger->objectName() != QLatin1String("btnChoiceText"))
        return;
    const QMessageBox::StandardButton answer = m_dialogs.ask(this, tr("Confirm"), tr("Add default rules ?"),
                                                             QMessageBox::Yes | QMessageBox::No, QMessageBox::No);
    if (answer != QMessageBox::Yes)
        return;
    RulesTable rules;
    rules.FillDefaultRules(static_cast<std::size_t>(labels), m_dataFile.csvWidestLine, delim);
    m_rulesPanel->setTable(std::move(rules));
}

void T_FRMain::loadDataPreview()
{
    if (!m_formViewCsv)
        m_formViewCsv = new TformViewCsv(this);
    const int columns = static_cast<int>(std::clamp<std::int64_t>(m_dataFile.csvFieldCount, 1, INT_MAX));
    m_formViewCsv->loadData(m_form->resolvedDataFile(), m_form->delimiter(), columns);
}

void T_FRMain::SpeedButton12Click()
{
    // A data file not examined yet is examined first, without the default-rules offer.
    if (m_dataFile.csvFieldCount == -1)
        ChkCsvFile(nullptr);
    loadDataPreview();
    m_formViewCsv->exec();
}

void T_FRMain::SpeedButton14Click()
{
    // An editor that does not start says nothing; no editor at all is worth telling how to get one.
    if (previewTemplate(*m_launcher, m_form->templateFile(), projectPath(), m_env.programFolder) ==
        EditorStart::NoEditor)
        m_dialogs.message(this, tr("Preview"), tr("No text editor was found to open the template."),
                          tr("Choose a default application for plain text files in the desktop's settings, or set "
                             "the environment variable $VISUAL to the command of an editor."));
}

// ---------------------------------------------------------------- run

void T_FRMain::actRunExecute()
{
    clearRunStatus();
    m_runHost.invalidateSettings();
    const RunSummary summary = m_run.run(m_recordRange->records());
    m_lastRun = summary;
    if (summary.outcome != RunOutcome::NotStarted) {
        statusBar()->showMessage(runSummaryText(summary));
        // Where the files went, one click away.
        m_lastOutputFolder = summary.outputFolder;
        m_openOutputFolder->setVisible(FolderExists(m_lastOutputFolder));
    }
    if (m_closeAfterRun) {
        m_closeApproved = true;
        close();
    }
}

void T_FRMain::actStopExecute()
{
    m_run.stop();
}

// ---------------------------------------------------------------- the Tools menu

void T_FRMain::actCheckExecute()
{
    if (!m_checkDialog) {
        // Each check reads the controls anew, like a run, so "Check again" sees unsaved edits.
        m_checkDialog = new CheckDialog(
            [this] { return checkProjectOutput(settingsFromControls(), projectPath(), m_env.programFolder); }, this);
        connect(m_checkDialog, &CheckDialog::recordChosen, this, &T_FRMain::showRecordInDataPreview);
    }
    m_checkDialog->setReport(checkProjectOutput(settingsFromControls(), projectPath(), m_env.programFolder));
    m_checkDialog->show();
    m_checkDialog->raise();
    m_checkDialog->activateWindow();
}

void T_FRMain::showRecordInDataPreview(std::uint64_t record)
{
    if (m_dataFile.csvFieldCount == -1)
        ChkCsvFile(nullptr);
    loadDataPreview();
    QTableView* grid = m_formViewCsv->gridCsv();
    const QModelIndex cell = grid->model()->index(static_cast<int>(std::min<std::uint64_t>(record - 1, INT_MAX)), 0);
    if (cell.isValid()) {
        grid->selectionModel()->setCurrentIndex(cell, QItemSelectionModel::ClearAndSelect | QItemSelectionModel::Rows);
        grid->scrollTo(cell, QAbstractItemView::PositionAtCenter);
    }
    // Without modality, so the check's list stays usable beside it.
    m_formViewCsv->show();
    m_formViewCsv->raise();
    m_formViewCsv->activateWindow();
}

void T_FRMain::actPreviewOutputExecute()
{
    QTableView* grid = m_formViewCsv ? m_formViewCsv->gridCsv() : nullptr;
    if (!m_recordPreview) {
        m_recordPreview = new RecordPreviewDialog(
            [this](std::uint64_t record) {
                return previewRecord(settingsFromControls(), projectPath(), m_env.programFolder, record);
            },
            this);
        // The preview follows the record chosen in the data preview while both are open.
        if (grid)
            connect(grid->selectionModel(), &QItemSelectionModel::currentRowChanged, m_recordPreview,
                    [this](const QModelIndex& current) {
                        if (current.isValid() && m_recordPreview->isVisible())
                            m_recordPreview->showRecord(static_cast<std::uint64_t>(current.row()) + 1);
                    });
    }
    std::uint64_t record = m_recordPreview->record();
    if (grid && grid->currentIndex().isValid())
        record = static_cast<std::uint64_t>(grid->currentIndex().row()) + 1;
    m_recordPreview->showRecord(record);
    m_recordPreview->show();
    m_recordPreview->raise();
    m_recordPreview->activateWindow();
}

// ---------------------------------------------------------------- about and the web page

void T_FRMain::About2Click()
{
    TAboutForm about(m_dialogs, *m_launcher, this);
    about.exec();
}

void T_FRMain::Label5Click()
{
    openProductPage(*GoToWeb1, *ePurchase, m_dialogs, this, tr("No internet connection.."));
}

} // namespace stencilor::ui
