// The main window's commands: start-up, the project commands, the data source check with the two
// file pickers and the data preview, Run and Stop, About, and closing the window.

#include "generation/RunSummaryText.h"
#include "platform/FileSystem.h"
#include "platform/Messages.h"
#include "project/ProjectCommands.h"
#include "project/ProjectFile.h"
#include "ui/AboutDialog.h"
#include "ui/DataPreviewDialog.h"
#include "ui/MainWindow.h"
#include "ui/QtText.h"
#include "ui/RulesModel.h"
#include "ui/UserDialogs.h"

#include <QAction>
#include <QButtonGroup>
#include <QCheckBox>
#include <QCloseEvent>
#include <QComboBox>
#include <QCoreApplication>
#include <QLineEdit>
#include <QProgressBar>
#include <QPushButton>
#include <QRadioButton>
#include <QStatusBar>
#include <algorithm>
#include <climits>
#include <ctime>

namespace stencilor::ui {

namespace {

const QString kProjectFilter = QStringLiteral("Project Files (*.ql)|*.ql|All Files (*.*)|*.*");

// The folder a file dialog opens in for `path`: its folder part without the trailing "/" (the
// root keeps it); empty when the path has no folder part.
QString dialogFolder(std::string_view path)
{
    std::string folder(folderPart(path));
    if (folder.size() > 1)
        folder.pop_back();
    return toQt(folder);
}

// Unchecks every button of an exclusive group, which the group itself does not allow.
void clearGroup(QButtonGroup* group)
{
    group->setExclusive(false);
    for (QAbstractButton* button : group->buttons())
        button->setChecked(false);
    group->setExclusive(true);
}

std::tm localNow()
{
    const std::time_t now = std::time(nullptr);
    std::tm local{};
    localtime_r(&now, &local);
    return local;
}

} // namespace

// ---------------------------------------------------------------- settings and controls

ProjectSettings T_FRMain::settingsFromControls() const
{
    ProjectSettings s;
    s.delim = fromQt(EdDelim->text());
    s.textfile = fromQt(EdTextFile->text());
    s.templatefile = fromQt(EdTemplateFile->text());
    s.outputdir = fromQt(EdOuputDir->text());
    s.directoryFile = fromQt(cbDirectoryField->currentText());
    s.CopyDirFld = chkCopyDirFld->isChecked();
    s.nameFromFld = rbFromFld->isChecked();
    s.AddExt = chkAddExt->isChecked();
    s.edExt = fromQt(EdExt->text());
    s.FileNameFld = fromQt(cbFileNameFld->currentText());
    s.nameFromTemp = rbTemplate->isChecked();
    s.edTemp = fromQt(EdTempFileName->text());
    s.DelChars = chkDelChars->isChecked();
    s.changecase = chkChangeCase->isChecked();
    s.caseIndex = m_caseChoice->checkedId();
    s.report = chkReport->isChecked();
    s.rep_fld = m_rep_fld;
    s.report_fld = m_report_fld;
    s.rules = m_rules->table();
    return s;
}

void T_FRMain::applySettings(const ProjectSettings& s)
{
    EdDelim->setText(toQt(s.delim));
    EdTextFile->setText(toQt(s.textfile));
    EdTemplateFile->setText(toQt(s.templatefile));
    EdOuputDir->setText(toQt(s.outputdir));
    cbDirectoryField->setEditText(toQt(s.directoryFile));
    chkCopyDirFld->setChecked(s.CopyDirFld);
    chkAddExt->setChecked(s.AddExt);
    EdExt->setText(toQt(s.edExt));
    cbFileNameFld->setEditText(toQt(s.FileNameFld));
    setNameSource(s.nameFromFld, s.nameFromTemp);
    EdTempFileName->setText(toQt(s.edTemp));
    chkDelChars->setChecked(s.DelChars);
    chkChangeCase->setChecked(s.changecase);
    setCaseIndex(s.caseIndex);
    chkReport->setChecked(s.report);
    m_rep_fld = s.rep_fld;
    m_report_fld = s.report_fld;
    m_rules->setTable(s.rules);
}

void T_FRMain::setNameSource(bool fromField, bool fromTemplate)
{
    clearGroup(m_nameSource);
    // The two are radio buttons of one group, set in this order: the template wins.
    if (fromTemplate)
        rbTemplate->setChecked(true);
    else if (fromField)
        rbFromFld->setChecked(true);
}

void T_FRMain::setCaseIndex(int index)
{
    if (QAbstractButton* choice = m_caseChoice->button(std::clamp(index, -1, 2)))
        choice->setChecked(true);
    else
        clearGroup(m_caseChoice);
}

std::string T_FRMain::projectPath() const
{
    return fromQt(EdPrjFile->text());
}

std::string T_FRMain::resolvedProjectPath() const
{
    return resolveProjectPath(projectPath(), m_env.programFolder);
}

std::string T_FRMain::resolvedInputPath(const QLineEdit* edit) const
{
    return resolveDataFilePath(fromQt(edit->text()), resolvedProjectPath());
}

// ---------------------------------------------------------------- start-up

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
    FormShow();
}

void T_FRMain::FormShow()
{
    EdPrjFile->setText(
        toQt(startupProjectPath(m_env.startupArgument, m_env.programSettingsPath, m_env.programFolder, localNow())));
    actLoadInt();
    ChkCsvFile(this);
    if (m_splash) {
        m_splash->close();
        m_splash->deleteLater();
        m_splash = nullptr;
    }
}

// ---------------------------------------------------------------- project commands

void T_FRMain::actLoadInt()
{
    applySettings(loadProject(projectPath(), settingsFromControls(), m_env.programFolder).settings);
}

void T_FRMain::actNewExecute()
{
    EdPrjFile->setText(toQt(newProjectPath(projectPath(), m_env.programFolder)));
    actLoadInt();
    ChkCsvFile(actNew);
}

void T_FRMain::actLoadExecute()
{
    const std::string current = projectPath();
    FileDialogRequest request;
    request.title = QStringLiteral("Load Project");
    request.filter = kProjectFilter;
    request.defaultSuffix = QStringLiteral("ql");
    request.fileName = toQt(current);
    request.folder = dialogFolder(resolvedProjectPath());
    const std::optional<QString> chosen = m_dialogs.chooseFile(this, request);
    if (!chosen)
        return;
    EdPrjFile->setText(*chosen);
    actLoadInt();
    ChkCsvFile(actLoad);
}

bool T_FRMain::actSaveExecute()
{
    const Status saved =
        saveProject(projectPath(), settingsFromControls(), m_env.programFolder, m_env.programSettingsPath);
    if (saved)
        return true;
    // The message names the file that could not be written and the system's reason.
    m_dialogs.error(this, QStringLiteral("Save Project"), toQt(messageForUser(saved.error())));
    return false;
}

void T_FRMain::actSaveAsExecute()
{
    const std::string resolved = resolvedProjectPath();
    FileDialogRequest request;
    request.title = QStringLiteral("Save Project");
    request.filter = kProjectFilter;
    request.defaultSuffix = QStringLiteral("ql");
    request.fileName = toQt(fileNamePart(resolved));
    request.folder = dialogFolder(resolved);
    request.save = true;
    const std::optional<QString> chosen = m_dialogs.chooseFile(this, request);
    if (!chosen)
        return;
    const std::string target = withProjectExtension(fromQt(*chosen));
    if (saveAsReplacesAnotherFile(resolveProjectPath(target, m_env.programFolder), resolved) &&
        !m_dialogs.confirm(
            this, request.title,
            QStringLiteral("%1 already exists.\nDo you want to replace it?").arg(toQt(fileNamePart(target))))) {
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
    switch (m_dialogs.ask(this, QStringLiteral("Attention"), QStringLiteral("Save project"),
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

void T_FRMain::closeEvent(QCloseEvent* event)
{
    if (m_closeApproved) {
        event->accept();
        return;
    }
    // A second close while the question is open (or the events it lets through) changes nothing.
    if (m_closeCheckRunning || m_closeAfterRun) {
        event->ignore();
        return;
    }
    m_closeCheckRunning = true;
    const bool mayClose = exitCheck();
    m_closeCheckRunning = false;
    if (!mayClose) {
        event->ignore();
        return;
    }
    if (isRunning()) {
        // The run goes on through its remaining records; actRunExecute closes the window then.
        m_closeAfterRun = true;
        event->ignore();
        return;
    }
    m_closeApproved = true;
    event->accept();
}

// ---------------------------------------------------------------- data source

void T_FRMain::ChkCsvFile(const QObject* trigger)
{
    const std::string delim = fromQt(EdDelim->text());
    m_dataFile = checkDataFile(resolvedInputPath(EdTextFile), delim);
    if (m_dataFile.csvFieldCount <= 0)
        return;
    const std::int64_t labels = std::min(m_dataFile.csvFieldCount, kMaxFieldLabels);
    setFieldLists(labels);
    // Only a data file the user has just picked earns the offer, never a load or a preview.
    if (!trigger || trigger->objectName() != QLatin1String("btnChoiceText"))
        return;
    const QMessageBox::StandardButton answer =
        m_dialogs.ask(this, QStringLiteral("Confirm"), QStringLiteral("Add default rules ?"),
                      QMessageBox::Yes | QMessageBox::No, QMessageBox::No);
    if (answer != QMessageBox::Yes)
        return;
    RulesTable rules;
    rules.FillDefaultRules(static_cast<std::size_t>(labels), m_dataFile.csvWidestLine, delim);
    m_rules->setTable(std::move(rules));
}

void T_FRMain::btnChoiceTextClick()
{
    FileDialogRequest request;
    request.title = QStringLiteral("Select source file (csv with data)");
    request.filter = QStringLiteral("Data Files (*.csv)|*.csv|All Files (*.*)|*.*");
    request.defaultSuffix = QStringLiteral("csv");
    request.fileName = EdTextFile->text();
    request.folder = dialogFolder(resolvedInputPath(EdTextFile));
    const std::optional<QString> chosen = m_dialogs.chooseFile(this, request);
    if (!chosen)
        return;
    EdTextFile->setText(*chosen);
    ChkCsvFile(btnChoiceText);
}

void T_FRMain::btnChoiceTemplateClick()
{
    FileDialogRequest request;
    request.title = QStringLiteral("Select html or text file template");
    request.filter = QStringLiteral("HTML Files|*.html;*.htm|Text Files|*.txt|All Files (*.*)|*.*");
    request.defaultSuffix = QStringLiteral("html");
    request.fileName = toQt(fileNamePart(fromQt(EdTemplateFile->text())));
    request.folder = dialogFolder(resolvedInputPath(EdTemplateFile));
    const std::optional<QString> chosen = m_dialogs.chooseFile(this, request);
    if (chosen)
        EdTemplateFile->setText(*chosen);
}

void T_FRMain::SpeedButton12Click()
{
    if (m_dataFile.csvFieldCount == -1)
        ChkCsvFile(SpeedButton12);
    if (!m_formViewCsv)
        m_formViewCsv = new TformViewCsv(this);
    const int columns = static_cast<int>(std::clamp<std::int64_t>(m_dataFile.csvFieldCount, 1, INT_MAX));
    m_formViewCsv->loadData(resolvedInputPath(EdTextFile), fromQt(EdDelim->text()), columns);
    m_formViewCsv->exec();
}

// ---------------------------------------------------------------- run

void T_FRMain::actRunExecute()
{
    statusBar()->clearMessage();
    m_runHost.invalidateSettings();
    const RunSummary summary = m_run.run(runRecords());
    m_lastRun = summary;
    if (summary.outcome != RunOutcome::NotStarted)
        statusBar()->showMessage(toQt(filesAndSkipsText(summary)));
    if (m_closeAfterRun) {
        m_closeApproved = true;
        close();
    }
}

void T_FRMain::actStopExecute()
{
    m_run.stop();
}

// ---------------------------------------------------------------- about

void T_FRMain::About2Click()
{
    TAboutForm about(m_dialogs, *m_launcher, this);
    about.exec();
}

} // namespace stencilor::ui
