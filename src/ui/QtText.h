// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

// The one place where the window converts between the core's byte strings and Qt strings.
// Text is bytes everywhere in the core, and a project may hold bytes that are not UTF-8 (a
// Latin-1 delimiter or name template). The conversion is lossless both ways, so whatever the
// window shows it gives back byte for byte: valid UTF-8 converts as UTF-8 (the local 8-bit
// encoding on Linux), and each byte that is not part of a valid UTF-8 sequence becomes the lone
// surrogate U+DC00 + byte (U+DC80..U+DCFF), which no valid UTF-8 ever gives, and back.

#include <QString>
#include <string>
#include <string_view>

class QUrl;

namespace stencilor::ui {

// Returns the Qt string for bytes from the core; fromQt gives the same bytes back.
QString toQt(std::string_view bytes);

// Returns the bytes the core works on for a Qt string. A surrogate that neither pairs with
// another nor stands for a byte (no toQt result holds one) becomes U+FFFD.
std::string fromQt(const QString& text);

// The file:// address of a path shown in the window (a relative one taken against the working
// folder), with every byte of the path kept, percent-encoded, also those that are not UTF-8.
QUrl localFileUrl(const QString& path);

// The path of a local file:// address as the window shows paths, every byte of it kept, also
// those that are not UTF-8 (the inverse of localFileUrl); empty for any other address.
QString localFilePath(const QUrl& url);

} // namespace stencilor::ui
