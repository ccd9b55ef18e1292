// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

// Reading a data file record by record through one open file, in blocks, so that memory does
// not grow with the file: only the record in progress is held.
//
// A record is one line (a line ends at CR LF, a lone CR or a lone LF; a line end at the very end
// adds no record; a NUL byte ends the text), or, with quoted fields, the lines that a field in
// double quotes spans: a field that begins with '"' runs to the closing '"' ('""' inside it is
// one '"'), and delimiters and line breaks inside it belong to the field. A quote that never
// closes runs to the end of the data, as the usual readers of such files take it.

#include "platform/Result.h"

#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

namespace stencilor {

// Where the bytes come from: a file, standard input, a text in memory.
class ByteSource {
public:
    virtual ~ByteSource() = default;
    // Reads up to `size` bytes into `into`: the number read, 0 at the end; fails with the errno
    // of reading.
    virtual Result<std::size_t> read(char* into, std::size_t size) = 0;
    // Where the byte at `offset` of what read() gave lies in the bytes below (the file's bytes,
    // when the source decodes them); asked for offsets that do not go back.
    virtual std::uint64_t offsetBelow(std::uint64_t offset) { return offset; }
};

// The bytes of a text held elsewhere, which must outlive the source.
class TextSource final : public ByteSource {
public:
    explicit TextSource(std::string_view text)
        : m_text(text)
    {
    }
    Result<std::size_t> read(char* into, std::size_t size) override;

private:
    std::string_view m_text;
};

// The bytes of an open file descriptor, which the source does not close.
class DescriptorSource final : public ByteSource {
public:
    DescriptorSource(int fd, std::string path)
        : m_fd(fd)
        , m_path(std::move(path))
    {
    }
    Result<std::size_t> read(char* into, std::size_t size) override;

private:
    int m_fd;
    std::string m_path;
};

struct DataRecord {
    // The record as it stands in the data: the line, or with quoted fields the lines it spans,
    // joined by their own line ends (without the line end that closes the record).
    std::string_view text;
    std::uint64_t number = 0;    // 1 for the first record
    std::uint64_t firstLine = 0; // the line it begins on, 1 for the first line
    std::uint64_t offset = 0;    // where it begins in the source's bytes (the file's, when decoded)
    bool unclosedQuote = false;  // a quote opened in it never closes
    bool shownAsGeneral = false; // a sheet row with a number whose format was not understood
};

// True when the record numbered `number` of a data file whose first record names the fields
// (`header`) is that header: it gets no file, no report row and no place among the samples.
inline bool isHeaderRecord(bool header, std::uint64_t number)
{
    return header && number == 1;
}

// The longest record a data file may hold (1 GiB, without its line end): a longer one ends the
// reading with ErrorKind::RecordTooLong, so that a file or a pipe without line ends cannot take
// all the memory there is.
inline constexpr std::size_t kMaxRecordBytes = std::size_t{1} << 30;

// The bytes a reader has read: grown in place where the system can (realloc moves the pages of
// a large block instead of copying them), so that a record near the bound is not held twice
// while it grows, and the room not read into yet takes no memory.
class ReadBuffer final {
public:
    ReadBuffer() = default;
    ReadBuffer(ReadBuffer&& other) noexcept
        : m_data(std::exchange(other.m_data, nullptr))
        , m_size(std::exchange(other.m_size, 0))
    {
    }
    ReadBuffer(const ReadBuffer&) = delete;
    ReadBuffer& operator=(const ReadBuffer&) = delete;
    ~ReadBuffer() { std::free(m_data); }
    char* data() { return m_data; }
    const char* data() const { return m_data; }
    std::size_t size() const { return m_size; }
    char operator[](std::size_t i) const { return m_data[i]; }
    // Grows to `size` bytes, keeping those there; throws std::bad_alloc as a string would.
    void grow(std::size_t size);

private:
    char* m_data = nullptr;
    std::size_t m_size = 0;
};

class RecordReader final {
public:
    struct Options {
        bool quotes = false;     // fields in double quotes may hold delimiters and line breaks
        std::string delim = ";"; // the field delimiter (for finding where quoted fields begin)
        std::size_t blockSize = std::size_t{1} << 20;
        std::size_t maxRecord = kMaxRecordBytes; // the longest record
    };

    RecordReader(ByteSource& source, Options options);

    // Puts the next record into `record` (its text valid until the next call); false at the end
    // of the data. Fails with the source's error, or with RecordTooLong.
    Result<bool> next(DataRecord& record);

private:
    // Makes sure at least `count` bytes from m_pos on are in the buffer, or the data has ended;
    // false when it ended first. Fails when the record at m_pos would be longer than maxRecord.
    Result<bool> fill(std::size_t count);
    // The error of a record at m_pos longer than maxRecord.
    Error tooLong() const;
    // The length of the quoted record that starts at m_pos (without its line end), reading more
    // as needed; sets `unclosed` when a quote runs to the end of the data.
    Result<std::size_t> quotedRecordLength(bool& unclosed);

    ByteSource& m_source;
    Options m_options;
    ReadBuffer m_buffer;
    std::size_t m_pos = 0;      // the start of the next record in m_buffer
    std::size_t m_end = 0;      // the end of the bytes read into m_buffer
    bool m_ended = false;       // the source ended, or a NUL byte ended the text
    std::uint64_t m_offset = 0; // the source offset of m_buffer[0]
    std::uint64_t m_records = 0;
    std::uint64_t m_lines = 0; // line ends passed
};

// The fields of a quoted record's text split at `delim`, each as the reader gives it: quotes
// around a field removed, '""' inside them one '"', text after a closing quote kept up to the
// next delimiter. The views point into `text` or into `scratch`, which holds the fields that
// needed a change; both must outlive them. Fields beyond `count` are not split.
void splitQuotedFields(std::string_view text, std::string_view delim, std::size_t count, std::string& scratch,
                       std::vector<std::string_view>& fields);

} // namespace stencilor
