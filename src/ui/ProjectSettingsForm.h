// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

// The project's settings as controls, in the bands of steps 1, 2, 4 and 5 and the advanced
// options: the data file, its delimiter and the template (each with Load), the output folder and
// how files and subfolders are named, the progress bar, and the report with its options dialog.
// The window places the bands around the rules panel; the controls are the live copy of every
// setting but the rules. The bands are made in ProjectSettingsBands.cpp.

#include "project/ProjectSettings.h"

#include <QObject>
#include <QPointer>
#include <QStringList>
#include <cstdint>
#include <functional>
#include <string>
#include <string_view>

class QButtonGroup;
class QCheckBox;
class QComboBox;
class QFrame;
class QGroupBox;
class QLabel;
class QLineEdit;
class QProgressBar;
class QPushButton;
class QRadioButton;
class QToolButton;
class QWidget;

namespace stencilor::ui {

class ActiveLabel;
class TformSetupReport;
class UserDialogs;

class ProjectSettingsForm final : public QObject {
    Q_OBJECT
public:
    // Creates the controls in their bands, which `window` places in its layout (and so owns), in
    // the order they stand, so that Tab follows them. The file pickers ask through `dialogs`
    // (which must outlive the form) over `window`; `projectFile` gives the project file's path as
    // resolved for reading, beside which relative data and template paths lie.
    ProjectSettingsForm(UserDialogs& dialogs, std::function<std::string()> projectFile, QWidget* window);

    // The bands, from the top: steps 1 and 2 above the rules, step 4, the advanced options and
    // step 5 below them.
    QWidget* dataFileBand() const;
    QWidget* templateBand() const;
    QWidget* resultsBand() const;
    QWidget* advancedBand() const;
    QWidget* reportBand() const;

    // Every setting but the rules as the controls show them, the two report texts included; the
    // rules are left as a fresh table.
    ProjectSettings settingsFromControls() const;
    // Puts every setting of `settings` but the rules into the controls and the report texts.
    void applySettings(const ProjectSettings& settings);

    // The data file and the template as their edits name them, resolved against the project's
    // folder.
    std::string resolvedDataFile() const;
    std::string resolvedTemplateFile() const;
    // The template as its edit names it.
    std::string templateFile() const;
    // The field delimiter as its edit holds it.
    std::string delimiter() const;
    // How the data file is read, as the delimiter and the data choices set it.
    DataFormat dataFormat() const;

    // Puts the labels of fields 1 to min(count, 500) into both field lists, keeping their texts;
    // the open lists show beside each label the field's name in the header record of `state`, or
    // else its value in the sample record.
    void setFieldLists(std::int64_t count, const DataFileState& state);
    // The labels the field lists offer.
    QStringList fieldLabels() const;
    // What the field lists show for each of those labels ("Field 4 — City").
    QStringList fieldListTexts() const;

    // Shows whether the data file is a workbook: the sheet list (its sheets `sheets`) beside the
    // delimiter for one, and the delimiter, quotes and encoding, which do not apply to it, greyed.
    void showWorkbook(bool workbook, const std::vector<std::string>& sheets);
    // Shows `warnings` about the data file beside the delimiter, one line that a tooltip gives
    // whole and Enter or a click shows as a list; nothing when there are none.
    void showDataWarnings(const QStringList& warnings);

    QProgressBar* progressBar() const { return pgBar; }

    // Puts the focus on the first control of step 1, where a loaded project's work starts.
    void focusFirstStep();

signals:
    // Load of step 1 (or a file dropped on its edit) put a chosen data file into its edit.
    void dataFileChosen();
    // A setting shown in the form changed (typed, picked, or put there by a load).
    void changed();
    // The user changed how the data file is read: quoted fields, the header record or the encoding.
    void dataFormatChanged();
    // Preview of step 1 or of step 2 was clicked.
    void dataPreviewClicked();
    void templatePreviewClicked();

protected:
    // Takes a file dropped on the data or template edit.
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    QFrame* createDataFileBand();
    QFrame* createTemplateBand();
    QFrame* createResultsBand();
    QFrame* createAdvancedBand();
    QFrame* createReportBand();

    void btnChoiceTextClick();
    void btnChoiceTemplateClick();
    void btnSetupRepClick();
    // The data file's warnings, one a line, in a message box.
    void showWarningList();
    void setCaseIndex(int index);
    void setNameSource(bool fromField, bool fromTemplate);

    UserDialogs& m_dialogs;
    std::function<std::string()> m_projectFile;
    QWidget* m_window;
    // Settings without a control of their own.
    std::string m_rep_fld;
    std::string m_report_fld;
    QStringList m_dataWarnings;
    // Created once, hidden, and reused for every opening.
    QPointer<TformSetupReport> m_formSetupReport;

    QFrame* m_dataFileBand = nullptr;
    QFrame* m_templateBand = nullptr;
    QFrame* m_resultsBand = nullptr;
    QFrame* m_advancedBand = nullptr;
    QFrame* m_reportBand = nullptr;

    // Steps 1 and 2.
    QLineEdit* EdTextFile = nullptr;
    QPushButton* btnChoiceText = nullptr;
    QPushButton* SpeedButton12 = nullptr;
    QLineEdit* EdDelim = nullptr;
    QLabel* lblSheet = nullptr;
    QComboBox* cbSheet = nullptr;
    std::string m_sheet; // the project's sheet (empty: the first), whether the list shows it or not
    QLabel* m_dataWarningIcon = nullptr;
    ActiveLabel* lblDataWarnings = nullptr;
    QLineEdit* EdTemplateFile = nullptr;
    QPushButton* btnChoiceTemplate = nullptr;
    QPushButton* SpeedButton14 = nullptr;

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
    QCheckBox* chkQuotes = nullptr;
    QCheckBox* chkHeader = nullptr;
    QComboBox* cbEncoding = nullptr;
    QCheckBox* chkEscapeHtml = nullptr;
    QCheckBox* chkTempRules = nullptr;

    // Step 5: report.
    QToolButton* btnSetupRep = nullptr;
    QCheckBox* chkReport = nullptr;
};

} // namespace stencilor::ui
