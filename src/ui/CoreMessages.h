// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

// The core's errors and findings as the window shows them: in the user's language, made from
// their kinds and values. The core gives its texts in English for the command line; the window
// has a text of its own for every kind (tables below), so that a kind without a translation fails
// the translation test instead of staying English.

#include "datasource/DataFileWarnings.h"
#include "datasource/DataSourceCheck.h"
#include "generation/DryRun.h"
#include "generation/GenerationRun.h"
#include "platform/Detail.h"
#include "platform/Result.h"

#include <QString>
#include <QStringList>

namespace stencilor::ui {

// `error` in the user's language: the run's own messages (a missing delimiter, data file or
// template, an unknown encoding, no output folder, a folder in use), its file errors ("Cannot
// open file "PATH". REASON"), the system errors of other operations ("Cannot write file "PATH":
// REASON"), the preview's "There is no record N" and the problems of manifests.
QString errorMessage(const Error& error);

// The files that an error about missing inputs names, one full path per line (the data file, then
// the template); empty for any other error.
QString missingInputPaths(const Error& error);

// `detail` in the user's language: why a record gets no name, and what the check before writing
// found.
QString detailMessage(const Detail& detail);

// "N files written, M records skipped" with the skipped records counted by kind, as the status
// bar shows it after a run.
QString runSummaryText(const RunSummary& summary);

// The short name of a kind of finding of the check before writing ("no name", "fewer fields").
QString checkFindingText(CheckFindingKind kind);

// What the data source check found that a run reads otherwise than its user may expect, one text
// each: the `warnings` about the file's bytes (a byte-order mark, lines that are not UTF-8, quoted
// delimiters while quoted fields are off, a NUL byte that ends the text early) with their counts
// and first lines, then from `state` an encoding no converter knows, an encoding guessed from the
// bytes, and the sequences invalid in the encoding. Empty when there is nothing to say.
QStringList dataFileWarningTexts(const DataFileWarnings& warnings, const DataFileState& state);

} // namespace stencilor::ui
