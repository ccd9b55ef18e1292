// SPDX-License-Identifier: GPL-3.0-or-later
#include "ui/ProjectSettingsForm.h"

#include "datasource/DataSourceCheck.h"
#include "platform/FileSystem.h"
#include "project/ProjectFile.h"
#include "ui/ActiveLabel.h"
#include "ui/FieldTexts.h"
#include "ui/QtText.h"
#include "ui/ReportOptionsDialog.h"
#include "ui/UserDialogs.h"
#include "ui/WindowBands.h"

#include <QButtonGroup>
#include <QCheckBox>
#include <QComboBox>
#include <QDragEnterEvent>
#include <QDropEvent>
#include <QFrame>
#include <QLabel>
#include <QLineEdit>
#include <QMimeData>
#include <QPushButton>
#include <QRadioButton>
#include <QSignalBlocker>
#include <QToolButton>
#include <algorithm>
#include <initializer_list>
#include <utility>

namespace stencilor::ui {

namespace {

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

    // A file dropped on a path edit is chosen as Load would choose it.
    for (QLineEdit* edit : {EdTextFile, EdTemplateFile})
        edit->installEventFilter(this);
    for (QLineEdit* edit : {EdDelim, EdTextFile, EdTemplateFile, EdOuputDir, EdExt, EdTempFileName})
        connect(edit, &QLineEdit::textChanged, this, &ProjectSettingsForm::changed);
    for (QComboBox* box : {cbDirectoryField, cbFileNameFld})
        connect(box, &QComboBox::editTextChanged, this, &ProjectSettingsForm::changed);
    for (QCheckBox* box : {chkCopyDirFld, chkAddExt, chkDelChars, chkChangeCase, chkReport, chkQuotes, chkHeader,
                           chkEscapeHtml, chkTempRules})
        connect(box, &QCheckBox::toggled, this, &ProjectSettingsForm::changed);
    connect(cbEncoding, &QComboBox::editTextChanged, this, &ProjectSettingsForm::changed);
    // Only what the user does reads the data file again; a load checks it once when it is done.
    for (QCheckBox* box : {chkQuotes, chkHeader})
        connect(box, &QCheckBox::clicked, this, &ProjectSettingsForm::dataFormatChanged);
    connect(cbEncoding, &QComboBox::activated, this, &ProjectSettingsForm::dataFormatChanged);
    connect(cbSheet, &QComboBox::activated, this, [this](int index) {
        // The first sheet is the one a project without a sheet reads: choosing it names it all the same.
        m_sheet = fromQt(cbSheet->itemText(index));
        emit changed();
        emit dataFormatChanged();
    });
    connect(cbEncoding->lineEdit(), &QLineEdit::editingFinished, this, &ProjectSettingsForm::dataFormatChanged);
    for (QButtonGroup* group : {m_nameSource, m_caseChoice})
        connect(group, &QButtonGroup::idToggled, this, &ProjectSettingsForm::changed);
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

// ---------------------------------------------------------------- settings and controls

ProjectSettings ProjectSettingsForm::settingsFromControls() const
{
    ProjectSettings s;
    s.delim = fromQt(EdDelim->text());
    s.textfile = fromQt(EdTextFile->text());
    s.templatefile = fromQt(EdTemplateFile->text());
    s.outputdir = fromQt(EdOuputDir->text());
    s.directoryFile = fromQt(fieldText(cbDirectoryField));
    s.CopyDirFld = chkCopyDirFld->isChecked();
    s.nameFromFld = rbFromFld->isChecked();
    s.AddExt = chkAddExt->isChecked();
    s.edExt = fromQt(EdExt->text());
    s.FileNameFld = fromQt(fieldText(cbFileNameFld));
    s.nameFromTemp = rbTemplate->isChecked();
    s.edTemp = fromQt(EdTempFileName->text());
    s.DelChars = chkDelChars->isChecked();
    s.changecase = chkChangeCase->isChecked();
    s.caseIndex = m_caseChoice->checkedId();
    s.report = chkReport->isChecked();
    s.rep_fld = m_rep_fld;
    s.report_fld = m_report_fld;
    s.quotes = chkQuotes->isChecked();
    s.header = chkHeader->isChecked();
    s.encoding = fromQt(cbEncoding->currentText());
    s.sheet = m_sheet;
    s.escapehtml = chkEscapeHtml->isChecked();
    s.tempRules = chkTempRules->isChecked();
    return s;
}

void ProjectSettingsForm::applySettings(const ProjectSettings& s)
{
    EdDelim->setText(toQt(s.delim));
    EdTextFile->setText(toQt(s.textfile));
    EdTemplateFile->setText(toQt(s.templatefile));
    EdOuputDir->setText(toQt(s.outputdir));
    setFieldText(cbDirectoryField, toQt(s.directoryFile));
    chkCopyDirFld->setChecked(s.CopyDirFld);
    chkAddExt->setChecked(s.AddExt);
    EdExt->setText(toQt(s.edExt));
    setFieldText(cbFileNameFld, toQt(s.FileNameFld));
    setNameSource(s.nameFromFld, s.nameFromTemp);
    EdTempFileName->setText(toQt(s.edTemp));
    chkDelChars->setChecked(s.DelChars);
    chkChangeCase->setChecked(s.changecase);
    setCaseIndex(s.caseIndex);
    chkReport->setChecked(s.report);
    m_rep_fld = s.rep_fld;
    m_report_fld = s.report_fld;
    chkQuotes->setChecked(s.quotes);
    chkHeader->setChecked(s.header);
    cbEncoding->setEditText(toQt(s.encoding));
    m_sheet = s.sheet;
    chkEscapeHtml->setChecked(s.escapehtml);
    chkTempRules->setChecked(s.tempRules);
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

void ProjectSettingsForm::showWorkbook(bool workbook, const std::vector<std::string>& sheets)
{
    for (QWidget* control : std::initializer_list<QWidget*>{EdDelim, chkQuotes, cbEncoding})
        control->setEnabled(!workbook);
    lblSheet->setVisible(workbook);
    cbSheet->setVisible(workbook);
    const QSignalBlocker quiet(cbSheet);
    cbSheet->clear();
    if (!workbook)
        return;
    for (const std::string& name : sheets)
        cbSheet->addItem(toQt(name));
    // A sheet the workbook does not have stays chosen, so that the project keeps it; the data
    // warnings say it is not found.
    int index = m_sheet.empty() ? 0 : cbSheet->findText(toQt(m_sheet), Qt::MatchExactly | Qt::MatchCaseSensitive);
    if (index < 0) {
        cbSheet->addItem(toQt(m_sheet));
        index = cbSheet->count() - 1;
    }
    cbSheet->setCurrentIndex(index);
}

std::string ProjectSettingsForm::delimiter() const
{
    return fromQt(EdDelim->text());
}

DataFormat ProjectSettingsForm::dataFormat() const
{
    return settingsFromControls().dataFormat();
}

void ProjectSettingsForm::setFieldLists(std::int64_t count, const DataFileState& state)
{
    QStringList labels;
    QStringList shown;
    for (const std::string& label : stencilor::fieldLabels(count)) {
        labels << toQt(label);
        const auto number = static_cast<std::int64_t>(labels.size());
        shown << FieldTexts::shownListText(number, fieldListText(number, state));
    }
    setFieldList(cbFileNameFld, labels, shown);
    setFieldList(cbDirectoryField, labels, shown);
}

QStringList ProjectSettingsForm::fieldLabels() const
{
    return itemTexts(cbFileNameFld);
}

QStringList ProjectSettingsForm::fieldListTexts() const
{
    return itemShownTexts(cbFileNameFld);
}

void ProjectSettingsForm::showDataWarnings(const QStringList& warnings)
{
    m_dataWarnings = warnings;
    lblDataWarnings->setElidedText(warnings.join(QStringLiteral("; ")));
    lblDataWarnings->setToolTip(warnings.join(u'\n'));
    lblDataWarnings->setAccessibleDescription(lblDataWarnings->toolTip());
    lblDataWarnings->setActive(!warnings.isEmpty());
    m_dataWarningIcon->setToolTip(lblDataWarnings->toolTip());
    m_dataWarningIcon->setVisible(!warnings.isEmpty());
}

void ProjectSettingsForm::showWarningList()
{
    m_dialogs.message(m_window, tr("Data file warnings"), m_dataWarnings.join(u'\n'), QString());
}

void ProjectSettingsForm::focusFirstStep()
{
    EdTextFile->setFocus(Qt::OtherFocusReason);
}

// ---------------------------------------------------------------- commands

void ProjectSettingsForm::btnChoiceTextClick()
{
    FileDialogRequest request;
    request.title = tr("Select source file (csv with data)");
    request.filter = tr("Data Files (*.csv *.xlsx *.ods)|*.csv;*.xlsx;*.ods|Workbooks (*.xlsx *.ods)|*.xlsx;*.ods|All "
                        "Files (*.*)|*.*");
    request.defaultSuffix = QStringLiteral("csv");
    request.fileName = EdTextFile->text();
    request.folder = dialogFolder(resolvedDataFile());
    const std::optional<QString> chosen = m_dialogs.chooseFile(m_window, request);
    if (!chosen)
        return;
    EdTextFile->setText(*chosen);
    emit dataFileChosen();
}

void ProjectSettingsForm::btnChoiceTemplateClick()
{
    FileDialogRequest request;
    request.title = tr("Select html or text file template");
    request.filter = tr("HTML Files|*.html;*.htm|Text Files|*.txt|All Files (*.*)|*.*");
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
    if (m_formSetupReport->runFor(itemTexts(cbDirectoryField), report_fld, itemShownTexts(cbDirectoryField))) {
        m_report_fld = std::move(report_fld);
        emit changed();
    }
}

bool ProjectSettingsForm::eventFilter(QObject* watched, QEvent* event)
{
    auto* edit = qobject_cast<QLineEdit*>(watched);
    if (edit != EdTextFile && edit != EdTemplateFile)
        return QObject::eventFilter(watched, event);
    switch (event->type()) {
    case QEvent::DragEnter:
    case QEvent::DragMove: {
        // A file is taken whole; a dragged text goes into the edit as usual.
        auto* drag = static_cast<QDragMoveEvent*>(event);
        if (droppedFile(drag->mimeData()).isEmpty())
            return false;
        drag->acceptProposedAction();
        return true;
    }
    case QEvent::Drop: {
        auto* drop = static_cast<QDropEvent*>(event);
        const QString path = droppedFile(drop->mimeData());
        if (path.isEmpty())
            return false;
        drop->acceptProposedAction();
        edit->setText(path);
        // The same steps as a file chosen with the band's Load.
        if (edit == EdTextFile)
            emit dataFileChosen();
        return true;
    }
    default:
        return QObject::eventFilter(watched, event);
    }
}

} // namespace stencilor::ui
