// SPDX-License-Identifier: GPL-3.0-or-later
#include "datasource/DataInput.h"

#include "TestUtil.h"

#include <atomic>
#include <filesystem>
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

namespace stencilor {
namespace {

// The records of the data file `name` in `dir`, read as DataInput reads them.
std::vector<std::string> records(const test::TempDir& dir, const std::string& name, const DataInput::Options& options,
                                 std::string* encoding = nullptr)
{
    auto input = DataInput::open(dir.file(name), options);
    EXPECT_TRUE(input) << name;
    if (!input)
        return {};
    std::vector<std::string> texts;
    DataRecord record;
    while (input.value()->next(record).value())
        texts.emplace_back(record.text);
    // Read again from the start through the same file, the records are the same.
    EXPECT_TRUE(input.value()->restart());
    std::vector<std::string> again;
    while (input.value()->next(record).value())
        again.emplace_back(record.text);
    EXPECT_EQ(again, texts) << name;
    if (encoding && input.value()->encoding())
        *encoding = encodingLine(*input.value()->encoding());
    return texts;
}

TEST(DataInput, ReadsTheFileInItsEncodingWithQuotedFields)
{
    test::TempDir dir;
    dir.write("latin1.csv", "1;\"Z\xFCrich; old\nquarter\"\r\n2;K\xF6ln\r\n");
    dir.write("bom.csv", "\xEF\xBB\xBFid;name\n1;Ann\n");
    std::string encoding;
    EXPECT_EQ(records(dir, "latin1.csv", {true, ";", "ISO-8859-1"}, &encoding),
              (std::vector<std::string>{"1;\"Z\xC3\xBCrich; old\nquarter\"", "2;K\xC3\xB6ln"}));
    EXPECT_EQ(encoding, "encoding: ISO-8859-1");
    EXPECT_EQ(records(dir, "bom.csv", {false, ";", "auto"}, &encoding), (std::vector<std::string>{"id;name", "1;Ann"}));
    EXPECT_EQ(encoding, "encoding: UTF-8 (byte-order mark)");
    // Without an encoding the bytes stay as they are, the mark too.
    EXPECT_EQ(records(dir, "bom.csv", {}), (std::vector<std::string>{"\xEF\xBB\xBFid;name", "1;Ann"}));
}

TEST(DataInput, AStopEndsTheTextWithinABlockOfALongRecord)
{
    // A short record, then one of 64 blocks: asked to stop after the first, the text ends within
    // a block of the second, decoded or not.
    constexpr std::size_t kBlock = 4096;
    test::TempDir dir;
    dir.write("long.csv", "first\n" + std::string(64 * kBlock, 'x') + "\nlast\n");
    for (const char* encoding : {"", "ISO-8859-1"}) {
        auto input = DataInput::open(dir.file("long.csv"), {false, ";", encoding, kBlock});
        ASSERT_TRUE(input) << encoding;
        std::atomic<bool> stop{false};
        input.value()->setStop(&stop);
        DataRecord record;
        ASSERT_TRUE(input.value()->next(record).value()) << encoding;
        EXPECT_EQ(record.text, "first") << encoding;
        stop = true;
        const Result<bool> got = input.value()->next(record);
        ASSERT_TRUE(got) << encoding;
        if (got.value()) {
            EXPECT_LE(record.text.size(), 2 * kBlock) << encoding;
        }
        EXPECT_FALSE(input.value()->next(record).value()) << encoding;
    }
}

TEST(DataInput, RefusesWhatIsNotARegularFileAndUnknownEncodings)
{
    test::TempDir dir;
    ASSERT_EQ(::mkfifo(dir.file("fifo").c_str(), 0600), 0);
    dir.write("d.csv", "a\n");
    const struct {
        std::string path, encoding;
        int code;
        std::string message;
    } cases[] = {
        {dir.file("fifo"), "", kNotRegularFile, ""},
        {dir.path(), "", EISDIR, ""},
        {dir.file("missing.csv"), "", ENOENT, ""},
        {dir.file("d.csv"), "x-unknown", 0, "Unknown encoding \"x-unknown\" in the project file"},
    };
    for (const auto& c : cases) {
        DataInput::Options options;
        options.encoding = c.encoding;
        const auto input = DataInput::open(c.path, options);
        ASSERT_FALSE(input) << c.path;
        EXPECT_EQ(input.error().code, c.code) << c.path;
        if (!c.message.empty()) {
            EXPECT_EQ(errorText(input.error()), c.message);
        }
    }
}

// Standard input holding `text` while the object lives.
class PipedStandardInput final {
public:
    explicit PipedStandardInput(std::string_view text)
        : m_saved(::dup(STDIN_FILENO))
    {
        int ends[2];
        EXPECT_EQ(::pipe(ends), 0);
        EXPECT_EQ(::write(ends[1], text.data(), text.size()), static_cast<ssize_t>(text.size()));
        ::close(ends[1]);
        ::dup2(ends[0], STDIN_FILENO);
        ::close(ends[0]);
    }
    ~PipedStandardInput()
    {
        ::dup2(m_saved, STDIN_FILENO);
        ::close(m_saved);
    }

private:
    int m_saved;
};

// Standard input streams like a file: read again from its copy after a restart, its size known
// then, and a record longer than the bound is an error, not all the memory there is.
TEST(DataInput, StandardInputIsReadAgainFromItsCopyWithTheBoundOfARecord)
{
    for (const std::string encoding : {"", "UTF-16LE"}) {
        const std::string text = encoding.empty() ? std::string("a;1\nbb;2\n") : std::string("a\0\n\0b\0\n\0", 8);
        PipedStandardInput in(text);
        DataInput::Options options;
        options.encoding = encoding;
        auto input = DataInput::open("-", options);
        ASSERT_TRUE(input) << encoding;
        for (int pass = 0; pass < 2; ++pass) {
            std::vector<std::string> seen;
            DataRecord record;
            while (input.value()->next(record).value())
                seen.emplace_back(record.text);
            const std::vector<std::string> expected =
                encoding.empty() ? std::vector<std::string>{"a;1", "bb;2"} : std::vector<std::string>{"a", "b"};
            EXPECT_EQ(seen, expected) << encoding << " pass " << pass;
            const Status restarted = input.value()->restart();
            ASSERT_TRUE(restarted) << errorText(restarted.error());
            EXPECT_EQ(input.value()->size(), text.size());
        }
    }
    PipedStandardInput in(std::string(100, 'x'));
    DataInput::Options options;
    options.maxRecord = 10;
    auto input = DataInput::open("-", options);
    ASSERT_TRUE(input);
    const Status restarted = input.value()->restart();
    ASSERT_FALSE(restarted);
    EXPECT_EQ(errorText(restarted.error()), "Record 1 (from line 1) of the data file is longer than 10 bytes");
}

} // namespace
} // namespace stencilor
