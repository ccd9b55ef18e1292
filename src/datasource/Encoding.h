// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

// Data files in other encodings than UTF-8: the bytes decoded to UTF-8 before anything else
// reads them, with the encoding named by the project or found from the file.

#include "datasource/RecordReader.h"
#include "platform/Result.h"

#include <cstdint>
#include <deque>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

struct UConverter;

namespace stencilor {

// How the encoding of a data file was chosen.
enum class EncodingChoice {
    Named,         // the project names it
    ByteOrderMark, // "auto": the file starts with a byte-order mark
    ValidUtf8,     // "auto": the file is valid UTF-8
    Detected,      // "auto": the charset detection's best guess
};

struct ChosenEncoding {
    std::string name; // a converter name ICU knows, e.g. "UTF-8", "windows-1251", "UTF-16LE"
    EncodingChoice choice = EncodingChoice::Named;
};

// "encoding: NAME" for the check's report, with how an automatic choice was made in brackets.
std::string encodingLine(const ChosenEncoding& encoding);

// The error of an encoding name that no converter knows (ErrorKind::UnknownEncoding).
Error unknownEncoding(std::string_view name);

// True when `name` is "auto" or a converter ICU knows.
bool isKnownEncoding(std::string_view name);

// The encoding to read a file with for the setting `setting` ("auto" or a converter name). For
// "auto" the first bytes are given in `start` (a byte-order mark), `isValidUtf8` tells whether
// the whole text is valid UTF-8, and `sample` feeds the charset detection. Fails with
// unknownEncoding for a name no converter knows.
Result<ChosenEncoding> chooseEncoding(std::string_view setting, std::string_view start, bool isValidUtf8,
                                      std::string_view sample);

// A character of UTF-8 text: its code point and the bytes it takes.
struct Utf8Character {
    char32_t code = 0;
    std::size_t length = 0; // 0: the bytes there form no valid UTF-8 sequence
};

// The character whose valid UTF-8 sequence starts at `at` of `text` (ICU's rules: no overlong
// forms, no surrogates, nothing past U+10FFFF); length 0 when the bytes there form none.
Utf8Character decodeUtf8(std::string_view text, std::size_t at);

// Appends the UTF-8 sequence of the code point `code` (at most U+10FFFF) to `out`.
void appendUtf8(std::string& out, char32_t code);

// Checks UTF-8 in pieces: feed the text block by block, then ask whether all of it was valid.
class Utf8Validator final {
public:
    void feed(std::string_view block);
    // True when every byte fed belongs to a complete, valid UTF-8 sequence.
    bool valid() const { return m_valid && m_cutSize == 0; }
    // True when no byte fed so far is invalid (the last sequence may still be incomplete).
    bool validSoFar() const { return m_valid; }

private:
    bool m_valid = true;
    char m_cut[4] = {}; // the start of a sequence that the end of a block cut off
    std::size_t m_cutSize = 0;
};

// The bytes of `raw` decoded from `encoding` to UTF-8: one byte-order mark at the start is dropped,
// and every sequence that is invalid in the encoding becomes U+FFFD and is counted.
class DecodingSource final : public ByteSource {
public:
    // Fails with unknownEncoding when no converter knows `encoding`.
    static Result<std::unique_ptr<DecodingSource>> open(ByteSource& raw, const std::string& encoding);
    ~DecodingSource() override;

    Result<std::size_t> read(char* into, std::size_t size) override;
    // Where the decoded byte at `offset` came from in the raw bytes: exact at the ends of each
    // piece converted (at most 512 raw bytes), in proportion between them.
    std::uint64_t offsetBelow(std::uint64_t offset) override;
    // The invalid sequences replaced so far.
    std::uint64_t replaced() const { return m_replaced; }

private:
    DecodingSource(ByteSource& raw, UConverter* source, UConverter* target);
    // Converts more input into m_out; false when the input is used up.
    Result<bool> convertMore();

    ByteSource& m_raw;
    UConverter* m_source;
    UConverter* m_target;
    std::vector<char> m_in;
    std::size_t m_inBegin = 0, m_inEnd = 0;
    bool m_inEnded = false;
    std::vector<char16_t> m_pivot;
    char16_t* m_pivotSource = nullptr;
    char16_t* m_pivotTarget = nullptr;
    std::vector<char> m_out;
    std::size_t m_outBegin = 0, m_outEnd = 0;
    bool m_first = true;    // no conversion call yet
    bool m_atStart = true;  // no output handed on yet (a byte-order mark may still come)
    bool m_dropMark = true; // a mark at the start is dropped here (the converter keeps it)
    bool m_flushed = false;
    std::uint64_t m_replaced = 0;
    // Decoded bytes made and raw bytes used at the end of each piece converted, from the first
    // that a later offsetBelow() may still ask about; decoded bytes dropped as a mark.
    struct Anchor {
        std::uint64_t decoded = 0, raw = 0;
    };
    std::deque<Anchor> m_anchors{Anchor{}};
    std::uint64_t m_decodedTotal = 0, m_rawTotal = 0, m_dropped = 0;
};

} // namespace stencilor
