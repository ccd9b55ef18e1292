// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <string>
#include <string_view>

namespace stencilor {

// Case mapping of generated names. The text is walked as UTF-8: each valid sequence is one code
// point mapped by its simple case mapping (so accented and Cyrillic letters change too); a byte
// that is not part of a valid sequence is kept as it is.

std::string toLowerCase(std::string_view text);
std::string toUpperCase(std::string_view text);

// The first character that has an upper-case form becomes upper case, every other letter lower case.
std::string toSentenceCase(std::string_view text);

// `text` in Unicode's composed form (NFC, through ICU's Normalizer2): "é" written as "e" and a
// combining accent becomes the one character "é", as file systems that normalize names take it.
// A text that is not valid UTF-8 comes back as it is.
std::string toComposedForm(std::string_view text);

} // namespace stencilor
