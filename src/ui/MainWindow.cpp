#include "ui/MainWindow.h"

#include "ui/AboutDialog.h"
#include "ui/DataPreviewDialog.h"
#include "ui/ExplorerButton.h"
#include "ui/QtText.h"
#include "ui/RuleEditorDialog.h"
#include "ui/RulesModel.h"
#include "ui/UserDialogs.h"

#include <QAction>
#include <QButtonGroup>
#include <QCheckBox>
#include <QComboBox>
#include <QCompleter>
#include <QFontMetrics>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QMenuBar>
#include <QProgressBar>
#include <QPushButton>
#include <QRadioButton>
#include <QSignalBlocker>
#include <QStatusBar>
#include <QStyle>
#include <QTableView>
#include <QToolButton>
#include <QVBoxLayout>
#include <algorithm>
#include <climits>

namespace stencilor::ui {

namespace {

// Fixed band heights from the top of the window down; only the rules grid grows and shrinks.
constexpr int kToolbarHeight = 50;
constexpr int kProjectStripHeight = 19;
constexpr int kDataFileHeight = 49;
constexpr int kTemplateHeight = 30;
constexpr int kRulesBarHeight = 49;
constexpr int kResultsHeight = 98;
constexpr int kAdvancedHeight = 102;
constexpr int kReportHeight = 55;
constexpr int kPathEditWidth = 500;
// How many field labels the lists offer before a data file has been examined.
constexpr int kStartFieldLabels = 20;
const QColor kProjectStripColour(0, 128, 128);

QLabel* boldLabel(const QString& text)
{
    auto* label = new QLabel(text);
    QFont font = label->font();
    font.setBold(true);
    label->setFont(font);
    return label;
}

// A band of the window: a raised panel that keeps its height (at least `height`, more only when
// the desktop's font needs it).
QFrame* newBand(const char* name)
{
    auto* band = new QFrame;
    band->setObjectName(QString::fromLatin1(name));
    band->setFrameShape(QFrame::Panel);
    band->setFrameShadow(QFrame::Raised);
    return band;
}

void fixHeight(QWidget* band, int height)
{
    band->setFixedHeight(std::max(height, band->sizeHint().height()));
}

QHBoxLayout* row(int spacing = 6)
{
    auto* layout = new QHBoxLayout;
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(spacing);
    return layout;
}

// A flat button with its picture above the caption, as on the tool bars.
QToolButton* flatButton(const char* name, const QString& text, const QIcon& icon, QSize size)
{
    auto* button = new QToolButton;
    button->setObjectName(QString::fromLatin1(name));
    button->setText(text);
    button->setIcon(icon);
    button->setIconSize(QSize(24, 24));
    button->setToolButtonStyle(Qt::ToolButtonTextUnderIcon);
    button->setAutoRaise(true);
    // Wider only when the desktop's font needs more room for the caption.
    button->setFixedSize(std::max(size.width(), button->sizeHint().width()), size.height());
    return button;
}

QToolButton* actionButton(const char* name, QAction* action)
{
    QToolButton* button = flatButton(name, action->text(), action->icon(), QSize(64, 46));
    button->setDefaultAction(action);
    return button;
}

QLineEdit* newEdit(const char* name, int width = 0)
{
    auto* edit = new QLineEdit;
    edit->setObjectName(QString::fromLatin1(name));
    // A project value may be longer than the 32767 characters a line edit holds by default.
    edit->setMaxLength(INT_MAX);
    if (width > 0)
        edit->setFixedWidth(width);
    return edit;
}

QPushButton* newButton(const char* name, const QString& text)
{
    auto* button = new QPushButton(text);
    button->setObjectName(QString::fromLatin1(name));
    button->setAutoDefault(false);
    return button;
}

QCheckBox* newCheckBox(const char* name, const QString& text)
{
    auto* box = new QCheckBox(text);
    box->setObjectName(QString::fromLatin1(name));
    return box;
}

// An editable field list: the user picks a label or types any text, which is never added to the
// list and never has its letter case changed by completion.
QComboBox* newFieldList(const char* name)
{
    auto* box = new QComboBox;
    box->setObjectName(QString::fromLatin1(name));
    box->setEditable(true);
    box->lineEdit()->setMaxLength(INT_MAX);
    box->setInsertPolicy(QComboBox::NoInsert);
    box->completer()->setCaseSensitivity(Qt::CaseSensitive);
    box->setMinimumWidth(100);
    return box;
}

// Replaces the list of `box` with `labels`, keeping the text it shows.
void setFieldList(QComboBox* box, const std::vector<std::string>& labels)
{
    const QString shown = box->currentText();
    const QSignalBlocker blocker(box);
    QStringList items;
    items.reserve(static_cast<qsizetype>(labels.size()));
    for (const std::string& label : labels)
        items << toQt(label);
    box->clear();
    box->addItems(items);
    box->setEditText(shown);
}

} // namespace

void T_FRMain::setFieldLists(std::int64_t count)
{
    const std::vector<std::string> labels = fieldLabels(count);
    setFieldList(cbFileNameFld, labels);
    setFieldList(cbDirectoryField, labels);
}

T_FRMain::T_FRMain(Environment environment, UserDialogs& dialogs, QWidget* parent)
    : QMainWindow(parent)
    , m_env(std::move(environment))
    , m_dialogs(dialogs)
    , m_runHost(*this)
    , m_run(m_runHost)
{
    setObjectName(QStringLiteral("FRMain"));
    setWindowTitle(QStringLiteral("Stencilor " STENCILOR_VERSION));
    setWindowIcon(QIcon(productPicture(64)));
    setMinimumSize(955, 650);
    resize(955, 650);

    createActions();
    createMenu();

    auto* central = new QWidget(this);
    auto* bands = new QVBoxLayout(central);
    bands->setContentsMargins(0, 0, 0, 0);
    bands->setSpacing(0);
    bands->addWidget(createToolbarBand());
    bands->addWidget(createProjectStrip());
    bands->addWidget(createDataFileBand());
    bands->addWidget(createTemplateBand());
    bands->addWidget(createRulesBand(), 1);
    bands->addWidget(createResultsBand());
    bands->addWidget(createAdvancedBand());
    bands->addWidget(createReportBand());
    setCentralWidget(central);
    statusBar()->setObjectName(QStringLiteral("StatusBar1"));

    // The captions of steps 1 and 2 share one width, so that both path edits line up.
    QLabel* captions[] = {findChild<QLabel*>(QStringLiteral("lblSourceFile")),
                          findChild<QLabel*>(QStringLiteral("lblTemplateFile"))};
    const int captionWidth = std::max(captions[0]->sizeHint().width(), captions[1]->sizeHint().width());
    for (QLabel* caption : captions)
        caption->setFixedWidth(captionWidth);

    applySettings(ProjectSettings{});
    EdPrjFile->setText(QStringLiteral("Noname.ql"));
    FormCreate();
    // The data preview is created once, hidden, and reused for every preview.
    m_formViewCsv = new TformViewCsv(this);
    // So is the rule editor, which keeps its "hide used fields" state from one opening to the next.
    m_extract = new T_Extract(this);
    connectRulesTable();
    createShellParts();
}

T_FRMain::~T_FRMain() = default;

void T_FRMain::FormCreate()
{
    pgBar->setRange(0, 1000);
    pgBar->setValue(0);
    m_dataFile = DataFileState{};
    m_rep_fld.clear();
    m_report_fld.clear();
    actStop->setEnabled(false);
    setFieldLists(kStartFieldLabels);
}

void T_FRMain::createActions()
{
    const auto icon = [this](const char* themeName, QStyle::StandardPixmap fallback) {
        return QIcon::fromTheme(QString::fromLatin1(themeName), style()->standardIcon(fallback));
    };
    const auto action = [this](const char* name, const QString& text, const QIcon& picture) {
        auto* a = new QAction(picture, text, this);
        a->setObjectName(QString::fromLatin1(name));
        a->setIconVisibleInMenu(false);
        return a;
    };
    actLoad = action("actLoad", QStringLiteral("Load"), icon("document-open", QStyle::SP_DialogOpenButton));
    actNew = action("actNew", QStringLiteral("New"), icon("document-new", QStyle::SP_FileIcon));
    actSave = action("actSave", QStringLiteral("Save"), icon("document-save", QStyle::SP_DialogSaveButton));
    actSaveAs = action("actSaveAs", QStringLiteral("Save As"), icon("document-save-as", QStyle::SP_DriveFDIcon));
    actRun = action("actRun", QStringLiteral("Run"), icon("media-playback-start", QStyle::SP_MediaPlay));
    actStop = action("actStop", QStringLiteral("Stop"), icon("media-playback-stop", QStyle::SP_MediaStop));
    actExit = action("actExit", QStringLiteral("Exit"), icon("application-exit", QStyle::SP_DialogCloseButton));
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
    layout->addWidget(createRecordRangeBox());
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

QWidget* T_FRMain::createDataFileBand()
{
    QFrame* band = newBand("PanelStep1");
    auto* layout = new QVBoxLayout(band);
    layout->setContentsMargins(6, 2, 6, 2);
    layout->setSpacing(2);

    QHBoxLayout* file = row();
    auto* caption = new QLabel(QStringLiteral("Select source file (csv with data)"));
    caption->setObjectName(QStringLiteral("lblSourceFile"));
    EdTextFile = newEdit("EdTextFile", kPathEditWidth);
    btnChoiceText = newButton("btnChoiceText", QStringLiteral("Load"));
    SpeedButton12 = newButton("SpeedButton12", QStringLiteral("Preview"));
    connect(btnChoiceText, &QPushButton::clicked, this, &T_FRMain::btnChoiceTextClick);
    connect(SpeedButton12, &QPushButton::clicked, this, &T_FRMain::SpeedButton12Click);
    file->addWidget(boldLabel(QStringLiteral("1) ")));
    file->addWidget(caption);
    file->addWidget(EdTextFile);
    file->addWidget(btnChoiceText);
    file->addWidget(SpeedButton12);
    file->addStretch(1);
    layout->addLayout(file);

    QHBoxLayout* delimiter = row();
    EdDelim = newEdit("EdDelim", 40);
    QFont bold = font();
    bold.setBold(true);
    delimiter->addSpacing(QFontMetrics(bold).horizontalAdvance(QStringLiteral("1) ")) + delimiter->spacing());
    delimiter->addWidget(new QLabel(QStringLiteral("Enter field delimiter")));
    delimiter->addWidget(EdDelim);
    delimiter->addStretch(1);
    layout->addLayout(delimiter);
    fixHeight(band, kDataFileHeight);
    return band;
}

QWidget* T_FRMain::createTemplateBand()
{
    QFrame* band = newBand("PanelStep2");
    QHBoxLayout* layout = row();
    band->setLayout(layout);
    layout->setContentsMargins(6, 2, 6, 2);
    auto* caption = new QLabel(QStringLiteral("Select html or text file template"));
    caption->setObjectName(QStringLiteral("lblTemplateFile"));
    EdTemplateFile = newEdit("EdTemplateFile", kPathEditWidth);
    btnChoiceTemplate = newButton("btnChoiceTemplate", QStringLiteral("Load"));
    SpeedButton14 = newButton("SpeedButton14", QStringLiteral("Preview"));
    connect(btnChoiceTemplate, &QPushButton::clicked, this, &T_FRMain::btnChoiceTemplateClick);
    layout->addWidget(boldLabel(QStringLiteral("2) ")));
    layout->addWidget(caption);
    layout->addWidget(EdTemplateFile);
    layout->addWidget(btnChoiceTemplate);
    layout->addWidget(SpeedButton14);
    layout->addStretch(1);
    fixHeight(band, kTemplateHeight);
    return band;
}

QWidget* T_FRMain::createRulesBand()
{
    QFrame* band = newBand("PanelStep3");
    auto* layout = new QVBoxLayout(band);
    layout->setContentsMargins(2, 0, 2, 2);
    layout->setSpacing(0);

    auto* bar = new QWidget;
    QHBoxLayout* buttons = row(0);
    bar->setLayout(buttons);
    buttons->setContentsMargins(4, 1, 0, 1);
    const auto icon = [this](const char* themeName, QStyle::StandardPixmap fallback) {
        return QIcon::fromTheme(QString::fromLatin1(themeName), style()->standardIcon(fallback));
    };
    const QSize size(64, 46);
    btnAddRule =
        flatButton("btnAddRule", QStringLiteral("Add Rule"), icon("list-add", QStyle::SP_FileDialogNewFolder), size);
    btnEditlRule = flatButton("btnEditlRule", QStringLiteral("Edit Rule"),
                              icon("document-properties", QStyle::SP_FileDialogDetailedView), size);
    btnInsRule = flatButton("btnInsRule", QStringLiteral("Insert"), icon("insert-text", QStyle::SP_ArrowRight), size);
    btnDelRule =
        flatButton("btnDelRule", QStringLiteral("Delete Rule"), icon("list-remove", QStyle::SP_TrashIcon), size);
    buttons->addWidget(boldLabel(QStringLiteral("3) ")));
    buttons->addWidget(new QLabel(QStringLiteral("Add file generating rules")));
    buttons->addSpacing(12);
    for (QToolButton* button : {btnAddRule, btnEditlRule, btnInsRule, btnDelRule})
        buttons->addWidget(button);
    buttons->addStretch(1);
    fixHeight(bar, kRulesBarHeight);
    layout->addWidget(bar);

    m_rules = new RulesModel(this);
    gridRules = new QTableView;
    gridRules->setObjectName(QStringLiteral("gridRules"));
    gridRules->setModel(m_rules);
    gridRules->setShowGrid(true);
    gridRules->setWordWrap(false);
    gridRules->setSelectionMode(QAbstractItemView::SingleSelection);
    gridRules->setSelectionBehavior(QAbstractItemView::SelectItems);
    gridRules->setEditTriggers(QAbstractItemView::NoEditTriggers);
    gridRules->verticalHeader()->hide();
    gridRules->verticalHeader()->setSectionResizeMode(QHeaderView::Fixed);
    gridRules->verticalHeader()->setDefaultSectionSize(20);
    QHeaderView* header = gridRules->horizontalHeader();
    header->setHighlightSections(false);
    header->setDefaultAlignment(Qt::AlignLeft | Qt::AlignVCenter);
    header->setSectionResizeMode(RulesModel::NumberColumn, QHeaderView::Fixed);
    header->resizeSection(RulesModel::NumberColumn, 20);
    header->resizeSection(RulesModel::FieldColumn, 140);
    header->resizeSection(RulesModel::IdentifierColumn, 609);
    layout->addWidget(gridRules, 1);
    return band;
}

QWidget* T_FRMain::createResultsBand()
{
    QFrame* band = newBand("PanelStep4");
    auto* layout = new QVBoxLayout(band);
    layout->setContentsMargins(6, 2, 6, 2);
    layout->setSpacing(2);

    pgBar = new QProgressBar;
    pgBar->setObjectName(QStringLiteral("pgBar"));
    pgBar->setFixedHeight(11);
    pgBar->setTextVisible(false);
    layout->addWidget(pgBar);

    QHBoxLayout* title = row();
    title->addWidget(boldLabel(QStringLiteral("4) ")));
    title->addWidget(new QLabel(QStringLiteral("Results - Generated files:")));
    title->addStretch(1);
    layout->addLayout(title);

    QHBoxLayout* folders = row();
    EdOuputDir = newEdit("EdOuputDir");
    EdOuputDir->setMinimumWidth(120);
    chkCopyDirFld = newCheckBox("chkCopyDirFld",
                                QStringLiteral("and create subfolders with names (select field with folder names) "));
    cbDirectoryField = newFieldList("cbDirectoryField");
    folders->addWidget(boldLabel(QStringLiteral("Folder names:")));
    folders->addWidget(new QLabel(QStringLiteral("Generate files into the folder:")));
    folders->addWidget(EdOuputDir, 1);
    folders->addWidget(chkCopyDirFld);
    folders->addWidget(cbDirectoryField);
    layout->addLayout(folders);

    QHBoxLayout* names = row();
    rbFromFld = new QRadioButton(QStringLiteral("use file name from the field"));
    rbFromFld->setObjectName(QStringLiteral("rbFromFld"));
    cbFileNameFld = newFieldList("cbFileNameFld");
    rbTemplate = new QRadioButton(QStringLiteral("generate file name by template and incremental"));
    rbTemplate->setObjectName(QStringLiteral("rbTemplate"));
    EdTempFileName = newEdit("EdTempFileName", 160);
    m_nameSource = new QButtonGroup(this);
    m_nameSource->addButton(rbFromFld);
    m_nameSource->addButton(rbTemplate);
    names->addWidget(boldLabel(QStringLiteral("File names:")));
    names->addWidget(rbFromFld);
    names->addWidget(cbFileNameFld);
    names->addSpacing(12);
    names->addWidget(rbTemplate);
    names->addWidget(EdTempFileName);
    names->addStretch(1);
    layout->addLayout(names);
    fixHeight(band, kResultsHeight);
    return band;
}

QWidget* T_FRMain::createAdvancedBand()
{
    QFrame* band = newBand("PanelAdvanced");
    auto* layout = new QVBoxLayout(band);
    layout->setContentsMargins(6, 2, 6, 2);
    layout->setSpacing(2);
    layout->addWidget(boldLabel(QStringLiteral("Advanced options:")));

    QHBoxLayout* extension = row();
    chkAddExt = newCheckBox("chkAddExt", QStringLiteral("Add file extension (if the file does not have)"));
    EdExt = newEdit("EdExt", 70);
    extension->addWidget(chkAddExt);
    extension->addWidget(EdExt);
    extension->addStretch(1);
    layout->addLayout(extension);

    chkDelChars = newCheckBox(
        "chkDelChars", QStringLiteral("Delete all non-Latin characters from generated names of files and folders"));
    layout->addWidget(chkDelChars);

    QHBoxLayout* letterCase = row();
    chkChangeCase = newCheckBox("chkChangeCase", QStringLiteral("Change case of generated file"));
    rbCase = new QGroupBox;
    rbCase->setObjectName(QStringLiteral("rbCase"));
    rbCase->setFlat(true);
    auto* choices = new QHBoxLayout(rbCase);
    choices->setContentsMargins(0, 0, 0, 0);
    choices->setSpacing(24);
    m_caseChoice = new QButtonGroup(this);
    const QString captions[] = {QStringLiteral("small"), QStringLiteral("As Sentence"), QStringLiteral("LARGE")};
    for (int index = 0; index < 3; ++index) {
        auto* choice = new QRadioButton(captions[index]);
        choice->setObjectName(QStringLiteral("rbCase%1").arg(index));
        m_caseChoice->addButton(choice, index);
        choices->addWidget(choice);
    }
    letterCase->addWidget(chkChangeCase);
    letterCase->addSpacing(12);
    letterCase->addWidget(rbCase);
    letterCase->addStretch(1);
    layout->addLayout(letterCase);
    fixHeight(band, kAdvancedHeight);
    return band;
}

QWidget* T_FRMain::createReportBand()
{
    QFrame* band = newBand("PanelStep5");
    QHBoxLayout* layout = row();
    band->setLayout(layout);
    layout->setContentsMargins(6, 2, 6, 2);
    layout->addWidget(boldLabel(QStringLiteral("5) ")));
    layout->addWidget(boldLabel(QStringLiteral("Create report.htm file ")));
    btnSetupRep = flatButton("btnSetupRep", QStringLiteral("Report Options"),
                             QIcon::fromTheme(QStringLiteral("document-properties"),
                                              style()->standardIcon(QStyle::SP_FileDialogContentsView)),
                             QSize(83, 45));
    chkReport = newCheckBox("chkReport", QStringLiteral("Generate index/content file in html format"));
    layout->addWidget(btnSetupRep);
    layout->addWidget(chkReport);
    layout->addStretch(1);
    fixHeight(band, kReportHeight);
    return band;
}

} // namespace stencilor::ui
