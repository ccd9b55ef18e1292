#pragma once

// The unit mLib.
// Text helpers for delimited records: field labels, field access and replacement.
// All text is bytes; every search and comparison is an exact byte comparison.

#include <cstdint>
#include <functional>
#include <string>
#include <string_view>
#include <vector>

namespace stencilor {

// The text with every character other than "0"-"9" removed.
std::string DigitsOnly(std::string_view text);

// Shows an error text to the user (used by DigitsToInt with a non-empty context).
using ErrorSink = std::function<void(const std::string&)>;

// The number written by the digits of `text` ("Field 12" -> 12, no digits -> 0); -1 when the
// number exceeds 2147483647. On that failure with a non-empty `context`, `showError` (when set)
// receives the conversion error text naming the context and the digits.
int DigitsToInt(std::string_view text, std::string_view context = {}, const ErrorSink& showError = {});

// 1 plus the number of non-overlapping occurrences of `delim` in `line`, scanning from the left;
// 1 for an empty line or an empty delimiter.
std::int64_t CountFields(std::string_view line, std::string_view delim);

// Field `n` (1-based; n <= 1 gives field 1) of `line`; empty when the line has fewer fields.
// The result points into `line`.
std::string_view GetField(std::string_view line, std::string_view delim, std::int64_t n);

// Sets `fields` to the first `count` fields of `line` (fewer when the line has fewer), each as
// GetField gives it, in one scan of the line. The views point into `line`.
void SplitFields(std::string_view line, std::string_view delim, std::size_t count,
                 std::vector<std::string_view>& fields);

// `text` with every occurrence of `find` replaced by `repl`, searching again from the start of
// the text after each replacement, so occurrences formed by a replacement with the text around
// it are replaced too. An empty `find` changes nothing. Always ends; see Fields.cpp for the result
// on inputs where searching again would never end.
std::string ReplaceAll(std::string_view text, std::string_view find, std::string_view repl);

// `text` := ReplaceAll(text, find, repl); false, leaving `text` untouched, when it holds no
// occurrence. Saves the copy of a text that has nothing to replace.
bool ReplaceAllInPlace(std::string& text, std::string_view find, std::string_view repl);

} // namespace stencilor
