// SPDX-License-Identifier: GPL-3.0-or-later
#include "datasource/workbook/NumberFormat.h"

#include "datasource/workbook/DecimalText.h"

#include <algorithm>
#include <array>
#include <cmath>
#include <utility>

namespace stencilor {

namespace {

using Part = NumberFormat::Part;
using Piece = NumberFormat::Piece;
using Kind = NumberFormat::Kind;

char lower(char c)
{
    return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c;
}

bool equalsIgnoringCase(std::string_view text, std::string_view word)
{
    return text.size() == word.size() &&
           std::equal(text.begin(), text.end(), word.begin(), [](char a, char b) { return lower(a) == lower(b); });
}

// The length of the UTF-8 sequence that begins with byte `c` (1 for a byte that begins none).
std::size_t sequenceLength(char c)
{
    const auto byte = static_cast<unsigned char>(c);
    return byte >= 0xf0 ? 4 : byte >= 0xe0 ? 3 : byte >= 0xc0 ? 2 : 1;
}

bool isDatePart(Part part)
{
    return part >= Part::Year && part <= Part::SubSecond;
}

// What a bracketed code [..] means: elapsed time, a currency or locale tag, a colour; false for
// the codes that are not understood (conditions, calendars, number scripts).
bool readBracket(std::string_view code, std::vector<Piece>& pieces)
{
    if (!code.empty() && std::all_of(code.begin(), code.end(), [&](char c) { return lower(c) == lower(code[0]); }) &&
        (lower(code[0]) == 'h' || lower(code[0]) == 'm' || lower(code[0]) == 's')) {
        pieces.push_back(
            {Part::Elapsed, lower(code[0]), static_cast<std::uint8_t>(std::min<std::size_t>(code.size(), 9)), {}});
        return true;
    }
    if (!code.empty() && code[0] == '$') {
        // [$€-407]: the symbol before the locale; [$-409]: a locale alone.
        const std::string_view symbol =
            code.substr(1, code.find('-') == std::string_view::npos ? code.npos : code.find('-') - 1);
        if (!symbol.empty())
            pieces.push_back({Part::Literal, 0, 0, std::string(symbol)});
        return true;
    }
    static constexpr std::array<std::string_view, 8> kColours{"black",   "blue", "cyan",  "green",
                                                              "magenta", "red",  "white", "yellow"};
    if (std::any_of(kColours.begin(), kColours.end(), [&](std::string_view c) { return equalsIgnoringCase(code, c); }))
        return true;
    if (code.size() > 5 && equalsIgnoringCase(code.substr(0, 5), "color") &&
        std::all_of(code.begin() + 5, code.end(), [](char c) { return c >= '0' && c <= '9'; }))
        return true;
    return false;
}

} // namespace

NumberFormat::NumberFormat(std::string_view code)
{
    parse(code);
}

void NumberFormat::parse(std::string_view code)
{
    if (equalsIgnoringCase(code, "General") || code.empty())
        return;
    std::vector<Section> sections(1);
    const auto add = [&](Part part, char symbol = 0, std::uint8_t count = 0, std::string text = {}) {
        sections.back().pieces.push_back({part, symbol, count, std::move(text)});
    };
    const auto literal = [&](std::string_view text) {
        std::vector<Piece>& pieces = sections.back().pieces;
        if (!pieces.empty() && pieces.back().part == Part::Literal && pieces.back().symbol == 0)
            pieces.back().text += text;
        else
            add(Part::Literal, 0, 0, std::string(text));
    };
    std::size_t i = 0;
    const auto nextSequence = [&]() {
        const std::size_t length = std::min(sequenceLength(code[i]), code.size() - i);
        const std::string_view sequence = code.substr(i, length);
        i += length;
        return sequence;
    };
    while (i < code.size()) {
        const char c = code[i];
        const char l = lower(c);
        // A run of the same letter, for the date and time parts.
        std::size_t run = 1;
        while (i + run < code.size() && lower(code[i + run]) == l)
            ++run;
        const auto count = static_cast<std::uint8_t>(std::min<std::size_t>(run, 9));
        if (c == ';') {
            sections.emplace_back();
            ++i;
        } else if (c == '"') {
            const std::size_t close = code.find('"', i + 1);
            literal(code.substr(i + 1, close == code.npos ? code.npos : close - i - 1));
            i = close == code.npos ? code.size() : close + 1;
        } else if (c == '\\' || c == '!') {
            ++i;
            if (i < code.size())
                literal(nextSequence());
        } else if (c == '_' || c == '*') {
            // "_x" leaves the width of x blank; "*x" fills the column with x, which a text has none of.
            ++i;
            if (i < code.size())
                nextSequence();
            if (c == '_')
                literal(" ");
        } else if (c == '[') {
            const std::size_t close = code.find(']', i);
            if (close == code.npos || !readBracket(code.substr(i + 1, close - i - 1), sections.back().pieces)) {
                m_understood = false;
                return;
            }
            i = close + 1;
        } else if (c == '0' || c == '#' || c == '?') {
            add(Part::Digit, c);
            ++i;
        } else if (c == '.') {
            const std::vector<Piece>& pieces = sections.back().pieces;
            const auto lastDate =
                std::find_if(pieces.rbegin(), pieces.rend(), [](const Piece& p) { return isDatePart(p.part); });
            std::size_t zeros = 0;
            while (i + 1 + zeros < code.size() && code[i + 1 + zeros] == '0')
                ++zeros;
            if (lastDate != pieces.rend() &&
                (lastDate->part == Part::Second || (lastDate->part == Part::Elapsed && lastDate->symbol == 's')) &&
                zeros > 0) {
                add(Part::SubSecond, 0, static_cast<std::uint8_t>(std::min<std::size_t>(zeros, 3)));
                i += 1 + zeros;
            } else if (std::none_of(pieces.begin(), pieces.end(),
                                    [](const Piece& p) { return p.part == Part::Point || p.part == Part::Exponent; })) {
                add(Part::Point);
                ++i;
            } else {
                literal(".");
                ++i;
            }
        } else if (c == ',') {
            add(Part::Literal, ',', 0, ",");
            ++i;
        } else if (c == '%') {
            add(Part::Percent);
            ++i;
        } else if (l == 'e' && i + 1 < code.size() && (code[i + 1] == '+' || code[i + 1] == '-')) {
            add(Part::Exponent, code[i + 1]);
            i += 2;
        } else if (l == 'g' && equalsIgnoringCase(code.substr(i, 7), "General")) {
            add(Part::General);
            i += 7;
        } else if (c == '@') {
            add(Part::Text);
            ++i;
        } else if (l == 'y' || l == 'd' || l == 'h' || l == 's' || l == 'm') {
            const Part part = l == 'y'   ? Part::Year
                              : l == 'd' ? Part::Day
                              : l == 'h' ? Part::Hour
                              : l == 's' ? Part::Second
                                         : Part::Month;
            add(part, 0, count);
            i += run;
        } else if (l == 'a' &&
                   (equalsIgnoringCase(code.substr(i, 5), "AM/PM") || equalsIgnoringCase(code.substr(i, 3), "A/P"))) {
            const std::size_t length = equalsIgnoringCase(code.substr(i, 5), "AM/PM") ? 5 : 3;
            add(Part::AmPm, 0, 0, std::string(code.substr(i, length)));
            i += length;
        } else if (static_cast<unsigned char>(c) >= 0x80 ||
                   std::string_view(" $-+/():^&'~{}<>=123456789").find(c) != std::string_view::npos) {
            literal(nextSequence());
        } else {
            // Letters of other calendars, eras, week and quarter numbers.
            m_understood = false;
            return;
        }
    }
    for (Section& section : sections) {
        finishSection(section);
        if (!m_understood)
            return;
    }
    // A last section for text: the fourth, or one that shows text alone.
    if (sections.size() >= 4 || (sections.size() > 1 && sections.back().kind == Kind::Text)) {
        m_textSection = static_cast<int>(sections.size()) - 1;
        if (sections.size() > 4)
            m_understood = false;
    } else if (sections.size() == 1 && sections[0].kind == Kind::Text) {
        m_textSection = 0;
    }
    m_sections = std::move(sections);
    const std::size_t numeric = m_textSection >= 0 ? static_cast<std::size_t>(m_textSection) : m_sections.size();
    for (std::size_t k = 0; k < numeric; ++k) {
        const Section& section = m_sections[k];
        // A number section shows something when it has a '0' or '?' place, a point, a percent,
        // an exponent, General or literal text; only '#' places can all show nothing.
        const bool showsSomething = std::any_of(section.pieces.begin(), section.pieces.end(), [](const Piece& p) {
            return (p.part == Part::Digit && p.symbol != '#') || (p.part == Part::Literal && !p.text.empty()) ||
                   (p.part != Part::Digit && p.part != Part::Literal);
        });
        m_mayShowNothing = m_mayShowNothing || section.kind == Kind::Empty || !showsSomething;
    }
    if (const Section* text = textSection())
        m_textHasLiterals = std::any_of(text->pieces.begin(), text->pieces.end(),
                                        [](const Piece& p) { return p.part == Part::Literal && !p.text.empty(); });
}

void NumberFormat::finishSection(Section& section)
{
    std::vector<Piece>& pieces = section.pieces;
    // "m" is the minute after an hour or before a second, else the month.
    for (std::size_t k = 0; k < pieces.size(); ++k) {
        if (pieces[k].part != Part::Month || pieces[k].count > 2)
            continue;
        Part before = Part::Literal;
        for (std::size_t b = k; b-- > 0;)
            if (isDatePart(pieces[b].part)) {
                before = pieces[b].part == Part::Elapsed && pieces[b].symbol == 'h' ? Part::Hour : pieces[b].part;
                break;
            }
        Part after = Part::Literal;
        for (std::size_t a = k + 1; a < pieces.size(); ++a)
            if (isDatePart(pieces[a].part)) {
                after = pieces[a].part == Part::Elapsed && pieces[a].symbol == 's' ? Part::Second : pieces[a].part;
                break;
            }
        if (before == Part::Hour || after == Part::Second)
            pieces[k].part = Part::Minute;
    }
    // A comma between digit placeholders groups thousands; commas right after the last digit
    // placeholder divide by 1000 each; any other comma is text.
    const auto isDigit = [&](std::size_t k) { return pieces[k].part == Part::Digit; };
    std::size_t lastDigit = pieces.size();
    std::size_t firstDigit = pieces.size();
    std::size_t pointAt = pieces.size();
    for (std::size_t k = 0; k < pieces.size(); ++k) {
        if (isDigit(k)) {
            lastDigit = k;
            firstDigit = std::min(firstDigit, k);
        }
        if ((pieces[k].part == Part::Point || pieces[k].part == Part::Exponent) && pointAt == pieces.size())
            pointAt = k;
    }
    std::vector<Piece> kept;
    for (std::size_t k = 0; k < pieces.size(); ++k) {
        if (pieces[k].part == Part::Literal && pieces[k].symbol == ',' && firstDigit < k) {
            std::size_t next = k + 1;
            while (next < pieces.size() && pieces[next].part == Part::Literal && pieces[next].symbol == ',')
                ++next;
            if (next < pieces.size() && isDigit(next) && k < pointAt) {
                section.grouping = true;
                continue;
            }
            if (k > lastDigit && (next == pieces.size() || !isDigit(next))) {
                bool onlyCommasBetween = true;
                for (std::size_t b = lastDigit + 1; b < k; ++b)
                    onlyCommasBetween = onlyCommasBetween && pieces[b].part == Part::Literal && pieces[b].symbol == ',';
                if (onlyCommasBetween) {
                    ++section.scale;
                    continue;
                }
            }
        }
        if (pieces[k].part == Part::Literal && !kept.empty() && kept.back().part == Part::Literal) {
            kept.back().text += pieces[k].text;
            kept.back().symbol = 0;
            continue;
        }
        kept.push_back(std::move(pieces[k]));
    }
    pieces = std::move(kept);

    // In a date the point is text ("dd.mm.yyyy").
    const bool hasDatePart =
        std::any_of(pieces.begin(), pieces.end(), [](const Piece& p) { return isDatePart(p.part); });
    if (hasDatePart)
        for (Piece& piece : pieces)
            if (piece.part == Part::Point)
                piece = Piece{Part::Literal, 0, 0, "."};

    bool date = false;
    bool number = false;
    bool general = false;
    bool text = false;
    bool slashAfterDigit = false;
    bool digitSeen = false;
    for (const Piece& piece : pieces) {
        date = date || isDatePart(piece.part);
        number = number || piece.part == Part::Digit || piece.part == Part::Point || piece.part == Part::Exponent ||
                 piece.part == Part::Percent;
        general = general || piece.part == Part::General;
        text = text || piece.part == Part::Text;
        if (piece.part == Part::Digit && slashAfterDigit)
            m_understood = false; // a fraction
        digitSeen = digitSeen || piece.part == Part::Digit;
        if (piece.part == Part::Literal && digitSeen && piece.text.find('/') != std::string::npos)
            slashAfterDigit = true;
    }
    if (int(date) + int(number || general) + int(text) > 1 || (number && general))
        m_understood = false;
    section.layout = numberLayout(pieces);
    section.kind = date                  ? Kind::Date
                   : (number || general) ? Kind::Number
                   : text                ? Kind::Text
                   : pieces.empty()      ? Kind::Empty
                                         : Kind::Literal;
}

const NumberFormat::Section* NumberFormat::textSection() const
{
    return m_textSection >= 0 ? &m_sections[static_cast<std::size_t>(m_textSection)] : nullptr;
}

bool NumberFormat::showsDate() const
{
    return m_understood && !m_sections.empty() && m_sections[0].kind == Kind::Date;
}

void NumberFormat::appendNumber(double value, DateSystem dates, std::string& out) const
{
    const std::size_t numeric = m_textSection >= 0 ? static_cast<std::size_t>(m_textSection) : m_sections.size();
    if (!m_understood || numeric == 0 || !std::isfinite(value)) {
        appendGeneral(value, out);
        return;
    }
    // One section serves all numbers; two split at zero (negative numbers in the second, without
    // their sign); three give zero a section of its own.
    const Section* section = &m_sections[0];
    bool minus = false;
    if (value < 0 && numeric >= 2) {
        section = &m_sections[1];
        value = -value;
    } else if (value == 0 && numeric >= 3) {
        section = &m_sections[2];
    } else if (value < 0 && section->kind != Kind::Date) {
        value = -value;
        minus = true;
    }
    const bool elapsed = std::any_of(section->pieces.begin(), section->pieces.end(),
                                     [](const Piece& p) { return p.part == Part::Elapsed; });
    if (section->kind == Kind::Date && elapsed && value < 0) {
        value = -value;
        minus = true;
    }
    const std::size_t start = out.size();
    switch (section->kind) {
    case Kind::Empty:
        break;
    case Kind::Literal:
        for (const Piece& piece : section->pieces)
            out += piece.text;
        break;
    case Kind::Text:
        // A number in a section for text alone.
        appendGeneral(minus ? -value : value, out);
        return;
    case Kind::Number:
        if (minus && showsAsZero(*section, value))
            minus = false;
        appendNumberSection(*section, value, out);
        break;
    case Kind::Date:
        if (!appendDateSection(*section, value, dates, out)) {
            out.resize(start);
            appendGeneral(minus ? -value : value, out);
            return;
        }
        break;
    }
    if (minus)
        out.insert(start, 1, '-');
}

void NumberFormat::appendText(std::string_view text, std::string& out) const
{
    const Section* section = textSection();
    if (!m_understood || !section) {
        out += text;
        return;
    }
    for (const Piece& piece : section->pieces) {
        if (piece.part == Part::Text)
            out += text;
        else if (piece.part == Part::Literal)
            out += piece.text;
    }
}

std::string_view builtInFormatCode(std::uint32_t id)
{
    // The codes of the file format's list, with the dates and times the office suite shows for
    // them in English; the currency formats 5 to 8 with the dollar.
    switch (id) {
    case 0:
        return "General";
    case 1:
        return "0";
    case 2:
        return "0.00";
    case 3:
        return "#,##0";
    case 4:
        return "#,##0.00";
    case 5:
        return "\"$\"#,##0_);(\"$\"#,##0)";
    case 6:
        return "\"$\"#,##0_);[Red](\"$\"#,##0)";
    case 7:
        return "\"$\"#,##0.00_);(\"$\"#,##0.00)";
    case 8:
        return "\"$\"#,##0.00_);[Red](\"$\"#,##0.00)";
    case 9:
        return "0%";
    case 10:
        return "0.00%";
    case 11:
        return "0.00E+00";
    case 12:
        return "# ?/?";
    case 13:
        return "# ??"
               "/??";
    case 14:
        return "m/d/yyyy";
    case 15:
        return "d-mmm-yy";
    case 16:
        return "d-mmm";
    case 17:
        return "mmm-yy";
    case 18:
        return "h:mm AM/PM";
    case 19:
        return "h:mm:ss AM/PM";
    case 20:
        return "h:mm";
    case 21:
        return "h:mm:ss";
    case 22:
        return "m/d/yyyy h:mm";
    case 37:
        return "#,##0_);(#,##0)";
    case 38:
        return "#,##0_);[Red](#,##0)";
    case 39:
        return "#,##0.00_);(#,##0.00)";
    case 40:
        return "#,##0.00_);[Red](#,##0.00)";
    case 41:
        return "_(* #,##0_);_(* \\(#,##0\\);_(* \"-\"_);_(@_)";
    case 42:
        return "_(\"$\"* #,##0_);_(\"$\"* \\(#,##0\\);_(\"$\"* \"-\"_);_(@_)";
    case 43:
        return "_(* #,##0.00_);_(* \\(#,##0.00\\);_(* \"-\"??_);_(@_)";
    case 44:
        return "_(\"$\"* #,##0.00_);_(\"$\"* \\(#,##0.00\\);_(\"$\"* \"-\"??_);_(@_)";
    case 45:
        return "mm:ss";
    case 46:
        return "[h]:mm:ss";
    case 47:
        return "mm:ss.0";
    case 48:
        return "##0.0E+0";
    case 49:
        return "@";
    default:
        return {};
    }
}

} // namespace stencilor
