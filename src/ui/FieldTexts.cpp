// SPDX-License-Identifier: GPL-3.0-or-later
#include "ui/FieldTexts.h"

#include "datasource/DataSourceCheck.h"
#include "ui/QtText.h"

namespace stencilor::ui {

namespace {

const QString kFieldPrefix = QStringLiteral("Field ");

// Whether `digits` is a field number as the core writes it: decimal, at least 1, no leading zero.
bool isFieldNumber(QStringView digits)
{
    if (digits.isEmpty() || digits.front() == u'0')
        return false;
    for (const QChar c : digits)
        if (c < u'0' || c > u'9')
            return false;
    return true;
}

} // namespace

QString FieldTexts::shownLabel(const QString& stored)
{
    if (!stored.startsWith(kFieldPrefix) || !isFieldNumber(QStringView(stored).mid(kFieldPrefix.size())))
        return stored;
    //: a field of the data file, named by its number; the project stores "Field 4" in every language
    return tr("Field %1").arg(stored.mid(kFieldPrefix.size()));
}

QString FieldTexts::storedLabel(const QString& shown)
{
    const QString pattern = tr("Field %1");
    const qsizetype at = pattern.indexOf(QStringLiteral("%1"));
    if (at < 0)
        return shown;
    const QStringView prefix = QStringView(pattern).left(at);
    const QStringView suffix = QStringView(pattern).mid(at + 2);
    // A translated label in any letter case ("feld 12"); the stored language's own only as it is
    // written, so that a text typed in it is kept as typed.
    const Qt::CaseSensitivity letterCase =
        pattern == QStringLiteral("Field %1") ? Qt::CaseSensitive : Qt::CaseInsensitive;
    if (shown.size() <= prefix.size() + suffix.size() || !shown.startsWith(prefix, letterCase) ||
        !shown.endsWith(suffix, letterCase))
        return shown;
    const QStringView digits = QStringView(shown).mid(prefix.size(), shown.size() - prefix.size() - suffix.size());
    return isFieldNumber(digits) ? kFieldPrefix + digits.toString() : shown;
}

QString FieldTexts::shownEntry(const QString& stored)
{
    if (stored == fileName)
        //: the report column that links each generated file; the project stores "FileName"
        return tr("FileName");
    if (stored == notDefined)
        //: a report column left empty; the project stores "--not defined--"
        return tr("--not defined--");
    return shownLabel(stored);
}

QString FieldTexts::shownListText(std::int64_t number, const std::string& coreText)
{
    const std::string label = fieldLabel(number);
    if (coreText.compare(0, label.size(), label) != 0)
        return toQt(coreText);
    return shownLabel(toQt(label)) + toQt(std::string_view(coreText).substr(label.size()));
}

} // namespace stencilor::ui
