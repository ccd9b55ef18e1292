// SPDX-License-Identifier: GPL-3.0-or-later
#include "datasource/Encoding.h"

#include <algorithm>
#include <cstring>
#include <unicode/ucnv.h>
#include <unicode/ucnv_cb.h>
#include <unicode/ucsdet.h>
#include <unicode/utf8.h>

namespace stencilor {

namespace {

// Raw bytes converted at a time: small enough that where a record begins in the raw bytes is
// known closely (a part of a sharded job is cut by the file's bytes), large enough that a call
// to the converter costs little per byte.
constexpr std::size_t kInputBlock = std::size_t{1} << 9;
constexpr std::size_t kPivotSize = 4096;
// The pieces whose ends are kept for offsetBelow() (4 MiB of them): beyond, the oldest merge.
constexpr std::size_t kMaxAnchors = std::size_t{1} << 18;
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

// True when the converter for `name` drops a byte-order mark at the start of the text itself, as
// ICU's UTF-16 and UTF-32 without a byte order do: two marks in its own byte order then leave one
// (a converter that keeps them leaves two of them, one that does not know them none).
bool dropsMarkItself(const std::string& name)
{
    static constexpr std::string_view kTwoMarks[] = {
        {"\xFE\xFF\xFE\xFF", 4},         {"\xFF\xFE\xFF\xFE", 4},         {"\0\0\xFE\xFF\0\0\xFE\xFF", 8},
        {"\xFF\xFE\0\0\xFF\xFE\0\0", 8}, {"\xEF\xBB\xBF\xEF\xBB\xBF", 6},
    };
    UConverter* converter = openConverter(name);
    if (!converter)
        return false;
    bool dropsOne = false;
    bool keepsBoth = false;
    for (const std::string_view marks : kTwoMarks) {
        ucnv_reset(converter);
        UChar text[8];
        UErrorCode status = U_ZERO_ERROR;
        const int32_t length =
            ucnv_toUChars(converter, text, 8, marks.data(), static_cast<int32_t>(marks.size()), &status);
        int32_t leading = 0;
        while (U_SUCCESS(status) && leading < length && text[leading] == 0xFEFF)
            ++leading;
        dropsOne = dropsOne || leading == 1;
        keepsBoth = keepsBoth || leading >= 2;
    }
    ucnv_close(converter);
    return dropsOne && !keepsBoth;
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

Utf8Character decodeUtf8(std::string_view text, std::size_t at)
{
    const auto* bytes = reinterpret_cast<const std::uint8_t*>(text.data());
    std::size_t next = at;
    UChar32 code = 0;
    U8_NEXT(bytes, next, text.size(), code);
    if (code < 0)
        return {};
    return {static_cast<char32_t>(code), next - at};
}

void appendUtf8(std::string& out, char32_t code)
{
    std::uint8_t bytes[U8_MAX_LENGTH];
    std::size_t length = 0;
    U8_APPEND_UNSAFE(bytes, length, code);
    out.append(reinterpret_cast<const char*>(bytes), length);
}

namespace {

// True when `bytes` begin a valid UTF-8 sequence that needs more bytes than they have.
bool beginsUtf8Sequence(std::string_view bytes)
{
    const auto lead = static_cast<std::uint8_t>(bytes.front());
    if (!U8_IS_LEAD(lead) || bytes.size() > static_cast<std::size_t>(U8_COUNT_TRAIL_BYTES(lead)))
        return false;
    // The bytes there are all taken as the start of the sequence when they are valid so far.
    const auto* data = reinterpret_cast<const std::uint8_t*>(bytes.data());
    std::size_t next = 0;
    UChar32 code = 0;
    U8_NEXT(data, next, bytes.size(), code);
    return code < 0 && next == bytes.size();
}

} // namespace

void Utf8Validator::feed(std::string_view block)
{
    std::size_t at = 0;
    // A sequence the last block cut off goes on here.
    while (m_valid && m_cutSize > 0 && at < block.size()) {
        m_cut[m_cutSize++] = block[at++];
        const std::string_view cut(m_cut, m_cutSize);
        if (decodeUtf8(cut, 0).length == m_cutSize)
            m_cutSize = 0;
        else if (!beginsUtf8Sequence(cut))
            m_valid = false;
    }
    while (m_valid && at < block.size()) {
        if (static_cast<unsigned char>(block[at]) < 0x80) {
            ++at;
            continue;
        }
        if (const std::size_t length = decodeUtf8(block, at).length; length > 0) {
            at += length;
            continue;
        }
        const std::string_view rest = block.substr(at);
        if (!beginsUtf8Sequence(rest)) {
            m_valid = false;
            return;
        }
        rest.copy(m_cut, rest.size());
        m_cutSize = rest.size();
        return;
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
    std::unique_ptr<DecodingSource> decoding(new DecodingSource(raw, source, target));
    // Exactly one byte-order mark is no part of the text: the one the converter drops, or else one
    // dropped here.
    decoding->m_dropMark = !dropsMarkItself(encoding);
    return decoding;
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
    const auto made = static_cast<std::size_t>(target - (m_out.data() + m_outEnd));
    const auto used = static_cast<std::size_t>(source - (m_in.data() + m_inBegin));
    m_inBegin = static_cast<std::size_t>(source - m_in.data());
    m_outEnd = static_cast<std::size_t>(target - m_out.data());
    m_decodedTotal += made;
    m_rawTotal += used;
    if (made > 0) {
        m_anchors.push_back({m_decodedTotal, m_rawTotal});
        // A reader that never asks (one that reads the text whole) holds no more than a bound: the
        // oldest pieces merge, which only a reader far behind would see.
        if (m_anchors.size() > kMaxAnchors)
            m_anchors.erase(m_anchors.begin() + 1);
    }
    if (m_inEnded && status != U_BUFFER_OVERFLOW_ERROR)
        m_flushed = true;
    return true;
}

Result<std::size_t> DecodingSource::read(char* into, std::size_t size)
{
    m_atStart = m_atStart && m_dropMark;
    while (m_outBegin == m_outEnd || (m_atStart && m_outEnd - m_outBegin < kUtf8Bom.size() && !m_flushed)) {
        const Result<bool> more = convertMore();
        if (!more)
            return more.error();
        if (!more.value())
            break;
    }
    if (m_atStart) {
        // A byte-order mark is no part of the text, whatever the encoding wrote it as.
        if (std::string_view(m_out.data() + m_outBegin, m_outEnd - m_outBegin).starts_with(kUtf8Bom)) {
            m_outBegin += kUtf8Bom.size();
            m_dropped = kUtf8Bom.size();
        }
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

std::uint64_t DecodingSource::offsetBelow(std::uint64_t offset)
{
    const std::uint64_t decoded = offset + m_dropped;
    while (m_anchors.size() > 1 && m_anchors[1].decoded <= decoded)
        m_anchors.pop_front();
    const Anchor& from = m_anchors.front();
    if (m_anchors.size() == 1 || decoded <= from.decoded)
        return from.raw;
    const Anchor& to = m_anchors[1];
    // Within one piece: both spans are small, so the product fits.
    return from.raw + (decoded - from.decoded) * (to.raw - from.raw) / (to.decoded - from.decoded);
}

} // namespace stencilor
