// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

// A record's fields as the project cuts them: at every delimiter (the plain rule), or with fields
// in double quotes that may hold the delimiter, '"' and line breaks. Everything that reads a
// field (the rules, the names and subfolders, the report, the previews) reads it through here, so
// that both rules give the same field everywhere.

#include "datasource/RecordReader.h"

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace stencilor {

class RecordFields final {
public:
    RecordFields() = default;
    RecordFields(std::string_view text, std::string_view delim, bool quotes) { assign(text, delim, quotes); }

    // Cuts `text` (which must outlive the fields) into all of its fields.
    void assign(std::string_view text, std::string_view delim, bool quotes);

    // The record as it stands in the data.
    std::string_view text() const { return m_text; }
    // Field `n` (n <= 1 gives field 1; empty beyond the last field).
    std::string_view field(std::int64_t n) const;
    // The number of fields (1 for an empty record).
    std::int64_t count() const { return static_cast<std::int64_t>(m_fields.size()); }

private:
    std::string_view m_text;
    std::string m_scratch; // fields whose quotes were taken off
    std::vector<std::string_view> m_fields;
};

} // namespace stencilor
