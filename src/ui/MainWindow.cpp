// SPDX-License-Identifier: GPL-3.0-or-later
#include "ui/MainWindow.h"

#include "project/ProjectCommands.h"
#include "ui/AboutDialog.h"
#include "ui/ActiveLabel.h"
#include "ui/CheckDialog.h"
#include "ui/DataFileReading.h"
#include "ui/DataPreviewDialog.h"
#include "ui/ExplorerButton.h"
#include "ui/PaletteColours.h"
#include "ui/ProductWebLink.h"
#include "ui/ProjectSettingsForm.h"
#include "ui/QtText.h"
#include "ui/RecentProjectsMenu.h"
#include "ui/RecordPreviewDialog.h"
#include "ui/RecordRangeBox.h"
#include "ui/RulesModel.h"
#include "ui/RulesPanel.h"
#include "ui/ScreenPlacement.h"
#include "ui/UserDialogs.h"
#include "ui/WindowBands.h"

#include <QAbstractItemView>
#include <QAbstractSpinBox>
#include <QAction>
#include <QComboBox>
#include <QCoreApplication>
#include <QFrame>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QMenuBar>
#include <QProgressBar>
#include <QScrollArea>
#include <QShortcut>
#include <QStatusBar>
#include <QTimer>
#include <QToolButton>
#include <QVBoxLayout>

namespace stencilor::ui {

namespace {

// The smallest window the description allows; the desktop's font may ask for more.
constexpr int kMinimumWidth = 955;
constexpr int kMinimumHeight = 650;
// Fixed band heights of the window's own bands at the top.
constexpr int kToolbarHeight = 50;
constexpr int kProjectStripHeight = 19;
// The product name stands right-aligned in a field this wide, narrower when the window is.
constexpr int kProductNameWidth = 240;
// How many field labels the lists offer before a data file has been examined.
constexpr int kStartFieldLabels = 20;
const QColor kProjectStripColour(0, 128, 128);

// The platform's keys for `key`, or `fallback` where the platform has none (a desktop without
// Save As keys of its own still gets the common Ctrl+Shift+S).
QList<QKeySequence> standardKeys(QKeySequence::StandardKey key, const QKeySequence& fallback)
{
    const QList<QKeySequence> keys = QKeySequence::keyBindings(key);
    return keys.isEmpty() ? QList<QKeySequence>{fallback} : keys;
}

QToolButton* actionButton(const char* name, QAction* action)
{
    QToolButton* button = flatButton(name, action->iconText(), action->icon(), QSize(64, 46));
    button->setDefaultAction(action);
    return button;
}

// Whether `widget` is a part of a compound control (the edit of a combo box, the viewport of a
// grid), which Tab reaches through the control itself.
bool insideControl(const QWidget* widget, const QWidget* band)
{
    for (const QWidget* parent = widget->parentWidget(); parent && parent != band; parent = parent->parentWidget()) {
        if (qobject_cast<const QComboBox*>(parent) || qobject_cast<const QAbstractSpinBox*>(parent) ||
            qobject_cast<const QAbstractItemView*>(parent))
            return true;
    }
    return false;
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
    setWindowIcon(QIcon(productPicture(64)));
    setAcceptDrops(true);

    createActions();
    createMenu();
    m_form = new ProjectSettingsForm(
        m_dialogs, [this] { return resolvedProjectPath(); }, this);
    m_dataFileReading = new DataFileReading(this);
    m_rulesPanel = new RulesPanel([this] {
        // The rule editor takes its fields from the data file as the check that runs finds them.
        m_dataFileReading->wait();
        return RulesPanel::EditorSource{m_dataFile.csvFieldCount, m_dataFile.csvSampleLine,
                                        m_form->delimiter(),      m_form->fieldLabels(),
                                        m_form->fieldListTexts(), m_form->dataFormat().quotes};
    });

    m_bands = new QWidget;
    m_bands->setObjectName(QStringLiteral("Bands"));
    auto* bands = new QVBoxLayout(m_bands);
    bands->setContentsMargins(0, 0, 0, 0);
    bands->setSpacing(0);
    const QList<QWidget*> bandOrder = {createToolbarBand(),    createProjectStrip(), m_form->dataFileBand(),
                                       m_form->templateBand(), m_rulesPanel,         m_form->resultsBand(),
                                       m_form->advancedBand(), m_form->reportBand()};
    for (QWidget* band : bandOrder)
        bands->addWidget(band, band == m_rulesPanel ? 1 : 0);
    m_scrollBands = new QScrollArea;
    m_scrollBands->setObjectName(QStringLiteral("ScrollBands"));
    m_scrollBands->setFrameShape(QFrame::NoFrame);
    m_scrollBands->setWidgetResizable(true);
    m_scrollBands->setWidget(m_bands);
    setCentralWidget(m_scrollBands);
    setTabChain(bandOrder);

    statusBar()->setObjectName(QStringLiteral("StatusBar1"));
    m_openOutputFolder = new QLabel;
    m_openOutputFolder->setObjectName(QStringLiteral("lblOpenOutputFolder"));
    m_openOutputFolder->setText(
        QStringLiteral("<a href=\"folder\">%1</a>").arg(tr("Open output folder").toHtmlEscaped()));
    m_openOutputFolder->setTextInteractionFlags(Qt::LinksAccessibleByMouse | Qt::LinksAccessibleByKeyboard);
    m_openOutputFolder->hide();
    connect(m_openOutputFolder, &QLabel::linkActivated, this, &T_FRMain::openOutputFolder);
    statusBar()->addPermanentWidget(m_openOutputFolder);
    createReadingIndicator();

    // The window starts as a new project would.
    applySettings(newProjectSettings(ProjectSettings{}));
    connect(EdPrjFile, &QLineEdit::textChanged, this, &T_FRMain::updateTitle);
    EdPrjFile->setText(QStringLiteral("Noname.ql"));
    FormCreate();
    // The data preview is created once, hidden, and reused for every preview.
    m_formViewCsv = new TformViewCsv(this);
    connect(m_form, &ProjectSettingsForm::dataFileChosen, this, [this] { ChkCsvFile(DataFileOrigin::ChosenByUser); });
    connect(m_form, &ProjectSettingsForm::dataPreviewClicked, this, &T_FRMain::SpeedButton12Click);
    // A data file read otherwise is checked again; leaving the encoding box unchanged is no change.
    connect(m_form, &ProjectSettingsForm::dataFormatChanged, this, [this] {
        if (!(m_form->dataFormat() == m_checkedFormat))
            ChkCsvFile(DataFileOrigin::Project);
    });
    connect(m_form, &ProjectSettingsForm::templatePreviewClicked, this, &T_FRMain::SpeedButton14Click);

    // Any change of a setting, of the rules or of the project path is compared with the project
    // file once the change is complete.
    m_modifiedCheck = new QTimer(this);
    m_modifiedCheck->setSingleShot(true);
    m_modifiedCheck->setInterval(0);
    connect(m_modifiedCheck, &QTimer::timeout, this, &T_FRMain::checkModified);
    const auto changed = [this] { m_modifiedCheck->start(); };
    connect(m_form, &ProjectSettingsForm::changed, this, changed);
    connect(EdPrjFile, &QLineEdit::textChanged, this, changed);
    RulesModel* rules = m_rulesPanel->model();
    connect(rules, &RulesModel::dataChanged, this, changed);
    connect(rules, &RulesModel::rowsInserted, this, changed);
    connect(rules, &RulesModel::rowsRemoved, this, changed);
    connect(rules, &RulesModel::modelReset, this, changed);

    GoToWeb1 = new TGoToWeb(*m_launcher, this);
    GoToWeb1->setBrowserState(TBrowserState::gwMaximized);
    ePurchase = createPurchaseField(this);
    Label5->setToolTip(ePurchase->text());
    connect(Label5, &ActiveLabel::activated, this, &T_FRMain::Label5Click);

    applyPalette();
    fitMinimumSize();
    resize(QSize(kMinimumWidth, kMinimumHeight).boundedTo(roomOnScreen(this)));
}

T_FRMain::~T_FRMain()
{
    // The check and the record preview read the data in threads of their own: they end first.
    if (m_checkDialog)
        m_checkDialog->stopCheck();
    if (m_recordPreview)
        m_recordPreview->stopPreview();
}

void T_FRMain::FormCreate()
{
    m_form->progressBar()->setRange(0, 1000);
    m_form->progressBar()->setValue(0);
    m_dataFile = DataFileState{};
    actStop->setEnabled(false);
    m_form->setFieldLists(kStartFieldLabels, m_dataFile);
}

void T_FRMain::createActions()
{
    const auto action = [this](const char* name, const QString& text, const QString& tip,
                               const QList<QKeySequence>& keys) {
        auto* a = new QAction(text, this);
        a->setObjectName(QString::fromLatin1(name));
        a->setIconVisibleInMenu(false);
        a->setShortcuts(keys);
        a->setToolTip(keys.isEmpty() ? tip : tr("%1 (%2)").arg(tip, keys.front().toString(QKeySequence::NativeText)));
        return a;
    };
    actLoad = action("actLoad", tr("&Load"), tr("Load a project file"),
                     standardKeys(QKeySequence::Open, QKeySequence(Qt::CTRL | Qt::Key_O)));
    actNew = action("actNew", tr("&New"), tr("Start a new project with the settings shown, without rules"),
                    standardKeys(QKeySequence::New, QKeySequence(Qt::CTRL | Qt::Key_N)));
    actSave = action("actSave", tr("&Save"), tr("Save the project into its file"),
                     standardKeys(QKeySequence::Save, QKeySequence(Qt::CTRL | Qt::Key_S)));
    actSaveAs = action("actSaveAs", tr("Save &As"), tr("Save the project into a file of another name"),
                       standardKeys(QKeySequence::SaveAs, QKeySequence(Qt::CTRL | Qt::SHIFT | Qt::Key_S)));
    actRun = action("actRun", tr("&Run"), tr("Generate one file per record"), {QKeySequence(Qt::Key_F5)});
    actStop = action("actStop", tr("S&top"), tr("Stop the run after the record in progress"),
                     {QKeySequence(Qt::Key_Escape), QKeySequence(Qt::CTRL | Qt::Key_Period)});
    actExit = action("actExit", tr("E&xit"), tr("Close the window (it asks first when the project has changed)"),
                     standardKeys(QKeySequence::Quit, QKeySequence(Qt::CTRL | Qt::Key_Q)));
    actAbout = action("About2", tr("&About", "the command that shows the about box"), tr("About Stencilor"),
                      standardKeys(QKeySequence::HelpContents, QKeySequence(Qt::Key_F1)));
    actCheck = action("actCheck", tr("&Check"), tr("Check what a run would write, without writing"),
                      {QKeySequence(Qt::Key_F7)});
    actPreviewOutput = action("actPreviewOutput", tr("&Preview output"),
                              tr("Show the file one record would get, without writing it"), {QKeySequence(Qt::Key_F8)});

    setThemedIcon(actLoad, "document-open", QStyle::SP_DialogOpenButton);
    setThemedIcon(actNew, "document-new", QStyle::SP_FileIcon);
    setThemedIcon(actSave, "document-save", QStyle::SP_DialogSaveButton);
    setThemedIcon(actSaveAs, "document-save-as", QStyle::SP_DriveFDIcon);
    setThemedIcon(actRun, "media-playback-start", QStyle::SP_MediaPlay);
    setThemedIcon(actStop, "media-playback-stop", QStyle::SP_MediaStop);
    setThemedIcon(actExit, "application-exit", QStyle::SP_DialogCloseButton);

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
    highlightMenuOnAlt(menuBar());
    QMenu* project = menuBar()->addMenu(tr("&Project"));
    project->setObjectName(QStringLiteral("Project1"));
    project->addAction(actLoad);
    m_recentMenu = new RecentProjectsMenu(m_env.programSettingsPath, project);
    connect(m_recentMenu, &RecentProjectsMenu::projectChosen, this, &T_FRMain::switchToProject);
    project->addMenu(m_recentMenu);
    project->addActions({actNew, actSave, actSaveAs});
    project->addSeparator();
    project->addActions({actRun, actStop});
    project->addSeparator();
    project->addAction(actExit);
    QMenu* tools = menuBar()->addMenu(tr("&Tools"));
    tools->setObjectName(QStringLiteral("Tools1"));
    tools->addActions({actCheck, actPreviewOutput});
    QMenu* about = menuBar()->addMenu(tr("&About", "the menu that holds About"));
    about->setObjectName(QStringLiteral("About1"));
    about->addAction(actAbout);
    // F10 opens the first menu, as on the common desktops.
    auto* openMenu = new QShortcut(QKeySequence(Qt::Key_F10), this);
    connect(openMenu, &QShortcut::activated, this,
            [this] { menuBar()->setActiveAction(menuBar()->actions().front()); });
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

    Label5 = new ActiveLabel(QStringLiteral("Stencilor"));
    Label5->setObjectName(QStringLiteral("Label5"));
    QFont nameFont = Label5->font();
    nameFont.setBold(true);
    nameFont.setPixelSize(19);
    Label5->setFont(nameFont);
    Label5->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
    // Its field shares the room left with the gap before it, up to its full width.
    Label5->setMinimumWidth(Label5->sizeHint().width());
    Label5->setMaximumWidth(std::max(kProductNameWidth, Label5->sizeHint().width()));
    layout->addWidget(Label5, 1);
    layout->addSpacing(8);

    ExplorerButton1 = new TExplorerButton;
    ExplorerButton1->setObjectName(QStringLiteral("ExplorerButton1"));
    ExplorerButton1->setText(tr("Exit"));
    ExplorerButton1->setToolTip(actExit->toolTip());
    ExplorerButton1->setPicture(actExit->icon().pixmap(24, 24));
    ExplorerButton1->setFixedSize(QSize(59, 46).expandedTo(ExplorerButton1->sizeHint()));
    connect(ExplorerButton1, &TExplorerButton::clicked, this, &T_FRMain::actExitExecute);
    layout->addWidget(ExplorerButton1);
    fixHeight(band, kToolbarHeight);
    return band;
}

QWidget* T_FRMain::createProjectStrip()
{
    m_projectStrip = new QWidget;
    m_projectStrip->setObjectName(QStringLiteral("PanelProject"));
    m_projectStrip->setAutoFillBackground(true);

    auto* layout = new QHBoxLayout(m_projectStrip);
    layout->setContentsMargins(6, 0, 6, 0);
    layout->setSpacing(8);
    QLabel* caption = boldLabel(tr("Project file"));
    EdPrjFile = newEdit("EdPrjFile");
    EdPrjFile->setReadOnly(true);
    EdPrjFile->setFrame(false);
    EdPrjFile->setFont(caption->font());
    EdPrjFile->setFocusPolicy(Qt::ClickFocus);
    EdPrjFile->setToolTip(tr("The project file that Save writes"));
    EdPrjFile->setAccessibleName(caption->text());
    layout->addWidget(caption);
    layout->addWidget(EdPrjFile, 1);
    fixHeight(m_projectStrip, kProjectStripHeight);
    return m_projectStrip;
}

void T_FRMain::setTabChain(const QList<QWidget*>& bands)
{
    QList<QWidget*> chain;
    for (QWidget* band : bands) {
        for (QWidget* widget : band->findChildren<QWidget*>()) {
            // Dialogs the parts own are windows of their own. A label that takes the focus only
            // while it has something to say gets its place now.
            const bool tabStop = (widget->focusPolicy() & Qt::TabFocus) || qobject_cast<ActiveLabel*>(widget);
            if (tabStop && !insideControl(widget, band) && widget->window() == this)
                chain << widget;
        }
    }
    for (qsizetype i = 1; i < chain.size(); ++i)
        setTabOrder(chain[i - 1], chain[i]);
}

void T_FRMain::fitMinimumSize()
{
    QSize needed(kMinimumWidth, kMinimumHeight);
    const QSize bands = m_bands->minimumSizeHint();
    needed = needed.expandedTo(
        QSize(bands.width(), bands.height() + menuBar()->sizeHint().height() + statusBar()->sizeHint().height()));
    // The title bar and the frame count too: a maximized window is the screen less its frame.
    setMinimumSize(needed.boundedTo(roomOnScreen(this)));
}

void T_FRMain::applyPalette()
{
    refreshThemedIcons(this);
    ExplorerButton1->setPicture(actExit->icon().pixmap(24, 24));
    // The strip keeps its teal, with text that reads on it.
    QPalette strip = m_projectStrip->palette();
    const QColor text = readableOn(kProjectStripColour, Qt::white);
    strip.setColor(QPalette::Window, kProjectStripColour);
    strip.setColor(QPalette::Base, kProjectStripColour);
    strip.setColor(QPalette::WindowText, text);
    strip.setColor(QPalette::Text, text);
    m_projectStrip->setPalette(strip);
    EdPrjFile->setPalette(strip);
}

void T_FRMain::changeEvent(QEvent* event)
{
    QMainWindow::changeEvent(event);
    switch (event->type()) {
    case QEvent::PaletteChange:
    case QEvent::StyleChange:
    case QEvent::ThemeChange:
        applyPalette();
        fitMinimumSize();
        break;
    case QEvent::FontChange:
        fitMinimumSize();
        break;
    default:
        break;
    }
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

void T_FRMain::setProgramLauncher(ProgramLauncher& launcher)
{
    m_launcher = &launcher;
    GoToWeb1->setLauncher(launcher);
}

} // namespace stencilor::ui
