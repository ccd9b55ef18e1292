// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

// TformSetupReport, the unit frmSetupReport.
// The report options dialog: what the six columns of the content report show. The main window
// creates it once, hidden, and reuses it; its lists and texts are rebuilt at every opening.

#include <QDialog>
#include <QStringList>
#include <array>
#include <string>
#include <string_view>

class QComboBox;
class QToolButton;

namespace stencilor::ui {

class TformSetupReport final : public QDialog {
    Q_OBJECT
public:
    explicit TformSetupReport(QWidget* parent = nullptr);

    // Fills the six combo boxes for an opening: each list becomes "--not defined--", "FileName"
    // and the entries of `fieldList`, the open list showing `fieldTexts[i]` for entry i where given
    // ("Field 4 — City"); each text the column of `report_fld`, shown whether or not it is in the
    // list (empty when `report_fld` has fewer columns).
    void prepare(const QStringList& fieldList, std::string_view report_fld, const QStringList& fieldTexts = {});

    // The report_fld the six texts make now: each text exactly as shown followed by ";".
    std::string report_fld() const;

    // Runs the dialog modally for `report_fld` with the labels of `fieldList` (shown as
    // `fieldTexts`): true, and `report_fld` replaced, when the user confirms with Ok; false and
    // unchanged otherwise.
    bool runFor(const QStringList& fieldList, std::string& report_fld, const QStringList& fieldTexts = {});

    // The combo box of column `k` (1 to 6).
    QComboBox* column(int k) const { return cbCol.at(static_cast<std::size_t>(k - 1)); }

protected:
    void showEvent(QShowEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;

private:
    void SpeedButton3Click();
    void SpeedButton4Click();

    std::array<QComboBox*, 6> cbCol{};
    QToolButton* SpeedButton3 = nullptr;
    QToolButton* SpeedButton4 = nullptr;
};

} // namespace stencilor::ui
