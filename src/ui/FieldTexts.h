// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

// What the window shows for the texts a project stores to name fields and report columns. A
// project stores "Field 4", "FileName" and "--not defined--" in every language; the window shows
// them in the user's language ("Feld 4", "Dateiname") and stores a text typed in those words as
// the project's own.

#include <QCoreApplication>
#include <QString>
#include <cstdint>
#include <string>

namespace stencilor::ui {

class FieldTexts final {
    Q_DECLARE_TR_FUNCTIONS(FieldTexts)
public:
    // The report column texts a project stores for the link to the file and for an empty column.
    static inline const QString fileName = QStringLiteral("FileName");
    static inline const QString notDefined = QStringLiteral("--not defined--");

    // "Field n" (as the core writes it: n without leading zeros) in the window's language;
    // any other text as it is.
    static QString shownLabel(const QString& stored);
    // The stored form of a text shown or typed: the language's label of field n (a translated
    // one in any letter case) becomes "Field n"; any other text stays as it is.
    static QString storedLabel(const QString& shown);
    // shownLabel, and the report's "FileName" and "--not defined--" in the window's language.
    static QString shownEntry(const QString& stored);
    // What the core says a field list shows for field `number` ("Field 4 — Berlin"), its label
    // in the window's language.
    static QString shownListText(std::int64_t number, const std::string& coreText);
};

} // namespace stencilor::ui
