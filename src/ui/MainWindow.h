#pragma once

// T_FRMain, the unit main1.
// The main window: every setting of the current project as a control (the controls are the live
// copy of the project), the rules grid, Run and Stop with the progress bar, and the project
// commands. Layout and window creation are in MainWindow.cpp, the commands in MainWindowCommands.cpp,
// the window's side of the generation run in MainRunHost.cpp.

#include "datasource/DataSourceCheck.h"
#include "generation/GenerationRun.h"
#include "generation/RecordRange.h"
#include "project/ProjectSettings.h"
#include "ui/MainRunHost.h"
#include "ui/ProgramLauncher.h"

#include <QMainWindow>
#include <QPointer>
#include <cstdint>
#include <string>

class QAction;
class QButtonGroup;
class QCheckBox;
class QComboBox;
class QGroupBox;
class QLabel;
class QLineEdit;
class QMenuBar;
class QModelIndex;
class QProgressBar;
class QPushButton;
class QRadioButton;
class QSpinBox;
class QTableView;
class QToolButton;

namespace stencilor::ui {

class CheckDialog;
class RecordPreviewDialog;
class RulesModel;
class TExplorerButton;
class TformSetupReport;
class TformViewCsv;
class TGoToWeb;
class T_Extract;
class UserDialogs;

class T_FRMain final : public QMainWindow {
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
    ProjectSettings settingsFromControls() const;
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
    friend class MainRunHost;

    // ---- window creation (MainWindow.cpp)
    void createActions();
    void createMenu();
    QWidget* createToolbarBand();
    QWidget* createProjectStrip();
    QWidget* createDataFileBand();
    QWidget* createTemplateBand();
    QWidget* createRulesBand();
    QWidget* createResultsBand();
    QWidget* createAdvancedBand();
    QWidget* createReportBand();
    void FormCreate();

    // ---- commands (MainWindowCommands.cpp)
    void FormShow();
    void actLoadInt();
    void ChkCsvFile(const QObject* trigger);
    void actNewExecute();
    void actLoadExecute();
    bool actSaveExecute();
    void actSaveAsExecute();
    void actExitExecute();
    void actRunExecute();
    void actStopExecute();
    void btnChoiceTextClick();
    void btnChoiceTemplateClick();
    void SpeedButton12Click();
    void About2Click();
    // ---- the rules table (RulesPanel.cpp)
    void connectRulesTable();
    void btnAddRuleClick();
    void btnEditlRuleClick();
    void btnInsRuleClick();
    void btnDelRuleClick();
    // Opens the rule editor on the current row and writes its result back on Ok.
    void gridRulesDblClick();
    // Switches in-place editing on for the identifier column only.
    void gridRulesSelectCell(const QModelIndex& current);
    // The current row of the rules table (0 for the first rule); always a rule row.
    int currentRuleRow() const;
    // Makes `row` the current row, keeping the selected column (the field column when none).
    void setCurrentRuleRow(int row);

    // ---- report options, template preview, web link (MainWindowShell.cpp)
    // Creates the report options dialog (hidden) and the web link, and connects their controls.
    void createShellParts();
    void btnSetupRepClick();
    void SpeedButton14Click();
    void Label5Click();

    // ---- the Tools menu (MainWindowTools.cpp)
    // Checks the current settings as a run would, without writing, and shows the findings.
    void actCheckExecute();
    // Opens the data preview on the data file with record `record` (1-based) selected.
    void showRecordInDataPreview(std::uint64_t record);
    // Shows the output of the record chosen in the data preview (else the last one previewed).
    void actPreviewOutputExecute();
    // The Run command's record choice beside Run: every record, or records From to To.
    QWidget* createRecordRangeBox();
    RecordRange runRecords() const;

    // The exit comparison and its question; true when the window may close.
    bool exitCheck();

    // The project path as the window shows it, and resolved for reading and writing.
    std::string projectPath() const;
    std::string resolvedProjectPath() const;
    // A data or template path from a control, a bare name resolved against the project's folder.
    std::string resolvedInputPath(const QLineEdit* edit) const;
    // Puts the labels of fields 1 to min(count, 500) into both field lists, keeping their texts.
    void setFieldLists(std::int64_t count);
    void setCaseIndex(int index);
    void setNameSource(bool fromField, bool fromTemplate);

    Environment m_env;
    UserDialogs& m_dialogs;

    // Settings without a control of their own.
    std::string m_rep_fld;
    std::string m_report_fld;
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
    QPointer<T_Extract> m_extract;
    QPointer<TformSetupReport> m_formSetupReport;
    SystemProgramLauncher m_systemLauncher;
    ProgramLauncher* m_launcher = &m_systemLauncher;
    TGoToWeb* GoToWeb1 = nullptr;
    QLineEdit* ePurchase = nullptr; // the product page address

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
    QPointer<CheckDialog> m_checkDialog;
    QAction* actPreviewOutput = nullptr;
    QPointer<RecordPreviewDialog> m_recordPreview;
    QCheckBox* chkRecords = nullptr;
    QSpinBox* edRecFrom = nullptr;
    QSpinBox* edRecTo = nullptr;

    // Toolbar.
    QToolButton* btnLoad = nullptr;
    QToolButton* SpeedButton1 = nullptr;
    QToolButton* btnSave = nullptr;
    QToolButton* btnSaveAs = nullptr;
    QToolButton* btnRun = nullptr;
    QToolButton* btnStop = nullptr;
    QLabel* Label5 = nullptr;
    TExplorerButton* ExplorerButton1 = nullptr;

    // Project strip and steps 1 and 2.
    QLineEdit* EdPrjFile = nullptr;
    QLineEdit* EdTextFile = nullptr;
    QPushButton* btnChoiceText = nullptr;
    QPushButton* SpeedButton12 = nullptr;
    QLineEdit* EdDelim = nullptr;
    QLineEdit* EdTemplateFile = nullptr;
    QPushButton* btnChoiceTemplate = nullptr;
    QPushButton* SpeedButton14 = nullptr;

    // Step 3: the rules.
    QToolButton* btnAddRule = nullptr;
    QToolButton* btnEditlRule = nullptr;
    QToolButton* btnInsRule = nullptr;
    QToolButton* btnDelRule = nullptr;
    QTableView* gridRules = nullptr;
    RulesModel* m_rules = nullptr;

    // Step 4: results.
    QProgressBar* pgBar = nullptr;
    QLineEdit* EdOuputDir = nullptr;
    QCheckBox* chkCopyDirFld = nullptr;
    QComboBox* cbDirectoryField = nullptr;
    QRadioButton* rbFromFld = nullptr;
    QComboBox* cbFileNameFld = nullptr;
    QRadioButton* rbTemplate = nullptr;
    QLineEdit* EdTempFileName = nullptr;
    QButtonGroup* m_nameSource = nullptr;

    // Advanced options.
    QCheckBox* chkAddExt = nullptr;
    QLineEdit* EdExt = nullptr;
    QCheckBox* chkDelChars = nullptr;
    QCheckBox* chkChangeCase = nullptr;
    QGroupBox* rbCase = nullptr;
    QButtonGroup* m_caseChoice = nullptr;

    // Step 5: report.
    QToolButton* btnSetupRep = nullptr;
    QCheckBox* chkReport = nullptr;
};

} // namespace stencilor::ui
