// Lyrics stored under the ISO-8859-1 flag whose bytes are UTF-8 or Shift_JIS,
// read through the tag reader and exported by the real program. Every test
// here runs under code page 1252 and again under 932 (LegacyCodePages below).
#include "tests/support/gtest.h"

#include "app/paths.h"
#include "tests/support/code_pages.h"
#include "tests/support/mp3_writer.h"
#include "tests/support/program.h"
#include "tests/support/temp_dir.h"
#include "vela/media/mp3_tag.h"

#include <id3tag.h>

#include <string>

namespace {

// The text that Latin-1 makes of `bytes`, as UTF-8.
std::string Latin1(const std::string& bytes)
{
    WString text;
    for (char c : bytes)
        text += WCHAR(static_cast<unsigned char>(c));
    return Utf8(text);
}

// The lyrics of a file holding `bytes` under the Latin-1 flag, as UTF-8.
std::string ReadFlaggedLatin1(const TempDir& dir, int version, const std::string& bytes)
{
    mp3::Tag tag;
    tag.version = version;
    tag.frames.push_back(mp3::LatinFlaggedLyricsFrame(version, bytes));
    const WString path = dir / TEXT("song.mp3");
    if (!WriteBytes(path, mp3::FileWithTag(tag)))
        return "<write failed>";
    vela::Mp3Tag reader;
    if (!reader.Open(path, ID3_FILE_MODE_READONLY))
        return "<open failed>";
    return Utf8(reader.Lyrics());
}

const char* const kLatin1 = nullptr;  // the bytes read one character each

const char kHelloUtf8[] = "Hello \xE4\xB8\x96\xE7\x95\x8C";   // Hello 世界
const char kHelloShiftJis[] = "\x81\x75\x82\xB1\x82\xF1\x82\xC9\x82\xBF\x82\xCD "
                              "\x90\xA2\x8A\x45\x81\x76";     // 「こんにちは 世界」
const char kHelloJapanese[] = "\xE3\x80\x8C\xE3\x81\x93\xE3\x82\x93\xE3\x81\xAB\xE3\x81\xA1"
                              "\xE3\x81\xAF \xE4\xB8\x96\xE7\x95\x8C\xE3\x80\x8D";
const char kSymbols[] = "30\xB0 2\xD7" "3 6\xF7" "2 \xD7 \xD7";  // 30° 2×3 6÷2 × ×

} // namespace

TEST(LegacyLyrics, ReadAsTheTextTheirBytesSpell)
{
    struct Case {
        const char* what;
        std::string bytes;
        const char* under1252;  // UTF-8, or kLatin1
        const char* under932;
    };
    const Case cases[] = {
        {"Shift_JIS", kHelloShiftJis, kLatin1, kHelloJapanese},
        // Trail bytes 5C (the backslash) in 表 and ソ, a CRLF between.
        {"Shift_JIS, trail 5C", "\x95\x5C\x8E\xA6\r\n\x83\x5C\x83\x74\x83\x67", kLatin1,
         "\xE8\xA1\xA8\xE7\xA4\xBA\r\n\xE3\x82\xBD\xE3\x83\x95\xE3\x83\x88"},
        {"Shift_JIS with half-width katakana", "\xB1\xB2\xB3 \x93\xFA\x96\x7B", kLatin1,
         "\xEF\xBD\xB1\xEF\xBD\xB2\xEF\xBD\xB3 \xE6\x97\xA5\xE6\x9C\xAC"},
        // The same bytes are valid Shift_JIS as well: UTF-8 comes first.
        {"UTF-8 Japanese", kHelloUtf8, kHelloUtf8, kHelloUtf8},
        {"UTF-8 accents, LF", "Caf\xC3\xA9 cr\xC3\xA8me\nna\xC3\xAFve", "Caf\xC3\xA9 cr\xC3\xA8me\nna\xC3\xAFve",
         "Caf\xC3\xA9 cr\xC3\xA8me\nna\xC3\xAFve"},
        {"UTF-8 after a byte-order mark", "\xEF\xBB\xBF" "caf\xC3\xA9", "caf\xC3\xA9",
         "caf\xC3\xA9"},
        {"UTF-8, four bytes", "x\xF0\x9F\x8E\xB5", "x\xF0\x9F\x8E\xB5", "x\xF0\x9F\x8E\xB5"},
        {"ASCII, CRLF", "plain words\r\nsecond line", kLatin1, kLatin1},
        // High bytes that 932 reads as single-byte half-width katakana, and
        // F7 followed by a digit, no pair.
        {"symbols", kSymbols, kLatin1, kLatin1},
        // E0 20 is no pair in 932, C3 A0 no UTF-8.
        {"Latin-1 accents", "D\xE9j\xE0 vu, caf\xE9 au lait", kLatin1, kLatin1},
        {"Latin-1, CRLF and LF", "\xC7" "a va\r\ns\xED\nfin\xAB\r\n", kLatin1, kLatin1},
        {"lead byte at the end", "\x93\xFA\x96\x7B\x93", kLatin1, kLatin1},
        {"lead byte before a control", "\x93\xFA\x96\x7B\x93\r\n", kLatin1, kLatin1},
        // F040 and F9FC are user-defined characters in 932.
        {"private use only", "\xF0\x40\xF9\xFC", kLatin1, kLatin1},
        {"private use among text", "\x93\xFA\xF0\x41\x96\x7B", kLatin1, kLatin1},
        {"single-byte katakana only", "\xB1\xB2\xB3\xDE", kLatin1, kLatin1},
        // Malformed UTF-8 next to a valid sequence. In 932 the valid F0 9F
        // makes a user-defined character, and C0 AF and C3 A9 are single-byte
        // katakana only, so every row stays Latin-1 there too.
        {"overlong UTF-8, two bytes", "\xC0\xAF \xC3\xA9", kLatin1, kLatin1},
        {"overlong UTF-8, three bytes", "\xE0\x80\xAF\xF0\x9F\x8E\xB5", kLatin1, kLatin1},
        {"overlong UTF-8, four bytes", "\xF0\x80\x80\xAF\xF0\x9F\x8E\xB5", kLatin1, kLatin1},
        {"UTF-8 surrogate", "\xED\xA0\x80\xF0\x9F\x8E\xB5", kLatin1, kLatin1},
        {"UTF-8 past U+10FFFF", "\xF4\x90\x80\x80 \xC3\xA9", kLatin1, kLatin1},
        {"UTF-8 cut short", "caf\xC3\xA9 \xC3", kLatin1, kLatin1},
    };
    const UINT codePage = GetACP();
    if (ChildCodePage() != 0) {
        ASSERT_EQ(codePage, ChildCodePage());
    }
    ASSERT_TRUE(codePage == 1252 || codePage == 932) << codePage;
    TempDir dir;
    for (const Case& c : cases) {
        const char* expected = codePage == 932 ? c.under932 : c.under1252;
        const std::string text = expected == kLatin1 ? Latin1(c.bytes) : expected;
        for (int version : {2, 3, 4})
            EXPECT_EQ(ReadFlaggedLatin1(dir, version, c.bytes), text)
                << c.what << ", ID3v2." << version << ", code page " << codePage;
    }
}

// Only the Latin-1 flag is read again: text in any other encoding whose
// characters happen to spell UTF-8 or Shift_JIS bytes stays as it is.
TEST(LegacyLyrics, OtherEncodingsReadAsBefore)
{
    const std::string spellings[] = {
        Latin1("\xE3\x81\x93 \xC3\xA9"),  // UTF-8 of こ é, one character per byte
        Latin1(kHelloShiftJis),
        kHelloUtf8,
    };
    TempDir dir;
    for (const std::string& text : spellings) {
        const std::pair<int, mp3::Encoding> frames[] = {
            {4, mp3::Encoding::Utf8}, {3, mp3::Encoding::Utf16}, {4, mp3::Encoding::Utf16BE}};
        for (const auto& frame : frames) {
            const WString path = dir / TEXT("song.mp3");
            ASSERT_TRUE(WriteBytes(path, mp3::FileWithLyrics(text, frame.first, frame.second)));
            vela::Mp3Tag reader;
            ASSERT_TRUE(reader.Open(path, ID3_FILE_MODE_READONLY));
            EXPECT_EQ(Utf8(reader.Lyrics()), text)
                << "ID3v2." << frame.first << " encoding " << static_cast<int>(frame.second);
        }
    }
}

// A batch run of the program: Shift_JIS comes out as the very bytes stored
// under 932, UTF-8 as the text it spells, genuine Latin-1 as it always did.
TEST(LegacyLyrics, ProgramExportsTheRecoveredText)
{
    ProgramCopy program;
    ASSERT_FALSE(program.Path().empty());
    TempDir dir;
    const std::pair<const char*, std::string> tracks[] = {
        {"shift_jis", kHelloShiftJis},
        {"utf8", "Hello \xE4\xB8\x96\xE7\x95\x8C caf\xC3\xA9"},
        {"latin1", std::string(kSymbols) + "\r\nD\xE9j\xE0 vu"},
    };
    for (const auto& track : tracks) {
        mp3::Tag tag;
        tag.frames.push_back(mp3::LatinFlaggedLyricsFrame(tag.version, track.second));
        ASSERT_TRUE(WriteBytes(dir / Wide(std::string(track.first) + ".mp3"),
                               mp3::FileWithTag(tag)));
    }
    const RunResult run = RunProgram(program.Path(), Quoted(dir.Path()));
    ASSERT_EQ(run.exitCode, 0u);

    const bool japanese = GetACP() == 932;
    // What the program wrote before it read such bytes again.
    const std::string latin1Export = ToAnsi(Wide(Latin1(tracks[2].second)));
    EXPECT_EQ(ReadBytes(dir / TEXT("shift_jis.txt")),
              japanese ? std::string(kHelloShiftJis) : ToAnsi(Wide(Latin1(kHelloShiftJis))));
    EXPECT_EQ(ReadBytes(dir / TEXT("utf8.txt")), ToAnsi(Wide(tracks[1].second)));
    EXPECT_EQ(ReadBytes(dir / TEXT("latin1.txt")), latin1Export);
    if (!japanese) {
        EXPECT_EQ(latin1Export, tracks[2].second) << "1252 holds Latin-1 byte for byte";
    }
}

#ifdef __WINE__
TEST(LegacyCodePages, LegacyLyricsPassUnderEachCodePage)
{
    if (ChildCodePage() != 0)
        GTEST_SKIP() << "already a child run";
    ExpectPassUnderOtherCodePages(TEXT("LegacyLyrics.*"), 3);
}
#endif

// Lyrics that taggers stored in the single-byte code page of a Cyrillic,
// Greek or Hebrew Windows under the Latin-1 flag come back under that code
// page; true Latin-1 lyrics stay as they are under every code page.
TEST(ScriptLyrics, SentencesOfTheirCodePageRecovered)
{
    const UINT codePage = GetACP();
    ASSERT_TRUE(ChildCodePage() == 0 || ChildCodePage() == codePage) << codePage;
    if (codePage != 1252 && codePage != 1251 && codePage != 1253 && codePage != 1255)
        GTEST_SKIP() << "code page " << codePage;
    const std::pair<UINT, const char*> sentences[] = {
        {1251, "Ой, то не вечер, то не вечер,\r\nМне малым-мало спалось"},
        {1251, "Я помню чудное мгновенье:\r\nПередо мной явилась ты"},
        {1251, "Ніч яка місячна, зоряна, ясная!\r\nВидно, хоч голки збирай"},
        {1251, "Ще не вмерла України і слава, і воля"},
        {1253, "Σε γνωρίζω από την κόψη\r\nτου σπαθιού την τρομερή"},
        {1253, "Μια φορά κι έναν καιρό"},
        {1255, "הבה נגילה הבה נגילה\r\nונשמחה"},
        {1255, "כל עוד בלבב פנימה נפש יהודי הומיה"},
        {28591, "Allons enfants de la Patrie,\r\nLe jour de gloire est arrivé !"},
        {28591, "À la claire fontaine, m'en allant promener, j'ai trouvé l'eau si belle"},
        {28591, "Freude, schöner Götterfunken,\r\nTochter aus Elysium"},
        {28591, "Grüß Gott! Über allen Gipfeln ist Ruh', schöne Grüße"},
        {28591, "¿Qué será, será? ¡Ay, ay, ay! Canta y no llores, corazón"},
        {28591, "Ó meu coração, não há canção sem paixão nem ilusões"},
        {28591, "Ó, guð vors lands! Ó, lands vors guð!\r\nSofðu unga ástin mín, úti regnið grætur"},
    };
    TempDir dir;
    for (const auto& sentence : sentences) {
        if (sentence.first != 28591 && sentence.first != codePage)
            continue;  // another script's bytes mean nothing here
        const WString text = Wide(sentence.second);
        std::string bytes(text.size(), '\0');  // one byte a character in these code pages
        WideCharToMultiByte(sentence.first, 0, text.c_str(), static_cast<int>(text.size()),
                            &bytes[0], static_cast<int>(bytes.size()), nullptr, nullptr);
        EXPECT_EQ(ReadFlaggedLatin1(dir, 4, bytes), sentence.second)
            << "stored as " << sentence.first << ", read under " << codePage;
    }
}

#ifdef __WINE__
TEST(LegacyCodePages, ScriptLyricsPassUnderTheirCodePages)
{
    if (ChildCodePage() != 0)
        GTEST_SKIP() << "already a child run";
    ExpectPassUnderOtherCodePages(TEXT("ScriptLyrics.*"), 1, {1251, 1253, 1255});
}
#endif
