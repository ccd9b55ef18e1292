// SPDX-License-Identifier: GPL-3.0-or-later
#include "ui/RecordPreviewDialog.h"

#include "ui/CoreMessages.h"
#include "ui/DataWorker.h"
#include "ui/PaletteColours.h"
#include "ui/QtText.h"
#include "ui/ScreenPlacement.h"
#include "ui/UserDialogs.h"
#include "ui/WorkProgress.h"

#include <QHBoxLayout>
#include <QHideEvent>
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

// A message or path above the text keeps to this many lines, so the text stays in view.
constexpr int kMaxPathLines = 6;
// A record read this soon shows at once, without a flash of progress.
constexpr std::chrono::milliseconds kRecordAtOnce(100);

// The text without its CRs: the views break lines at LF, and a CR would show as a stray glyph.
QString shownText(std::string_view bytes)
{
    QString text = toQt(bytes);
    text.remove(u'\r');
    return text;
}

} // namespace

RecordPreviewDialog::RecordPreviewDialog(std::function<Produce(std::uint64_t)> prepare,
                                         std::function<QString(const Error&)> messageText, QWidget* parent)
    : QDialog(parent)
    , m_prepare(std::move(prepare))
    , m_messageText(std::move(messageText))
    , m_worker(new DataWorker(this))
{
    setObjectName(QStringLiteral("RecordPreview"));
    setWindowTitle(tr("Preview output"));
    setModal(false);
    resize(QSize(900, 560).boundedTo(roomOnScreen(this)));

    edRecord = new QSpinBox(this);
    edRecord->setObjectName(QStringLiteral("edRecord"));
    edRecord->setRange(1, INT_MAX);
    connect(edRecord, &QSpinBox::valueChanged, this, [this](int value) {
        if (!m_showing)
            showRecord(static_cast<std::uint64_t>(value));
    });
    edRecord->setToolTip(tr("The record to show (the first line of the data file is 1)"));
    btnRefresh = new QPushButton(tr("Refresh"), this);
    btnRefresh->setToolTip(tr("Generate the record again from the window's settings and files"));
    btnRefresh->setObjectName(QStringLiteral("btnRefresh"));
    connect(btnRefresh, &QPushButton::clicked, this, [this] { showRecord(record()); });

    m_progress = new WorkProgress(tr("Data file read"), tr("Stop reading the data file towards the record"), this);
    m_progress->hide();
    connect(m_progress, &WorkProgress::cancelled, m_worker, &DataWorker::stop);
    connect(m_worker, &DataWorker::tick, this, [this] {
        if (m_reading)
            m_progress->showProgress(*m_reading, tr("Reading: %L1 of %L2 records"));
    });

    lblOutputPath = new QLabel(this);
    lblOutputPath->setObjectName(QStringLiteral("lblOutputPath"));
    lblOutputPath->setTextInteractionFlags(Qt::TextSelectableByMouse);
    lblOutputPath->setWordWrap(true);

    memSource = new QTextEdit(this);
    memSource->setObjectName(QStringLiteral("memSource"));
    memSource->setReadOnly(true);
    memSource->setLineWrapMode(QTextEdit::NoWrap);
    memSource->setAcceptRichText(false);
    memSource->setAccessibleName(tr("Output text"));
    viewRendered = new QTextBrowser(this);
    viewRendered->setObjectName(QStringLiteral("viewRendered"));
    viewRendered->setOpenLinks(false);
    viewRendered->setAccessibleName(tr("Output as a page"));
    // A page shows in a browser's own colours, dark text on white, whatever the desktop's theme:
    // its colours are the page's, not the desktop's.
    QPalette page = viewRendered->palette();
    page.setColor(QPalette::Base, Qt::white);
    page.setColor(QPalette::Text, Qt::black);
    page.setColor(QPalette::Link, QColor(0, 0, 238));
    page.setColor(QPalette::LinkVisited, QColor(85, 26, 139));
    viewRendered->setPalette(page);
    auto* views = new QSplitter(Qt::Horizontal, this);
    views->addWidget(memSource);
    views->addWidget(viewRendered);

    btnClose = new QPushButton(tr("Close"), this);
    btnClose->setObjectName(QStringLiteral("btnClose"));
    connect(btnClose, &QPushButton::clicked, this, &QDialog::close);

    auto* top = new QHBoxLayout;
    auto* recordCaption = new QLabel(tr("&Record"), this);
    recordCaption->setBuddy(edRecord);
    top->addWidget(recordCaption);
    top->addWidget(edRecord);
    top->addWidget(btnRefresh);
    top->addStretch(1);
    auto* bottom = new QHBoxLayout;
    bottom->addStretch(1);
    bottom->addWidget(btnClose);
    auto* layout = new QVBoxLayout(this);
    layout->addLayout(top);
    layout->addWidget(m_progress);
    layout->addWidget(lblOutputPath);
    layout->addWidget(views, 1);
    layout->addLayout(bottom);
}

RecordPreviewDialog::~RecordPreviewDialog()
{
    m_worker->stopAndJoin();
}

bool RecordPreviewDialog::reading() const
{
    return m_worker->running();
}

void RecordPreviewDialog::stopPreview()
{
    m_worker->stopAndJoin();
    m_progress->hide();
}

void RecordPreviewDialog::hideEvent(QHideEvent* event)
{
    // Closed by the user, not hidden with a minimised main window.
    if (!event->spontaneous())
        m_worker->stop();
    QDialog::hideEvent(event);
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
    // The settings are read here, on the GUI thread; the data in the reading thread.
    m_worker->stopAndJoin();
    Produce produce = m_prepare(record);
    auto reading = std::make_shared<PassProgress>();
    m_reading = reading;
    m_progress->showProgress(*reading, {});
    m_progress->show();
    m_worker->start(
        [this, reading, record, produce = std::move(produce)](const std::atomic<bool>& stop) -> DataWorker::Ending {
            RecordPreview preview = produce(reading->watch(stop));
            return [this, record, preview = std::move(preview)] { display(preview, record); };
        },
        kRecordAtOnce);
}

void RecordPreviewDialog::display(const RecordPreview& preview, std::uint64_t record)
{
    m_progress->hide();
    memSource->clear();
    viewRendered->clear();
    if (preview.stopped) {
        lblOutputPath->setText(tr("Stopped before record %L1 was read").arg(static_cast<qulonglong>(record)));
        viewRendered->setVisible(false);
        return;
    }
    if (!preview.ok) {
        setBoundedLabelText(lblOutputPath,
                            preview.problem ? m_messageText(*preview.problem).remove(u'\r').trimmed() : QString(),
                            kMaxPathLines);
        viewRendered->setVisible(false);
        return;
    }
    if (preview.name.named())
        setBoundedLabelText(lblOutputPath, tr("Output file: %1").arg(toQt(preview.fullPath)), kMaxPathLines);
    else if (preview.name.refusal == Refusal::LeavesFolder)
        lblOutputPath->setText(tr("No output file: the name would leave the output folder"));
    else
        lblOutputPath->setText(tr("No output file: this record gives no name"));

    QTextCursor cursor(memSource->document());
    QTextCharFormat plain;
    // A marker colour to suit the palette, with text that reads on it.
    QTextCharFormat replaced;
    const QColor marker = markerColour(memSource->palette());
    replaced.setBackground(marker);
    replaced.setForeground(readableOn(marker, memSource->palette().color(QPalette::Text)));
    if (preview.segments.empty()) {
        cursor.insertText(shownText(preview.text), plain);
    } else {
        for (const PreviewSegment& segment : preview.segments) {
            QTextCharFormat format = segment.rule == 0 ? plain : replaced;
            if (segment.rule != 0)
                format.setToolTip(tr("rule %1").arg(static_cast<qulonglong>(segment.rule)));
            cursor.insertText(shownText(segment.text), format);
        }
    }
    memSource->moveCursor(QTextCursor::Start);
    viewRendered->setVisible(preview.html);
    if (preview.html)
        viewRendered->setHtml(toQt(preview.text));
}

} // namespace stencilor::ui
