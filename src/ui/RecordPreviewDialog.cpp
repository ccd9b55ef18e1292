#include "ui/RecordPreviewDialog.h"

#include "ui/QtText.h"

#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QSpinBox>
#include <QSplitter>
#include <QTextBrowser>
#include <QTextCursor>
#include <QTextEdit>
#include <QVBoxLayout>
#include <climits>

namespace stencilor::ui {

namespace {

// The text without its CRs: the views break lines at LF, and a CR would show as a stray glyph.
QString shownText(std::string_view bytes)
{
    QString text = toQt(bytes);
    text.remove(u'\r');
    return text;
}

} // namespace

RecordPreviewDialog::RecordPreviewDialog(std::function<RecordPreview(std::uint64_t)> produce, QWidget* parent)
    : QDialog(parent)
    , m_produce(std::move(produce))
{
    setObjectName(QStringLiteral("RecordPreview"));
    setWindowTitle(QStringLiteral("Preview output"));
    setModal(false);
    resize(900, 560);

    edRecord = new QSpinBox(this);
    edRecord->setObjectName(QStringLiteral("edRecord"));
    edRecord->setRange(1, INT_MAX);
    connect(edRecord, &QSpinBox::valueChanged, this, [this](int value) {
        if (!m_showing)
            showRecord(static_cast<std::uint64_t>(value));
    });
    btnRefresh = new QPushButton(QStringLiteral("Refresh"), this);
    btnRefresh->setObjectName(QStringLiteral("btnRefresh"));
    connect(btnRefresh, &QPushButton::clicked, this, [this] { showRecord(record()); });

    lblOutputPath = new QLabel(this);
    lblOutputPath->setObjectName(QStringLiteral("lblOutputPath"));
    lblOutputPath->setTextInteractionFlags(Qt::TextSelectableByMouse);
    lblOutputPath->setWordWrap(true);

    memSource = new QTextEdit(this);
    memSource->setObjectName(QStringLiteral("memSource"));
    memSource->setReadOnly(true);
    memSource->setLineWrapMode(QTextEdit::NoWrap);
    memSource->setAcceptRichText(false);
    viewRendered = new QTextBrowser(this);
    viewRendered->setObjectName(QStringLiteral("viewRendered"));
    viewRendered->setOpenLinks(false);
    auto* views = new QSplitter(Qt::Horizontal, this);
    views->addWidget(memSource);
    views->addWidget(viewRendered);

    btnClose = new QPushButton(QStringLiteral("Close"), this);
    btnClose->setObjectName(QStringLiteral("btnClose"));
    connect(btnClose, &QPushButton::clicked, this, &QDialog::close);

    auto* top = new QHBoxLayout;
    top->addWidget(new QLabel(QStringLiteral("Record"), this));
    top->addWidget(edRecord);
    top->addWidget(btnRefresh);
    top->addStretch(1);
    auto* bottom = new QHBoxLayout;
    bottom->addStretch(1);
    bottom->addWidget(btnClose);
    auto* layout = new QVBoxLayout(this);
    layout->addLayout(top);
    layout->addWidget(lblOutputPath);
    layout->addWidget(views, 1);
    layout->addLayout(bottom);
}

std::uint64_t RecordPreviewDialog::record() const
{
    return static_cast<std::uint64_t>(edRecord->value());
}

void RecordPreviewDialog::showRecord(std::uint64_t record)
{
    m_showing = true;
    edRecord->setValue(static_cast<int>(std::min<std::uint64_t>(std::max<std::uint64_t>(record, 1), INT_MAX)));
    m_showing = false;
    display(m_produce(record));
}

void RecordPreviewDialog::display(const RecordPreview& preview)
{
    memSource->clear();
    viewRendered->clear();
    if (!preview.ok) {
        lblOutputPath->setText(shownText(preview.message).trimmed());
        viewRendered->setVisible(false);
        return;
    }
    switch (preview.name.outcome) {
    case NameOutcome::Named:
        lblOutputPath->setText(QStringLiteral("Output file: ") + toQt(preview.fullPath));
        break;
    case NameOutcome::NoName:
        lblOutputPath->setText(QStringLiteral("No output file: this record gives no name"));
        break;
    case NameOutcome::LeavesFolder:
        lblOutputPath->setText(QStringLiteral("No output file: the name would leave the output folder"));
        break;
    }

    QTextCursor cursor(memSource->document());
    QTextCharFormat plain;
    QTextCharFormat replaced;
    replaced.setBackground(QColor(255, 226, 122));
    if (preview.segments.empty()) {
        cursor.insertText(shownText(preview.text), plain);
    } else {
        for (const PreviewSegment& segment : preview.segments) {
            QTextCharFormat format = segment.rule == 0 ? plain : replaced;
            if (segment.rule != 0)
                format.setToolTip(QStringLiteral("rule %1").arg(static_cast<qulonglong>(segment.rule)));
            cursor.insertText(shownText(segment.text), format);
        }
    }
    memSource->moveCursor(QTextCursor::Start);
    viewRendered->setVisible(preview.html);
    if (preview.html)
        viewRendered->setHtml(toQt(preview.text));
}

} // namespace stencilor::ui
