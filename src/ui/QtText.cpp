#include "ui/QtText.h"

#include "platform/FileSystem.h"

#include <QByteArray>
#include <QUrl>

namespace stencilor::ui {

namespace {

constexpr char16_t kEscapeBase = 0xDC00; // byte b >= 0x80 stands as U+DC00 + b
constexpr char16_t kReplacementCharacter = 0xFFFD;

bool isContinuation(unsigned char byte)
{
    return (byte & 0xC0) == 0x80;
}

// The length of the valid UTF-8 sequence that starts at `p` (at most `left` bytes available),
// or 0 when the bytes there form none: no overlong forms, no surrogates, nothing past U+10FFFF.
std::size_t validSequenceLength(const unsigned char* p, std::size_t left)
{
    const unsigned char lead = p[0];
    if (lead < 0x80)
        return 1;
    std::size_t length = 0;
    unsigned char secondLow = 0x80; // the range the second byte must lie in
    unsigned char secondHigh = 0xBF;
    if (lead >= 0xC2 && lead <= 0xDF) {
        length = 2;
    } else if (lead >= 0xE0 && lead <= 0xEF) {
        length = 3;
        if (lead == 0xE0)
            secondLow = 0xA0; // shorter forms are overlong
        else if (lead == 0xED)
            secondHigh = 0x9F; // U+D800..U+DFFF are surrogates
    } else if (lead >= 0xF0 && lead <= 0xF4) {
        length = 4;
        if (lead == 0xF0)
            secondLow = 0x90;
        else if (lead == 0xF4)
            secondHigh = 0x8F; // beyond U+10FFFF
    } else {
        return 0;
    }
    if (left < length || p[1] < secondLow || p[1] > secondHigh)
        return 0;
    for (std::size_t i = 2; i < length; ++i) {
        if (!isContinuation(p[i]))
            return 0;
    }
    return length;
}

char32_t decode(const unsigned char* p, std::size_t length)
{
    static constexpr unsigned char kLeadMask[] = {0, 0x7F, 0x1F, 0x0F, 0x07};
    char32_t code = p[0] & kLeadMask[length];
    for (std::size_t i = 1; i < length; ++i)
        code = (code << 6) | (p[i] & 0x3F);
    return code;
}

void appendUtf8(std::string& out, char32_t code)
{
    if (code < 0x80) {
        out += static_cast<char>(code);
    } else if (code < 0x800) {
        out += static_cast<char>(0xC0 | (code >> 6));
        out += static_cast<char>(0x80 | (code & 0x3F));
    } else if (code < 0x10000) {
        out += static_cast<char>(0xE0 | (code >> 12));
        out += static_cast<char>(0x80 | ((code >> 6) & 0x3F));
        out += static_cast<char>(0x80 | (code & 0x3F));
    } else {
        out += static_cast<char>(0xF0 | (code >> 18));
        out += static_cast<char>(0x80 | ((code >> 12) & 0x3F));
        out += static_cast<char>(0x80 | ((code >> 6) & 0x3F));
        out += static_cast<char>(0x80 | (code & 0x3F));
    }
}

} // namespace

QString toQt(std::string_view bytes)
{
    // Never more UTF-16 units than bytes: a 4-byte sequence gives two, any other byte at most one.
    QString text(static_cast<qsizetype>(bytes.size()), Qt::Uninitialized);
    char16_t* out = reinterpret_cast<char16_t*>(text.data());
    char16_t* const begin = out;
    const auto* p = reinterpret_cast<const unsigned char*>(bytes.data());
    const auto* const end = p + bytes.size();
    while (p < end) {
        if (*p < 0x80) {
            *out++ = *p++;
            continue;
        }
        const std::size_t length = validSequenceLength(p, static_cast<std::size_t>(end - p));
        if (length == 0) {
            *out++ = static_cast<char16_t>(kEscapeBase + *p++);
            continue;
        }
        const char32_t code = decode(p, length);
        p += length;
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
