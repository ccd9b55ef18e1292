// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

// Numbers as a spreadsheet shows them: a cell's value is first taken to 16 significant digits, as
// the office suite displays it (so 1.005 shows as 1.01 with two decimals, although the double lies
// just below it), then rounded half away from zero to the digits its format shows.

#include <string>
#include <string_view>

namespace stencilor {

// A non-negative decimal number: 0.DIGITS times 10 to the power `point`, without leading or
// trailing zeros in its digits (none for zero). The digits are held in place: a cell's number is
// made into text without taking memory from the heap.
struct Decimal {
    char digits[24] = {};
    int count = 0; // of digits
    int point = 0; // the digits before the decimal point (negative: zeros after it)

    bool isZero() const { return count == 0; }
    std::string_view digitText() const { return {digits, static_cast<std::size_t>(count)}; }
    // Rounds half away from zero to `decimals` digits after the point.
    void round(int decimals);
    // The digits before the point ("" for a number below 1).
    std::string integerDigits() const;
    // The first `places` digits after the point, zeros included.
    std::string fractionDigits(int places) const;
};

// |value| as the office suite takes it for display: 16 significant digits (rounded from 17), an
// integer part of 16 digits below 2^53 kept whole, 15 digits beyond.
Decimal toDecimal(double value);

// Appends `value` in the General format as the office suite's export writes it: up to 15
// significant digits, fixed notation from 1E-4 up to 2^53 (and for smaller numbers whose digits
// end within 16 decimals, down to 1E-9), else scientific (1.5E+016, 1.2E-10).
void appendGeneral(double value, std::string& out);

} // namespace stencilor
