// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

// T_FRMain, the unit main1.
// The main window: the project commands (Load, Open Recent, New, Save, Save As, Exit), Run and
// Stop, the Tools menu and About, tying together the parts it is made of: the project settings
// form (steps 1, 2, 4 and 5 and the advanced options), the rules panel (step 3) and the record
// range beside Run. Its controls are the live copy of the project; its title names the project and
// marks unsaved changes, its status bar follows the run. Creation, start-up and the window's look
// are in MainWindow.cpp, the project and its commands in MainWindowProject.cpp, the other commands
// in MainWindowCommands.cpp, the window's side of the run in MainRunHost.cpp.

#include "datasource/DataSourceCheck.h"
#include "generation/GenerationRun.h"
#include "project/ProjectFile.h"
#include "project/ProjectSettings.h"
#include "ui/MainRunHost.h"
#include "ui/ProgramLauncher.h"

#include <QElapsedTimer>
#include <QMainWindow>
#include <QPointer>
#include <cstdint>
#include <string>
#include <string_view>

class QAction;
class QLabel;
class QLineEdit;
class QProgressBar;
class QPushButton;
class QScrollArea;
class QTimer;
class QToolButton;

namespace stencilor::ui {

class ActiveLabel;
class CheckDialog;
class DataFileReading;
class ProjectSettingsForm;
class RecentProjectsMenu;
class RecordPreviewDialog;
class RecordRangeBox;
class RulesPanel;
class TExplorerButton;
class TformViewCsv;
class TGoToWeb;
class UserDialogs;

class T_FRMain final : public QMainWindow, private RunWindow {
    Q_OBJECT
public:
    // What the window needs to know about the program it runs in.
    struct Environment {
        std::string programFolder;       // folder of a bare project path, ending with "/"
        std::string programSettingsPath; // the file that remembers the last saved project
        std::string startupArgument;     // the first command-line argument made absolute, or empty
    };

    // Creates the window at its start values (FormCreate). Every question, message and file
    // dialog goes through `dialogs`, which must outlive the window.
    T_FRMain(Environment environment, UserDialogs& dialogs, QWidget* parent = nullptr);
    ~T_FRMain() override;

    // The start-up splash, closed and discarded when the window is first shown.
    void setSplash(QWidget* splash);

    // Outside programs (the text editor, the web browser) are started through `launcher` from now
    // on, in the window and in the about box; it must outlive the window. By default real
    // programs are started.
    void setProgramLauncher(ProgramLauncher& launcher);

    // The project's settings as the controls show them now, rules and report texts included.
    ProjectSettings settingsFromControls() const override;
    // Puts `settings` into the controls, the rules grid and the two report texts.
    void applySettings(const ProjectSettings& settings);

    // What the last data source check found.
    const DataFileState& dataFileState() const { return m_dataFile; }
    // What the last run did (outcome NotStarted before any run).
    const RunSummary& lastRunSummary() const { return m_lastRun; }
    bool isRunning() const { return m_run.isRunning(); }

protected:
    void showEvent(QShowEvent* event) override;
    void closeEvent(QCloseEvent* event) override;
    void changeEvent(QEvent* event) override;
    // A project file dropped on the window is loaded as Load would load it.
    void dragEnterEvent(QDragEnterEvent* event) override;
    void dropEvent(QDropEvent* event) override;

private:
    // ---- creation, start-up and look (MainWindow.cpp)
    void createActions();
    void createMenu();
    QWidget* createToolbarBand();
    QWidget* createProjectStrip();
    void FormCreate();
    void FormShow();
    // Tab goes through the controls band by band, from the tool bar down to step 5.
    void setTabChain(const QList<QWidget*>& bands);
    // The smallest size: the described 955 x 650, more where the desktop's font needs it, but
    // never more than the screen holds (then the bands scroll).
    void fitMinimumSize();
    // The colours and pictures the window sets itself, taken again from the palette in use.
    void applyPalette();

    // ---- the project (MainWindowProject.cpp)
    // "cards.ql — Stencilor", with the unsaved-changes marker.
    void updateTitle();
    // Marks the title when the window differs from the project file, as Exit would find it.
    void checkModified();
    void actLoadInt();
    // Loads the project at `path` as Load does once its file is chosen.
    void openProject(const QString& path);
    // Asks "Save project" when the window differs from its file, then loads the project at `path`;
    // Cancel (or a save that fails) keeps everything as it was.
    void switchToProject(const QString& path);
    // The comparison with the project file and its question, before the window's contents are
    // dropped (Exit, New, Load, Open Recent, a drop); true when they may go.
    bool saveChangesFirst();
    void actNewExecute();
    void actLoadExecute();
    bool actSaveExecute();
    // Saves the window into the project file; a failure is shown. True when saved.
    bool saveProjectFile(SaveMode mode);
    void actSaveAsExecute();
    void actExitExecute();

    // ---- the other commands (MainWindowCommands.cpp)
    // Where the data file that the data source check examines comes from: only a file the user
    // has just chosen earns the default-rules offer, never the data file of a loaded project.
    enum class DataFileOrigin { Project, ChosenByUser };
    // Starts the data source check of the data file as the controls name it, in a thread of its
    // own (a check that runs is replaced); dataFileRead() takes its findings.
    void ChkCsvFile(DataFileOrigin origin);
    // Fills the field lists, the sheet list and the data warnings from the check that ended, and
    // offers default rules for a data file the user chose.
    void dataFileRead(bool stopped);
    // The status bar's "Reading the data file" with its bar and Cancel, while a long check runs.
    void createReadingIndicator();
    void showReadingProgress(qulonglong bytesRead, qulonglong size);
    // Waits, with the window answering, for the check of the data file (started first when the
    // file has not been examined yet); false when it was cancelled.
    bool dataFileChecked();
    // The status bar without a previous run's summary and folder link.
    void clearRunStatus();
    void actRunExecute();
    void actStopExecute();
    // Shows the last run's output folder in the file manager, or says that there is none.
    void openOutputFolder();
    void SpeedButton12Click();
    void SpeedButton14Click();
    void About2Click();
    void Label5Click();
    // `error` of the core (a check or preview that did not start) in the user's language, each
    // line about a missing data file or template followed by its full path.
    QString inputMessageText(const Error& error) const;
    // Checks the current settings as a run would, without writing, and shows the findings.
    void actCheckExecute();
    // Opens the data preview on the data file with record `record` (1-based) selected.
    void showRecordInDataPreview(std::uint64_t record);
    // Shows the output of the record chosen in the data preview (else the last one previewed).
    void actPreviewOutputExecute();
    // Loads the data file into the data preview, which is created on first use.
    void loadDataPreview();

    // The project path as the window shows it, and resolved for reading and writing.
    std::string projectPath() const override;
    std::string resolvedProjectPath() const;

    // ---- the run's view of the window (RunWindow)
    std::string programFolder() const override { return m_env.programFolder; }
    void showRunState(bool running) override;
    void showProgress(int value, int maximum) override;
    void showRecordsDone(std::uint64_t done, std::uint64_t total) override;

    Environment m_env;
    UserDialogs& m_dialogs;
    DataFileState m_dataFile;
    DataFormat m_checkedFormat; // how the data source check read the data file last
    DataFileReading* m_dataFileReading = nullptr;
    DataFileOrigin m_readingOrigin = DataFileOrigin::Project; // of the check that runs
    QLabel* m_readingText = nullptr;                          // how far the check has read
    QProgressBar* m_readingBar = nullptr;
    QPushButton* m_stopReading = nullptr;

    MainRunHost m_runHost;
    GenerationRun m_run;
    RunSummary m_lastRun;
    bool m_closeCheckRunning = false; // the exit question is open
    bool m_closeApproved = false;     // the exit check said yes; the next close goes through
    bool m_closeAfterRun = false;     // closed during a run: close when it ends
    bool m_shownOnce = false;
    QTimer* m_modifiedCheck = nullptr; // one comparison after a burst of changes
    QElapsedTimer m_runClock;          // since the run in progress started
    std::string m_lastOutputFolder;    // where the last run's files went
    QPointer<QWidget> m_splash;
    QPointer<TformViewCsv> m_formViewCsv;
    QPointer<CheckDialog> m_checkDialog;
    QPointer<RecordPreviewDialog> m_recordPreview;
    SystemProgramLauncher m_systemLauncher;
    ProgramLauncher* m_launcher = &m_systemLauncher;
    TGoToWeb* GoToWeb1 = nullptr;
    QLineEdit* ePurchase = nullptr; // the product page address

    // The parts.
    ProjectSettingsForm* m_form = nullptr;
    RulesPanel* m_rulesPanel = nullptr;
    RecordRangeBox* m_recordRange = nullptr;
    RecentProjectsMenu* m_recentMenu = nullptr;
    QScrollArea* m_scrollBands = nullptr; // scrolls the bands on a screen smaller than they need
    QWidget* m_bands = nullptr;
    QWidget* m_projectStrip = nullptr;
    QLabel* m_openOutputFolder = nullptr; // "Open output folder" in the status bar after a run

    // Actions of the action list.
    QAction* actLoad = nullptr;
    QAction* actNew = nullptr;
    QAction* actSave = nullptr;
    QAction* actSaveAs = nullptr;
    QAction* actRun = nullptr;
    QAction* actStop = nullptr;
    QAction* actExit = nullptr;
    QAction* actAbout = nullptr;
    QAction* actCheck = nullptr;
    QAction* actPreviewOutput = nullptr;

    // Toolbar and project strip.
    QToolButton* btnLoad = nullptr;
    QToolButton* SpeedButton1 = nullptr;
    QToolButton* btnSave = nullptr;
    QToolButton* btnSaveAs = nullptr;
    QToolButton* btnRun = nullptr;
    QToolButton* btnStop = nullptr;
    ActiveLabel* Label5 = nullptr;
    TExplorerButton* ExplorerButton1 = nullptr;
    QLineEdit* EdPrjFile = nullptr;
};

} // namespace stencilor::ui
