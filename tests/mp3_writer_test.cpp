#include "tests/support/gtest.h"

#include "tests/support/mp3_writer.h"

#include <string>

// The writer's byte layout, checked by hand only where the tag-reader tests
// would pass anyway: libid3tag forgives small 2.4 sizes, reads either UTF-16
// byte order, and a writer that left out unsynchronisation, an extended
// header or an ID3v1 tag would make those tests vacuous.
namespace {

std::string Bytes(std::initializer_list<int> values)
{
    std::string out;
    for (int v : values)
        out += static_cast<char>(v);
    return out;
}

} // namespace

TEST(Mp3Writer, FrameSizesPerVersion)
{
    mp3::Frame frame;
    frame.id = "TXXX";
    frame.body = std::string(200, 'a');
    mp3::Tag tag;
    tag.frames = {frame};

    tag.version = 3;  // plain big-endian frame size, syncsafe tag size
    std::string v3 = tag.Bytes();
    EXPECT_EQ(v3.substr(0, 10), Bytes({'I', 'D', '3', 3, 0, 0, 0, 0, 1, 82}));
    EXPECT_EQ(v3.substr(10, 10), Bytes({'T', 'X', 'X', 'X', 0, 0, 0, 200, 0, 0}));

    tag.version = 4;  // syncsafe frame size
    std::string v4 = tag.Bytes();
    EXPECT_EQ(v4.substr(10, 10), Bytes({'T', 'X', 'X', 'X', 0, 0, 1, 72, 0, 0}));

    frame.id = "TXX";
    tag.frames = {frame};
    tag.version = 2;  // three-byte id and size, no flags
    EXPECT_EQ(tag.Bytes().substr(0, 16),
              Bytes({'I', 'D', '3', 2, 0, 0, 0, 0, 1, 78, 'T', 'X', 'X', 0, 0, 200}));
}

TEST(Mp3Writer, LyricsBodyAndEncodings)
{
    EXPECT_EQ(mp3::LyricsBody("a", mp3::Encoding::Utf16, "eng", ""),
              Bytes({1, 'e', 'n', 'g', 0xFF, 0xFE, 0, 0, 0xFF, 0xFE, 'a', 0}));
    EXPECT_EQ(mp3::EncodeText("\xF0\x9F\x8E\xB5", mp3::Encoding::Utf16BE),
              Bytes({0xD8, 0x3C, 0xDF, 0xB5}));
    EXPECT_EQ(mp3::EncodeText("\xE6\xAD\x8C", mp3::Encoding::Utf16BomBE),
              Bytes({0xFE, 0xFF, 0x6B, 0x4C}));
    EXPECT_EQ(mp3::EncodeText("\xC3\xA9\xE6\xAD\x8C", mp3::Encoding::Latin1), Bytes({0xE9, '?'}));
}

TEST(Mp3Writer, UnsynchronisationAndFlags)
{
    EXPECT_EQ(mp3::Unsynchronise(Bytes({0xFF, 0xE0, 0xFF, 0x00, 0xFF, 0x12, 0xFF})),
              Bytes({0xFF, 0, 0xE0, 0xFF, 0, 0, 0xFF, 0x12, 0xFF, 0}));

    mp3::Frame frame = mp3::TextFrame("TIT2", "\xC3\xBF\xC3\xBF");  // FF FF
    frame.unsynchronise = true;
    frame.dataLengthIndicator = true;
    mp3::Tag tag;
    tag.version = 4;
    tag.frames = {frame};
    // 4 length bytes + 00 FF 00 FF 00 (unsynchronised); flags n and p.
    EXPECT_EQ(tag.Bytes().substr(10), Bytes({'T', 'I', 'T', '2', 0, 0, 0, 9, 0, 0x03, 0, 0, 0, 3,
                                             0, 0xFF, 0, 0xFF, 0}));

    frame.unsynchronise = false;
    frame.dataLengthIndicator = false;
    frame.compress = true;
    tag.frames = {frame};
    EXPECT_EQ(static_cast<unsigned char>(tag.Bytes()[19]), 0x09u) << "2.4: compressed + length";
    tag.version = 3;
    std::string v3 = tag.Bytes();
    EXPECT_EQ(static_cast<unsigned char>(v3[19]), 0x80u) << "2.3: compressed";
    EXPECT_EQ(v3.substr(20, 4), Bytes({0, 0, 0, 3})) << "2.3: plain size first";

    tag.unsynchronise = true;
    tag.extendedHeader = true;
    tag.padding = 7;
    std::string flagged = tag.Bytes();
    EXPECT_EQ(static_cast<unsigned char>(flagged[5]), 0xC0u);
    EXPECT_EQ(flagged.substr(10, 10), Bytes({0, 0, 0, 6, 0, 0, 0, 0, 0, 7}));
}

TEST(Mp3Writer, Id3v1)
{
    mp3::Id3v1 fields;
    fields.title = std::string(40, 't');
    fields.track = 7;
    std::string v1 = mp3::Id3v1Tag(fields);
    ASSERT_EQ(v1.size(), 128u);
    EXPECT_EQ(v1.substr(0, 33), "TAG" + std::string(30, 't'));
    EXPECT_EQ(v1.substr(125), Bytes({0, 7, 255}));
}
