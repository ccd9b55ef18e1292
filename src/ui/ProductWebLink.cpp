// SPDX-License-Identifier: GPL-3.0-or-later
#include "ui/ProductWebLink.h"

#include "desktop/BrowserCommand.h"
#include "ui/ProgramLauncher.h"
#include "ui/QtText.h"
#include "ui/UserDialogs.h"

#include <QCoreApplication>
#include <QLineEdit>

namespace stencilor::ui {

std::string TGoToWeb::s_browserArguments;

TGoToWeb::TGoToWeb(ProgramLauncher& launcher, QObject* parent)
    : QObject(parent)
    , m_launcher(&launcher)
{
    setObjectName(QStringLiteral("GoToWeb1"));
}

std::string TGoToWeb::FindBrowserCommand() const
{
    return findBrowserCommand(systemXdgDirs());
}

std::string TGoToWeb::GetBrowserProgram() const
{
    BrowserCommandParts parts = splitBrowserCommand(FindBrowserCommand());
    if (parts.extraArguments)
        s_browserArguments = std::move(*parts.extraArguments);
    return parts.program;
}

bool TGoToWeb::GoToUrl()
{
    const std::string program = GetBrowserProgram();
    if (program.empty())
        return false;
    // The extra arguments come from the browser's own command with its quotes deleted, so blanks
    // separate them; the address is one argument of its own, never split and never quoted.
    QStringList arguments = toQt(s_browserArguments).simplified().split(u' ', Qt::SkipEmptyParts);
    if (!m_url.isEmpty())
        arguments << m_url;
    return m_launcher->startDetached(toQt(program), arguments);
}

QLineEdit* createPurchaseField(QWidget* parent)
{
    auto* field = new QLineEdit(QString::fromLatin1(kProductPageAddress), parent);
    field->setObjectName(QStringLiteral("ePurchase"));
    field->setReadOnly(true);
    field->hide();
    return field;
}

void openProductPage(TGoToWeb& goToWeb, const QLineEdit& ePurchase, UserDialogs& dialogs, QWidget* parent,
                     const QString& failureText)
{
    goToWeb.setUrl(ePurchase.text());
    if (!goToWeb.GoToUrl())
        dialogs.error(parent, QCoreApplication::translate("ProductWebLink", "Error"), failureText);
}

} // namespace stencilor::ui
