// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "datasource/DataSourceCheck.h"
#include "rules/RulesTable.h"

#include <cstdint>
#include <string>

namespace stencilor {

// The settings of one generation job, named as the keys of the project file's section "setup"
// and declared in the order they are written. A default-constructed value holds the start
// values of a freshly created main window: the data and template file names of the load
// defaults, as bare names (a bare name lies beside the project, and a new project lies in the
// program folder, where the load defaults put these files), and the output folder "out".
struct ProjectSettings {
    std::string delim = ";";
    std::string textfile = "data.csv";
    std::string templatefile = "template.html";
    std::string outputdir = "out";
    std::string directoryFile = "Field 2";
    bool CopyDirFld = false;
    bool nameFromFld = false;
    bool AddExt = false;
    std::string edExt = "*.htm";
    std::string FileNameFld = "Field 3";
    bool nameFromTemp = false;
    std::string edTemp = "example-F?.htm";
    bool DelChars = false;
    bool changecase = false;
    // Key "case": 0 "small", 1 "As Sentence", 2 "LARGE", -1 none ("case" is a C++ keyword).
    std::int32_t caseIndex = -1;
    bool report = false;
    std::string rep_fld;
    std::string report_fld;
    // Keys for data as spreadsheets export it. Each is written only when it is set or the
    // project file already has it, so a project that never used them stays byte for byte as it was.
    bool quotes = false;     // fields in double quotes may hold the delimiter, '"' and line breaks
    bool header = false;     // the first record names the fields and gets no file
    std::string encoding;    // the data file's encoding ("auto" or a converter name); empty: bytes as they are
    std::string sheet;       // the sheet of a workbook data file; empty: its first sheet
    bool escapehtml = false; // values inserted into the template are HTML-escaped
    bool tempRules = false;  // the name template goes through the rules before "?" is replaced
    // Key "rulesCount" is rules.rowCount(): the rules plus the grid's header row.
    RulesTable rules;

    // How the data file is read, from delim and the data keys.
    DataFormat dataFormat() const { return DataFormat{delim, quotes, encoding, header, sheet}; }

    bool operator==(const ProjectSettings&) const = default;
};

// The case choices of caseIndex.
enum CaseChoice : std::int32_t { kCaseNone = -1, kCaseSmall = 0, kCaseSentence = 1, kCaseLarge = 2 };

} // namespace stencilor
