// SPDX-License-Identifier: GPL-3.0-or-later
#include "datasource/DataInput.h"

#include "datasource/workbook/SheetRecord.h"
#include "platform/FileSystem.h"

#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace stencilor {

namespace {

// How much of the data the charset detection looks at, and how much of a pipe is held back to
// choose its encoding from.
constexpr std::size_t kSampleBytes = std::size_t{1} << 20;

// Bytes held back from a pipe, then the rest of it.
class PrefixedSource final : public ByteSource {
public:
    PrefixedSource(std::string prefix, int fd, std::string path)
        : m_prefix(std::move(prefix))
        , m_rest(fd, std::move(path))
    {
    }
    Result<std::size_t> read(char* into, std::size_t size) override
    {
        if (m_used < m_prefix.size()) {
            const std::size_t count = std::min(size, m_prefix.size() - m_used);
            std::memcpy(into, m_prefix.data() + m_used, count);
            m_used += count;
            return count;
        }
        return m_rest.read(into, size);
    }

private:
    std::string m_prefix;
    std::size_t m_used = 0;
    DescriptorSource m_rest;
};

// The bytes of a pipe, each also written to a file out of sight, from which the data is read
// again: a pipe can be read only once, and memory must not hold all of it.
class SpoolingSource final : public ByteSource {
public:
    SpoolingSource(std::unique_ptr<ByteSource> pipe, int spool)
        : m_pipe(std::move(pipe))
        , m_spool(spool)
    {
    }
    Result<std::size_t> read(char* into, std::size_t size) override
    {
        Result<std::size_t> got = m_pipe->read(into, size);
        if (!got || got.value() == 0)
            return got;
        if (const int code = writeAll(m_spool, std::string_view(into, got.value())); code != 0)
            return systemError(ErrorKind::WriteFile, spoolFolder(), code);
        return got;
    }

    // Where the copy of standard input lies: $TMPDIR, or /tmp.
    static std::string spoolFolder()
    {
        const char* folder = std::getenv("TMPDIR");
        return folder && *folder ? folder : "/tmp";
    }

private:
    std::unique_ptr<ByteSource> m_pipe;
    int m_spool;
};

// The bytes of another source, each also fed to a hash: the data's content is known from the
// pass that reads it anyway.
class HashingSource final : public ByteSource {
public:
    HashingSource(std::unique_ptr<ByteSource> source, ContentHash& hash)
        : m_source(std::move(source))
        , m_hash(hash)
    {
    }
    Result<std::size_t> read(char* into, std::size_t size) override
    {
        Result<std::size_t> got = m_source->read(into, size);
        if (got)
            m_hash.feed(std::string_view(into, got.value()));
        return got;
    }

private:
    std::unique_ptr<ByteSource> m_source;
    ContentHash& m_hash;
};

// The bytes of another source until a stop is asked for: then they end, so that a pass asked to
// stop ends within a block, whatever the length of the record it is in.
class StoppableSource final : public ByteSource {
public:
    StoppableSource(std::unique_ptr<ByteSource> source, const std::atomic<bool>* const& stop)
        : m_source(std::move(source))
        , m_stop(stop)
    {
    }
    Result<std::size_t> read(char* into, std::size_t size) override
    {
        if (m_stop && m_stop->load(std::memory_order_relaxed))
            return std::size_t{0};
        return m_source->read(into, size);
    }

private:
    std::unique_ptr<ByteSource> m_source;
    const std::atomic<bool>* const& m_stop; // the input's, which may be set after the source is made
};

Error readError(const std::string& path, int code)
{
    return systemError(ErrorKind::ReadFile, path, code);
}

// Reads up to `size` bytes at `offset` of a regular file without moving its position.
Result<std::size_t> readFileAt(int fd, const std::string& path, char* into, std::size_t size, std::uint64_t offset)
{
    Result<std::size_t> got = stencilor::readAt(fd, into, size, offset);
    if (!got)
        return readError(path, got.error().code);
    return got;
}

// The encoding "auto" and a name choose for a regular file, looked at through pread: its first
// bytes, whether all of it (up to a NUL) is valid UTF-8, and a sample for the detection.
Result<ChosenEncoding> chooseForFile(const std::string& setting, int fd, const std::string& path)
{
    if (setting != "auto")
        return chooseEncoding(setting, {}, true, {});
    std::string sample(kSampleBytes, '\0');
    const Result<std::size_t> got = readFileAt(fd, path, sample.data(), sample.size(), 0);
    if (!got)
        return got.error();
    sample.resize(got.value());
    Utf8Validator validator;
    std::string block(kSampleBytes, '\0');
    for (std::uint64_t offset = 0;;) {
        const Result<std::size_t> piece = readFileAt(fd, path, block.data(), block.size(), offset);
        if (!piece)
            return piece.error();
        const std::string_view text(block.data(), piece.value());
        const std::size_t nul = text.find('\0');
        validator.feed(text.substr(0, nul));
        if (piece.value() < block.size() || nul != std::string_view::npos || !validator.validSoFar())
            break;
        offset += piece.value();
    }
    return chooseEncoding(setting, sample, validator.valid(), sample);
}

} // namespace

std::string spoolFolder()
{
    return SpoolingSource::spoolFolder();
}

Result<FileDescriptor> openSpool()
{
    const std::string folder = SpoolingSource::spoolFolder();
    FileDescriptor spool(
        retryOnInterrupt([&] { return ::open(folder.c_str(), O_TMPFILE | O_RDWR | O_CLOEXEC, 0600); }));
    if (spool.valid())
        return spool;
    // A file system without unnamed files: a named one, removed at once.
    std::string name = folder + "/stencilor-input-XXXXXX";
    spool.reset(::mkostemp(name.data(), O_CLOEXEC));
    if (!spool.valid())
        return systemError(ErrorKind::CreateFile, folder, errno);
    ::unlink(name.c_str());
    return spool;
}

RecordReader::Options sheetForm()
{
    return RecordReader::Options{true, std::string(kSheetRecordDelimiter)};
}

DataInput::~DataInput()
{
    // The readers go before the file they read.
    m_rows.reset();
    m_workbook.reset();
    m_reader.reset();
    m_decoder.reset();
    m_raw.reset();
}

Result<std::unique_ptr<DataInput>> DataInput::open(const std::string& path, const Options& options)
{
    std::unique_ptr<DataInput> input(new DataInput);
    const bool standardInput = path == "-";
    if (standardInput) {
        input->m_fd = STDIN_FILENO;
    } else {
        // O_NONBLOCK keeps the open of a FIFO from waiting for a writer; it is refused below.
        input->m_file.reset(::open(path.c_str(), O_RDONLY | O_NONBLOCK | O_CLOEXEC));
        if (!input->m_file.valid())
            return systemError(ErrorKind::OpenFile, path, errno);
        input->m_fd = input->m_file.get();
    }
    struct stat info {};
    if (::fstat(input->m_fd, &info) != 0)
        return readError(path, errno);
    const bool regular = S_ISREG(info.st_mode);
    if (!standardInput && !regular)
        return readError(path, S_ISDIR(info.st_mode) ? EISDIR : kNotRegularFile);
    if (!standardInput) {
        // Reading blocks normally again, now that the file is known to be a regular one.
        ::fcntl(input->m_fd, F_SETFL, ::fcntl(input->m_fd, F_GETFL) & ~O_NONBLOCK);
    }
    if (regular) {
        input->m_size = static_cast<std::uint64_t>(info.st_size);
        input->m_identity = FileIdentity{info.st_dev, info.st_ino};
        input->m_modified = info.st_mtim;
        // A workbook is known by its first bytes, whatever its name; delimiter, quotes and
        // encoding do not apply to it.
        char first[8] = {};
        const Result<std::size_t> got = readFileAt(input->m_fd, path, first, sizeof first, 0);
        if (!got)
            return got.error();
        if (sniffDataFile(std::string_view(first, got.value())) != DataFileKind::Text) {
            input->m_path = path;
            input->m_options = options;
            if (Status opened = input->openWorkbook(); !opened)
                return opened.error();
            return input;
        }
    }

    std::string prefix;
    if (!options.encoding.empty()) {
        Result<ChosenEncoding> chosen = ChosenEncoding{};
        if (regular) {
            chosen = chooseForFile(options.encoding, input->m_fd, path);
        } else {
            // A pipe cannot be read twice: its first bytes are held back to choose from.
            prefix.resize(kSampleBytes);
            std::size_t filled = 0;
            while (filled < prefix.size()) {
                const Result<std::size_t> got = readSome(input->m_fd, prefix.data() + filled, prefix.size() - filled);
                if (!got)
                    return readError(path, got.error().code);
                if (got.value() == 0)
                    break;
                filled += got.value();
            }
            prefix.resize(filled);
            Utf8Validator validator;
            validator.feed(std::string_view(prefix).substr(0, prefix.find('\0')));
            const bool whole = filled < kSampleBytes;
            chosen =
                chooseEncoding(options.encoding, prefix, whole ? validator.valid() : validator.validSoFar(), prefix);
        }
        if (!chosen)
            return chosen.error();
        input->m_encoding = chosen.value();
    }

    input->m_path = path;
    input->m_options = options;
    if (!regular && options.restartable) {
        Result<FileDescriptor> spool = openSpool();
        if (!spool)
            return spool.error();
        input->m_spool = std::move(spool.value());
    }
    if (Status started = input->startReading(std::move(prefix)); !started)
        return started.error();
    return input;
}

Status DataInput::startReading(std::string prefix)
{
    m_reader.reset();
    m_decoder.reset();
    m_spooling = false;
    if (!prefix.empty())
        m_raw = std::make_unique<PrefixedSource>(std::move(prefix), m_fd, m_path);
    else
        m_raw = std::make_unique<DescriptorSource>(m_fd, m_path);
    if (m_spool.valid() && m_fd != m_spool.get()) {
        m_raw = std::make_unique<SpoolingSource>(std::move(m_raw), m_spool.get());
        m_spooling = true;
    }
    // The first pass is hashed; a pass after a restart reads the same bytes again.
    if (!m_restarted)
        m_raw = std::make_unique<HashingSource>(std::move(m_raw), m_readHash);
    m_raw = std::make_unique<StoppableSource>(std::move(m_raw), m_stop);
    ByteSource* source = m_raw.get();
    // Valid UTF-8 without a mark needs no decoding.
    if (m_encoding && m_encoding->choice != EncodingChoice::ValidUtf8) {
        Result<std::unique_ptr<DecodingSource>> decoder = DecodingSource::open(*source, m_encoding->name);
        if (!decoder)
            return decoder.error();
        m_decoder = std::move(decoder.value());
        source = m_decoder.get();
    }
    m_text = source;
    m_reader = std::make_unique<RecordReader>(
        *source, RecordReader::Options{m_options.quotes, m_options.delim, m_options.blockSize, m_options.maxRecord});
    return {};
}

Status DataInput::openWorkbook()
{
    // The workbook is read through its own descriptor of the same file, at any offset.
    WorkbookResult<std::unique_ptr<Workbook>> workbook = Workbook::open(m_path);
    if (!workbook)
        return toError(workbook.error());
    m_workbook = std::move(workbook.value());
    // A survey first: the sheet's extent, so that every row has the sheet's width and the rows
    // end where the last one showing text does, and its merged ranges.
    WorkbookResult<SheetLayout> layout = m_workbook->survey(m_options.sheet);
    if (!layout)
        return toError(layout.error());
    m_layout = std::move(layout.value());
    m_size = m_layout.rows;
    return startRows();
}

Status DataInput::startRows()
{
    m_rows.reset();
    WorkbookResult<std::unique_ptr<SheetReader>> rows = m_workbook->read(m_layout.sheet, &m_layout);
    if (!rows)
        return toError(rows.error());
    m_rows = std::move(rows.value());
    return {};
}

Result<bool> DataInput::nextRow(DataRecord& record)
{
    const WorkbookResult<bool> got = m_rows->next(m_row);
    if (!got)
        return toError(got.error());
    if (!got.value())
        return false;
    sheetRowRecord(m_row, m_rowText);
    record.text = m_rowText;
    record.number = m_row.number;
    record.firstLine = m_row.number;
    record.offset = m_row.number - 1;
    record.unclosedQuote = false;
    record.shownAsGeneral = m_row.shownAsGeneral > 0;
    return true;
}

void DataInput::skipTo(std::uint64_t row)
{
    if (m_rows)
        m_rows->skipTo(row);
}

Status DataInput::restart()
{
    if (m_rows)
        return startRows();
    if (m_spooling) {
        // The rest of the pipe goes to the copy first, record by record, so that a pipe without
        // line ends meets the bound of a record; from here on the copy is the data.
        DataRecord record;
        for (;;) {
            const Result<bool> got = m_reader->next(record);
            if (!got)
                return got.error();
            if (!got.value())
                break;
        }
        const off_t size = ::lseek(m_spool.get(), 0, SEEK_CUR);
        if (size < 0)
            return readError(m_path, errno);
        m_size = static_cast<std::uint64_t>(size);
        m_fd = m_spool.get();
    } else if (!m_identity && !(m_spool.valid() && m_fd == m_spool.get())) {
        return readError(m_path, ESPIPE);
    }
    if (::lseek(m_fd, 0, SEEK_SET) != 0)
        return readError(m_path, errno);
    m_restarted = true;
    return startReading({});
}

Status DataInput::readAll(std::string& into)
{
    if (m_rows) {
        // The sheet as a delimited text with quoted fields, a row to a line.
        DataRecord record;
        for (;;) {
            const Result<bool> got = nextRow(record);
            if (!got)
                return got.error();
            if (!got.value())
                return {};
            into.append(record.text).append("\n");
        }
    }
    constexpr std::size_t kBlock = std::size_t{1} << 20;
    for (;;) {
        const std::size_t at = into.size();
        into.resize(at + kBlock);
        const Result<std::size_t> got = m_text->read(into.data() + at, kBlock);
        if (!got) {
            into.resize(at);
            return got.error();
        }
        into.resize(at + got.value());
        if (got.value() == 0)
            return {};
    }
}

} // namespace stencilor
