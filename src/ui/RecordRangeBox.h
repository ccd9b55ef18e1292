// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

// The Run command's choice of records beside Run: every record, or, with "Only records" ticked,
// the records From to To. The choice is not part of the project.

#include "generation/RecordRange.h"

#include <QWidget>

class QCheckBox;
class QSpinBox;

namespace stencilor::ui {

class RecordRangeBox final : public QWidget {
    Q_OBJECT
public:
    explicit RecordRangeBox(QWidget* parent = nullptr);

    // The records a run takes: all of them, or From to To while "Only records" is ticked.
    RecordRange records() const;

private:
    QCheckBox* chkRecords = nullptr;
    QSpinBox* edRecFrom = nullptr;
    QSpinBox* edRecTo = nullptr;
};

} // namespace stencilor::ui
