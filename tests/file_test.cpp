#include "tests/support/gtest.h"
#include "tests/support/each_disk.h"
#include "tests/support/temp_dir.h"
#include "vela/storage/file.h"

#include <zlib.h>

#include <stdexcept>
#include <string>

using vela::Bytes;
using vela::File;

namespace {

// Pseudo-random bytes, which deflate cannot shrink.
Bytes Noise(size_t size)
{
    Bytes bytes(size);
    uint32_t state = 12345;
    for (auto& b : bytes)
        b = static_cast<BYTE>((state = state * 1103515245 + 12345) >> 16);
    return bytes;
}

uint32_t WordAt(const Bytes& bytes, size_t offset)
{
    return bytes.at(offset) | bytes.at(offset + 1) << 8 | bytes.at(offset + 2) << 16 |
           uint32_t(bytes.at(offset + 3)) << 24;
}

// OutputDebugString raises a first-chance exception that a vectored handler
// sees before anything else; this collects the text it carries.
std::string debugText;

LONG CALLBACK CollectDebugText(EXCEPTION_POINTERS* info)
{
    const EXCEPTION_RECORD* r = info->ExceptionRecord;
    if (r->ExceptionCode == 0x4001000A /* DBG_PRINTEXCEPTION_WIDE_C */ && r->NumberParameters >= 2)
        debugText += Utf8(reinterpret_cast<const WCHAR*>(r->ExceptionInformation[1]));
    else if (r->ExceptionCode == 0x40010006 /* DBG_PRINTEXCEPTION_C */ && r->NumberParameters >= 2)
        debugText += reinterpret_cast<const char*>(r->ExceptionInformation[1]);
    return EXCEPTION_CONTINUE_SEARCH;
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
        {"past the end", 0, 20, FILE_BEGIN, 10},
        {"before the start", 0, -1, FILE_BEGIN, 10},
        {"back from current", 8, -4, FILE_CURRENT, 4},
        {"current before start", 2, -3, FILE_CURRENT, 10},
        {"from the end", 0, -3, FILE_END, 7},
        {"any other origin is current", 5, 1, 7, 6},
    };
    for (const auto& c : cases) {
        Bytes data(10);
        File file;
        file.Attach(data);
        BYTE sink[10];
        file.Read(sink, c.readFirst);
        EXPECT_TRUE(file.Seek(c.distance, c.origin)) << c.name;
        EXPECT_EQ(file.Position(), c.expected) << c.name;
    }
}

TEST(FileVector, ReadsStopAtTheEndWritesGrowTheVector)
{
    Bytes data = Noise(100);
    File file;
    file.Attach(data);
    BYTE buffer[100];
    file.Seek(95, FILE_BEGIN);
    EXPECT_EQ(file.Read(buffer, 100), 5u);
    EXPECT_EQ(buffer[4], data[99]);

    Bytes ten(10);
    file.Attach(ten);
    file.Seek(8, FILE_BEGIN);
    EXPECT_EQ(file.Write("abcd", 4), 4u);
    EXPECT_EQ(ten.size(), 12u);
    EXPECT_EQ(file.End(), 12u);
    EXPECT_EQ(ten[11], 'd');

    ten.resize(4);  // shrunk behind the File's back
    file.Seek(0, FILE_BEGIN);
    file.Read(buffer, 2);
    try {
        file.Read(buffer, 4);
        ADD_FAILURE() << "no exception";
    } catch (const std::out_of_range& e) {
        EXPECT_STREQ(e.what(), "invalid vector<T> subscript");
    }

    File closed;
    EXPECT_FALSE(closed.Seek(0, FILE_BEGIN));
    EXPECT_EQ(closed.Read(buffer, 4) + closed.Write(buffer, 4) + closed.ReadInt(), 0u);
}

TEST(FileVector, IntegersAndStrings)
{
    Bytes data;
    File file;
    file.Attach(data);
    const INT32 values[] = {0, -1, 0x12345678, INT32(0x80000000)};
    for (INT32 v : values)
        file.WriteInt(v);
    const WString japanese = Wide("歌詞 Ab");
    file.WriteString(WString());
    file.WriteString(japanese);
    EXPECT_EQ(WordAt(data, 8), 0x12345678u);
    EXPECT_EQ(WordAt(data, 16), 0x6B4C0000u) << "empty string, then U+6B4C low byte first";

    file.Seek(0, FILE_BEGIN);
    for (INT32 v : values)
        EXPECT_EQ(file.ReadInt(), v);
    WString text = TEXT("stale");
    EXPECT_TRUE(file.ReadString(text));
    EXPECT_TRUE(text.empty());
    EXPECT_EQ(file.Position(), 18u);
    EXPECT_TRUE(file.ReadString(text));
    EXPECT_EQ(text, japanese);
    EXPECT_EQ(file.ReadInt(), 0);

    Bytes partial = {'a', 0, 'b'};
    file.Attach(partial);
    EXPECT_EQ(file.ReadInt(), 0x620061) << "missing high bytes read as zero";
    file.Seek(0, FILE_BEGIN);
    EXPECT_FALSE(file.ReadString(text));
    EXPECT_EQ(text, WString(TEXT("ab")));
}

TEST(FileVector, BlocksRoundTripAtEverySize)
{
    // 1 and 5 bytes are where zlib's output outgrows twice the input.
    for (size_t size : {0u, 1u, 5u, 1u << 20}) {
        const Bytes data = Noise(size);
        Bytes stream;
        File file;
        file.Attach(stream);
        ASSERT_TRUE(file.WriteBlock(data.data(), static_cast<DWORD>(size))) << size;
        file.WriteInt(43);
        EXPECT_EQ(WordAt(stream, 0), size);
        if (size == 0) {
            EXPECT_EQ(stream.size(), 8u);
        } else {
            const uint32_t stored = WordAt(stream, 4);
            ASSERT_EQ(stream.size(), 8 + stored + 4) << size;
            Bytes inflated(size);
            uLongf produced = static_cast<uLongf>(size);
            EXPECT_EQ(uncompress(inflated.data(), &produced, &stream[8], stored), Z_OK) << size;
        }
        file.Seek(0, FILE_BEGIN);
        Bytes back(size, 0xEE);
        EXPECT_TRUE(file.ReadBlock(back.data(), static_cast<DWORD>(size), true)) << size;
        EXPECT_TRUE(back == data) << size;
        EXPECT_EQ(file.ReadInt(), 43) << size;
    }
}

TEST(FileVector, StrictReadBlockSkipsAMismatchedBlockWhole)
{
    const Bytes data = Noise(64);
    Bytes stream;
    File file;
    file.Attach(stream);
    file.WriteBlock(data.data(), 64);
    for (DWORD capacity : {63u, 65u}) {
        file.Seek(0, FILE_BEGIN);
        Bytes destination(capacity, 0xAB);
        EXPECT_FALSE(file.ReadBlock(destination.data(), capacity, true));
        EXPECT_EQ(file.Position(), stream.size());
        EXPECT_EQ(destination, Bytes(capacity, 0xAB));
    }
    file.Seek(0, FILE_BEGIN);
    Bytes roomy(80);
    EXPECT_TRUE(file.ReadBlock(roomy.data(), 80, false)) << "not strict: room to spare is fine";
    EXPECT_TRUE(std::equal(data.begin(), data.end(), roomy.begin()));
}

class FileDisk : public EachDisk {
protected:
    TempDir dir;
    WString path = dir / TEXT("data.bin");
};

TEST_P(FileDisk, RoundTripSeekAndReuse)
{
    ASSERT_TRUE(WriteBytes(path, "old contents"));
    const Bytes block = Noise(5000);
    {
        File file;
        ASSERT_TRUE(file.Open(path, File::WriteMode));
        EXPECT_EQ(ReadBytes(path), "") << "truncated at once";
        file.WriteInt(-7);
        file.WriteString(Wide("ファイル"));
        file.WriteBlock(block.data(), 5000);
        file.Write("abcdef", 6);
        file.Seek(-2, FILE_END);  // the end follows the writes, as on a vector
        file.Write("XY", 2);
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
    char tail[8] = {};
    EXPECT_EQ(file.Read(tail, 8), 6u);
    EXPECT_EQ(std::string(tail), "abcdXY");

    file.Seek(-4, FILE_CURRENT);
    EXPECT_EQ(file.Read(tail, 1), 1u);
    EXPECT_EQ(tail[0], 'c');
    file.Seek(-1, FILE_BEGIN);
    EXPECT_EQ(file.Position(), file.End()) << "before the start goes to the end, as on a vector";
    file.Seek(20, FILE_END);
    EXPECT_EQ(file.Read(tail, 4), 0u);

    ASSERT_TRUE(file.Open(dir / TEXT("second.bin"), File::WriteMode));
    file.Write("2", 1);
    file.Close();
    EXPECT_EQ(ReadBytes(dir / TEXT("second.bin")), "2");
}

TEST_P(FileDisk, MissingFileSendsTheSystemTextToTheDebugger)
{
    void* handler = AddVectoredExceptionHandler(1, CollectDebugText);
    debugText.clear();
    Bytes data(4, 1);
    File file;
    file.Attach(data);
    EXPECT_FALSE(file.Open(dir / TEXT("missing.bin"), File::ReadMode));
    RemoveVectoredExceptionHandler(handler);
    EXPECT_FALSE(file.IsOpen());
    EXPECT_EQ(file.ReadInt(), 0);

    WCHAR expected[512] = {};
    FormatMessageW(FORMAT_MESSAGE_FROM_SYSTEM, nullptr, ERROR_FILE_NOT_FOUND, 0x0400, expected,
                   512, nullptr);
    ASSERT_NE(expected[0], 0);
    EXPECT_EQ(debugText, Utf8(expected));
}

TEST_P(FileDisk, ShareModesSeenFromASecondOpener)
{
    ASSERT_TRUE(WriteBytes(path, "x"));
    struct Case {
        int mode;
        DWORD access;
        bool opens;
    } cases[] = {
        {File::WriteMode, GENERIC_WRITE, true},
        {File::WriteMode, GENERIC_READ, false},
        {File::ReadMode, GENERIC_READ, true},
        {File::ReadMode, GENERIC_WRITE, false},
    };
    for (const auto& c : cases) {
        File file;
        ASSERT_TRUE(file.Open(path, c.mode));
        HANDLE second = CreateFileW(path.c_str(), c.access, FILE_SHARE_READ | FILE_SHARE_WRITE,
                                    nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
        EXPECT_EQ(second != INVALID_HANDLE_VALUE, c.opens)
            << "mode " << c.mode << " access " << std::hex << c.access;
        if (second != INVALID_HANDLE_VALUE)
            CloseHandle(second);
    }
}

INSTANTIATE_ON_EACH_DISK(FileDisk);
