#pragma once

// T_FRMain, the unit main1.
// The main window: the project commands (Load, New, Save, Save As, Exit), Run and Stop, the Tools
// menu and About, tying together the parts it is made of: the project settings form (steps 1, 2,
// 4 and 5 and the advanced options), the rules panel (step 3) and the record range beside Run.
// Its controls are the live copy of the project. Creation and start-up are in MainWindow.cpp, the
// commands in MainWindowCommands.cpp, the window's side of the run in MainRunHost.cpp.

#include "datasource/DataSourceCheck.h"
#include "generation/GenerationRun.h"
#include "project/ProjectSettings.h"
#include "ui/MainRunHost.h"
#include "ui/ProgramLauncher.h"

#include <QMainWindow>
#include <QPointer>
#include <cstdint>
#include <string>

class QAction;
class QLabel;
class QLineEdit;
class QToolButton;

namespace stencilor::ui {

class CheckDialog;
class ProjectSettingsForm;
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
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    // ---- creation and start-up (MainWindow.cpp)
    void createActions();
    void createMenu();
    QWidget* createToolbarBand();
    QWidget* createProjectStrip();
    void FormCreate();
    void FormShow();

    // ---- commands (MainWindowCommands.cpp)
    void actLoadInt();
    void ChkCsvFile(const QObject* trigger);
    void actNewExecute();
    void actLoadExecute();
    bool actSaveExecute();
    void actSaveAsExecute();
    void actExitExecute();
    void actRunExecute();
    void actStopExecute();
    void SpeedButton12Click();
    void SpeedButton14Click();
    void About2Click();
    void Label5Click();
    // Checks the current settings as a run would, without writing, and shows the findings.
    void actCheckExecute();
    // Opens the data preview on the data file with record `record` (1-based) selected.
    void showRecordInDataPreview(std::uint64_t record);
    // Shows the output of the record chosen in the data preview (else the last one previewed).
    void actPreviewOutputExecute();
    // Loads the data file into the data preview, which is created on first use.
    void loadDataPreview();
    // The exit comparison and its question; true when the window may close.
    bool exitCheck();

    // The project path as the window shows it, and resolved for reading and writing.
    std::string projectPath() const override;
    std::string resolvedProjectPath() const;

    // ---- the run's view of the window (RunWindow)
    std::string programFolder() const override { return m_env.programFolder; }
    void showRunState(bool running) override;
    void showProgress(int value, int maximum) override;

    Environment m_env;
    UserDialogs& m_dialogs;
    DataFileState m_dataFile;

    MainRunHost m_runHost;
    GenerationRun m_run;
    RunSummary m_lastRun;
    bool m_closeCheckRunning = false; // the exit question is open
    bool m_closeApproved = false;     // the exit check said yes; the next close goes through
    bool m_closeAfterRun = false;     // closed during a run: close when it ends
    bool m_shownOnce = false;
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
    QLabel* Label5 = nullptr;
    TExplorerButton* ExplorerButton1 = nullptr;
    QLineEdit* EdPrjFile = nullptr;
};

} // namespace stencilor::ui
