// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

// What a data file holds that a run would read differently from what its user may expect,
// found by looking at its bytes: a byte-order mark, text that is not UTF-8, delimiters inside
// double quotes while quoted fields are off, a NUL byte that ends the text early.

#include "datasource/DataSourceCheck.h"
#include "platform/Detail.h"

#include <atomic>
#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

namespace stencilor {

struct DataFileWarnings {
    bool byteOrderMark = false;
    std::uint64_t invalidUtf8Lines = 0;
    std::uint64_t firstInvalidUtf8Line = 0;
    std::string likelyEncoding; // the charset detection's guess, when lines are not UTF-8
    std::uint64_t quotedDelimiterLines = 0;
    std::uint64_t firstQuotedDelimiterLine = 0;
    std::uint64_t nulLine = 0;       // the line holding the first NUL byte, 0 when none
    std::uint64_t bytesAfterNul = 0; // bytes of the file behind it, which are not read
};

// Looks at the data file `path` in blocks of `blockSize` bytes (so neither its size nor the length
// of its lines matters to the memory used). The UTF-8 and byte-order mark findings are made only
// when `encoding` is empty (a named or "auto" encoding decodes the file and drops a mark); quoted
// delimiters only when `quotes` is off. `progress` is told the bytes read after each block; once
// `stop` is set, the look ends before the next block, with what it has found so far.
DataFileWarnings scanDataFile(const std::string& path, const std::string& delim, bool quotes,
                              const std::string& encoding, std::size_t blockSize = std::size_t{1} << 20,
                              const ReadProgress& progress = {}, const std::atomic<bool>* stop = nullptr);

// The warnings as details, one each (none when there are none).
std::vector<Detail> warningDetails(const DataFileWarnings& warnings);

// The warnings in English words, one line each (empty when there are none), for the check's messages.
std::vector<std::string> warningTexts(const DataFileWarnings& warnings);

// The warning that `replaced` sequences (1 or more) were not valid in the encoding `encoding` and
// were read as U+FFFD.
Detail replacedSequences(std::uint64_t replaced, const std::string& encoding);

} // namespace stencilor
