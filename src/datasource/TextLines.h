// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

// Line rules shared by the data file, the template and the generated files: a line ends at
// CR LF, a lone CR or a lone LF; a line end at the very end adds no empty line; a NUL byte ends
// the text; bytes are never converted. Written lines are each followed by CR LF.

#include <cstddef>
#include <string>
#include <string_view>

namespace stencilor {

// The part of `text` before its first NUL byte (the whole text when it has none).
std::string_view textBeforeNul(std::string_view text);

// Walks the lines of a text one by one without copying them; the text must outlive the cursor.
class LineCursor final {
public:
    explicit LineCursor(std::string_view text)
        : m_text(textBeforeNul(text))
    {
    }

    // Puts the next line (without its line end) into `line`; false when no line is left.
    bool next(std::string_view& line);

private:
    std::string_view m_text;
    std::size_t m_pos = 0;
};

// The number of lines of `text` by the rules above.
std::size_t countLines(std::string_view text);

// Appends the lines of `text` to `out`, each followed by CR LF, the last included.
void appendNormalized(std::string_view text, std::string& out);

// The lines of `text`, each followed by CR LF, the last included.
std::string normalizeLineEnds(std::string_view text);

// `text` as a terminal shows it safely: every control byte but TAB (0x00-0x1F, 0x7F) and every
// UTF-8 encoded C1 control (U+0080-U+009F) written as "\xNN" per byte, so that a value cannot
// move the cursor, change colours or set the window title; every other byte as it is. With
// `keepLineFeeds`, LF stays a line break (for messages of several lines).
std::string escapeControlBytes(std::string_view text, bool keepLineFeeds = false);

// `text` between double quotes, as messages and findings name a value.
std::string quoted(std::string_view text);

// True when `text` holds a CR or an LF.
bool holdsLineBreak(std::string_view text);

// True when normalizeLineEnds(raw) == normalized, found without building that text.
// `normalized` must be normalized (as normalizeLineEnds gives it).
bool normalizesTo(std::string_view raw, std::string_view normalized);

} // namespace stencilor
