// SPDX-License-Identifier: GPL-3.0-or-later
// The bands of the project settings form: how the controls of steps 1, 2, 4 and 5 and the
// advanced options are made and laid out.

#include "ui/ActiveLabel.h"
#include "ui/ProjectSettingsForm.h"
#include "ui/WindowBands.h"

#include <QButtonGroup>
#include <QCheckBox>
#include <QComboBox>
#include <QFontInfo>
#include <QFontMetrics>
#include <QFrame>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QProgressBar>
#include <QPushButton>
#include <QRadioButton>
#include <QToolButton>
#include <QVBoxLayout>

namespace stencilor::ui {

namespace {

// Fixed band heights; only the rules grid between them grows and shrinks.
constexpr int kDataFileHeight = 49;
constexpr int kTemplateHeight = 30;
constexpr int kResultsHeight = 98;
constexpr int kAdvancedHeight = 102;
constexpr int kReportHeight = 55;
// The path edits are this wide at the least and grow with the window.
constexpr int kPathEditWidth = 500;
constexpr int kProgressBarHeight = 11;

// The encodings the encoding list offers; any other name ICU knows may be typed.
constexpr const char* kOfferedEncodings[] = {"UTF-8", "windows-1251", "windows-1252", "ISO-8859-1", "UTF-16"};

} // namespace

QFrame* ProjectSettingsForm::createDataFileBand()
{
    QFrame* band = newBand("PanelStep1");
    auto* layout = new QVBoxLayout(band);
    layout->setContentsMargins(6, 2, 6, 2);
    layout->setSpacing(2);

    QHBoxLayout* file = row();
    EdTextFile = newEdit("EdTextFile");
    EdTextFile->setMinimumWidth(kPathEditWidth);
    EdTextFile->setToolTip(tr("The data file: one record per line, its fields separated by the delimiter, or a "
                              "workbook (.xlsx, .ods), one record per row of a sheet. A relative path is taken from "
                              "the project file's folder. Drop a file here to choose it."));
    QLabel* caption = captionFor(tr("Select &source file (csv with data)"), EdTextFile);
    caption->setObjectName(QStringLiteral("lblSourceFile"));
    btnChoiceText = newButton("btnChoiceText", tr("Load"));
    btnChoiceText->setToolTip(tr("Choose the data file"));
    SpeedButton12 = newButton("SpeedButton12", tr("Preview"));
    SpeedButton12->setToolTip(tr("Show the data file as a table"));
    file->addWidget(boldLabel(tr("1) ")));
    file->addWidget(caption);
    file->addWidget(EdTextFile, 1);
    file->addWidget(btnChoiceText);
    file->addWidget(SpeedButton12);
    layout->addLayout(file);

    QHBoxLayout* delimiter = row();
    EdDelim = newEdit("EdDelim", 40);
    EdDelim->setToolTip(tr("The text between two fields of a record, matched exactly"));
    QFont bold = band->font();
    bold.setBold(true);
    delimiter->addSpacing(QFontMetrics(bold).horizontalAdvance(tr("1) ")) + delimiter->spacing());
    delimiter->addWidget(captionFor(tr("Enter field &delimiter"), EdDelim));
    delimiter->addWidget(EdDelim);
    delimiter->addSpacing(12);
    // The sheet of a workbook, only while the data file is one.
    cbSheet = new QComboBox;
    cbSheet->setObjectName(QStringLiteral("cbSheet"));
    cbSheet->setMinimumContentsLength(12);
    cbSheet->setSizeAdjustPolicy(QComboBox::AdjustToMinimumContentsLengthWithIcon);
    cbSheet->setToolTip(tr("The sheet of the workbook whose rows are the records"));
    lblSheet = captionFor(tr("Wor&kbook sheet:"), cbSheet);
    lblSheet->hide();
    cbSheet->hide();
    delimiter->addWidget(lblSheet);
    delimiter->addWidget(cbSheet);
    delimiter->addSpacing(12);
    // What the data source check found that a run would read otherwise than the user may expect.
    m_dataWarningIcon = new QLabel;
    m_dataWarningIcon->setObjectName(QStringLiteral("lblDataWarningIcon"));
    const int iconSize = QFontMetrics(band->font()).height();
    m_dataWarningIcon->setPixmap(
        themedIcon("dialog-warning", QStyle::SP_MessageBoxWarning).pixmap(QSize(iconSize, iconSize)));
    m_dataWarningIcon->hide();
    // Always in the row, empty when there is nothing to say, so that it holds the row's free room.
    // Tab reaches it while it says something; Enter or a click shows the whole list.
    lblDataWarnings = new ActiveLabel;
    lblDataWarnings->setObjectName(QStringLiteral("lblDataWarnings"));
    lblDataWarnings->setElidedText(QString());
    lblDataWarnings->setActive(false);
    lblDataWarnings->setAccessibleName(tr("Data file warnings"));
    connect(lblDataWarnings, &ActiveLabel::activated, this, &ProjectSettingsForm::showWarningList);
    delimiter->addWidget(m_dataWarningIcon);
    delimiter->addWidget(lblDataWarnings, 1);
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
    EdTemplateFile = newEdit("EdTemplateFile");
    EdTemplateFile->setMinimumWidth(kPathEditWidth);
    EdTemplateFile->setToolTip(tr("The template: each rule's identifier in it is replaced by the record's field. A "
                                  "relative path is taken from the project file's folder. Drop a file here to choose "
                                  "it."));
    QLabel* caption = captionFor(tr("Select html or text file te&mplate"), EdTemplateFile);
    caption->setObjectName(QStringLiteral("lblTemplateFile"));
    btnChoiceTemplate = newButton("btnChoiceTemplate", tr("Load"));
    btnChoiceTemplate->setToolTip(tr("Choose the template"));
    SpeedButton14 = newButton("SpeedButton14", tr("Preview"));
    SpeedButton14->setToolTip(tr("Open the template in the desktop's text editor"));
    layout->addWidget(boldLabel(tr("2) ")));
    layout->addWidget(caption);
    layout->addWidget(EdTemplateFile, 1);
    layout->addWidget(btnChoiceTemplate);
    layout->addWidget(SpeedButton14);
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
    pgBar->setFixedHeight(kProgressBarHeight);
    pgBar->setTextVisible(false);
    pgBar->setFormat(tr("%p%"));
    pgBar->setToolTip(tr("The records of the run generated so far"));
    pgBar->setAccessibleName(tr("Progress of the run"));
    // The percentage is written in the bar in a type small enough for the bar's height.
    QFont barFont = pgBar->font();
    for (int pixels = QFontInfo(barFont).pixelSize();
         QFontMetrics(barFont).height() > kProgressBarHeight && pixels > 6;)
        barFont.setPixelSize(--pixels);
    pgBar->setFont(barFont);
    layout->addWidget(pgBar);

    QHBoxLayout* title = row();
    title->addWidget(boldLabel(tr("4) ")));
    title->addWidget(new QLabel(tr("Results - Generated files:")));
    title->addStretch(1);
    layout->addLayout(title);

    QHBoxLayout* folders = row();
    EdOuputDir = newEdit("EdOuputDir");
    EdOuputDir->setMinimumWidth(100);
    EdOuputDir->setToolTip(tr("The folder that receives the generated files; a relative folder is taken from the "
                              "project file's folder"));
    chkCopyDirFld =
        newCheckBox("chkCopyDirFld", tr("and create subfolders with names (select field with folder names) "));
    chkCopyDirFld->setToolTip(tr("Sort the files into subfolders named by the value of the field on the right"));
    cbDirectoryField = newFieldList("cbDirectoryField");
    cbDirectoryField->setToolTip(tr("The field whose value names the subfolder of each file"));
    // Announced by what it is for, not by the label it holds.
    cbDirectoryField->setAccessibleName(chkCopyDirFld->text().trimmed());
    folders->addWidget(boldLabel(tr("Folder names:")));
    folders->addWidget(captionFor(tr("Generate files into the &folder:"), EdOuputDir));
    folders->addWidget(EdOuputDir, 1);
    folders->addWidget(chkCopyDirFld);
    folders->addWidget(cbDirectoryField);
    layout->addLayout(folders);

    QHBoxLayout* names = row();
    rbFromFld = new QRadioButton(tr("use file name from the field"));
    rbFromFld->setObjectName(QStringLiteral("rbFromFld"));
    rbFromFld->setToolTip(tr("Name each file by the value of the field on the right"));
    cbFileNameFld = newFieldList("cbFileNameFld");
    cbFileNameFld->setToolTip(tr("The field whose value names each file"));
    cbFileNameFld->setAccessibleName(rbFromFld->text());
    rbTemplate = new QRadioButton(tr("generate file name by template and incremental"));
    rbTemplate->setObjectName(QStringLiteral("rbTemplate"));
    rbTemplate->setToolTip(tr("Name each file by the name template on the right"));
    EdTempFileName = newEdit("EdTempFileName", 160);
    EdTempFileName->setToolTip(tr("The name template: each \"?\" becomes the record number"));
    EdTempFileName->setAccessibleName(tr("Name template"));
    m_nameSource = new QButtonGroup(this);
    m_nameSource->addButton(rbFromFld);
    m_nameSource->addButton(rbTemplate);
    names->addWidget(boldLabel(tr("File names:")));
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
    layout->addWidget(boldLabel(tr("Advanced options:")));
    // The naming choices on the left, how data is read and inserted on the right.
    auto* grid = new QGridLayout;
    grid->setContentsMargins(0, 0, 0, 0);
    grid->setHorizontalSpacing(12);
    grid->setVerticalSpacing(2);
    grid->setColumnStretch(1, 1);
    layout->addLayout(grid);

    QHBoxLayout* extension = row();
    chkAddExt = newCheckBox("chkAddExt", tr("Add file extension (if the file does not have)"));
    chkAddExt->setToolTip(tr("Give generated names without an extension the extension on the right"));
    EdExt = newEdit("EdExt", 70);
    EdExt->setToolTip(tr("The extension added to names without one"));
    EdExt->setAccessibleName(tr("File extension"));
    extension->addWidget(chkAddExt);
    extension->addWidget(EdExt);
    extension->addStretch(1);
    grid->addLayout(extension, 0, 0);

    chkDelChars =
        newCheckBox("chkDelChars", tr("Delete all non-Latin characters from generated names of files and folders"));
    chkDelChars->setToolTip(tr("Keep only A-Z, a-z, 0-9, \".\" and \"/\" in generated names; the output folder itself "
                               "is never changed"));
    grid->addWidget(chkDelChars, 1, 0);

    QHBoxLayout* letterCase = row();
    chkChangeCase = newCheckBox("chkChangeCase", tr("Change case of generated file"));
    chkChangeCase->setToolTip(tr("Change the letter case of generated names as chosen on the right"));
    rbCase = new QGroupBox;
    rbCase->setObjectName(QStringLiteral("rbCase"));
    rbCase->setFlat(true);
    auto* choices = new QHBoxLayout(rbCase);
    choices->setContentsMargins(0, 0, 0, 0);
    choices->setSpacing(24);
    m_caseChoice = new QButtonGroup(this);
    const QString captions[] = {tr("small"), tr("As Sentence"), tr("LARGE")};
    const QString tips[] = {tr("Every letter small"), tr("The first letter large, every other letter small"),
                            tr("Every letter large")};
    for (int index = 0; index < 3; ++index) {
        auto* choice = new QRadioButton(captions[index]);
        choice->setObjectName(QStringLiteral("rbCase%1").arg(index));
        choice->setToolTip(tips[index]);
        m_caseChoice->addButton(choice, index);
        choices->addWidget(choice);
    }
    letterCase->addWidget(chkChangeCase);
    letterCase->addSpacing(12);
    letterCase->addWidget(rbCase);
    letterCase->addStretch(1);
    grid->addLayout(letterCase, 2, 0);

    chkQuotes = newCheckBox("chkQuotes", tr("&Quoted fields"));
    chkQuotes->setToolTip(tr("Read fields as spreadsheets write them: a field in double quotes may hold the "
                             "delimiter, line breaks and \"\" for a quote, so one record may span several lines"));
    chkHeader = newCheckBox("chkHeader", tr("First record holds field &names"));
    chkHeader->setToolTip(tr("The first record names the fields: it gets no file and no report row, and the field "
                             "lists show its names beside the field numbers"));
    cbEncoding = newFieldList("cbEncoding");
    cbEncoding->setFixedWidth(130);
    cbEncoding->lineEdit()->setPlaceholderText(tr("none"));
    QStringList encodings{QString(), QStringLiteral("auto")};
    QStringList encodingTexts{tr("none: the bytes as they are"), tr("auto: found from the file")};
    for (const char* name : kOfferedEncodings)
        encodings << QString::fromLatin1(name);
    setFieldList(cbEncoding, encodings, encodingTexts);
    cbEncoding->setToolTip(tr("How the data file's bytes are read: empty keeps them as they are; \"auto\" takes the "
                              "byte-order mark, else UTF-8 when the file is valid UTF-8, else the encoding its bytes "
                              "suggest; or pick or type an encoding name (windows-1251, ISO-8859-1, UTF-16...). The "
                              "template is not converted"));
    QHBoxLayout* encoding = row();
    encoding->addWidget(captionFor(tr("Encodin&g:"), cbEncoding));
    encoding->addWidget(cbEncoding);
    encoding->addStretch(1);
    chkEscapeHtml = newCheckBox("chkEscapeHtml", tr("Escape values for &HTML"));
    chkEscapeHtml->setToolTip(tr("Write &, <, >, \" and ' of every value inserted into the template as HTML entities, "
                                 "so that values show as text in an HTML page; file and folder names use the plain "
                                 "values"));
    chkTempRules = newCheckBox("chkTempRules", tr("Name template &uses the rules"));
    chkTempRules->setToolTip(tr("Replace the rules' identifiers in the name template with the record's values before "
                                "each \"?\" becomes the record number, so that %Last%-%First%.htm names files from "
                                "two fields"));
    grid->addWidget(chkQuotes, 0, 2);
    grid->addWidget(chkHeader, 0, 3);
    grid->addLayout(encoding, 1, 2);
    grid->addWidget(chkEscapeHtml, 1, 3);
    grid->addWidget(chkTempRules, 2, 2, 1, 2);
    fixHeight(band, kAdvancedHeight);
    return band;
}

QFrame* ProjectSettingsForm::createReportBand()
{
    QFrame* band = newBand("PanelStep5");
    QHBoxLayout* layout = row();
    band->setLayout(layout);
    layout->setContentsMargins(6, 2, 6, 2);
    btnSetupRep = flatButton("btnSetupRep", tr("Report Options"),
                             themedIcon("document-properties", QStyle::SP_FileDialogContentsView), QSize(83, 45));
    setThemedIcon(btnSetupRep, "document-properties", QStyle::SP_FileDialogContentsView);
    btnSetupRep->setToolTip(tr("Choose what the six columns of report.html show"));
    chkReport = newCheckBox("chkReport", tr("Generate index/content file in html format"));
    chkReport->setToolTip(tr("Write report.html, a table of the generated files, into the output folder and open it "
                             "when the run ends"));
    QLabel* caption = captionFor(tr("Cr&eate report.htm file "), chkReport);
    QFont bold = caption->font();
    bold.setBold(true);
    caption->setFont(bold);
    layout->addWidget(boldLabel(tr("5) ")));
    layout->addWidget(caption);
    layout->addWidget(btnSetupRep);
    layout->addWidget(chkReport);
    layout->addStretch(1);
    fixHeight(band, kReportHeight);
    return band;
}

} // namespace stencilor::ui
