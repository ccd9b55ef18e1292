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

} // namespace stencilor
