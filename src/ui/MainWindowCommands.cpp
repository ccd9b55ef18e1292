// SPDX-License-Identifier: GPL-3.0-or-later
// The main window's commands besides the project's: the data source check with the data preview,
// the template preview, Run and Stop with the status bar that follows them, the Tools menu, About
// and the product's web page.

#include "datasource/DataInput.h"
#include "generation/DryRun.h"
#include "generation/RecordPreview.h"
#include "platform/FileSystem.h"
#include "platform/Messages.h"
#include "project/ProjectCommands.h"
#include "project/ProjectFile.h"
#include "ui/AboutDialog.h"
#include "ui/CheckDialog.h"
#include "ui/CoreMessages.h"
#include "ui/DataFileReading.h"
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
#include <QLocale>
#include <QProgressBar>
#include <QPushButton>
#include <QStatusBar>
#include <QTableView>
#include <QTimer>
#include <algorithm>
#include <climits>

namespace stencilor::ui {

// ---------------------------------------------------------------- data file and template

void T_FRMain::ChkCsvFile(DataFileOrigin origin)
{
    // The path and the format are taken now; the file is read in a thread of its own.
    m_checkedFormat = m_form->dataFormat();
    m_readingOrigin = origin;
    m_dataFileReading->start(m_form->resolvedDataFile(), m_checkedFormat);
}

void T_FRMain::createReadingIndicator()
{
    m_readingText = new QLabel;
    m_readingText->setObjectName(QStringLiteral("lblReadingDataFile"));
    m_readingBar = new QProgressBar;
    m_readingBar->setObjectName(QStringLiteral("barReadingDataFile"));
    m_readingBar->setMaximumWidth(160);
    m_readingBar->setAccessibleName(tr("Data file read"));
    m_stopReading = new QPushButton(tr("Cancel"));
    m_stopReading->setObjectName(QStringLiteral("btnStopReadingDataFile"));
    m_stopReading->setToolTip(tr("Stop reading the data file; its field names and warnings are not shown"));
    for (QWidget* part : std::initializer_list<QWidget*>{m_readingText, m_readingBar, m_stopReading}) {
        part->hide();
        statusBar()->addWidget(part);
    }
    connect(m_stopReading, &QPushButton::clicked, m_dataFileReading, &DataFileReading::cancel);
    connect(m_dataFileReading, &DataFileReading::progress, this, &T_FRMain::showReadingProgress);
    connect(m_dataFileReading, &DataFileReading::finished, this, &T_FRMain::dataFileRead);
}

void T_FRMain::showReadingProgress(qulonglong bytesRead, qulonglong size)
{
    const QLocale locale;
    const QString read = locale.formattedDataSize(static_cast<qint64>(bytesRead));
    if (size > 0) {
        m_readingBar->setRange(0, 100);
        m_readingBar->setValue(static_cast<int>(std::min<qulonglong>(bytesRead * 100 / size, 100)));
        m_readingText->setText(
            tr("Reading the data file: %1 of %2").arg(read, locale.formattedDataSize(static_cast<qint64>(size))));
    } else {
        // Standard input, or a workbook's rows: how far is not known.
        m_readingBar->setRange(0, 0);
        m_readingText->setText(tr("Reading the data file: %1").arg(read));
    }
    for (QWidget* part : std::initializer_list<QWidget*>{m_readingText, m_readingBar, m_stopReading})
        part->show();
}

void T_FRMain::dataFileRead(bool stopped)
{
    for (QWidget* part : std::initializer_list<QWidget*>{m_readingText, m_readingBar, m_stopReading})
        part->hide();
    const DataFileFindings& found = m_dataFileReading->findings();
    // A cancelled check leaves the data file unexamined: the preview checks it again first.
    m_dataFile = stopped ? DataFileState{} : found.state;
    m_form->showWorkbook(m_dataFile.workbook, m_dataFile.sheets);
    m_form->showDataWarnings(stopped ? QStringList() : dataFileWarningTexts(found.warnings, m_dataFile));
    if (stopped) {
        statusBar()->showMessage(tr("The data file was not read to its end: its field names are not shown"));
        return;
    }
    if (m_dataFile.csvFieldCount <= 0)
        return;
    const std::int64_t labels = std::min(m_dataFile.csvFieldCount, kMaxFieldLabels);
    m_form->setFieldLists(labels, m_dataFile);
    // Only a data file the user has just picked earns the offer, never a load or a preview.
    if (m_readingOrigin != DataFileOrigin::ChosenByUser)
        return;
    const QMessageBox::StandardButton answer = m_dialogs.ask(this, tr("Confirm"), tr("Add default rules ?"),
                                                             QMessageBox::Yes | QMessageBox::No, QMessageBox::No);
    if (answer != QMessageBox::Yes)
        return;
    RulesTable rules;
    if (m_checkedFormat.header)
        rules.FillDefaultRules(static_cast<std::size_t>(labels), m_dataFile.fieldNames);
    else
        rules.FillDefaultRules(static_cast<std::size_t>(labels), m_dataFile.csvWidestLine,
                               m_dataFile.workbook ? sheetForm().delim : m_checkedFormat.delim,
                               m_dataFile.workbook || m_checkedFormat.quotes);
    m_rulesPanel->setTable(std::move(rules));
}

bool T_FRMain::dataFileChecked()
{
    // A data file not examined yet is examined first, without the default-rules offer.
    if (!m_dataFileReading->running() && m_dataFile.csvFieldCount == -1)
        ChkCsvFile(DataFileOrigin::Project);
    m_dataFileReading->wait();
    return !m_dataFileReading->findings().stopped;
}

void T_FRMain::loadDataPreview()
{
    if (!m_formViewCsv)
        m_formViewCsv = new TformViewCsv(this);
    const int columns = static_cast<int>(std::clamp<std::int64_t>(m_dataFile.csvFieldCount, 1, INT_MAX));
    m_formViewCsv->loadData(m_form->resolvedDataFile(), m_form->dataFormat(), columns);
}

void T_FRMain::SpeedButton12Click()
{
    if (!dataFileChecked())
        return;
    loadDataPreview();
    m_formViewCsv->exec();
}

void T_FRMain::SpeedButton14Click()
{
    // An editor that starts is all; otherwise the user learns what was tried and how to get one.
    const EditorStart start = previewTemplate(*m_launcher, m_form->templateFile(), projectPath(), m_env.programFolder);
    if (start.started)
        return;
    QStringList tried;
    for (const std::string& program : start.tried)
        tried << toQt(program);
    QString how = tr("Choose a default application for plain text files in the desktop's settings, or set the "
                     "environment variable $VISUAL to the command of an editor.");
    if (!tried.isEmpty())
        how = tr("Tried: %1.").arg(tried.join(QStringLiteral(", "))) + u'\n' + how;
    m_dialogs.message(this, tr("Preview"), tr("No text editor was found to open the template."), how);
}

// ---------------------------------------------------------------- run

void T_FRMain::showRunState(bool running)
{
    actRun->setEnabled(!running);
    actStop->setEnabled(running);
    m_form->progressBar()->setTextVisible(running);
    if (running) {
        m_runClock.start();
        clearRunStatus();
    }
}

void T_FRMain::showProgress(int value, int maximum)
{
    QProgressBar* bar = m_form->progressBar();
    if (bar->maximum() != maximum || bar->minimum() != 0)
        bar->setRange(0, maximum);
    bar->setValue(value);
}

void T_FRMain::showRecordsDone(std::uint64_t done, std::uint64_t total)
{
    if (!m_run.isRunning())
        return;
    const QLocale locale;
    const QString records = locale.toString(static_cast<qulonglong>(done));
    const QString all = locale.toString(static_cast<qulonglong>(total));
    // The rate once there is a second's half to measure it by.
    const qint64 elapsed = m_runClock.elapsed();
    QString text = tr("%1 of %2 records").arg(records, all);
    if (elapsed >= 500) {
        const auto rate =
            static_cast<qulonglong>(m_run.filesWrittenSoFar() * 1000 / static_cast<std::uint64_t>(elapsed));
        text = tr("%1 of %2 records — %3 files/s").arg(records, all, locale.toString(rate));
    }
    // A close asked for during the run is waiting for it.
    if (m_closeAfterRun)
        text = tr("%1 — the window closes when the run ends").arg(text);
    statusBar()->showMessage(text);
}

void T_FRMain::clearRunStatus()
{
    statusBar()->clearMessage();
    m_openOutputFolder->hide();
}

void T_FRMain::actRunExecute()
{
    clearRunStatus();
    m_runHost.invalidateSettings();
    const RecordRange range = m_recordRange->records();
    const RunSummary summary = m_run.run(range);
    m_lastRun = summary;
    if (summary.outcome != RunOutcome::NotStarted) {
        QString text = runSummaryText(summary);
        if (summary.outcome == RunOutcome::Stopped) {
            // The records are numbered in the data file, as the record range counts them.
            const QLocale locale;
            const std::uint64_t first = std::max<std::uint64_t>(range.first, 1);
            const std::uint64_t last = first + summary.recordsProcessed - 1;
            text = summary.recordsProcessed == 0
                       ? tr("Stopped before record %1 — %2").arg(locale.toString(static_cast<qulonglong>(first)), text)
                       : tr("Stopped after record %1 — %2").arg(locale.toString(static_cast<qulonglong>(last)), text);
        }
        statusBar()->showMessage(text);
        // Where the files went, one click away.
        m_lastOutputFolder = summary.outputFolder;
        m_openOutputFolder->setToolTip(toQt(m_lastOutputFolder));
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

void T_FRMain::openOutputFolder()
{
    if (!openFolder(*m_launcher, m_lastOutputFolder))
        m_dialogs.message(this, tr("Open output folder"), tr("No file manager was found to show the output folder."),
                          toQt(m_lastOutputFolder));
}

// ---------------------------------------------------------------- the Tools menu

QString T_FRMain::inputMessageText(const Error& error) const
{
    // Each line about a missing input names the input's path.
    QStringList lines = errorMessage(error).split(u'\n');
    const QString named = missingInputPaths(error);
    const QStringList paths = named.isEmpty() ? QStringList() : named.split(u'\n');
    qsizetype next = 0;
    for (QString& line : lines) {
        if (!line.isEmpty() && next < paths.size())
            line = tr("%1: %2").arg(line, paths[next++]);
    }
    return lines.join(u'\n');
}

void T_FRMain::actCheckExecute()
{
    if (!m_checkDialog) {
        // Each check reads the controls anew, like a run, so "Check again" sees unsaved edits; the
        // settings are read here and the data in the check's thread.
        m_checkDialog = new CheckDialog(
            [this] {
                ProjectSettings settings = settingsFromControls();
                const bool quotes = settings.quotes;
                return CheckDialog::Job{
                    [settings = std::move(settings), place = ProjectPlace{projectPath(), m_env.programFolder}](
                        const FindingSink& sink, const CheckProgress& progress, const PassWatch& watch) {
                        return checkProjectOutput(settings, place, {}, sink, {}, progress, watch);
                    },
                    quotes};
            },
            [this](const Error& error) { return inputMessageText(error); }, this);
        connect(m_checkDialog, &CheckDialog::recordChosen, this, &T_FRMain::showRecordInDataPreview);
    }
    m_checkDialog->show();
    m_checkDialog->raise();
    m_checkDialog->activateWindow();
    m_checkDialog->startCheck();
}

void T_FRMain::showRecordInDataPreview(std::uint64_t record)
{
    if (!dataFileChecked())
        return;
    loadDataPreview();
    QTableView* grid = m_formViewCsv->gridCsv();
    const QModelIndex cell = grid->model()->index(m_formViewCsv->rowOfRecord(record), 0);
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
            [this](std::uint64_t record) -> RecordPreviewDialog::Produce {
                return [settings = settingsFromControls(), place = ProjectPlace{projectPath(), m_env.programFolder},
                        record](const PassWatch& watch) { return previewRecord(settings, place, record, watch); };
            },
            [this](const Error& error) { return inputMessageText(error); }, this);
        // The preview follows the record chosen in the data preview while both are open.
        if (grid)
            connect(grid->selectionModel(), &QItemSelectionModel::currentRowChanged, m_recordPreview,
                    [this](const QModelIndex& current) {
                        if (current.isValid() && m_recordPreview->isVisible())
                            m_recordPreview->showRecord(m_formViewCsv->recordOfRow(current.row()));
                    });
    }
    std::uint64_t record = m_recordPreview->record();
    if (grid && grid->currentIndex().isValid())
        record = m_formViewCsv->recordOfRow(grid->currentIndex().row());
    m_recordPreview->show();
    m_recordPreview->raise();
    m_recordPreview->activateWindow();
    m_recordPreview->showRecord(record);
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
