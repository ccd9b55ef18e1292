// SPDX-License-Identifier: GPL-3.0-or-later
// The number sections of a format code: digit placeholders, grouping, scaling, percent and
// scientific notation, applied to a value's digits as the office suites round them.

#include "datasource/workbook/DecimalText.h"
#include "datasource/workbook/NumberFormat.h"

#include <cstdlib>

namespace stencilor {

namespace {

using Part = NumberFormat::Part;
using Piece = NumberFormat::Piece;

using Layout = NumberFormat::Layout;

double scaled(const NumberFormat::Section& section, const Layout& layout, double value)
{
    for (int i = 0; i < layout.percents; ++i)
        value *= 100;
    for (int i = 0; i < section.scale; ++i)
        value /= 1000;
    return value;
}

// The digits a number section shows: the integer and fraction digits and, in scientific notation,
// the power of ten.
struct Shown {
    std::string integer;
    std::string fraction;
    int exponent = 0;
};

Shown shownDigits(const Layout& layout, double value)
{
    Shown shown;
    Decimal number = toDecimal(value);
    if (layout.exponent && !number.isZero()) {
        // With '#' among several integer places the power is a multiple of their count
        // (engineering notation); else the integer places are all filled.
        const int places = layout.integer > 0 ? layout.integer : 1;
        const bool engineering = layout.integerHash && places > 1;
        const int power = number.point - 1;
        const int step = engineering ? places : 1;
        shown.exponent = engineering ? (power >= 0 ? power / places : -((-power + places - 1) / places)) * places
                                     : power - (places - 1);
        number.point -= shown.exponent;
        number.round(layout.fraction);
        if (number.point > places) {
            number.point -= step;
            shown.exponent += step;
        }
    } else {
        number.round(layout.fraction);
    }
    shown.integer = number.integerDigits();
    shown.fraction = number.fractionDigits(layout.fraction);
    return shown;
}

} // namespace

NumberFormat::Layout numberLayout(const std::vector<NumberFormat::Piece>& pieces)
{
    Layout layout;
    bool afterPoint = false;
    for (const Piece& piece : pieces) {
        switch (piece.part) {
        case Part::Digit:
            if (layout.exponent)
                ++layout.exponentDigits;
            else if (afterPoint) {
                ++layout.fraction;
                layout.fractionSymbols += piece.symbol;
            } else {
                ++layout.integer;
                layout.integerHash = layout.integerHash || piece.symbol == '#';
            }
            break;
        case Part::Point:
            afterPoint = true;
            break;
        case Part::Exponent:
            layout.exponent = true;
            break;
        case Part::Percent:
            ++layout.percents;
            break;
        case Part::General:
            layout.general = true;
            break;
        default:
            break;
        }
    }
    return layout;
}

bool showsAsZero(const NumberFormat::Section& section, double value)
{
    const Layout& layout = section.layout;
    value = scaled(section, layout, value);
    if (layout.general || layout.exponent)
        return toDecimal(value).isZero();
    Decimal number = toDecimal(value);
    number.round(layout.fraction);
    return number.isZero();
}

void appendNumberSection(const NumberFormat::Section& section, double value, std::string& out)
{
    const Layout& layout = section.layout;
    value = scaled(section, layout, value);
    if (layout.general) {
        for (const Piece& piece : section.pieces) {
            if (piece.part == Part::General)
                appendGeneral(value, out);
            else if (piece.part == Part::Literal)
                out += piece.text;
            else if (piece.part == Part::Percent)
                out += '%';
        }
        return;
    }
    const Shown shown = shownDigits(layout, value);
    const int digits = static_cast<int>(shown.integer.size());

    // Trailing zeros of the fraction show as nothing under '#' and as a blank under '?'.
    std::string fraction = shown.fraction;
    for (std::size_t place = fraction.size(); place > 0; --place) {
        const char symbol = layout.fractionSymbols[place - 1];
        if (fraction[place - 1] != '0' || symbol == '0')
            break;
        fraction[place - 1] = symbol == '?' ? ' ' : '\0';
    }

    int integerPlace = 0;  // integer placeholders passed
    int fractionPlace = 0; // fraction placeholders passed
    bool afterPoint = false;
    bool inExponent = false;
    bool exponentWritten = false;
    // Appends the integer digit of rank `rank` (0 for the units), with the thousands separator
    // that follows it.
    const auto appendDigit = [&](char digit, int rank) {
        out += digit;
        if (section.grouping && rank > 0 && rank % 3 == 0)
            out += ',';
    };
    for (const Piece& piece : section.pieces) {
        switch (piece.part) {
        case Part::Literal:
            out += piece.text;
            break;
        case Part::Percent:
            out += '%';
            break;
        case Part::Point:
            // Without integer placeholders the integer digits still show, before the point.
            if (layout.integer == 0)
                for (int rank = digits - 1; rank >= 0; --rank)
                    appendDigit(shown.integer[static_cast<std::size_t>(digits - 1 - rank)], rank);
            afterPoint = true;
            out += '.';
            break;
        case Part::Exponent:
            inExponent = true;
            out += 'E';
            if (shown.exponent < 0)
                out += '-';
            else if (piece.symbol == '+')
                out += '+';
            break;
        case Part::Digit:
            if (inExponent) {
                if (!exponentWritten) {
                    std::string power = std::to_string(std::abs(shown.exponent));
                    if (static_cast<int>(power.size()) < layout.exponentDigits)
                        power.insert(0, static_cast<std::size_t>(layout.exponentDigits) - power.size(), '0');
                    out += power;
                    exponentWritten = true;
                }
            } else if (afterPoint) {
                const char digit = fraction[static_cast<std::size_t>(fractionPlace++)];
                if (digit != '\0')
                    out += digit;
            } else {
                const int rank = layout.integer - 1 - integerPlace; // of this placeholder
                if (integerPlace == 0) {
                    // The first placeholder takes the digits that have no placeholder of their own.
                    for (int extra = 0; extra < digits - layout.integer; ++extra)
                        appendDigit(shown.integer[static_cast<std::size_t>(extra)], digits - 1 - extra);
                }
                if (rank < digits)
                    appendDigit(shown.integer[static_cast<std::size_t>(digits - 1 - rank)], rank);
                else if (piece.symbol == '0')
                    appendDigit('0', rank);
                else if (piece.symbol == '?')
                    out += ' ';
                ++integerPlace;
            }
            break;
        default:
            break;
        }
    }
}

} // namespace stencilor
