// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "datasource/Encoding.h"
#include "platform/Result.h"

#include <cstddef>
#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace stencilor {

// What the data source check learns about the data file.
struct DataFileState {
    std::string csvSampleLine; // first non-blank line (the last line when all are blank), its first kKeptLineBytes
    std::string csvWidestLine; // earliest line with the most fields, its first kKeptLineBytes
    std::uint64_t csvSampleBytes = 0; // the whole sample line's length
    std::uint64_t csvWidestBytes = 0; // the whole widest line's length
    std::int64_t csvFieldCount = -1;  // most fields of any line; -1 when no line was read
    // With a data format beyond the plain one (quotes, encoding, header names):
    std::vector<std::string> fieldNames;    // the header record's fields, when the first record names them
    std::vector<std::string> sampleFields;  // the sample record's fields as the run cuts them (their first 4 KB)
    std::optional<ChosenEncoding> encoding; // the encoding the file is read with, when one is set
    std::uint64_t replaced = 0;             // sequences invalid in it, read as U+FFFD
    std::optional<Error> error;             // why the file could not be read as set (unknown encoding)
    bool workbook = false;                  // the data file is a spreadsheet workbook
    std::vector<std::string> sheets;        // its sheets' names, when it could be opened
    std::string sheet;                      // the sheet read, when the data file is a workbook
    std::uint64_t shownAsGeneral = 0;       // its cells whose number format was not understood
};

// How a project's data file is read: its delimiter and the data keys of the project.
struct DataFormat {
    std::string delim = ";";
    bool quotes = false;
    std::string encoding; // empty: the bytes as they are
    bool header = false;
    std::string sheet = {}; // the sheet of a workbook; empty: its first sheet

    bool operator==(const DataFormat&) const = default;
};

// At most this many field labels go into the field lists and the default rules.
inline constexpr std::int64_t kMaxFieldLabels = 500;

// The bytes of the sample and the widest line that the check keeps, whatever their length: the
// window takes field values from them, and a line of gigabytes costs no more memory than this.
inline constexpr std::size_t kKeptLineBytes = std::size_t{1} << 20;

// The bytes of a line that the command line's check shows.
inline constexpr std::size_t kShownLineBytes = 500;

// `line` (the start of a line `bytes` long) as the check shows it: whole when it is at most
// kShownLineBytes long, else its first kShownLineBytes bytes, cut before a UTF-8 sequence that
// would not fit, then "... (N bytes)".
std::string shownLine(std::string_view line, std::uint64_t bytes);

// Reads the data file at `path` (a missing or unreadable file counts as no lines) and finds
// the sample line, the widest line and the field count with delimiter `delim`. The file is read
// in blocks of `blockSize` bytes, so its size does not matter to the memory used.
// Told, as a long read goes on, how many bytes of the file it has read.
using ReadProgress = std::function<void(std::uint64_t bytesRead)>;

DataFileState checkDataFile(const std::string& path, std::string_view delim,
                            std::size_t blockSize = std::size_t{1} << 20, const ReadProgress& progress = {});

// The same with the data format `format`: records cut with quoted fields, the text decoded, the
// header record's names collected (the header is no sample). Records and fields are counted as
// the run counts them.
DataFileState checkDataFile(const std::string& path, const DataFormat& format,
                            std::size_t blockSize = std::size_t{1} << 20, const ReadProgress& progress = {});

// "Field n" for n = 1..min(count, kMaxFieldLabels).
std::vector<std::string> fieldLabels(std::int64_t count);

// "Field " + n.
std::string fieldLabel(std::int64_t n);

// The longest value, in characters, that a field list shows beside a label.
inline constexpr std::size_t kFieldListValueLength = 30;

// What a field list shows for field `number` while it keeps fieldLabel(number) as the text it
// stores: the label, then " — " and the field's header name, or without one the field's value in
// the sample record ("Field 4 — Berlin"). The shown name or value has its blanks at both ends
// removed, control characters made spaces, and is cut to kFieldListValueLength characters with
// "…"; the label stands alone when there is nothing to show beside it.
std::string fieldListText(std::int64_t number, std::string_view headerName, std::string_view sampleValue);

// The same for field `number` of the data file as checked: its header name when the first record
// names the fields, else its value in the sample record.
std::string fieldListText(std::int64_t number, const DataFileState& state);

} // namespace stencilor
