#pragma once

// The one place where the window converts between the core's byte strings and Qt strings.
// Text is bytes everywhere in the core; on Linux the local 8-bit encoding is UTF-8, so the
// conversion is UTF-8 both ways. Bytes that are not valid UTF-8 show as replacement characters.

#include <QString>
#include <string>
#include <string_view>

namespace stencilor::ui {

// Returns the Qt string for bytes from the core.
inline QString toQt(std::string_view bytes)
{
    return QString::fromUtf8(bytes.data(), static_cast<qsizetype>(bytes.size()));
}

// Returns the bytes the core works on for a Qt string.
inline std::string fromQt(const QString& text)
{
    const QByteArray bytes = text.toUtf8();
    return std::string(bytes.constData(), static_cast<std::size_t>(bytes.size()));
}

} // namespace stencilor::ui
