#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace stencilor {

// What the data source check learns about the data file.
struct DataFileState {
    std::string csvSampleLine;       // first non-blank line (the last line when all are blank)
    std::string csvWidestLine;       // earliest line with the most fields
    std::int64_t csvFieldCount = -1; // most fields of any line; -1 when no line was read
};

// At most this many field labels go into the field lists and the default rules.
inline constexpr std::int64_t kMaxFieldLabels = 500;

// Reads the data file at `path` (a missing or unreadable file counts as no lines) and finds
// the sample line, the widest line and the field count with delimiter `delim`. The file is read
// in blocks of `blockSize` bytes, so its size does not matter to the memory used.
DataFileState checkDataFile(const std::string& path, std::string_view delim,
                            std::size_t blockSize = std::size_t{1} << 20);

// The same over an already read text.
DataFileState checkDataText(std::string_view text, std::string_view delim);

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

} // namespace stencilor
