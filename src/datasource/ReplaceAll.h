// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

// The search-and-replace of the rules: every occurrence of an identifier replaced, searching again
// after each replacement. All text is bytes; every search is an exact byte comparison.

#include <string>
#include <string_view>

namespace stencilor {

// `text` with every occurrence of `find` replaced by `repl`, searching again from the start of
// the text after each replacement, so occurrences formed by a replacement with the text around
// it are replaced too. An empty `find` changes nothing. Always ends; see ReplaceAll.cpp for the result
// on inputs where searching again would never end.
std::string ReplaceAll(std::string_view text, std::string_view find, std::string_view repl);

// `text` := ReplaceAll(text, find, repl); false, leaving `text` untouched, when it holds no
// occurrence. Saves the copy of a text that has nothing to replace.
bool ReplaceAllInPlace(std::string& text, std::string_view find, std::string_view repl);

} // namespace stencilor
