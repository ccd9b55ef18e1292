// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

// One pass over a data file that finds both what the data source check reports (field count,
// sample, widest line, field names, a workbook's sheets) and the data warnings: the file is read
// once, in blocks, whatever its size, and the pass can tell its progress and be stopped.

#include "datasource/DataFileWarnings.h"
#include "datasource/DataSourceCheck.h"

#include <atomic>
#include <cstddef>
#include <string>

namespace stencilor {

struct DataFileFindings {
    DataFileState state;
    DataFileWarnings warnings;
    bool stopped = false; // the pass was stopped before its end: the findings are incomplete
};

// What a pass finds and how it is watched.
struct DataFilePass {
    bool check = true;    // the data source check's findings
    bool warnings = true; // the data warnings
    std::size_t blockSize = std::size_t{1} << 20;
    // Told, as the pass goes on, how many bytes of the file it has read (a workbook's rows are
    // not told).
    ReadProgress progress = {};
    // Looked at between blocks and records: once true, the pass ends (stopped) within a block.
    const std::atomic<bool>* stop = nullptr;
};

// Reads the data file at `path` as `format` says, once, and finds what `pass` asks for, each as
// checkDataFile and scanDataFile find it. A missing or unreadable file gives the findings of a
// file without lines; an unknown encoding is the state's error.
DataFileFindings examineDataFile(const std::string& path, const DataFormat& format, const DataFilePass& pass = {});

} // namespace stencilor
