#include "ui/UserDialogs.h"

#include "platform/FileSystem.h"
#include "ui/QtText.h"

#include <QDesktopServices>
#include <QFileDialog>
#include <QUrl>

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

// A question box with `icon`, `buttons` and `defaultButton`; the button chosen, or `closedAnswer`.
QMessageBox::StandardButton question(QWidget* parent, QMessageBox::Icon icon, const QString& caption,
                                     const QString& text, QMessageBox::StandardButtons buttons,
                                     QMessageBox::StandardButton defaultButton,
                                     QMessageBox::StandardButton closedAnswer)
{
    QMessageBox box(icon, caption, text, buttons, parent);
    box.setEscapeButton(closedAnswer);
    box.setDefaultButton(defaultButton);
    const int chosen = box.exec();
    const auto answer = static_cast<QMessageBox::StandardButton>(chosen);
    return (buttons & answer) ? answer : closedAnswer;
}

} // namespace

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
    QMessageBox box(QMessageBox::Information, caption, text, QMessageBox::Ok, parent);
    box.setInformativeText(detail);
    box.exec();
}

void SystemUserDialogs::error(QWidget* parent, const QString& caption, const QString& text)
{
    QMessageBox(QMessageBox::Critical, caption, text, QMessageBox::Ok, parent).exec();
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
