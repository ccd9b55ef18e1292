#include "ui/MainWindow.h"

#include "project/ProjectCommands.h"
#include "project/ProjectFile.h"
#include "ui/AboutDialog.h"
#include "ui/DataPreviewDialog.h"
#include "ui/ExplorerButton.h"
#include "ui/ProductWebLink.h"
#include "ui/ProjectSettingsForm.h"
#include "ui/QtText.h"
#include "ui/RecordRangeBox.h"
#include "ui/RulesPanel.h"
#include "ui/WindowBands.h"

#include <QAction>
#include <QCloseEvent>
#include <QCoreApplication>
#include <QFrame>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QMenuBar>
#include <QMouseEvent>
#include <QProgressBar>
#include <QStatusBar>
#include <QToolButton>
#include <QVBoxLayout>
#include <ctime>

namespace stencilor::ui {

namespace {

// Fixed band heights of the window's own bands at the top.
constexpr int kToolbarHeight = 50;
constexpr int kProjectStripHeight = 19;
// How many field labels the lists offer before a data file has been examined.
constexpr int kStartFieldLabels = 20;
const QColor kProjectStripColour(0, 128, 128);

QToolButton* actionButton(const char* name, QAction* action)
{
    QToolButton* button = flatButton(name, action->text(), action->icon(), QSize(64, 46));
    button->setDefaultAction(action);
    return button;
}

std::tm localNow()
{
    const std::time_t now = std::time(nullptr);
    std::tm local{};
    localtime_r(&now, &local);
    return local;
}

} // namespace

T_FRMain::T_FRMain(Environment environment, UserDialogs& dialogs, QWidget* parent)
    : QMainWindow(parent)
    , m_env(std::move(environment))
    , m_dialogs(dialogs)
    , m_runHost(*this, dialogs, this)
    , m_run(m_runHost)
{
    setObjectName(QStringLiteral("FRMain"));
    setWindowTitle(QStringLiteral("Stencilor " STENCILOR_VERSION));
    setWindowIcon(QIcon(productPicture(64)));
    setMinimumSize(955, 650);
    resize(955, 650);

    createActions();
    createMenu();
    m_form = new ProjectSettingsForm(
        m_dialogs, [this] { return resolvedProjectPath(); }, this);
    m_rulesPanel = new RulesPanel([this] {
        return RulesPanel::EditorSource{m_dataFile.csvFieldCount, m_dataFile.csvSampleLine, m_form->delimiter(),
                                        m_form->fieldLabels()};
    });

    auto* central = new QWidget(this);
    auto* bands = new QVBoxLayout(central);
    bands->setContentsMargins(0, 0, 0, 0);
    bands->setSpacing(0);
    bands->addWidget(createToolbarBand());
    bands->addWidget(createProjectStrip());
    bands->addWidget(m_form->dataFileBand());
    bands->addWidget(m_form->templateBand());
    bands->addWidget(m_rulesPanel, 1);
    bands->addWidget(m_form->resultsBand());
    bands->addWidget(m_form->advancedBand());
    bands->addWidget(m_form->reportBand());
    setCentralWidget(central);
    statusBar()->setObjectName(QStringLiteral("StatusBar1"));

    applySettings(ProjectSettings{});
    EdPrjFile->setText(QStringLiteral("Noname.ql"));
    FormCreate();
    // The data preview is created once, hidden, and reused for every preview.
    m_formViewCsv = new TformViewCsv(this);
    connect(m_form, &ProjectSettingsForm::dataFileChosen, this, &T_FRMain::ChkCsvFile);
    connect(m_form, &ProjectSettingsForm::dataPreviewClicked, this, &T_FRMain::SpeedButton12Click);
    connect(m_form, &ProjectSettingsForm::templatePreviewClicked, this, &T_FRMain::SpeedButton14Click);

    GoToWeb1 = new TGoToWeb(*m_launcher, this);
    GoToWeb1->setBrowserState(TBrowserState::gwMaximized);
    ePurchase = createPurchaseField(this);
    Label5->setCursor(Qt::PointingHandCursor);
    Label5->installEventFilter(this);
}

T_FRMain::~T_FRMain() = default;

void T_FRMain::FormCreate()
{
    m_form->progressBar()->setRange(0, 1000);
    m_form->progressBar()->setValue(0);
    m_dataFile = DataFileState{};
    actStop->setEnabled(false);
    m_form->setFieldLists(kStartFieldLabels);
}

void T_FRMain::createActions()
{
    const auto action = [this](const char* name, const QString& text, const QIcon& picture) {
        auto* a = new QAction(picture, text, this);
        a->setObjectName(QString::fromLatin1(name));
        a->setIconVisibleInMenu(false);
        return a;
    };
    actLoad = action("actLoad", QStringLiteral("Load"), themedIcon("document-open", QStyle::SP_DialogOpenButton));
    actNew = action("actNew", QStringLiteral("New"), themedIcon("document-new", QStyle::SP_FileIcon));
    actSave = action("actSave", QStringLiteral("Save"), themedIcon("document-save", QStyle::SP_DialogSaveButton));
    actSaveAs = action("actSaveAs", QStringLiteral("Save As"), themedIcon("document-save-as", QStyle::SP_DriveFDIcon));
    actRun = action("actRun", QStringLiteral("Run"), themedIcon("media-playback-start", QStyle::SP_MediaPlay));
    actStop = action("actStop", QStringLiteral("Stop"), themedIcon("media-playback-stop", QStyle::SP_MediaStop));
    actExit = action("actExit", QStringLiteral("Exit"), themedIcon("application-exit", QStyle::SP_DialogCloseButton));
    actAbout = action("About2", QStringLiteral("About"), QIcon());
    actCheck = action("actCheck", QStringLiteral("Check"), QIcon());
    actCheck->setToolTip(QStringLiteral("Check what a run would write, without writing"));
    actPreviewOutput = action("actPreviewOutput", QStringLiteral("Preview output"), QIcon());

    connect(actLoad, &QAction::triggered, this, &T_FRMain::actLoadExecute);
    connect(actNew, &QAction::triggered, this, &T_FRMain::actNewExecute);
    connect(actSave, &QAction::triggered, this, &T_FRMain::actSaveExecute);
    connect(actSaveAs, &QAction::triggered, this, &T_FRMain::actSaveAsExecute);
    connect(actRun, &QAction::triggered, this, &T_FRMain::actRunExecute);
    connect(actStop, &QAction::triggered, this, &T_FRMain::actStopExecute);
    connect(actExit, &QAction::triggered, this, &T_FRMain::actExitExecute);
    connect(actAbout, &QAction::triggered, this, &T_FRMain::About2Click);
    connect(actCheck, &QAction::triggered, this, &T_FRMain::actCheckExecute);
    connect(actPreviewOutput, &QAction::triggered, this, &T_FRMain::actPreviewOutputExecute);
}

void T_FRMain::createMenu()
{
    menuBar()->setObjectName(QStringLiteral("mainMenu"));
    QMenu* project = menuBar()->addMenu(QStringLiteral("Project"));
    project->setObjectName(QStringLiteral("Project1"));
    project->addActions({actLoad, actNew, actSave, actSaveAs});
    project->addSeparator();
    project->addActions({actRun, actStop});
    project->addSeparator();
    project->addAction(actExit);
    QMenu* tools = menuBar()->addMenu(QStringLiteral("Tools"));
    tools->setObjectName(QStringLiteral("Tools1"));
    tools->addActions({actCheck, actPreviewOutput});
    QMenu* about = menuBar()->addMenu(QStringLiteral("About"));
    about->setObjectName(QStringLiteral("About1"));
    about->addAction(actAbout);
}

QWidget* T_FRMain::createToolbarBand()
{
    QFrame* band = newBand("ToolBar1");
    auto* layout = new QHBoxLayout(band);
    layout->setContentsMargins(2, 1, 2, 1);
    layout->setSpacing(0);
    btnLoad = actionButton("btnLoad", actLoad);
    SpeedButton1 = actionButton("SpeedButton1", actNew);
    btnSave = actionButton("btnSave", actSave);
    btnSaveAs = actionButton("btnSaveAs", actSaveAs);
    btnRun = actionButton("btnRun", actRun);
    btnStop = actionButton("btnStop", actStop);
    for (QToolButton* button : {btnLoad, SpeedButton1, btnSave, btnSaveAs, btnRun, btnStop})
        layout->addWidget(button);
    layout->addSpacing(8);
    m_recordRange = new RecordRangeBox;
    layout->addWidget(m_recordRange);
    layout->addStretch(1);

    Label5 = new QLabel(QStringLiteral("Stencilor"));
    Label5->setObjectName(QStringLiteral("Label5"));
    QFont nameFont = Label5->font();
    nameFont.setBold(true);
    nameFont.setPixelSize(19);
    Label5->setFont(nameFont);
    Label5->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
    Label5->setFixedWidth(240);
    layout->addWidget(Label5);
    layout->addSpacing(8);

    ExplorerButton1 = new TExplorerButton;
    ExplorerButton1->setObjectName(QStringLiteral("ExplorerButton1"));
    ExplorerButton1->setText(QStringLiteral("Exit"));
    ExplorerButton1->setPicture(actExit->icon().pixmap(24, 24));
    ExplorerButton1->setFixedSize(59, 46);
    connect(ExplorerButton1, &TExplorerButton::clicked, this, &T_FRMain::actExitExecute);
    layout->addWidget(ExplorerButton1);
    fixHeight(band, kToolbarHeight);
    return band;
}

QWidget* T_FRMain::createProjectStrip()
{
    auto* strip = new QWidget;
    strip->setObjectName(QStringLiteral("PanelProject"));
    strip->setAutoFillBackground(true);
    QPalette palette = strip->palette();
    palette.setColor(QPalette::Window, kProjectStripColour);
    palette.setColor(QPalette::Base, kProjectStripColour);
    palette.setColor(QPalette::WindowText, Qt::white);
    palette.setColor(QPalette::Text, Qt::white);
    strip->setPalette(palette);

    auto* layout = new QHBoxLayout(strip);
    layout->setContentsMargins(6, 0, 6, 0);
    layout->setSpacing(8);
    QLabel* caption = boldLabel(QStringLiteral("Project file"));
    EdPrjFile = newEdit("EdPrjFile");
    EdPrjFile->setReadOnly(true);
    EdPrjFile->setFrame(false);
    EdPrjFile->setFont(caption->font());
    EdPrjFile->setPalette(palette);
    EdPrjFile->setFocusPolicy(Qt::ClickFocus);
    layout->addWidget(caption);
    layout->addWidget(EdPrjFile, 1);
    fixHeight(strip, kProjectStripHeight);
    return strip;
}

// ---------------------------------------------------------------- settings and parts

ProjectSettings T_FRMain::settingsFromControls() const
{
    ProjectSettings s = m_form->settingsFromControls();
    s.rules = m_rulesPanel->table();
    return s;
}

void T_FRMain::applySettings(const ProjectSettings& settings)
{
    m_form->applySettings(settings);
    m_rulesPanel->setTable(settings.rules);
}

std::string T_FRMain::projectPath() const
{
    return fromQt(EdPrjFile->text());
}

std::string T_FRMain::resolvedProjectPath() const
{
    return resolveProjectPath(projectPath(), m_env.programFolder);
}

void T_FRMain::showRunState(bool running)
{
    actRun->setEnabled(!running);
    actStop->setEnabled(running);
}

void T_FRMain::showProgress(int value, int maximum)
{
    QProgressBar* bar = m_form->progressBar();
    if (bar->maximum() != maximum || bar->minimum() != 0)
        bar->setRange(0, maximum);
    bar->setValue(value);
}

void T_FRMain::setProgramLauncher(ProgramLauncher& launcher)
{
    m_launcher = &launcher;
    GoToWeb1->setLauncher(launcher);
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

bool T_FRMain::eventFilter(QObject* watched, QEvent* event)
{
    // The product name is clicked when the left button is released over it.
    if (watched == Label5 && event->type() == QEvent::MouseButtonRelease) {
        const auto* mouse = static_cast<QMouseEvent*>(event);
        if (mouse->button() == Qt::LeftButton && Label5->rect().contains(mouse->position().toPoint())) {
            Label5Click();
            return true;
        }
    }
    return QMainWindow::eventFilter(watched, event);
}

} // namespace stencilor::ui
