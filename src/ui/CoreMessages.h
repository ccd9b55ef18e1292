#pragma once

// The core's messages as the window shows them: in the user's language, and with the paths that
// a message about missing inputs is about. The core writes its messages in English for the
// command line, whose scripts read them; the window puts each known line into words of its own.

#include "generation/DryRun.h"
#include "generation/GenerationRun.h"
#include "generation/RunInputs.h"

#include <QString>
#include <string_view>

namespace stencilor::ui {

// `message` of the core, line by line in the user's language: the run's own messages (a missing
// delimiter, data file or template, no output folder, a folder in use), its file errors
// ("Cannot open file "PATH". REASON"), the preview's "There is no record N". A line the window
// does not know stays as it is.
QString coreMessageText(std::string_view message);

// The files that the lines of `message` about missing inputs are about, one full path per line
// in the order of those lines (the data file, the template); empty when there is no such line.
QString missingInputPaths(std::string_view message, const RunInputPaths& paths);

// "N files written, M records skipped" with the skipped records counted by kind, as the status
// bar shows it after a run.
QString runSummaryText(const RunSummary& summary);

// The short name of a kind of finding of the check before writing ("no name", "fewer fields").
QString checkFindingText(CheckFindingKind kind);

} // namespace stencilor::ui
