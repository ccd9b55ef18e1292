// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "datasource/RecordFields.h"
#include "platform/Detail.h"
#include "platform/Refusal.h"
#include "project/ProjectSettings.h"

#include <cstdint>
#include <string>
#include <string_view>

namespace stencilor {

// A record's output name, or why it gets none.
struct OutputName {
    // None when named (path and relativeName are set), NoName when the record gives no usable
    // name (empty field, no name source, ...), LeavesFolder when a ".." component would put the
    // file outside the output folder.
    Refusal refusal = Refusal::NoName;
    std::string path;         // full output path as the run writes it
    std::string relativeName; // subfolder + "/" + file name, or the file name alone
    Detail why;               // why the record gets no file (NoName, LeavesFolder)

    bool named() const { return refusal == Refusal::None; }
};

// The output path and relative name of one record (its line and 1-based record number) under
// the naming settings of `s`, below `outputFolder` (the output folder as resolveOutputFolder gives
// it): name from a field (with the default extension) or from the name template, case change,
// subfolder, deletion of non-Latin characters, colons removed from the file name. Every "\" in
// generated parts counts as a folder separator.
// With tempRules, the name template goes through the rules first (each identifier replaced by
// the record's value, as in the template), then "?" becomes the record number.
OutputName recordOutputName(const ProjectSettings& s, std::string_view outputFolder, const RecordFields& record,
                            std::uint64_t recordNumber);
// The same for the record text `line`, cut by the settings' delimiter and quoting.
OutputName recordOutputName(const ProjectSettings& s, std::string_view outputFolder, std::string_view line,
                            std::uint64_t recordNumber);

// "text" followed by "/" unless it already ends with one; the empty text gives "/".
std::string withTrailingSlash(std::string_view text);

} // namespace stencilor
