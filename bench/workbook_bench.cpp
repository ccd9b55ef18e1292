// SPDX-License-Identifier: GPL-3.0-or-later
// Reads a data file as a run reads it, twice through (a pass that counts the records, then one
// that takes them and cuts their fields), and prints the time each pass took (CPU seconds of this
// process) and the records read. A delimited file is read with quoted fields and delimiter ","
// (as the office suite exports a sheet); a workbook's first sheet is surveyed, then read a row at a
// time, each row made into its record and cut again, as the run will take it.
// usage: stencilor_workbook_bench csv|workbook FILE

#include "datasource/RecordFields.h"
#include "datasource/RecordReader.h"
#include "datasource/workbook/SheetRecord.h"
#include "datasource/workbook/Workbook.h"

#include <cstdio>
#include <ctime>
#include <fcntl.h>
#include <string>
#include <unistd.h>

using namespace stencilor;

namespace {

double cpuSeconds()
{
    timespec now{};
    clock_gettime(CLOCK_PROCESS_CPUTIME_ID, &now);
    return static_cast<double>(now.tv_sec) + static_cast<double>(now.tv_nsec) / 1e9;
}

// The bytes of all fields, so that the cutting cannot be left out.
std::uint64_t fieldBytes(const RecordFields& fields)
{
    std::uint64_t bytes = 0;
    for (std::int64_t n = 1; n <= fields.count(); ++n)
        bytes += fields.field(n).size();
    return bytes;
}

int readCsv(const char* path)
{
    std::uint64_t counted = 0;
    std::uint64_t taken = 0;
    std::uint64_t bytes = 0;
    double times[2] = {};
    for (int pass = 0; pass < 2; ++pass) {
        const int fd = ::open(path, O_RDONLY | O_CLOEXEC);
        if (fd < 0) {
            std::perror(path);
            return 2;
        }
        const double start = cpuSeconds();
        DescriptorSource source(fd, path);
        RecordReader reader(source, {true, ",", std::size_t{1} << 20});
        DataRecord record;
        RecordFields fields;
        while (reader.next(record).value()) {
            if (pass == 0) {
                ++counted;
            } else {
                fields.assign(record.text, ",", true);
                bytes += fieldBytes(fields);
                ++taken;
            }
        }
        times[pass] = cpuSeconds() - start;
        ::close(fd);
    }
    std::printf("csv: count %.3f s, read %.3f s, total %.3f s, %llu records (%llu field bytes)\n", times[0], times[1],
                times[0] + times[1], static_cast<unsigned long long>(taken), static_cast<unsigned long long>(bytes));
    return counted == taken ? 0 : 1;
}

int readWorkbook(const char* path)
{
    const double start = cpuSeconds();
    WorkbookResult<std::unique_ptr<Workbook>> workbook = Workbook::open(path);
    if (!workbook) {
        std::fprintf(stderr, "%s\n", workbookMessage(workbook.error()).c_str());
        return 2;
    }
    const WorkbookResult<SheetLayout> layout = workbook.value()->survey("");
    if (!layout) {
        std::fprintf(stderr, "%s\n", workbookMessage(layout.error()).c_str());
        return 2;
    }
    const double surveyed = cpuSeconds();
    WorkbookResult<std::unique_ptr<SheetReader>> reader = workbook.value()->read("", &layout.value());
    if (!reader) {
        std::fprintf(stderr, "%s\n", workbookMessage(reader.error()).c_str());
        return 2;
    }
    SheetRow row;
    std::string record;
    RecordFields fields;
    std::uint64_t taken = 0;
    std::uint64_t bytes = 0;
    for (;;) {
        const WorkbookResult<bool> got = reader.value()->next(row);
        if (!got) {
            std::fprintf(stderr, "%s\n", workbookMessage(got.error()).c_str());
            return 2;
        }
        if (!got.value())
            break;
        sheetRowRecord(row, record);
        fields.assign(record, kSheetRecordDelimiter, true);
        bytes += fieldBytes(fields);
        ++taken;
    }
    const double done = cpuSeconds();
    std::printf("workbook: survey %.3f s (with opening), read %.3f s, total %.3f s, %llu records (%llu field bytes)\n",
                surveyed - start, done - surveyed, done - start, static_cast<unsigned long long>(taken),
                static_cast<unsigned long long>(bytes));
    return taken == layout.value().rows ? 0 : 1;
}

} // namespace

int main(int argc, char** argv)
{
    if (argc != 3) {
        std::fprintf(stderr, "usage: %s csv|workbook FILE\n", argv[0]);
        return 64;
    }
    return std::string(argv[1]) == "csv" ? readCsv(argv[2]) : readWorkbook(argv[2]);
}
