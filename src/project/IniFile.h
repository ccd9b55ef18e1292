#pragma once

#include "platform/Result.h"

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
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

    // Sets `key` in `section` to `value` (encoded when needed).
    void writeString(std::string_view section, std::string_view key, std::string_view value);

    // Removes the section's header line and all of its lines.
    void eraseSection(std::string_view section);

    // The whole file text, every line followed by the file's line end.
    std::string text() const;

    // Writes text() to `path` atomically (temporary file in the same folder, then rename).
    Status save(const std::string& path) const;

    // The form in which writeString stores `value` on its line, and its inverse as applied by
    // the readers to the raw text after the "=".
    static std::string encodeValue(std::string_view value);
    static std::string decodeValue(std::string_view raw);

private:
    std::vector<std::string> m_lines;
    bool m_crlf = false;
    bool m_exists = false;
};

} // namespace stencilor
