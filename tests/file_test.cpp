#include "tests/support/gtest.h"
#include "tests/support/temp_dir.h"
#include "vela/storage/file.h"

#include <zlib.h>

#include <cstring>
#include <stdexcept>
#include <string>

using vela::Bytes;
using vela::File;

namespace {

Bytes Sequence(size_t size)
{
    Bytes bytes(size);
    for (size_t i = 0; i < size; ++i)
        bytes[i] = static_cast<BYTE>(i * 7 + 3);
    return bytes;
}

// Bytes that deflate cannot shrink, so the compressed block grows beyond its input.
Bytes Noise(size_t size)
{
    Bytes bytes(size);
    uint32_t state = 12345;
    for (auto& b : bytes) {
        state = state * 1103515245 + 12345;
        b = static_cast<BYTE>(state >> 16);
    }
    return bytes;
}

std::string AsString(const Bytes& bytes)
{
    return std::string(bytes.begin(), bytes.end());
}

Bytes AsBytes(const std::string& text)
{
    return Bytes(text.begin(), text.end());
}

uint32_t LittleEndianAt(const Bytes& bytes, size_t offset)
{
    uint32_t value = 0;
    for (int i = 3; i >= 0; --i)
        value = value << 8 | bytes.at(offset + i);
    return value;
}

// Captures what reaches the debugger output: OutputDebugString raises a
// first-chance exception that a vectored handler sees before anything else.
class DebugOutput {
public:
    DebugOutput() : handler_(AddVectoredExceptionHandler(1, &DebugOutput::Handler)) { Text().clear(); }
    ~DebugOutput() { RemoveVectoredExceptionHandler(handler_); }
    static std::string& Text()
    {
        static std::string text;
        return text;
    }

private:
    static LONG CALLBACK Handler(EXCEPTION_POINTERS* info)
    {
        const EXCEPTION_RECORD* record = info->ExceptionRecord;
        if (record->ExceptionCode == 0x4001000A /* DBG_PRINTEXCEPTION_WIDE_C */ &&
            record->NumberParameters >= 2)
            Text() += Utf8(reinterpret_cast<const WCHAR*>(record->ExceptionInformation[1]));
        else if (record->ExceptionCode == 0x40010006 /* DBG_PRINTEXCEPTION_C */ &&
                 record->NumberParameters >= 2)
            Text() += reinterpret_cast<const char*>(record->ExceptionInformation[1]);
        return EXCEPTION_CONTINUE_SEARCH;
    }
    void* handler_;
};

std::string SystemText(DWORD code)
{
    WCHAR buffer[512] = {};
    FormatMessageW(FORMAT_MESSAGE_FROM_SYSTEM, nullptr, code, 0x0400, buffer, 512, nullptr);
    return Utf8(buffer);
}

} // namespace

TEST(FileVector, SeekClampsToTheData)
{
    struct Case {
        const char* name;
        DWORD readFirst;
        LONG distance;
        DWORD origin;
        uint64_t expected;
    } cases[] = {
        {"begin", 0, 3, FILE_BEGIN, 3},
        {"past the end", 0, 20, FILE_BEGIN, 10},
        {"before the start", 0, -1, FILE_BEGIN, 10},
        {"back from current", 8, -4, FILE_CURRENT, 4},
        {"current before start", 2, -3, FILE_CURRENT, 10},
        {"from the end", 0, -3, FILE_END, 7},
        {"end before start", 0, -11, FILE_END, 10},
        {"any other origin is current", 5, 1, 7, 6},
    };
    for (const auto& c : cases) {
        Bytes data = Sequence(10);
        File file;
        file.Attach(data);
        BYTE sink[16];
        file.Read(sink, c.readFirst);
        EXPECT_TRUE(file.Seek(c.distance, c.origin)) << c.name;
        EXPECT_EQ(file.Position(), c.expected) << c.name;
    }
}

TEST(FileVector, ReadsStopAtTheEndAndWritesGrowTheVector)
{
    Bytes data = Sequence(100);
    File file;
    ASSERT_TRUE(file.Attach(data));
    BYTE buffer[100];
    file.Seek(95, FILE_BEGIN);
    EXPECT_EQ(file.Read(buffer, 100), 5u);
    EXPECT_EQ(buffer[4], data[99]);
    EXPECT_EQ(file.Read(buffer, 1), 0u);

    Bytes ten = Sequence(10);
    file.Attach(ten);
    file.Seek(8, FILE_BEGIN);
    EXPECT_EQ(file.Write("abcd", 4), 4u);
    EXPECT_EQ(ten.size(), 12u);
    EXPECT_EQ(file.End(), 12u);
    EXPECT_EQ(AsString(ten).substr(8), "abcd");
    EXPECT_EQ(file.Write("x", 0), 0u);
    EXPECT_EQ(ten.size(), 12u);

    file.Close();
    EXPECT_EQ(ten.size(), 12u) << "closing leaves the vector's bytes";
}

TEST(FileVector, ClosedFileDoesNothing)
{
    File file;
    BYTE buffer[4] = {9, 9, 9, 9};
    WString text = TEXT("x");
    EXPECT_FALSE(file.IsOpen());
    EXPECT_FALSE(file.Seek(0, FILE_BEGIN));
    EXPECT_EQ(file.Read(buffer, 4), 0u);
    EXPECT_EQ(file.Write(buffer, 4), 0u);
    EXPECT_EQ(file.ReadInt(), 0);
    file.ReadString(text);
    EXPECT_TRUE(text.empty());
}

TEST(FileVector, ShrunkVectorThrowsOutOfRange)
{
    Bytes data = Sequence(10);
    File file;
    file.Attach(data);
    file.Seek(6, FILE_BEGIN);
    data.resize(4);
    BYTE buffer[2];
    try {
        file.Read(buffer, 2);
        FAIL() << "no exception";
    } catch (const std::out_of_range& e) {
        EXPECT_STREQ(e.what(), "invalid vector<T> subscript");
    }
}

TEST(FileVector, IntegersAreLittleEndianAndEndReadsZero)
{
    Bytes data;
    File file;
    file.Attach(data);
    const INT32 values[] = {0, 1, -1, 0x12345678, INT32(0x80000000), 0x7FFFFFFF};
    for (INT32 v : values)
        EXPECT_TRUE(file.WriteInt(v));
    ASSERT_EQ(data.size(), 24u);
    EXPECT_EQ(AsString(data).substr(12, 4), "\x78\x56\x34\x12");
    file.Seek(0, FILE_BEGIN);
    for (INT32 v : values)
        EXPECT_EQ(file.ReadInt(), v);
    EXPECT_EQ(file.ReadInt(), 0);

    Bytes partial = {0x01, 0x02};
    file.Attach(partial);
    EXPECT_EQ(file.ReadInt(), 0x0201) << "missing high bytes read as zero";
}

TEST(FileVector, Strings)
{
    Bytes data;
    File file;
    file.Attach(data);
    const WString japanese = Wide("歌詞 Ab");
    file.WriteString(WString());
    EXPECT_EQ(AsString(data), std::string(2, '\0'));
    file.WriteString(japanese);
    EXPECT_EQ(data.size(), 2u + 2 * (japanese.size() + 1));
    EXPECT_EQ(data[2], 0x4C);  // U+6B4C, low byte first
    EXPECT_EQ(data[3], 0x6B);

    file.Seek(0, FILE_BEGIN);
    WString text = TEXT("stale");
    EXPECT_TRUE(file.ReadString(text));
    EXPECT_TRUE(text.empty());
    EXPECT_EQ(file.Position(), 2u);
    EXPECT_TRUE(file.ReadString(text));
    EXPECT_EQ(text, japanese);

    Bytes unterminated = AsBytes(std::string("a\0b\0c", 5));
    file.Attach(unterminated);
    EXPECT_FALSE(file.ReadString(text));
    EXPECT_EQ(text, WString(TEXT("abc")));
}

TEST(FileVector, EmptyBlockIsFourZeroBytes)
{
    Bytes data;
    File file;
    file.Attach(data);
    EXPECT_TRUE(file.WriteBlock(nullptr, 0));
    EXPECT_EQ(AsString(data), std::string(4, '\0'));

    data.push_back(0x55);
    file.Attach(data);
    BYTE destination[3] = {7, 7, 7};
    EXPECT_TRUE(file.ReadBlock(destination, 3, false));
    EXPECT_EQ(file.Position(), 4u);
    EXPECT_EQ(destination[0], 7);
}

TEST(FileVector, BlocksRoundTripAtEverySize)
{
    // Sizes 1 and 5 are where zlib's output outgrows the input.
    struct Case {
        const char* name;
        Bytes data;
    } cases[] = {
        {"1 byte", Noise(1)},
        {"5 bytes", Noise(5)},
        {"5 compressible", Bytes(5, 0)},
        {"1 MiB noise", Noise(1 << 20)},
        {"1 MiB pattern", Sequence(1 << 20)},
    };
    for (const auto& c : cases) {
        Bytes stream;
        File file;
        file.Attach(stream);
        file.WriteInt(42);
        ASSERT_TRUE(file.WriteBlock(c.data.data(), static_cast<DWORD>(c.data.size()))) << c.name;
        file.WriteInt(43);

        // layout: L, C, then a zlib stream that inflates to exactly the input
        const uint32_t stored = LittleEndianAt(stream, 8);
        ASSERT_EQ(stream.size(), 4 + 8 + stored + 4) << c.name;
        EXPECT_EQ(LittleEndianAt(stream, 4), c.data.size()) << c.name;
        Bytes inflated(c.data.size());
        uLongf produced = static_cast<uLongf>(inflated.size());
        EXPECT_EQ(uncompress(inflated.data(), &produced, stream.data() + 12, stored), Z_OK) << c.name;

        file.Seek(0, FILE_BEGIN);
        EXPECT_EQ(file.ReadInt(), 42);
        Bytes back(c.data.size(), 0xEE);
        EXPECT_TRUE(file.ReadBlock(back.data(), static_cast<DWORD>(back.size()), true)) << c.name;
        EXPECT_TRUE(back == c.data) << c.name;
        EXPECT_EQ(file.ReadInt(), 43) << c.name;
    }
}

TEST(FileVector, StrictReadBlockSkipsAMismatchedBlockWhole)
{
    const Bytes data = Sequence(64);
    Bytes stream;
    File file;
    file.Attach(stream);
    file.WriteBlock(data.data(), 64);
    file.WriteInt(99);
    const uint32_t stored = LittleEndianAt(stream, 4);

    for (DWORD capacity : {63u, 65u}) {
        file.Seek(0, FILE_BEGIN);
        Bytes destination(capacity, 0xAB);
        EXPECT_FALSE(file.ReadBlock(destination.data(), capacity, true));
        EXPECT_EQ(file.Position(), 8u + stored);
        EXPECT_EQ(destination, Bytes(capacity, 0xAB));
        EXPECT_EQ(file.ReadInt(), 99);
    }
    // Not strict: a larger destination takes the block, a smaller one a prefix.
    file.Seek(0, FILE_BEGIN);
    Bytes roomy(80, 0);
    EXPECT_TRUE(file.ReadBlock(roomy.data(), 80, false));
    EXPECT_TRUE(std::equal(data.begin(), data.end(), roomy.begin()));
    file.Seek(0, FILE_BEGIN);
    Bytes tight(10, 0);
    EXPECT_FALSE(file.ReadBlock(tight.data(), 10, false));
}

TEST(FileVector, DamagedBlocksReportFailure)
{
    const Bytes data = Sequence(200);
    Bytes good;
    File writer;
    writer.Attach(good);
    writer.WriteBlock(data.data(), 200);

    Bytes badChecksum = good;
    badChecksum.back() ^= 1;
    Bytes cut(good.begin(), good.end() - 3);
    Bytes hugeC = good;
    hugeC[7] = 0x7F;  // C claims about 2 GiB
    for (Bytes* stream : {&badChecksum, &cut, &hugeC}) {
        File file;
        file.Attach(*stream);
        Bytes destination(200);
        EXPECT_FALSE(file.ReadBlock(destination.data(), 200, true));
        EXPECT_EQ(file.Position(), stream->size());
    }
}

class FileDisk : public ::testing::Test {
protected:
    TempDir dir;
    WString path = dir / TEXT("data.bin");
};

TEST_F(FileDisk, RoundTripOfEveryEncoding)
{
    const Bytes block = Sequence(5000);
    {
        File file;
        ASSERT_TRUE(file.Open(path, File::WriteMode));
        EXPECT_EQ(file.End(), 0u);
        file.WriteInt(-7);
        file.WriteString(Wide("ファイル"));
        file.WriteBlock(block.data(), 5000);
        file.WriteBlock(nullptr, 0);
        file.WriteBlock("a", 1);
    }
    File file;
    ASSERT_TRUE(file.Open(path, File::ReadMode));
    EXPECT_EQ(file.End(), ReadBytes(path).size());
    EXPECT_EQ(file.ReadInt(), -7);
    WString text;
    file.ReadString(text);
    EXPECT_EQ(text, Wide("ファイル"));
    Bytes back(5000);
    EXPECT_TRUE(file.ReadBlock(back.data(), 5000, true));
    EXPECT_EQ(back, block);
    EXPECT_TRUE(file.ReadBlock(nullptr, 0, true));
    char one = 0;
    EXPECT_TRUE(file.ReadBlock(&one, 1, true));
    EXPECT_EQ(one, 'a');
    EXPECT_EQ(file.Remaining(), 0u);
    EXPECT_EQ(file.ReadInt(), 0);
}

TEST_F(FileDisk, SeekAndReadOnDisk)
{
    ASSERT_TRUE(WriteBytes(path, "0123456789"));
    File file;
    ASSERT_TRUE(file.Open(path, File::ReadMode));
    char buffer[8] = {};
    EXPECT_TRUE(file.Seek(-3, FILE_END));
    EXPECT_EQ(file.Read(buffer, 8), 3u);
    EXPECT_EQ(std::string(buffer, 3), "789");
    file.Seek(-4, FILE_CURRENT);
    EXPECT_EQ(file.Position(), 6u);
    EXPECT_EQ(file.Read(buffer, 1), 1u);
    EXPECT_EQ(buffer[0], '6');
    file.Seek(-1, FILE_BEGIN);
    EXPECT_EQ(file.Position(), 10u) << "a target before the start goes to the end, as on a vector";
    file.Seek(20, FILE_BEGIN);
    EXPECT_EQ(file.Read(buffer, 4), 0u);
}

TEST_F(FileDisk, WritesExtendTheEndForLaterSeeks)
{
    {
        File file;
        ASSERT_TRUE(file.Open(path, File::WriteMode));
        file.Write("abcdef", 6);
        EXPECT_EQ(file.End(), 6u);
        file.Seek(-2, FILE_END);
        file.Write("XY", 2);
    }
    EXPECT_EQ(ReadBytes(path), "abcdXY");
}

TEST_F(FileDisk, OpenForWritingTruncatesAtOnceAndTheFileIsReusable)
{
    ASSERT_TRUE(WriteBytes(path, "old contents"));
    const WString second = dir / TEXT("second.bin");
    File file;
    ASSERT_TRUE(file.Open(path, File::WriteMode));
    EXPECT_EQ(ReadBytes(path), "");
    ASSERT_TRUE(file.Open(second, File::WriteMode));
    file.Write("2", 1);
    file.Close();
    EXPECT_EQ(ReadBytes(second), "2");
}

TEST_F(FileDisk, MissingFileReportsTheSystemText)
{
    DebugOutput output;
    File file;
    Bytes data = Sequence(4);
    file.Attach(data);
    EXPECT_FALSE(file.Open(dir / TEXT("missing.bin"), File::ReadMode));
    EXPECT_FALSE(file.IsOpen());
    EXPECT_EQ(file.ReadInt(), 0);
    const std::string expected = SystemText(ERROR_FILE_NOT_FOUND);
    ASSERT_FALSE(expected.empty());
    EXPECT_EQ(DebugOutput::Text(), expected);
}

TEST_F(FileDisk, ShareModesSeenFromASecondOpener)
{
    ASSERT_TRUE(WriteBytes(path, "x"));
    struct Case {
        int mode;
        DWORD access;
        DWORD share;
        bool opens;
    } cases[] = {
        {File::WriteMode, GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE, true},
        {File::WriteMode, GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE, false},
        {File::ReadMode, GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE, true},
        {File::ReadMode, GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE, false},
    };
    for (const auto& c : cases) {
        File file;
        ASSERT_TRUE(file.Open(path, c.mode));
        HANDLE second = CreateFileW(path.c_str(), c.access, c.share, nullptr, OPEN_EXISTING,
                                    FILE_ATTRIBUTE_NORMAL, nullptr);
        EXPECT_EQ(second != INVALID_HANDLE_VALUE, c.opens)
            << "mode " << c.mode << " access " << std::hex << c.access;
        if (second != INVALID_HANDLE_VALUE)
            CloseHandle(second);
    }
}
