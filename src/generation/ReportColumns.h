// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

// The report column choice `report_fld`: six column texts, each followed by ";".

#include <array>
#include <string>
#include <string_view>

namespace stencilor {

inline constexpr int kReportColumnCount = 6;

// The text of each report column, column 1 first.
using ReportColumnTexts = std::array<std::string, kReportColumnCount>;

// The six column texts of `reportFld`: column k is field k of the text split at ";", empty when
// the text has fewer fields. Fields after the sixth are not used.
ReportColumnTexts reportColumnTexts(std::string_view reportFld);

// `report_fld` for the given column texts: each text exactly as given followed by ";", the sixth
// included. A text holding ";" itself therefore shifts the columns after it when read back.
std::string buildReportFld(const ReportColumnTexts& columns);

} // namespace stencilor
