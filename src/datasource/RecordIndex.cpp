// SPDX-License-Identifier: GPL-3.0-or-later
#include "datasource/RecordIndex.h"

#include "platform/Messages.h"

#include <algorithm>
#include <cerrno>
#include <fcntl.h>

namespace stencilor {

namespace {

// Decoded text is written out in pieces of this size.
constexpr std::size_t kSpoolPiece = std::size_t{1} << 20;

} // namespace

Result<std::unique_ptr<RecordIndex>> RecordIndex::open(const std::string& path, const DataFormat& format)
{
    Result<std::unique_ptr<DataInput>> input =
        DataInput::open(path, DataInput::Options{format.quotes, format.delim, format.encoding, std::size_t{1} << 20,
                                                 false, kMaxRecordBytes, format.sheet});
    if (!input)
        return input.error();
    std::unique_ptr<RecordIndex> index(new RecordIndex);
    index->m_input = std::move(input.value());
    index->m_path = path;
    index->m_decoded = index->m_input->workbook() || index->m_input->decoded();
    if (index->m_decoded) {
        Result<FileDescriptor> spool = openSpool();
        if (!spool)
            return spool.error();
        index->m_spool = std::move(spool.value());
    } else {
        index->m_file.reset(retryOnInterrupt([&] { return ::open(path.c_str(), O_RDONLY | O_CLOEXEC); }));
        if (!index->m_file.valid())
            return systemError(ErrorKind::OpenFile, path, errno);
    }
    return index;
}

Status RecordIndex::flush()
{
    if (m_pending.empty())
        return {};
    if (const int code = writeAll(m_spool.get(), m_pending); code != 0)
        return systemError(ErrorKind::WriteFile, spoolFolder(), code);
    m_pending.clear();
    return {};
}

Result<bool> RecordIndex::index(std::vector<std::uint64_t>& starts, std::size_t records, const std::atomic<bool>* stop)
{
    DataRecord record;
    for (std::size_t n = 0; n < records; ++n) {
        if (stop && stop->load(std::memory_order_relaxed))
            break;
        const Result<bool> got = m_input->next(record);
        if (!got)
            return got.error();
        if (!got.value()) {
            if (Status written = flush(); !written)
                return written.error();
            m_position = size();
            return true;
        }
        m_position = record.offset;
        if (m_decoded) {
            starts.push_back(m_spoolSize);
            m_pending.append(record.text).push_back('\n');
            m_spoolSize += record.text.size() + 1;
            if (m_pending.size() >= kSpoolPiece) {
                if (Status written = flush(); !written)
                    return written.error();
            }
        } else {
            starts.push_back(record.offset);
            m_textEnd = record.offset + record.text.size();
        }
    }
    // What was handed out can be read.
    if (Status written = flush(); !written)
        return written.error();
    return false;
}

Result<std::string> RecordIndex::record(std::uint64_t start, std::uint64_t end, bool endIsNextStart,
                                        std::size_t limit) const
{
    const std::size_t length = static_cast<std::size_t>(std::min<std::uint64_t>(end - start, limit));
    std::string text(length, '\0');
    const Result<std::size_t> got = readAt(m_decoded ? m_spool.get() : m_file.get(), text.data(), text.size(), start);
    if (!got)
        return systemError(ErrorKind::ReadFile, m_decoded ? spoolFolder() : m_path, got.error().code);
    text.resize(got.value());
    if (text.size() < end - start)
        return text; // cut short: no line end to drop
    // Decoded text holds a line feed after every record. A record of the file itself ends before
    // the next one's start, after the line end (CR LF, CR or LF) that closes it, which its text
    // never ends with otherwise; the last one read ends where its text ends.
    if (m_decoded) {
        if (!text.empty() && text.back() == '\n')
            text.pop_back();
    } else if (endIsNextStart) {
        if (!text.empty() && text.back() == '\n')
            text.pop_back();
        if (!text.empty() && text.back() == '\r')
            text.pop_back();
    }
    return text;
}

} // namespace stencilor
