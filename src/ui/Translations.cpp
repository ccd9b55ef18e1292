// SPDX-License-Identifier: GPL-3.0-or-later
#include "ui/Translations.h"

#include <QCoreApplication>
#include <QLibraryInfo>
#include <QTranslator>

namespace stencilor::ui {

namespace {

// Loads `name` for `locale` from `folder` into a translator the application owns and installs it.
bool install(const QLocale& locale, const QString& name, const QString& folder)
{
    auto* translator = new QTranslator(QCoreApplication::instance());
    if (!translator->load(locale, name, QStringLiteral("_"), folder)) {
        delete translator;
        return false;
    }
    QCoreApplication::installTranslator(translator);
    return true;
}

} // namespace

bool installTranslations(const QLocale& locale)
{
    install(locale, QStringLiteral("qtbase"), QLibraryInfo::path(QLibraryInfo::TranslationsPath));
    // Built into the program by the build (qt_add_translations), under this prefix.
    return install(locale, QStringLiteral("stencilor"), QStringLiteral(":/i18n"));
}

} // namespace stencilor::ui
