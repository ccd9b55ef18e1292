// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

// T_Extract, the unit extract2.
// The rule editor "Add / Edit rule": the field label and the identifier of one rule, with the
// value the chosen field has in the data file's sample line, a filter that hides the fields other
// rules use, and "Auto-create identifier". Created once and reused for every opening, so the
// state of "hide used fields" carries over from one opening to the next.

#include "rules/RulesTable.h"

#include <QDialog>
#include <QStringList>
#include <cstdint>
#include <string>
#include <vector>

class QCheckBox;
class QComboBox;
class QLabel;
class QLineEdit;
class QPlainTextEdit;
class QPushButton;
class QToolButton;

namespace stencilor::ui {

class T_Extract final : public QDialog {
    Q_OBJECT
public:
    // What the opener hands over for one opening.
    struct Opening {
        std::string sampleLine;       // the data file's first non-blank line
        std::string delimiter;        // the field delimiter of the main window
        bool quotes = false;          // fields in double quotes are cut as the run cuts them
        std::int64_t fieldCount = 0;  // fields to offer: the data file's field count, or 500 when unknown
        std::vector<bool> usedFields; // flag n-1: another rule row uses field n (fieldCount flags)
        QStringList fieldLabels;      // the labels of the main window's file-name field list
        QStringList fieldTexts;       // what that list shows for each label ("Field 4 — City")
        Rule rule;                    // the field label and identifier of the row being edited
    };

    explicit T_Extract(QWidget* parent = nullptr);
    ~T_Extract() override;

    // Sets the dialog up for an opening without showing it: the field list holds label k of
    // `fieldLabels` for every field k up to fieldCount (and no further than that list goes) that
    // is not hidden as used, its open list showing text k of `fieldTexts` where given; the field
    // box and the identifier box show the rule.
    void setOpening(Opening opening);

    // The rule as the field box and the identifier box give it now. A text the user left as the
    // opening put it gives back the rule's bytes exactly; an edited identifier separates its lines
    // with CR LF, the line ends the run matches against.
    Rule rule() const;

    // Ends the dialog (Ok, Cancel or closing) and releases the used-field flags.
    void done(int result) override;

protected:
    void showEvent(QShowEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;

private:
    void FormShow();
    void cbFieldListChange();
    void ChkHideUseClick();
    void SpeedButton5Click();
    void SpeedButton3Click();
    void SpeedButton4Click();
    // Puts the fields 1 to `limit` that are offered into cbFieldList, keeping the text it shows.
    void offerFields(std::int64_t limit);

    std::string m_sampleLine;
    std::string m_delimiter;
    bool m_quotes = false;
    QStringList m_fieldLabels; // label and shown text of field k at k-1
    QStringList m_fieldTexts;
    std::int64_t m_fieldCount = 0;
    std::vector<bool> m_usedFields;
    Rule m_openedRule;         // the row as the opening found it
    QString m_shownIdentifier; // the identifier box's raw text as the opening set it
    std::string m_sampleValue; // the bytes EdValueCsv shows

    QLabel* Label5 = nullptr;
    QComboBox* cbFieldList = nullptr;
    QCheckBox* ChkHideUse = nullptr;
    QLabel* Label1 = nullptr;
    QLineEdit* EdValueCsv = nullptr;
    QToolButton* SpeedButton5 = nullptr;
    QLabel* Label3 = nullptr;
    QLabel* Label4 = nullptr;
    QLabel* Label2 = nullptr;
    QPlainTextEdit* EdTextAfter = nullptr;
    QToolButton* SpeedButton3 = nullptr;
    QToolButton* SpeedButton4 = nullptr;
    // Kept hidden, without a handler.
    QLabel* Label6 = nullptr;
    QPushButton* SpeedButton1 = nullptr;
};

} // namespace stencilor::ui
