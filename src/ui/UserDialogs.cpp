// SPDX-License-Identifier: GPL-3.0-or-later
#include "ui/UserDialogs.h"

#include "platform/FileSystem.h"
#include "ui/QtText.h"

#include <QDesktopServices>
#include <QFileDialog>
#include <QLabel>
#include <QScreen>
#include <QUrl>
#include <algorithm>

namespace stencilor::ui {

namespace {

// The description without a trailing "(patterns)" of its own, which the patterns replace.
QString bareDescription(QString description)
{
    description = description.trimmed();
    if (description.endsWith(u')')) {
        const qsizetype open = description.lastIndexOf(u'(');
        if (open > 0)
            description = description.left(open).trimmed();
    }
    return description;
}

// Puts `text` and `detail` into `box` as plain text (a path may hold "<"), bounded to the box's
// screen; when anything had to be left out, the details hold both whole.
void setBoundedText(QMessageBox& box, const QString& text, const QString& detail)
{
    const QScreen* screen = box.screen();
    const QSize available = screen ? screen->availableGeometry().size() : QSize(1024, 768);
    const QFontMetrics metrics(box.font());
    // A little narrower than the box lets its text grow before it wraps; each text a third of
    // the screen's height at most.
    const int wrapWidth = std::clamp(available.width() / 2, 200, 480);
    const int maxLines = std::max(4, available.height() / (3 * std::max(1, metrics.lineSpacing())));
    const BoundedText shown = boundedMessageText(text, metrics, wrapWidth, maxLines);
    const BoundedText shownDetail = boundedMessageText(detail, metrics, wrapWidth, maxLines);
    box.setTextFormat(Qt::PlainText);
    box.setText(shown.text);
    box.setInformativeText(shownDetail.text);
    if (auto* informative = box.findChild<QLabel*>(QStringLiteral("qt_msgbox_informativelabel"))) {
        informative->setTextFormat(Qt::PlainText);
        // The box is as wide as its first line; a path below it wraps at the box's usual width
        // rather than at that of a short first line.
        int widest = 0;
        for (const QString& line : shownDetail.text.split(u'\n'))
            widest = std::max(widest, metrics.horizontalAdvance(line));
        informative->setMinimumWidth(std::min(widest, wrapWidth) + metrics.averageCharWidth());
    }
    if (shown.cut || shownDetail.cut)
        box.setDetailedText(detail.isEmpty() ? text : text + QStringLiteral("\n\n") + detail);
}

// A question box with `icon`, `buttons` and `defaultButton`; the button chosen, or `closedAnswer`.
QMessageBox::StandardButton question(QWidget* parent, QMessageBox::Icon icon, const QString& caption,
                                     const QString& text, QMessageBox::StandardButtons buttons,
                                     QMessageBox::StandardButton defaultButton,
                                     QMessageBox::StandardButton closedAnswer)
{
    QMessageBox box(icon, caption, QString(), buttons, parent);
    setBoundedText(box, text, {});
    box.setEscapeButton(closedAnswer);
    box.setDefaultButton(defaultButton);
    const int chosen = box.exec();
    const auto answer = static_cast<QMessageBox::StandardButton>(chosen);
    return (buttons & answer) ? answer : closedAnswer;
}

} // namespace

BoundedText boundedMessageText(const QString& text, const QFontMetrics& metrics, int wrapWidth, int maxLines)
{
    BoundedText bounded;
    const int widest = kWrappedLinesPerLine * wrapWidth;
    QStringList shown;
    int used = 0;
    const QStringList lines = text.split(u'\n');
    for (qsizetype i = 0; i < lines.size(); ++i) {
        QString line = lines[i];
        if (metrics.horizontalAdvance(line) > widest) {
            line = metrics.elidedText(line, Qt::ElideMiddle, widest);
            bounded.cut = true;
        }
        const int wrapped = std::max(1, (metrics.horizontalAdvance(line) + wrapWidth - 1) / wrapWidth);
        // The last line left must leave room for the "…" that says more follows.
        const bool last = i + 1 == lines.size();
        if (used + wrapped > maxLines - (last ? 0 : 1)) {
            shown << QStringLiteral("…");
            bounded.cut = true;
            break;
        }
        used += wrapped;
        shown << line;
    }
    bounded.text = shown.join(u'\n');
    return bounded;
}

void setBoundedLabelText(QLabel* label, const QString& text, int maxLines)
{
    const int wrapWidth = std::max(200, label->window()->width() - 4 * label->fontMetrics().averageCharWidth());
    label->setText(boundedMessageText(text, label->fontMetrics(), wrapWidth, maxLines).text);
}

QStringList qtNameFilters(const QString& filter)
{
    const QStringList parts = filter.split(u'|');
    QStringList filters;
    for (qsizetype i = 0; i + 1 < parts.size(); i += 2) {
        QStringList patterns = parts[i + 1].split(u';', Qt::SkipEmptyParts);
        for (QString& pattern : patterns) {
            pattern = pattern.trimmed();
            if (pattern == QStringLiteral("*.*"))
                pattern = QStringLiteral("*");
        }
        filters << bareDescription(parts[i]) + QStringLiteral(" (") + patterns.join(u' ') + u')';
    }
    return filters;
}

QString dialogFolder(std::string_view path)
{
    std::string folder(folderPart(path));
    if (folder.size() > 1)
        folder.pop_back();
    return toQt(folder);
}

QMessageBox::StandardButton SystemUserDialogs::ask(QWidget* parent, const QString& caption, const QString& text,
                                                   QMessageBox::StandardButtons buttons,
                                                   QMessageBox::StandardButton closedAnswer)
{
    return question(parent, QMessageBox::Question, caption, text, buttons, QMessageBox::Yes, closedAnswer);
}

bool SystemUserDialogs::confirm(QWidget* parent, const QString& caption, const QString& text)
{
    return question(parent, QMessageBox::Warning, caption, text, QMessageBox::Yes | QMessageBox::No, QMessageBox::No,
                    QMessageBox::No) == QMessageBox::Yes;
}

void SystemUserDialogs::message(QWidget* parent, const QString& caption, const QString& text, const QString& detail)
{
    QMessageBox box(QMessageBox::Information, caption, QString(), QMessageBox::Ok, parent);
    setBoundedText(box, text, detail);
    box.exec();
}

void SystemUserDialogs::error(QWidget* parent, const QString& caption, const QString& text)
{
    QMessageBox box(QMessageBox::Critical, caption, QString(), QMessageBox::Ok, parent);
    setBoundedText(box, text, {});
    box.exec();
}

std::optional<QString> SystemUserDialogs::chooseFile(QWidget* parent, const FileDialogRequest& request)
{
    // The toolkit's own dialog behaves the same on every desktop and under test.
    QFileDialog dialog(parent, request.title, request.folder);
    dialog.setOption(QFileDialog::DontUseNativeDialog);
    dialog.setAcceptMode(request.save ? QFileDialog::AcceptSave : QFileDialog::AcceptOpen);
    dialog.setFileMode(QFileDialog::AnyFile);
    // The dialog would ask for every existing file, the current project's own too; the window
    // asks itself, and only before replacing another file.
    dialog.setOption(QFileDialog::DontConfirmOverwrite);
    dialog.setNameFilters(qtNameFilters(request.filter));
    dialog.setDefaultSuffix(request.defaultSuffix);
    if (!request.fileName.isEmpty())
        dialog.selectFile(request.fileName);
    if (dialog.exec() != QDialog::Accepted)
        return std::nullopt;
    const QStringList files = dialog.selectedFiles();
    if (files.isEmpty() || files.front().isEmpty())
        return std::nullopt;
    return files.front();
}

void SystemUserDialogs::openDocument(const QString& path)
{
    QDesktopServices::openUrl(localFileUrl(path));
}

} // namespace stencilor::ui
