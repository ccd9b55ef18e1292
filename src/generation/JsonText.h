// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

// JSON text for the machine-readable results and the manifests of a run. Names and values are
// bytes, not always valid UTF-8; a byte that is not part of a valid UTF-8 sequence is written as
// the escape "\udcXX" (XX its value, as Python's "surrogateescape" does), so that reading the
// text back gives the same bytes.

#include <cstdint>
#include <map>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace stencilor {

// Appends `bytes` to `out` as a JSON string, quotes included.
void appendJsonString(std::string& out, std::string_view bytes);

// A JSON value as read back: enough of JSON for the program's own files.
struct JsonValue {
    enum class Kind { Null, Bool, Number, String, Array, Object } kind = Kind::Null;
    bool boolean = false;
    std::int64_t number = 0; // integers only
    std::string text;        // a string's bytes ("\udcXX" escapes turned back into bytes)
    std::vector<JsonValue> items;
    std::map<std::string, JsonValue> members;

    // The member `name` of an object, or null when there is none.
    const JsonValue* member(std::string_view name) const;
};

// Reads one JSON value that makes up all of `text` (blanks around it allowed); none when the
// text is not such a value.
std::optional<JsonValue> parseJson(std::string_view text);

// Builds one JSON object line by line of members, in the order they are added.
class JsonObject final {
public:
    JsonObject& add(std::string_view name, std::string_view text);
    JsonObject& add(std::string_view name, const char* text) { return add(name, std::string_view(text)); }
    JsonObject& add(std::string_view name, std::int64_t number);
    JsonObject& add(std::string_view name, std::uint64_t number);
    JsonObject& add(std::string_view name, bool flag);
    JsonObject& addNull(std::string_view name);
    JsonObject& addStrings(std::string_view name, const std::vector<std::string>& texts);
    // Adds a member whose value is already JSON text.
    JsonObject& addRaw(std::string_view name, std::string_view json);
    // The object's text, "{...}".
    std::string text() const { return m_text + "}"; }

private:
    void name(std::string_view name);
    std::string m_text = "{";
};

} // namespace stencilor
