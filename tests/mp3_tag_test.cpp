#include "tests/support/gtest.h"

// Before <windows.h>, whose min and max macros break <random>.
#include <algorithm>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <random>
#include <string>
#include <vector>

#include "tests/support/mp3_writer.h"
#include "tests/support/temp_dir.h"
#include "tests/support/unix_path.h"
#include "vela/media/mp3_tag.h"

#include <id3tag.h>

#ifdef __WINE__
#include <dirent.h>
#include <stdlib.h>
#include <sys/stat.h>
#include <unistd.h>
#endif

using mp3::Encoding;

namespace {

// The lyrics of a file written into `dir`, read the way the export job reads
// them; "<open failed>" when Open refuses the file.
std::string LyricsOf(const TempDir& dir, const std::string& bytes,
                     const char* name = "song.mp3")
{
    WString path = dir / Wide(name);
    if (!WriteBytes(path, bytes))
        return "<write failed>";
    vela::Mp3Tag tag;
    if (!tag.Open(path, ID3_FILE_MODE_READONLY))
        return "<open failed>";
    return Utf8(tag.Lyrics());
}

mp3::Tag TagWith(int version, std::vector<mp3::Frame> frames)
{
    mp3::Tag tag;
    tag.version = version;
    tag.frames = std::move(frames);
    return tag;
}

// For messages: the encoding's position in mp3::Encoding.
int Code(Encoding encoding)
{
    return static_cast<int>(encoding);
}

#ifdef __WINE__
// Whether this process holds a descriptor on the file: libid3tag opens files
// with the C runtime, behind Wine's back, so only /proc shows them.
bool HeldOpen(const WString& path)
{
    // /proc shows resolved names; the prefix's drive is a symbolic link.
    char* resolved = realpath(UnixPath(path).c_str(), nullptr);
    if (resolved == nullptr)
        return false;
    std::string target = resolved;
    free(resolved);
    bool held = false;
    if (DIR* fds = opendir("/proc/self/fd")) {
        while (dirent* entry = readdir(fds)) {
            std::string link = std::string("/proc/self/fd/") + entry->d_name;
            char buffer[4096];
            ssize_t n = readlink(link.c_str(), buffer, sizeof buffer);
            if (n > 0 && std::string(buffer, static_cast<size_t>(n)) == target)
                held = true;
        }
        closedir(fds);
    }
    return held;
}
#endif

} // namespace

TEST(Mp3Tag, SameLyricsFromEveryVersionAndEncoding)
{
    struct Case {
        int version;
        Encoding encoding;
        const char* lyrics;
    };
    const char* latin = "abc caf\xC3\xA9\r\nline two";
    const char* japanese = "\xE6\xAD\x8C\xE8\xA9\x9E abc\r\n\xED\x95\x9C";
    const Case cases[] = {
        {2, Encoding::Latin1, latin},    {2, Encoding::Utf16, japanese},
        {2, Encoding::Utf16BomBE, japanese},
        {3, Encoding::Latin1, latin},    {3, Encoding::Utf16, japanese},
        {3, Encoding::Utf16BomBE, japanese},
        {4, Encoding::Latin1, latin},    {4, Encoding::Utf16, japanese},
        {4, Encoding::Utf16BomBE, japanese},
        {4, Encoding::Utf16BE, japanese}, {4, Encoding::Utf8, japanese},
    };
    TempDir dir;
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::Message() << "ID3v2." << c.version << " " << Code(c.encoding));
        EXPECT_EQ(LyricsOf(dir, mp3::FileWithLyrics(c.lyrics, c.version, c.encoding)), c.lyrics);
        // A content descriptor and a different language change nothing.
        mp3::Tag tag = TagWith(c.version, {mp3::LyricsFrame(c.version, c.lyrics, c.encoding,
                                                            "jpn", "descriptor")});
        EXPECT_EQ(LyricsOf(dir, mp3::FileWithTag(tag)), c.lyrics);
    }
}

TEST(Mp3Tag, FirstLyricsFrameWinsWhateverTheLanguage)
{
    TempDir dir;
    for (int version : {2, 3, 4}) {
        SCOPED_TRACE(version);
        mp3::Frame title = version == 2 ? mp3::TextFrame("TT2", "Title")
                                        : mp3::TextFrame("TIT2", "Title");
        for (const char* firstLanguage : {"eng", "deu", "xxx"}) {
            mp3::Tag tag = TagWith(version,
                                   {title,
                                    mp3::LyricsFrame(version, "first", Encoding::Latin1,
                                                     firstLanguage),
                                    mp3::LyricsFrame(version, "second", Encoding::Utf16, "eng"),
                                    mp3::LyricsFrame(version, "third", Encoding::Latin1, "jpn")});
            EXPECT_EQ(LyricsOf(dir, mp3::FileWithTag(tag)), "first") << firstLanguage;
        }
    }
}

TEST(Mp3Tag, LineBreaksAndSupplementaryCharactersKept)
{
    TempDir dir;
    for (const char* lyrics : {"a\r\nb\r\n", "a\nb\n", "\r\n\r\n", "a\rb", " padded \t"})
        for (int version : {3, 4})
            EXPECT_EQ(LyricsOf(dir, mp3::FileWithLyrics(lyrics, version, Encoding::Latin1)),
                      lyrics)
                << version;

    const char* note = "x\xF0\x9F\x8E\xB5y";  // U+1F3B5, a surrogate pair in UTF-16
    const std::pair<int, Encoding> encodings[] = {
        {3, Encoding::Utf16}, {4, Encoding::Utf16BE}, {4, Encoding::Utf8}};
    for (const auto& e : encodings)
        EXPECT_EQ(LyricsOf(dir, mp3::FileWithLyrics(note, e.first, e.second)), note)
            << Code(e.second);
}

// The library decodes UTF-8 sequences of five bytes to values past U+10FFFF,
// which UTF-16 cannot carry: they read as its middle dot. U+10FFFF itself is
// the last surrogate pair.
TEST(Mp3Tag, ValuesPastTheLastCharacterReadAsTheLibrarysMiddleDot)
{
    TempDir dir;
    const WString path = dir / TEXT("far.mp3");
    const char* lyrics = "a\xF8\x88\x80\x80\x80" "b\xF4\x8F\xBF\xBF";
    ASSERT_TRUE(WriteBytes(path, mp3::FileWithLyrics(lyrics, 4, Encoding::Utf8)));
    vela::Mp3Tag tag;
    ASSERT_TRUE(tag.Open(path, ID3_FILE_MODE_READONLY));
    const WString expected = {WCHAR('a'), WCHAR(0xB7), WCHAR('b'), WCHAR(0xDBFF), WCHAR(0xDFFF)};
    EXPECT_EQ(tag.Lyrics(), expected);
}

TEST(Mp3Tag, EmptyLyricsNoLyricsAndNoTag)
{
    TempDir dir;
    for (int version : {2, 3, 4})
        EXPECT_EQ(LyricsOf(dir, mp3::FileWithLyrics("", version)), "") << version;
    mp3::Tag titleOnly = TagWith(3, {mp3::TextFrame("TIT2", "Title")});
    EXPECT_EQ(LyricsOf(dir, mp3::FileWithTag(titleOnly)), "");

    mp3::Id3v1 v1;
    v1.title = "Title";
    v1.comment = "a comment, not lyrics";
    v1.track = 3;
    EXPECT_EQ(LyricsOf(dir, mp3::FileWithId3v1Only(v1)), "");
    // Both tags: the lyrics of the ID3v2 tag.
    EXPECT_EQ(LyricsOf(dir, mp3::FileWithLyrics("words") + mp3::Id3v1Tag(v1)), "words");
    // Readable files without a tag open and have no lyrics.
    EXPECT_EQ(LyricsOf(dir, mp3::FileWithoutTag()), "");
    EXPECT_EQ(LyricsOf(dir, mp3::EmptyFile()), "");
    EXPECT_EQ(LyricsOf(dir, mp3::TextFile(), "notes.txt"), "");
}

TEST(Mp3Tag, UnsynchronisedFrames)
{
    // Latin-1 y-diaeresis is FF, a-grave E0: a false sync that must be escaped.
    // The text does not end in FF: frames whose unsynchronised data ends in
    // FF 00 take another path (PlainSizesAndUnsynchronisedEndsRepaired).
    const char* lyrics = "\xC3\xBF\xC3\xA0 and \xC3\xBF\xC3\xBF end";
    TempDir dir;
    for (int version : {2, 3, 4}) {
        for (Encoding encoding : {Encoding::Latin1, Encoding::Utf16}) {
            mp3::Tag tag = TagWith(version, {mp3::LyricsFrame(version, lyrics, encoding)});
            tag.unsynchronise = true;
            EXPECT_EQ(LyricsOf(dir, mp3::FileWithTag(tag)), lyrics)
                << "tag-level, ID3v2." << version << " " << Code(encoding);
        }
    }
    mp3::Frame frame = mp3::LyricsFrame(4, lyrics, Encoding::Latin1);
    frame.unsynchronise = true;
    EXPECT_EQ(LyricsOf(dir, mp3::FileWithTag(TagWith(4, {frame}))), lyrics) << "frame-level";
    frame.dataLengthIndicator = true;
    EXPECT_EQ(LyricsOf(dir, mp3::FileWithTag(TagWith(4, {frame}))), lyrics)
        << "frame-level with data length";
}

TEST(Mp3Tag, CompressedFramesAndDataLengthIndicator)
{
    std::string lyrics;
    for (int i = 0; i < 50; ++i)
        lyrics += "repeated line " + std::to_string(i % 5) + "\r\n";
    TempDir dir;
    for (int version : {3, 4}) {
        for (Encoding encoding : {Encoding::Latin1, Encoding::Utf16}) {
            mp3::Frame frame = mp3::LyricsFrame(version, lyrics, encoding);
            frame.compress = true;
            EXPECT_EQ(LyricsOf(dir, mp3::FileWithTag(TagWith(version, {frame}))), lyrics)
                << "ID3v2." << version << " " << Code(encoding);
        }
    }
    mp3::Frame both = mp3::LyricsFrame(4, lyrics + "\xC3\xBF", Encoding::Latin1);
    both.compress = true;
    both.unsynchronise = true;
    EXPECT_EQ(LyricsOf(dir, mp3::FileWithTag(TagWith(4, {both}))), lyrics + "\xC3\xBF");

    mp3::Frame plain = mp3::LyricsFrame(4, "with length", Encoding::Utf8);
    plain.dataLengthIndicator = true;
    EXPECT_EQ(LyricsOf(dir, mp3::FileWithTag(TagWith(4, {plain}))), "with length");
}

TEST(Mp3Tag, ExtendedHeaderPaddingAndFooter)
{
    TempDir dir;
    for (int version : {3, 4}) {
        for (bool crc : {false, true}) {
            for (size_t padding : {size_t(0), size_t(1), size_t(1024)}) {
                mp3::Tag tag = TagWith(version, {mp3::TextFrame("TIT2", "Title"),
                                                 mp3::LyricsFrame(version, "lyrics")});
                tag.extendedHeader = true;
                tag.crc = crc;
                tag.padding = padding;
                tag.unsynchronise = padding == 1;
                EXPECT_EQ(LyricsOf(dir, mp3::FileWithTag(tag)), "lyrics")
                    << "ID3v2." << version << " crc " << crc << " padding " << padding;
            }
        }
    }
    mp3::Tag footed = TagWith(4, {mp3::LyricsFrame(4, "footed")});
    footed.footer = true;
    EXPECT_EQ(LyricsOf(dir, mp3::FileWithTag(footed)), "footed");
}

TEST(Mp3Tag, LyricsWithoutASuccessfulOpenAreEmpty)
{
    TempDir dir;
    vela::Mp3Tag tag;
    EXPECT_EQ(tag.Lyrics(), WString());
    EXPECT_FALSE(tag.Open(dir / TEXT("missing.mp3"), ID3_FILE_MODE_READONLY));
    EXPECT_EQ(tag.Lyrics(), WString());
    EXPECT_FALSE(tag.Open(WString(), ID3_FILE_MODE_READONLY));
    EXPECT_FALSE(tag.Open(dir.Path(), ID3_FILE_MODE_READONLY)) << "a folder is no file";

    // A NUL inside the path must not open the file named by the part before it.
    WString song = dir / TEXT("song.mp3");
    ASSERT_TRUE(WriteBytes(song, mp3::FileWithLyrics("words")));
    WString withNul = song;
    withNul += WCHAR(0);
    withNul += TEXT("x");
    EXPECT_FALSE(tag.Open(withNul, ID3_FILE_MODE_READONLY));
    EXPECT_EQ(tag.Lyrics(), WString());
}

namespace {

// libid3tag opens files with the C runtime, so only Wine shows whether the
// reader still holds one.
void ExpectHeld(const WString& path, bool held)
{
#ifdef __WINE__
    EXPECT_EQ(HeldOpen(path), held) << Utf8(path);
#else
    (void)path, (void)held;
#endif
}

} // namespace

TEST(Mp3Tag, SecondOpenAndDestructorCloseTheFile)
{
    TempDir dir;
    WString a = dir / TEXT("a.mp3");
    WString b = dir / TEXT("b.mp3");
    ASSERT_TRUE(WriteBytes(a, mp3::FileWithLyrics("lyrics of a")));
    ASSERT_TRUE(WriteBytes(b, mp3::FileWithLyrics("lyrics of b", 4, Encoding::Utf8)));
    {
        vela::Mp3Tag tag;
        ASSERT_TRUE(tag.Open(a, ID3_FILE_MODE_READONLY));
        ASSERT_TRUE(tag.Open(b, ID3_FILE_MODE_READONLY));
        EXPECT_EQ(Utf8(tag.Lyrics()), "lyrics of b");
        EXPECT_EQ(Utf8(tag.Lyrics()), "lyrics of b") << "a second call gives the same text";
        ExpectHeld(a, false);
        ExpectHeld(b, true);

        EXPECT_FALSE(tag.Open(dir / TEXT("missing.mp3"), ID3_FILE_MODE_READONLY));
        EXPECT_EQ(tag.Lyrics(), WString()) << "nothing of b is left";
        ExpectHeld(b, false);

        ASSERT_TRUE(tag.Open(a, ID3_FILE_MODE_READWRITE));
        EXPECT_EQ(Utf8(tag.Lyrics()), "lyrics of a");
        ExpectHeld(a, true);
    }
    ExpectHeld(a, false);  // the destructor closes it
}

#ifdef __WINE__
// Under Winelib a name is tried as spelt, then in any letter case as Wine
// matches it; only regular files open, so a pipe is refused, not waited on.
TEST(Mp3Tag, UnixRouteMatchesLetterCaseAndOpensRegularFilesOnly)
{
    TempDir dir;
    ASSERT_TRUE(WriteBytes(dir / TEXT("Song.MP3"), mp3::FileWithLyrics("cased")));
    ASSERT_TRUE(MakeFolder(dir / TEXT("folder.mp3")));
    const std::string unixDir = UnixPath(dir.Path());
    ASSERT_FALSE(unixDir.empty());
    const std::string pipe = unixDir + "/pipe.mp3";
    ASSERT_EQ(mkfifo(pipe.c_str(), 0666), 0);
    vela::Mp3Tag tag;
    for (int mode : {ID3_FILE_MODE_READONLY, ID3_FILE_MODE_READWRITE}) {
        ASSERT_TRUE(tag.Open(dir / TEXT("song.mp3"), mode)) << mode;
        EXPECT_EQ(Utf8(tag.Lyrics()), "cased") << mode;
        EXPECT_FALSE(tag.Open(dir / TEXT("FOLDER.mp3"), mode)) << mode;
        EXPECT_FALSE(tag.Open(dir / TEXT("pipe.mp3"), mode)) << mode;
        EXPECT_FALSE(tag.Open(dir / TEXT("PIPE.mp3"), mode)) << mode;
    }
    unlink(pipe.c_str());
}
#endif

TEST(Mp3Tag, NamesOutsideTheAnsiCodePageOpen)
{
    TempDir dir;
    const char* names[] = {
        "\xEB\x85\xB8\xEB\x9E\x98.mp3",          // Korean
        "\xF0\x9F\x8E\xB5 song.mp3",             // an emoji
        "\xE6\xAD\x8C \xEB\x85\xB8\xEB\x9E\x98 \xC3\xA9.mp3",
    };
    for (const char* name : names)
        EXPECT_EQ(LyricsOf(dir, mp3::FileWithLyrics("sung"), name), "sung") << name;

    WString folder = dir / Wide("\xED\x8F\xB4\xEB\x8D\x94");
    ASSERT_TRUE(MakeFolder(folder));
    WString path = folder + TEXT("\\") + Wide("\xF0\x9F\x8E\xB6.mp3");
    ASSERT_TRUE(WriteBytes(path, mp3::FileWithLyrics("deep")));
    vela::Mp3Tag tag;
    ASSERT_TRUE(tag.Open(path, ID3_FILE_MODE_READONLY));
    EXPECT_EQ(Utf8(tag.Lyrics()), "deep");
}

// Damaged tags: thousands of deterministic mutations of valid files go
// through Open and Lyrics. Passing means no crash and no hang; the results
// themselves are whatever the library makes of the damage.
namespace {

std::vector<std::string> Seeds()
{
    std::vector<std::string> seeds;
    std::string lyrics = "seed lyrics\r\nwith two lines \xC3\xBF\xC3\xA0";
    for (int version : {2, 3, 4}) {
        mp3::Tag tag = TagWith(version, {mp3::LyricsFrame(version, lyrics, Encoding::Utf16, "eng",
                                                          "desc"),
                                         mp3::LyricsFrame(version, "second", Encoding::Latin1)});
        tag.unsynchronise = true;
        seeds.push_back(tag.Bytes() + mp3::AudioFrames(1));
    }
    mp3::Frame compressed = mp3::LyricsFrame(3, lyrics, Encoding::Latin1);
    compressed.compress = true;
    mp3::Tag v3 = TagWith(3, {mp3::TextFrame("TIT2", "t"), compressed});
    v3.extendedHeader = true;
    v3.crc = true;
    v3.padding = 16;
    seeds.push_back(v3.Bytes() + mp3::AudioFrames(1));
    mp3::Frame v4Frame = mp3::LyricsFrame(4, lyrics, Encoding::Utf8);
    v4Frame.compress = true;
    v4Frame.unsynchronise = true;
    mp3::Tag v4 = TagWith(4, {v4Frame, mp3::LyricsFrame(4, lyrics, Encoding::Utf16BE)});
    v4.extendedHeader = true;
    v4.footer = true;
    mp3::Id3v1 v1;
    v1.title = "t";
    seeds.push_back(v4.Bytes() + mp3::AudioFrames(1) + mp3::Id3v1Tag(v1));
    return seeds;
}

// One mutation of `bytes`, chosen by the generator. Offsets favour the tag's
// header and frame headers, where sizes and flags live.
std::string Mutate(std::string bytes, std::mt19937& generator)
{
    auto pick = [&](size_t n) { return n == 0 ? size_t(0) : size_t(generator() % n); };
    size_t hot = std::min<size_t>(bytes.size(), 64);
    size_t at = generator() % 2 ? pick(hot) : pick(bytes.size());
    switch (generator() % 6) {
    case 0:  // flip one bit
        bytes[at] = static_cast<char>(bytes[at] ^ (1 << (generator() % 8)));
        break;
    case 1:  // any byte value
        bytes[at] = static_cast<char>(generator());
        break;
    case 2: {  // a four-byte size field gets an extreme value
        static const std::uint32_t sizes[] = {0, 1, 0x7F, 0xFF, 0x7F7F7F7F, 0xFFFFFFFF, 0x80};
        std::string value = mp3::BigEndian(sizes[pick(7)], 4);
        bytes.replace(at, std::min<size_t>(4, bytes.size() - at), value);
        break;
    }
    case 3:  // truncated
        bytes.resize(pick(bytes.size()));
        break;
    case 4:  // bytes dropped from the middle
        bytes.erase(at, 1 + pick(8));
        break;
    case 5:  // bytes inserted
        bytes.insert(at, 1 + pick(8), static_cast<char>(generator() % 2 ? 0xFF : 0x00));
        break;
    }
    return bytes;
}

// The input being read, for a crash to name: the loop is deterministic, so
// its number rebuilds it. A vectored handler, because Wine runs no
// unhandled-exception filter for a fault in native code.
int damagedInput = -1;

LONG WINAPI NameTheDamagedInput(EXCEPTION_POINTERS* pointers)
{
    static bool named = false;
    if (!named && pointers->ExceptionRecord->ExceptionCode == EXCEPTION_ACCESS_VIOLATION) {
        named = true;
        std::fprintf(stderr, "access violation reading damaged input %d\n", damagedInput);
    }
    return EXCEPTION_CONTINUE_SEARCH;
}

} // namespace

TEST(Mp3Tag, DamagedTagsNeitherCrashNorHang)
{
    TempDir dir;
    // Two names in turn: the reader still holds the previous file.
    const WString paths[] = {dir / TEXT("damaged-a.mp3"), dir / TEXT("damaged-b.mp3")};
    std::vector<std::string> seeds = Seeds();
    std::mt19937 generator(20240611);
    void* const handler = AddVectoredExceptionHandler(1, NameTheDamagedInput);
    int opened = 0;
    int withLyrics = 0;
    vela::Mp3Tag tag;  // one reader for the whole run, as the export job does
    for (damagedInput = 0; damagedInput < 3000; ++damagedInput) {
        std::string bytes = seeds[static_cast<size_t>(damagedInput) % seeds.size()];
        for (unsigned n = 1 + generator() % 3; n > 0 && !bytes.empty(); --n)
            bytes = Mutate(bytes, generator);
        const std::string name = "damaged input " + std::to_string(damagedInput);
        const WString& path = paths[damagedInput % 2];
        ASSERT_TRUE(WriteBytes(path, bytes)) << name;
        if (tag.Open(path, ID3_FILE_MODE_READONLY)) {
            ++opened;
            // No more text than zlib's best ratio (1032:1) can unpack.
            const size_t length = tag.Lyrics().size();
            EXPECT_LE(length, bytes.size() * 1032) << name;
            withLyrics += length == 0 ? 0 : 1;
        }
    }
    RemoveVectoredExceptionHandler(handler);
    EXPECT_GT(opened, 0);
    EXPECT_GT(withLyrics, 0) << "mild damage leaves some lyrics readable";
}

// Lyrics kept in TXXX frames count only in a tag without any USLT frame.
TEST(Mp3Tag, TxxxLyricsOnlyWithoutUslt)
{
    using mp3::UserTextFrame;
    struct Case {
        const char* what;
        int version;
        std::vector<mp3::Frame> frames;
        const char* lyrics;
    };
    const char* lines = "one\r\ntwo\nthree \xC3\xBF";
    mp3::Frame flagged = UserTextFrame(4, "LYRICS", "");
    flagged.body += "caf\xC3\xA9";
    mp3::Frame packed3 = UserTextFrame(3, "LYRICS", lines);
    mp3::Frame packed4 = UserTextFrame(4, "lyrics", lines, Encoding::Utf16);
    packed3.compress = packed4.compress = true;
    const Case cases[] = {
        {"LYRICS", 4, {UserTextFrame(4, "LYRICS", lines)}, lines},
        {"UTF-16, v2.3", 3, {UserTextFrame(3, "UnsyncedLyrics", lines, Encoding::Utf16)}, lines},
        {"v2.2", 2, {UserTextFrame(2, "unsynced lyrics", lines, Encoding::Utf16BomBE)}, lines},
        {"UTF-8, USLT", 4, {UserTextFrame(4, "Uslt", lines, Encoding::Utf8)}, lines},
        {"first in tag order", 3,
         {UserTextFrame(3, "lyrics-eng", "yes"), UserTextFrame(3, "LYRICS", "later")}, "yes"},
        {"other names", 3,
         {UserTextFrame(3, "lyricsx", "a"), UserTextFrame(3, "lyrics", "")}, ""},
        {"USLT wins", 3, {UserTextFrame(3, "LYRICS", "no"), mp3::LyricsFrame(3, "u")}, "u"},
        {"an empty USLT wins", 4,
         {mp3::LyricsFrame(4, "", Encoding::Utf8), UserTextFrame(4, "LYRICS", "no")}, ""},
        {"Latin-1 flag over UTF-8", 4, {flagged}, "caf\xC3\xA9"},
        {"compressed", 3, {packed3}, lines},
        {"compressed, UTF-16", 4, {packed4}, lines},
    };
    TempDir dir;
    for (const Case& c : cases) {
        mp3::Tag tag = TagWith(c.version, c.frames);
        EXPECT_EQ(LyricsOf(dir, mp3::FileWithTag(tag)), c.lyrics) << c.what;
        for (mp3::Frame& frame : tag.frames)
            frame.unsynchronise = c.version == 4;
        tag.unsynchronise = c.version < 4;
        EXPECT_EQ(LyricsOf(dir, mp3::FileWithTag(tag)), c.lyrics) << c.what << ", unsynchronised";
    }
}

namespace {

// An ID3v2.4 tag whose frame sizes are plain 32-bit integers.
std::string PlainSizedTag(std::vector<mp3::Frame> frames, size_t padding)
{
    mp3::Tag tag = TagWith(4, std::move(frames));
    tag.plainFrameSizes = true;
    tag.padding = padding;
    return tag.Bytes();
}

// libid3tag takes the byte past an unsynchronised frame from the C heap:
// leaving freed blocks of every small size full of 'Z' makes it show.
void DirtyHeap()
{
    std::vector<void*> blocks;
    for (size_t size = 8; size <= 1024; size += 8)
        for (int i = 0; i < 3; ++i)
            if (void* block = std::malloc(size))
                blocks.push_back(std::memset(block, 'Z', size));
    for (void* block : blocks)
        std::free(block);
}

} // namespace

// Plain frame sizes in ID3v2.4 tags, and frames or whole tags whose
// unsynchronised data ends in FF 00, which libid3tag reads one byte too far.
TEST(Mp3Tag, PlainSizesAndUnsynchronisedEndsRepaired)
{
    const std::string longText = std::string(300, 'x') + "\r\nend";
    const std::string endsInFF = "a line that ends in \xC3\xBF";
    mp3::Frame title = mp3::TextFrame("TIT2", "Title");
    struct Case {
        const char* what;
        std::string bytes;
        std::string lyrics;
    };
    std::vector<Case> cases = {
        {"plain sizes", PlainSizedTag({title, mp3::LyricsFrame(4, longText)}, 0), longText},
        {"padded", PlainSizedTag({mp3::LyricsFrame(4, longText), title}, 64), longText},
        {"TXXX", PlainSizedTag({mp3::UserTextFrame(4, "LYRICS", longText)}, 0), longText},
        {"plain sizes below 128", PlainSizedTag({mp3::LyricsFrame(4, "short")}, 9), "short"},
    };
    for (int version : {3, 4})
        for (Encoding encoding : {Encoding::Latin1, Encoding::Utf16BomBE})
            for (bool dataLength : {false, true}) {
                mp3::Frame frame = mp3::LyricsFrame(version, endsInFF, encoding);
                frame.unsynchronise = version == 4;
                frame.dataLengthIndicator = dataLength && version == 4;
                mp3::Tag tag = TagWith(version, {frame, title});
                tag.unsynchronise = version == 3;
                cases.push_back({"ends in FF", tag.Bytes(), endsInFF});
            }
    // Tag-level unsynchronisation whose last frame ends in FF (511 ms is 00 00 01 FF).
    for (int version : {2, 3}) {
        mp3::Frame lyrics = mp3::LyricsFrame(version, "ab");
        mp3::Tag tag = TagWith(version, {lyrics, mp3::SyncedLyricsFrame(version, {{"ab", 511}})});
        tag.unsynchronise = true;
        cases.push_back({"whole tag ends in FF 00", tag.Bytes(), "ab"});
        tag.frames.erase(tag.frames.begin());
        cases.push_back({"whole tag ends in FF 00, SYLT", tag.Bytes(), "[00:00.51]ab"});
    }
    mp3::Frame both = mp3::LyricsFrame(4, std::string(200, 'y') + endsInFF);
    both.unsynchronise = true;
    cases.push_back({"both", PlainSizedTag({both}, 0), std::string(200, 'y') + endsInFF});
    TempDir dir;
    for (const Case& c : cases) {
        for (const std::string& audio : {std::string(), mp3::AudioFrames(1)}) {
            DirtyHeap();
            EXPECT_EQ(LyricsOf(dir, c.bytes + audio), c.lyrics)
                << c.what << ", " << audio.size() << " bytes after";
        }
    }
}
