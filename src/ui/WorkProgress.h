// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

// A dialog's row that shows how far its work on the data has come while it runs: a line of text
// (lblProgress), a bar in per cent (barProgress) and the button that stops the work (btnCancel).

#include <QWidget>

class QLabel;
class QProgressBar;
class QPushButton;

namespace stencilor::ui {

struct PassProgress;

class WorkProgress final : public QWidget {
    Q_OBJECT
public:
    // `barName` names the bar for a screen reader; `cancelTip` says what Cancel stops.
    WorkProgress(const QString& barName, const QString& cancelTip, QWidget* parent = nullptr);

    // Shows `progress`: the first pass as "Counting records: N", the pass after it as `reading`,
    // whose %L1 is the records read and %L2 their total.
    void showProgress(const PassProgress& progress, const QString& reading);

signals:
    // Cancel was clicked.
    void cancelled();

private:
    QLabel* lblProgress = nullptr;
    QProgressBar* barProgress = nullptr;
    QPushButton* btnCancel = nullptr;
};

} // namespace stencilor::ui
