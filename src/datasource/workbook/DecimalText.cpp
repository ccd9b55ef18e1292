// SPDX-License-Identifier: GPL-3.0-or-later
#include "datasource/workbook/DecimalText.h"

#include <algorithm>
#include <charconv>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>

namespace stencilor {

namespace {

constexpr double kTwoTo53 = 9007199254740992.0;

void stripTrailingZeros(Decimal& number)
{
    while (number.count > 0 && number.digits[number.count - 1] == '0')
        --number.count;
    if (number.count == 0)
        number.point = 0;
}

} // namespace

Decimal toDecimal(double value)
{
    Decimal number;
    value = std::fabs(value);
    if (value == 0 || !std::isfinite(value))
        return number;
    char text[64];
    if (value >= 1e15 && value < kTwoTo53) {
        // Sixteen integer digits, all exact in a double: shown whole.
        const auto end = std::to_chars(text, text + sizeof text, value, std::chars_format::fixed, 0).ptr;
        number.count = static_cast<int>(end - text);
        std::memcpy(number.digits, text, static_cast<std::size_t>(number.count));
        number.point = number.count;
    } else {
        // Seventeen significant digits (d.dddddddddddddddde[+-]x), then sixteen rounded half up
        // from them: 1.0049999999999999 is 1.005, 1.0049999999999994 stays below it.
        const auto end = std::to_chars(text, text + sizeof text, value, std::chars_format::scientific, 16).ptr;
        number.digits[0] = text[0];
        std::memcpy(number.digits + 1, text + 2, 16);
        number.count = 17;
        int exponent = 0;
        std::from_chars(text + 20, end, exponent);
        number.point = (text[19] == '-' ? -exponent : exponent) + 1;
        // Beyond 2^53 a double holds no 16th digit worth showing.
        number.round((value < kTwoTo53 ? 16 : 15) - number.point);
    }
    stripTrailingZeros(number);
    return number;
}

void Decimal::round(int decimals)
{
    const long keep = static_cast<long>(point) + decimals; // the digits that stay
    if (keep >= count)
        return;
    if (keep < 0) {
        count = 0;
        point = 0;
        return;
    }
    const bool up = digits[keep] >= '5';
    count = static_cast<int>(keep);
    if (up) {
        int at = count;
        while (at > 0 && digits[at - 1] == '9')
            digits[--at] = '0';
        if (at == 0) {
            // 999 up is 1000: a single 1 (the zeros after it are not kept).
            digits[0] = '1';
            count = 1;
            ++point;
        } else {
            ++digits[at - 1];
        }
    }
    stripTrailingZeros(*this);
}

std::string Decimal::integerDigits() const
{
    if (point <= 0)
        return {};
    std::string whole(digits, static_cast<std::size_t>(std::min(point, count)));
    whole.append(static_cast<std::size_t>(point) - whole.size(), '0');
    return whole;
}

std::string Decimal::fractionDigits(int places) const
{
    std::string fraction;
    for (int i = 0; i < places; ++i) {
        const long at = static_cast<long>(point) + i;
        fraction += at >= 0 && at < count ? digits[at] : '0';
    }
    return fraction;
}

void appendGeneral(double value, std::string& out)
{
    if (std::isnan(value)) {
        out += "NaN";
        return;
    }
    if (std::signbit(value) && value != 0)
        out += '-';
    if (std::isinf(value)) {
        out += "INF";
        return;
    }
    Decimal number = toDecimal(value);
    if (std::fabs(value) < 1e15)
        number.round(15 - number.point);
    if (number.isZero()) {
        out += '0';
        return;
    }
    const int exponent = number.point - 1;
    const int decimals = number.count - number.point;
    const bool fixed =
        std::fabs(value) < kTwoTo53 && (exponent >= -4 || (exponent >= -9 && decimals <= 16)) && exponent < 16;
    if (fixed) {
        const std::string whole = number.integerDigits();
        out += whole.empty() ? "0" : whole;
        if (decimals > 0)
            out.append(".").append(number.fractionDigits(decimals));
        return;
    }
    out += number.digits[0];
    if (number.count > 1)
        out.append(".").append(number.digitText().substr(1));
    // The export writes at least three exponent digits for large numbers and two for small ones.
    char exponentText[16];
    std::snprintf(exponentText, sizeof exponentText, exponent < 0 ? "E-%02d" : "E+%03d", std::abs(exponent));
    out += exponentText;
}

} // namespace stencilor
