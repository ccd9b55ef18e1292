// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "generation/GenerationRun.h"

#include <string>

namespace stencilor {

// "N files written, M records skipped", with the skipped records counted by kind in parentheses
// when there are any: the part of a run's summary that the command line and the window share.
std::string filesAndSkipsText(const RunSummary& summary);

} // namespace stencilor
