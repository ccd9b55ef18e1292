// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

// A cell's number format, as a spreadsheet's format code writes it ("#,##0.00", "0.00%",
// "yyyy-mm-dd hh:mm", "[$€-407] #,##0.00;[Red]-[$€-407] #,##0.00", "@"), and the text it shows for
// a value. Understood: sections for positive, negative, zero and text; digit placeholders
// (0 # ?), thousands separators and scaling commas, percent, scientific notation, literal text
// (quoted, escaped, currency symbols), spaces for "_x", colours and locale tags (ignored), General,
// and dates and times (y m d h m s, AM/PM, [h] [m] [s] elapsed time, fractions of a second).
// Anything else (fractions like "# ?/?", conditions like "[>100]", calendars) is not understood: the
// value is then shown as General, and understood() says so.

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace stencilor {

// Where day 0 of a workbook's dates lies: the 1900 system (with the day 1900-02-29 that the first
// spreadsheets counted, although it never was) or the 1904 system.
enum class DateSystem : std::uint8_t { From1900, From1904 };

class NumberFormat final {
public:
    // The General format.
    NumberFormat() = default;
    explicit NumberFormat(std::string_view code);
    // A format that shows every number as General, and is not understood (a format number that
    // neither the workbook nor the built-in list defines).
    static NumberFormat notUnderstood()
    {
        NumberFormat format;
        format.m_understood = false;
        return format;
    }

    bool understood() const { return m_understood; }
    // Whether numbers show as a date or a time.
    bool showsDate() const;
    // Whether some number may show as no text at all (a section "" or "#" for zero, say).
    bool mayShowNothing() const { return m_mayShowNothing; }
    // Whether text shows with more around it (the text section has literal text), so that even
    // an empty text shows something.
    bool textHasLiterals() const { return m_textHasLiterals; }

    // Appends `value` as the format shows it (as General when the format is not understood).
    void appendNumber(double value, DateSystem dates, std::string& out) const;
    // Appends text `text` as the format's text section shows it (as it is, without one).
    void appendText(std::string_view text, std::string& out) const;

    // The pieces of a section, public for the date and number renderers.
    enum class Part : std::uint8_t {
        Literal,
        Digit,    // '0', '#' or '?' in `symbol`
        Point,    // the decimal point
        Percent,  // multiplies by 100
        Exponent, // E+ or E- ('+' or '-' in `symbol`)
        General,
        Text, // '@'
        Year,
        Month,
        Day,
        Hour,
        Minute,
        Second,
        AmPm,      // `text` is "AM/PM", "am/pm", "A/P" or "a/p"
        Elapsed,   // [h], [m] or [s]: 'h', 'm' or 's' in `symbol`
        SubSecond, // ".0", ".00", ".000" after seconds
    };
    struct Piece {
        Part part = Part::Literal;
        char symbol = 0;
        std::uint8_t count = 0; // letters of a date part, digits of a fraction of a second
        std::string text;
    };
    enum class Kind : std::uint8_t { Empty, Literal, Number, Date, Text };
    // Where the digit placeholders of a number section stand.
    struct Layout {
        int integer = 0;             // placeholders before the point (or the exponent)
        int fraction = 0;            // placeholders after the point
        std::string fractionSymbols; // their symbols, in order
        bool integerHash = false;    // a '#' among the integer placeholders
        bool exponent = false;       // scientific notation
        int exponentDigits = 0;
        int percents = 0;
        bool general = false;
    };
    struct Section {
        std::vector<Piece> pieces;
        Kind kind = Kind::Empty;
        bool grouping = false; // thousands separators
        int scale = 0;         // commas after the last digit: divides by 1000 each
        Layout layout;
    };

private:
    void parse(std::string_view code);
    void finishSection(Section& section);
    void appendSection(const Section& section, double value, DateSystem dates, std::string& out) const;

    std::vector<Section> m_sections; // the sections for numbers
    const Section* textSection() const;
    int m_textSection = -1; // the index of the section for text, -1 when none
    bool m_understood = true;
    bool m_mayShowNothing = false;
    bool m_textHasLiterals = false;
};

// The format code of built-in format number `id` of an .xlsx workbook, as the office suite shows
// it in English (14 is "m/d/yyyy"); empty for a number that has none.
std::string_view builtInFormatCode(std::uint32_t id);

// The layout of the digit placeholders among `pieces`.
NumberFormat::Layout numberLayout(const std::vector<NumberFormat::Piece>& pieces);
// Renders the number part of a Number section: `value` is not negative.
void appendNumberSection(const NumberFormat::Section& section, double value, std::string& out);
// Whether `value` shows as zero in Number section `section` (so that it gets no minus sign).
bool showsAsZero(const NumberFormat::Section& section, double value);
// The day number (and fraction of a day) of the ISO 8601 date and time `text` ("2024-01-05",
// "2024-01-05T18:30:00") in date system `dates`; false when `text` is no such date.
bool serialFromIsoDate(std::string_view text, DateSystem dates, double& serial);
// Renders a Date section; false when `value` lies outside the dates it can show.
bool appendDateSection(const NumberFormat::Section& section, double value, DateSystem dates, std::string& out);

} // namespace stencilor
