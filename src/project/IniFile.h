// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "platform/Result.h"

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <unordered_map>
#include <utility>
#include <vector>

namespace stencilor {

// An INI file held as its lines, read and changed key by key with the rules of the classic
// profile functions: names match without regard to case; values are trimmed and lose one pair
// of enclosing quotes; writing replaces a key in place, appends new keys at the end of their
// section and new sections at the end of the file, and leaves every other line as it was.
// Values that would not survive a write and a read unchanged are encoded (see IniFile.cpp).
class IniFile final {
public:
    IniFile() = default;

    // Parses `text`; both CR LF and LF line ends are read, and the file keeps its style.
    static IniFile parse(std::string_view text);

    // Reads the file at `path`; a missing file gives an empty IniFile whose exists() is false.
    // Other read failures are returned.
    static Result<IniFile> load(const std::string& path);

    bool exists() const { return m_exists; }

    // The decoded value of `key` in `section`, or nothing when the section or the key is missing.
    std::optional<std::string> value(std::string_view section, std::string_view key) const;

    // The value, or `def` when missing.
    std::string readString(std::string_view section, std::string_view key, std::string_view def) const;

    // The value read as a signed 32-bit integer ("0x"/"$" hexadecimal, optional sign), or `def`
    // when missing, empty, malformed or out of range.
    std::int32_t readInt(std::string_view section, std::string_view key, std::int32_t def) const;

    // A flag: readInt with default 0, nonzero is true.
    bool readFlag(std::string_view section, std::string_view key) const;

    // Every key of the first section named `section`, mapped from its name in ASCII lower case
    // to its decoded value (the first line of a repeated key wins, as for value()); empty when
    // the section is missing. Reading many keys this way costs one pass over the file.
    std::unordered_map<std::string, std::string> sectionValues(std::string_view section) const;

    // Sets `key` in `section` to `value` (encoded when needed): replaces the first line of the key
    // in place, or appends the key after the last non-blank line of the section, or appends the
    // section at the end of the file. Names must hold no line break, a key no "=", a section no "]".
    void writeString(std::string_view section, std::string_view key, std::string_view value);

    // Removes the section's header line and all of its lines, up to the next section header;
    // a section that appears more than once is removed everywhere.
    void eraseSection(std::string_view section);

    // eraseSection, then writeString of every entry in order, in one pass over the file: the
    // section is appended at the end of the file with the entries' key lines.
    void replaceSection(std::string_view section, const std::vector<std::pair<std::string, std::string>>& entries);

    // The whole file text, every line followed by the file's line end.
    std::string text() const;

    // Writes text() to `path` atomically (temporary file in the same folder, then rename); a
    // symbolic link is written through to its target. Fails, leaving the file as it was, when the
    // folder is missing or the existing file is read-only.
    Status save(const std::string& path) const;

    // The lines this thread's INI files have visited so far: parsed, searched, moved by an
    // insertion or written out. A measure of the engine's work that does not depend on the
    // machine, so that tests can compare it across file sizes.
    static std::uint64_t linesVisited();

    // The form in which writeString stores `value` on its line, and its inverse as applied by
    // the readers to the raw text after the "=".
    static std::string encodeValue(std::string_view value);
    static std::string decodeValue(std::string_view raw);

private:
    // The lines of one section: its header line and the index just past its last line
    // (the next header or the end of the file); header == m_lines.size() when it is missing.
    struct Range {
        std::size_t header;
        std::size_t end;
    };
    Range findSection(std::string_view section) const;
    std::optional<std::size_t> findKey(const Range& range, std::string_view key) const;

    std::vector<std::string> m_lines;
    bool m_crlf = false;
    bool m_exists = false;
};

} // namespace stencilor
