#include "datasource/Encoding.h"

#include <algorithm>
#include <cstring>
#include <unicode/ucnv.h>
#include <unicode/ucnv_cb.h>
#include <unicode/ucsdet.h>

namespace stencilor {

namespace {

constexpr std::size_t kInputBlock = std::size_t{1} << 16;
constexpr std::size_t kPivotSize = 4096;
constexpr std::string_view kUtf8Bom = "\xEF\xBB\xBF";

// Replaces every sequence the encoding does not allow with U+FFFD and counts it.
void U_CALLCONV substituteAndCount(const void* context, UConverterToUnicodeArgs* args, const char*, int32_t,
                                   UConverterCallbackReason reason, UErrorCode* status)
{
    if (reason != UCNV_UNASSIGNED && reason != UCNV_ILLEGAL && reason != UCNV_IRREGULAR)
        return;
    ++*static_cast<std::uint64_t*>(const_cast<void*>(context));
    *status = U_ZERO_ERROR;
    static const UChar replacement = 0xFFFD;
    ucnv_cbToUWriteUChars(args, &replacement, 1, 0, status);
}

// The converter for `name`, or null when ICU knows none.
UConverter* openConverter(const std::string& name)
{
    UErrorCode status = U_ZERO_ERROR;
    UConverter* converter = ucnv_open(name.c_str(), &status);
    if (U_FAILURE(status)) {
        ucnv_close(converter);
        return nullptr;
    }
    return converter;
}

} // namespace

std::string encodingLine(const ChosenEncoding& encoding)
{
    switch (encoding.choice) {
    case EncodingChoice::Named:
        return "encoding: " + encoding.name;
    case EncodingChoice::ByteOrderMark:
        return "encoding: " + encoding.name + " (byte-order mark)";
    case EncodingChoice::ValidUtf8:
    case EncodingChoice::Detected:
        return "encoding: " + encoding.name + " (detected)";
    }
    return {};
}

Error unknownEncoding(std::string_view name)
{
    return Error(ErrorKind::UnknownEncoding, std::string(name));
}

bool isKnownEncoding(std::string_view name)
{
    if (name == "auto")
        return true;
    UConverter* converter = openConverter(std::string(name));
    ucnv_close(converter);
    return converter != nullptr;
}

Result<ChosenEncoding> chooseEncoding(std::string_view setting, std::string_view start, bool isValidUtf8,
                                      std::string_view sample)
{
    if (setting != "auto") {
        if (!isKnownEncoding(setting))
            return unknownEncoding(setting);
        return ChosenEncoding{std::string(setting), EncodingChoice::Named};
    }
    UErrorCode status = U_ZERO_ERROR;
    int32_t markLength = 0;
    const char* marked =
        ucnv_detectUnicodeSignature(start.data(), static_cast<int32_t>(start.size()), &markLength, &status);
    if (U_SUCCESS(status) && marked)
        return ChosenEncoding{marked, EncodingChoice::ByteOrderMark};
    if (isValidUtf8)
        return ChosenEncoding{"UTF-8", EncodingChoice::ValidUtf8};

    status = U_ZERO_ERROR;
    UCharsetDetector* detector = ucsdet_open(&status);
    std::string name = "ISO-8859-1"; // every byte is a character in it: the last resort
    if (U_SUCCESS(status)) {
        ucsdet_setText(detector, sample.data(), static_cast<int32_t>(sample.size()), &status);
        int32_t count = 0;
        const UCharsetMatch** matches = ucsdet_detectAll(detector, &count, &status);
        // The best guess that is a byte encoding: a text that is not valid UTF-8 is not read as
        // UTF-8, and UTF-16 or UTF-32 without a byte-order mark is no likely data file (their
        // guesses come from patterns of a few repeated bytes).
        for (int32_t i = 0; U_SUCCESS(status) && i < count; ++i) {
            const char* detected = ucsdet_getName(matches[i], &status);
            if (U_SUCCESS(status) && detected && !std::string_view(detected).starts_with("UTF-")) {
                name = detected;
                break;
            }
        }
    }
    ucsdet_close(detector);
    return ChosenEncoding{name, EncodingChoice::Detected};
}

void Utf8Validator::feed(std::string_view block)
{
    for (const char c : block) {
        if (!m_valid)
            return;
        const auto byte = static_cast<unsigned char>(c);
        if (m_pending > 0) {
            if (byte < m_lowest || byte > m_highest) {
                m_valid = false;
                return;
            }
            m_lowest = 0x80;
            m_highest = 0xBF;
            --m_pending;
            continue;
        }
        if (byte < 0x80)
            continue;
        // The lead byte sets how many continuation bytes follow and the range of the first one.
        if (byte >= 0xC2 && byte <= 0xDF) {
            m_pending = 1;
        } else if (byte == 0xE0) {
            m_pending = 2;
            m_lowest = 0xA0;
        } else if ((byte >= 0xE1 && byte <= 0xEC) || byte == 0xEE || byte == 0xEF) {
            m_pending = 2;
        } else if (byte == 0xED) {
            m_pending = 2;
            m_highest = 0x9F;
        } else if (byte == 0xF0) {
            m_pending = 3;
            m_lowest = 0x90;
        } else if (byte >= 0xF1 && byte <= 0xF3) {
            m_pending = 3;
        } else if (byte == 0xF4) {
            m_pending = 3;
            m_highest = 0x8F;
        } else {
            m_valid = false;
        }
    }
}

Result<std::unique_ptr<DecodingSource>> DecodingSource::open(ByteSource& raw, const std::string& encoding)
{
    UConverter* source = openConverter(encoding);
    if (!source)
        return unknownEncoding(encoding);
    UConverter* target = openConverter("UTF-8");
    if (!target) {
        ucnv_close(source);
        return unknownEncoding("UTF-8");
    }
    return std::unique_ptr<DecodingSource>(new DecodingSource(raw, source, target));
}

DecodingSource::DecodingSource(ByteSource& raw, UConverter* source, UConverter* target)
    : m_raw(raw)
    , m_source(source)
    , m_target(target)
    , m_in(kInputBlock)
    , m_pivot(kPivotSize)
    , m_out(4 * kInputBlock)
{
    m_pivotSource = m_pivot.data();
    m_pivotTarget = m_pivot.data();
    UErrorCode status = U_ZERO_ERROR;
    ucnv_setToUCallBack(m_source, substituteAndCount, &m_replaced, nullptr, nullptr, &status);
}

DecodingSource::~DecodingSource()
{
    ucnv_close(m_source);
    ucnv_close(m_target);
}

Result<bool> DecodingSource::convertMore()
{
    if (m_flushed)
        return false;
    if (m_inBegin == m_inEnd && !m_inEnded) {
        const Result<std::size_t> got = m_raw.read(m_in.data(), m_in.size());
        if (!got)
            return got.error();
        m_inBegin = 0;
        m_inEnd = got.value();
        m_inEnded = got.value() == 0;
    }
    // Converted bytes go after those not yet handed on.
    if (m_outBegin > 0) {
        std::memmove(m_out.data(), m_out.data() + m_outBegin, m_outEnd - m_outBegin);
        m_outEnd -= m_outBegin;
        m_outBegin = 0;
    }
    char* target = m_out.data() + m_outEnd;
    const char* source = m_in.data() + m_inBegin;
    UErrorCode status = U_ZERO_ERROR;
    ucnv_convertEx(m_target, m_source, &target, m_out.data() + m_out.size(), &source, m_in.data() + m_inEnd,
                   reinterpret_cast<UChar*>(m_pivot.data()), reinterpret_cast<UChar**>(&m_pivotSource),
                   reinterpret_cast<UChar**>(&m_pivotTarget),
                   reinterpret_cast<const UChar*>(m_pivot.data() + m_pivot.size()), m_first, m_inEnded, &status);
    m_first = false;
    if (U_FAILURE(status) && status != U_BUFFER_OVERFLOW_ERROR)
        return Error(ErrorKind::Decode, u_errorName(status));
    m_inBegin = static_cast<std::size_t>(source - m_in.data());
    m_outEnd = static_cast<std::size_t>(target - m_out.data());
    if (m_inEnded && status != U_BUFFER_OVERFLOW_ERROR)
        m_flushed = true;
    return true;
}

Result<std::size_t> DecodingSource::read(char* into, std::size_t size)
{
    while (m_outBegin == m_outEnd || (m_atStart && m_outEnd - m_outBegin < kUtf8Bom.size() && !m_flushed)) {
        const Result<bool> more = convertMore();
        if (!more)
            return more.error();
        if (!more.value())
            break;
    }
    if (m_atStart) {
        // A byte-order mark is no part of the text, whatever the encoding wrote it as.
        if (std::string_view(m_out.data() + m_outBegin, m_outEnd - m_outBegin).starts_with(kUtf8Bom))
            m_outBegin += kUtf8Bom.size();
        m_atStart = false;
        if (m_outBegin == m_outEnd)
            return read(into, size);
    }
    const std::size_t count = std::min(size, m_outEnd - m_outBegin);
    if (count > 0)
        std::memcpy(into, m_out.data() + m_outBegin, count);
    m_outBegin += count;
    return count;
}

} // namespace stencilor
