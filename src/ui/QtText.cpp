// SPDX-License-Identifier: GPL-3.0-or-later
#include "ui/QtText.h"

#include "datasource/Encoding.h"
#include "platform/FileSystem.h"

#include <QByteArray>
#include <QUrl>

namespace stencilor::ui {

namespace {

constexpr char16_t kEscapeBase = 0xDC00; // byte b >= 0x80 stands as U+DC00 + b
constexpr char16_t kReplacementCharacter = 0xFFFD;

} // namespace

QString toQt(std::string_view bytes)
{
    // Never more UTF-16 units than bytes: a 4-byte sequence gives two, any other byte at most one.
    QString text(static_cast<qsizetype>(bytes.size()), Qt::Uninitialized);
    char16_t* out = reinterpret_cast<char16_t*>(text.data());
    char16_t* const begin = out;
    for (std::size_t at = 0; at < bytes.size();) {
        const auto byte = static_cast<unsigned char>(bytes[at]);
        const Utf8Character character = byte < 0x80 ? Utf8Character{byte, 1} : decodeUtf8(bytes, at);
        if (character.length == 0) {
            *out++ = static_cast<char16_t>(kEscapeBase + byte);
            ++at;
            continue;
        }
        at += character.length;
        const char32_t code = character.code;
        if (code < 0x10000) {
            *out++ = static_cast<char16_t>(code);
        } else {
            *out++ = static_cast<char16_t>(0xD800 + ((code - 0x10000) >> 10));
            *out++ = static_cast<char16_t>(0xDC00 + ((code - 0x10000) & 0x3FF));
        }
    }
    text.truncate(out - begin);
    return text;
}

std::string fromQt(const QString& text)
{
    std::string bytes;
    bytes.reserve(static_cast<std::size_t>(text.size()));
    const auto* p = reinterpret_cast<const char16_t*>(text.utf16());
    const char16_t* const end = p + text.size();
    while (p < end) {
        const char16_t unit = *p++;
        if (unit < 0x80) {
            bytes += static_cast<char>(unit);
        } else if (unit >= 0xD800 && unit <= 0xDBFF && p < end && *p >= 0xDC00 && *p <= 0xDFFF) {
            appendUtf8(bytes, 0x10000 + ((char32_t(unit) - 0xD800) << 10) + (char32_t(*p++) - 0xDC00));
        } else if (unit >= kEscapeBase + 0x80 && unit <= kEscapeBase + 0xFF) {
            bytes += static_cast<char>(unit - kEscapeBase);
        } else if (unit >= 0xD800 && unit <= 0xDFFF) {
            appendUtf8(bytes, kReplacementCharacter);
        } else {
            appendUtf8(bytes, unit);
        }
    }
    return bytes;
}

QUrl localFileUrl(const QString& path)
{
    const QByteArray bytes = QByteArray::fromStdString(absolutePath(fromQt(path)));
    return QUrl::fromEncoded("file://" + bytes.toPercentEncoding("/"), QUrl::StrictMode);
}

QString localFilePath(const QUrl& url)
{
    if (!url.isLocalFile())
        return {};
    // The encoded form keeps a byte that is not UTF-8 as its %XX, which decodes to the byte.
    return toQt(QByteArray::fromPercentEncoding(url.path(QUrl::FullyEncoded).toLatin1()).toStdString());
}

} // namespace stencilor::ui
