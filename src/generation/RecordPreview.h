// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "generation/OutputNaming.h"
#include "generation/RunInputs.h"
#include "platform/Result.h"
#include "project/ProjectSettings.h"

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

namespace stencilor {

// One piece of a previewed record's text: template text (rule 0) or the value that rule `rule`
// (1-based row of the rules table) put in place of its identifier.
struct PreviewSegment {
    std::string text;
    std::uint64_t rule = 0;
};

struct RecordPreview {
    bool ok = false;
    bool stopped = false;         // asked to stop before the record was reached
    std::optional<Error> problem; // why there is no preview (missing input, no such record)
    std::uint64_t recordCount = 0;
    std::string line; // the record's data line
    std::string text; // the generated text exactly as a run would write it
    // The same text cut into template text and replaced values; empty when the replacements
    // interact (a value holding a later identifier, an identifier formed across a value's edge),
    // so the highlighted pieces could not be told apart reliably.
    std::vector<PreviewSegment> segments;
    OutputName name;      // the record's output name as the run would use it
    std::string fullPath; // absolute path of the output file, when named
    bool html = false;    // the template file's name ends in .htm or .html
};

// The output of record `record` (1-based) under `settings`, as a run would generate it, without
// writing anything: the text, the pieces the rules replaced, and the output path. Fails with the
// run's error when the delimiter is empty or an input file is missing or unreadable, with
// NoSuchRecord when the data file has fewer records, and with HeaderRecord for the header. `watch`
// may stop it from another thread before any record (then it is marked stopped, without a
// problem) and is told how the counting pass and the reading towards the record go.
RecordPreview previewRecord(const ProjectSettings& settings, const ProjectPlace& place, std::uint64_t record,
                            const PassWatch& watch = {});

} // namespace stencilor
