// SPDX-License-Identifier: GPL-3.0-or-later
#include "ui/CheckDialog.h"

#include "ui/CheckFindingsModel.h"
#include "ui/DataWorker.h"
#include "ui/ScreenPlacement.h"
#include "ui/UserDialogs.h"
#include "ui/WorkProgress.h"

#include <QHBoxLayout>
#include <QHeaderView>
#include <QHideEvent>
#include <QLabel>
#include <QLocale>
#include <QPushButton>
#include <QTableView>
#include <QVBoxLayout>
#include <mutex>
#include <vector>

namespace stencilor::ui {

namespace {

// A summary naming long paths keeps to this many lines, so the findings stay in view.
constexpr int kMaxSummaryLines = 6;
// A check that ends this soon shows its result at once, without a flash of progress.
constexpr std::chrono::milliseconds kCheckAtOnce(100);

} // namespace

// What the check's thread hands the dialog as it goes: the findings for the list in batches,
// taken a few times a second, never more than kMaxListed in all.
struct CheckDialog::Feed {
    PassProgress progress;
    std::atomic<std::uint64_t> found{0}; // every finding so far
    std::mutex mutex;
    std::vector<CheckFinding> batch; // found and not yet in the list
    std::size_t listed = 0;          // handed to the list so far, the batch included
};

CheckDialog::CheckDialog(std::function<Job()> prepare, std::function<QString(const Error&)> messageText,
                         QWidget* parent)
    : QDialog(parent)
    , m_prepare(std::move(prepare))
    , m_messageText(std::move(messageText))
    , m_titles{tr("Line"), tr("Finding"), tr("Name"), tr("Detail")}
    , m_worker(new DataWorker(this))
{
    setObjectName(QStringLiteral("CheckDialog"));
    setWindowTitle(tr("Check"));
    setModal(false);
    resize(QSize(760, 420).boundedTo(roomOnScreen(this)));

    lblSummary = new QLabel(this);
    lblSummary->setObjectName(QStringLiteral("lblSummary"));
    lblSummary->setWordWrap(true);
    m_progress = new WorkProgress(tr("Records checked"), tr("Stop the check; the findings so far stay listed"), this);
    m_progress->hide();
    connect(m_progress, &WorkProgress::cancelled, m_worker, &DataWorker::stop);
    connect(m_worker, &DataWorker::tick, this, &CheckDialog::showProgress);

    m_model = new CheckFindingsModel(this);
    m_grid = new QTableView(this);
    m_grid->setObjectName(QStringLiteral("gridFindings"));
    m_grid->setModel(m_model);
    m_grid->setEditTriggers(QAbstractItemView::NoEditTriggers);
    m_grid->setSelectionBehavior(QAbstractItemView::SelectRows);
    m_grid->setSelectionMode(QAbstractItemView::SingleSelection);
    m_grid->verticalHeader()->hide();
    // Uniform rows: the view never measures a row, so a long list stays cheap.
    m_grid->verticalHeader()->setSectionResizeMode(QHeaderView::Fixed);
    m_grid->horizontalHeader()->setStretchLastSection(true);
    m_grid->setWordWrap(false);
    m_grid->setToolTip(tr("Double-click a record's row to show it in the data preview"));
    m_grid->setAccessibleName(tr("Findings"));
    connect(m_grid, &QTableView::doubleClicked, this, &CheckDialog::gridFindingsDblClick);
    lblNotListed = new QLabel(this);
    lblNotListed->setObjectName(QStringLiteral("lblNotListed"));
    lblNotListed->setWordWrap(true);
    lblNotListed->hide();

    btnCheckAgain = new QPushButton(tr("Check again"), this);
    btnCheckAgain->setToolTip(tr("Check the window's settings as they are now, saved or not"));
    btnCheckAgain->setObjectName(QStringLiteral("btnCheckAgain"));
    connect(btnCheckAgain, &QPushButton::clicked, this, &CheckDialog::startCheck);
    btnClose = new QPushButton(tr("Close"), this);
    btnClose->setObjectName(QStringLiteral("btnClose"));
    connect(btnClose, &QPushButton::clicked, this, &QDialog::close);

    auto* buttons = new QHBoxLayout;
    buttons->addStretch(1);
    buttons->addWidget(btnCheckAgain);
    buttons->addWidget(btnClose);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(lblSummary);
    layout->addWidget(m_progress);
    layout->addWidget(m_grid, 1);
    layout->addWidget(lblNotListed);
    layout->addLayout(buttons);
}

CheckDialog::~CheckDialog()
{
    m_worker->stopAndJoin();
}

bool CheckDialog::checking() const
{
    return m_worker->running();
}

void CheckDialog::stopCheck()
{
    m_worker->stopAndJoin();
    m_progress->hide();
}

void CheckDialog::hideEvent(QHideEvent* event)
{
    // Closed by the user, not hidden with a minimised main window.
    if (!event->spontaneous())
        m_worker->stop();
    QDialog::hideEvent(event);
}

void CheckDialog::startCheck()
{
    // A check in progress ends before the list is emptied for the next one.
    m_worker->stopAndJoin();
    Job job = m_prepare();
    // With quoted fields a record may span lines: its number and the line it begins on.
    QStringList titles = m_titles;
    if (job.quotes)
        titles.prepend(tr("Record"));
    m_model->reset(job.quotes, titles);
    lblNotListed->hide();
    lblSummary->clear();
    auto feed = std::make_shared<Feed>();
    m_feed = feed;
    showProgress();
    m_progress->show();
    m_worker->start(
        [this, feed, check = std::move(job.check)](const std::atomic<bool>& stop) -> DataWorker::Ending {
            const FindingSink sink = [&feed = *feed](const CheckFinding& finding) {
                feed.found.fetch_add(1, std::memory_order_relaxed);
                const std::lock_guard<std::mutex> lock(feed.mutex);
                if (feed.listed == kMaxListed)
                    return;
                ++feed.listed;
                feed.batch.push_back(finding);
            };
            const CheckProgress progress = [&feed = *feed](std::uint64_t read, std::uint64_t total) {
                feed.progress.read.store(read, std::memory_order_relaxed);
                feed.progress.total.store(total, std::memory_order_relaxed);
            };
            const CheckReport report = check(sink, progress, feed->progress.watch(stop));
            return [this, feed, report] {
                takeFindings(*feed);
                showReport(report);
            };
        },
        kCheckAtOnce);
}

void CheckDialog::takeFindings(Feed& feed)
{
    std::vector<CheckFinding> batch;
    {
        const std::lock_guard<std::mutex> lock(feed.mutex);
        batch.swap(feed.batch);
    }
    m_model->append(std::move(batch));
    const auto found = static_cast<qulonglong>(feed.found.load(std::memory_order_relaxed));
    const auto listed = static_cast<qulonglong>(m_model->rowCount());
    lblNotListed->setVisible(found > listed);
    if (found > listed)
        lblNotListed->setText(tr("The first %L1 findings are listed, the other %L2 are not: "
                                 "\"stencilor --dry-run\" lists them all.")
                                  .arg(listed)
                                  .arg(found - listed));
}

void CheckDialog::showProgress()
{
    if (!m_feed)
        return;
    takeFindings(*m_feed);
    lblSummary->setText(
        tr("Findings so far: %L1").arg(static_cast<qulonglong>(m_feed->found.load(std::memory_order_relaxed))));
    m_progress->showProgress(m_feed->progress, tr("Checking: %L1 of %L2 records"));
}

void CheckDialog::showReport(const CheckReport& report)
{
    m_progress->hide();
    if (!report.started) {
        m_model->reset(false, m_titles);
        // The run's own message, its leading line break (only the template missing) dropped.
        QString why = report.problem ? m_messageText(*report.problem).trimmed() : QString();
        setBoundedLabelText(lblSummary, tr("The check did not start: %1").arg(why.replace(u'\n', QStringLiteral("; "))),
                            kMaxSummaryLines);
        return;
    }
    // A sheet's records are cut as quoted fields: the columns follow what the check found.
    if (report.quotes != (m_model->columnCount() == m_titles.size() + 1)) {
        QStringList titles = m_titles;
        if (report.quotes)
            titles.prepend(tr("Record"));
        m_model->relabel(report.quotes, titles);
    }
    const QLocale locale;
    const QString checked = locale.toString(static_cast<qulonglong>(report.recordsChecked));
    const QString total = locale.toString(static_cast<qulonglong>(report.recordCount));
    QString summary = tr("%1 of %2 records checked").arg(checked, total);
    if (report.stopped)
        summary = report.recordsChecked == 0 ? tr("The check was stopped before any record was checked")
                                             : tr("The check was stopped after %1 of %2 records").arg(checked, total);
    // Started, and then unable to go on (its names could not be kept on disk).
    if (report.problem)
        summary =
            tr("The check broke off after %1 of %2 records: %3")
                .arg(checked, total, m_messageText(*report.problem).trimmed().replace(u'\n', QStringLiteral("; ")));
    const auto count = static_cast<qulonglong>(report.findingCount);
    lblSummary->setText(count == 1 ? tr("%1, 1 finding").arg(summary)
                                   : tr("%1, %2 findings").arg(summary, locale.toString(count)));
    m_grid->resizeColumnsToContents();
}

void CheckDialog::gridFindingsDblClick(const QModelIndex& index)
{
    const std::uint64_t record = m_model->recordOfRow(index.row());
    if (record > 0)
        emit recordChosen(record);
}

} // namespace stencilor::ui
