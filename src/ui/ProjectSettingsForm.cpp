#include "ui/ProjectSettingsForm.h"

#include "datasource/DataSourceCheck.h"
#include "platform/FileSystem.h"
#include "project/ProjectFile.h"
#include "ui/QtText.h"
#include "ui/ReportOptionsDialog.h"
#include "ui/UserDialogs.h"
#include "ui/WindowBands.h"

#include <QButtonGroup>
#include <QCheckBox>
#include <QComboBox>
#include <QFontMetrics>
#include <QFrame>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QProgressBar>
#include <QPushButton>
#include <QRadioButton>
#include <QToolButton>
#include <QVBoxLayout>
#include <algorithm>
#include <utility>

namespace stencilor::ui {

namespace {

// Fixed band heights; only the rules grid between them grows and shrinks.
constexpr int kDataFileHeight = 49;
constexpr int kTemplateHeight = 30;
constexpr int kResultsHeight = 98;
constexpr int kAdvancedHeight = 102;
constexpr int kReportHeight = 55;
constexpr int kPathEditWidth = 500;

// Unchecks every button of an exclusive group, which the group itself does not allow.
void clearGroup(QButtonGroup* group)
{
    group->setExclusive(false);
    for (QAbstractButton* button : group->buttons())
        button->setChecked(false);
    group->setExclusive(true);
}

} // namespace

ProjectSettingsForm::ProjectSettingsForm(UserDialogs& dialogs, std::function<std::string()> projectFile,
                                         QWidget* window)
    : QObject(window)
    , m_dialogs(dialogs)
    , m_projectFile(std::move(projectFile))
    , m_window(window)
{
    setObjectName(QStringLiteral("ProjectSettingsForm"));
    m_dataFileBand = createDataFileBand();
    m_templateBand = createTemplateBand();
    m_resultsBand = createResultsBand();
    m_advancedBand = createAdvancedBand();
    m_reportBand = createReportBand();

    // The captions of steps 1 and 2 share one width, so that both path edits line up.
    QLabel* captions[] = {m_dataFileBand->findChild<QLabel*>(QStringLiteral("lblSourceFile")),
                          m_templateBand->findChild<QLabel*>(QStringLiteral("lblTemplateFile"))};
    const int captionWidth = std::max(captions[0]->sizeHint().width(), captions[1]->sizeHint().width());
    for (QLabel* caption : captions)
        caption->setFixedWidth(captionWidth);

    m_formSetupReport = new TformSetupReport(window);
    connect(btnChoiceText, &QPushButton::clicked, this, &ProjectSettingsForm::btnChoiceTextClick);
    connect(SpeedButton12, &QPushButton::clicked, this, &ProjectSettingsForm::dataPreviewClicked);
    connect(btnChoiceTemplate, &QPushButton::clicked, this, &ProjectSettingsForm::btnChoiceTemplateClick);
    connect(SpeedButton14, &QPushButton::clicked, this, &ProjectSettingsForm::templatePreviewClicked);
    connect(btnSetupRep, &QToolButton::clicked, this, &ProjectSettingsForm::btnSetupRepClick);
}

QWidget* ProjectSettingsForm::dataFileBand() const
{
    return m_dataFileBand;
}

QWidget* ProjectSettingsForm::templateBand() const
{
    return m_templateBand;
}

QWidget* ProjectSettingsForm::resultsBand() const
{
    return m_resultsBand;
}

QWidget* ProjectSettingsForm::advancedBand() const
{
    return m_advancedBand;
}

QWidget* ProjectSettingsForm::reportBand() const
{
    return m_reportBand;
}

QFrame* ProjectSettingsForm::createDataFileBand()
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
    file->addWidget(boldLabel(QStringLiteral("1) ")));
    file->addWidget(caption);
    file->addWidget(EdTextFile);
    file->addWidget(btnChoiceText);
    file->addWidget(SpeedButton12);
    file->addStretch(1);
    layout->addLayout(file);

    QHBoxLayout* delimiter = row();
    EdDelim = newEdit("EdDelim", 40);
    QFont bold = band->font();
    bold.setBold(true);
    delimiter->addSpacing(QFontMetrics(bold).horizontalAdvance(QStringLiteral("1) ")) + delimiter->spacing());
    delimiter->addWidget(new QLabel(QStringLiteral("Enter field delimiter")));
    delimiter->addWidget(EdDelim);
    delimiter->addStretch(1);
    layout->addLayout(delimiter);
    fixHeight(band, kDataFileHeight);
    return band;
}

QFrame* ProjectSettingsForm::createTemplateBand()
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
    layout->addWidget(boldLabel(QStringLiteral("2) ")));
    layout->addWidget(caption);
    layout->addWidget(EdTemplateFile);
    layout->addWidget(btnChoiceTemplate);
    layout->addWidget(SpeedButton14);
    layout->addStretch(1);
    fixHeight(band, kTemplateHeight);
    return band;
}

QFrame* ProjectSettingsForm::createResultsBand()
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

QFrame* ProjectSettingsForm::createAdvancedBand()
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

QFrame* ProjectSettingsForm::createReportBand()
{
    QFrame* band = newBand("PanelStep5");
    QHBoxLayout* layout = row();
    band->setLayout(layout);
    layout->setContentsMargins(6, 2, 6, 2);
    layout->addWidget(boldLabel(QStringLiteral("5) ")));
    layout->addWidget(boldLabel(QStringLiteral("Create report.htm file ")));
    btnSetupRep = flatButton("btnSetupRep", QStringLiteral("Report Options"),
                             themedIcon("document-properties", QStyle::SP_FileDialogContentsView), QSize(83, 45));
    chkReport = newCheckBox("chkReport", QStringLiteral("Generate index/content file in html format"));
    layout->addWidget(btnSetupRep);
    layout->addWidget(chkReport);
    layout->addStretch(1);
    fixHeight(band, kReportHeight);
    return band;
}

// ---------------------------------------------------------------- settings and controls

ProjectSettings ProjectSettingsForm::settingsFromControls() const
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
    return s;
}

void ProjectSettingsForm::applySettings(const ProjectSettings& s)
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
}

void ProjectSettingsForm::setNameSource(bool fromField, bool fromTemplate)
{
    clearGroup(m_nameSource);
    // The two are radio buttons of one group, set in this order: the template wins.
    if (fromTemplate)
        rbTemplate->setChecked(true);
    else if (fromField)
        rbFromFld->setChecked(true);
}

void ProjectSettingsForm::setCaseIndex(int index)
{
    if (QAbstractButton* choice = m_caseChoice->button(std::clamp(index, -1, 2)))
        choice->setChecked(true);
    else
        clearGroup(m_caseChoice);
}

std::string ProjectSettingsForm::resolvedDataFile() const
{
    return resolveDataFilePath(fromQt(EdTextFile->text()), m_projectFile());
}

std::string ProjectSettingsForm::resolvedTemplateFile() const
{
    return resolveDataFilePath(fromQt(EdTemplateFile->text()), m_projectFile());
}

std::string ProjectSettingsForm::templateFile() const
{
    return fromQt(EdTemplateFile->text());
}

std::string ProjectSettingsForm::delimiter() const
{
    return fromQt(EdDelim->text());
}

void ProjectSettingsForm::setFieldLists(std::int64_t count)
{
    const std::vector<std::string> labels = stencilor::fieldLabels(count);
    setFieldList(cbFileNameFld, labels);
    setFieldList(cbDirectoryField, labels);
}

QStringList ProjectSettingsForm::fieldLabels() const
{
    return itemTexts(cbFileNameFld);
}

// ---------------------------------------------------------------- commands

void ProjectSettingsForm::btnChoiceTextClick()
{
    FileDialogRequest request;
    request.title = QStringLiteral("Select source file (csv with data)");
    request.filter = QStringLiteral("Data Files (*.csv)|*.csv|All Files (*.*)|*.*");
    request.defaultSuffix = QStringLiteral("csv");
    request.fileName = EdTextFile->text();
    request.folder = dialogFolder(resolvedDataFile());
    const std::optional<QString> chosen = m_dialogs.chooseFile(m_window, request);
    if (!chosen)
        return;
    EdTextFile->setText(*chosen);
    emit dataFileChosen(btnChoiceText);
}

void ProjectSettingsForm::btnChoiceTemplateClick()
{
    FileDialogRequest request;
    request.title = QStringLiteral("Select html or text file template");
    request.filter = QStringLiteral("HTML Files|*.html;*.htm|Text Files|*.txt|All Files (*.*)|*.*");
    request.defaultSuffix = QStringLiteral("html");
    request.fileName = toQt(fileNamePart(fromQt(EdTemplateFile->text())));
    request.folder = dialogFolder(resolvedTemplateFile());
    const std::optional<QString> chosen = m_dialogs.chooseFile(m_window, request);
    if (chosen)
        EdTemplateFile->setText(*chosen);
}

void ProjectSettingsForm::btnSetupRepClick()
{
    if (!m_formSetupReport)
        m_formSetupReport = new TformSetupReport(m_window);
    // The lists follow the data file the data source check examined last.
    std::string report_fld = m_report_fld;
    if (m_formSetupReport->runFor(itemTexts(cbDirectoryField), report_fld))
        m_report_fld = std::move(report_fld);
}

} // namespace stencilor::ui
