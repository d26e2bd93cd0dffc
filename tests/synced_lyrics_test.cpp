// Synchronised lyrics (SYLT) read as LRC text: the frame's encodings, both
// kinds of time stamp, damaged frames, and the real program on tracks that
// kid3-cli and the project's writer made.
#include "tests/support/gtest.h"

#include "app/export_tracks.h"
#include "tests/support/code_pages.h"
#include "tests/support/mp3_writer.h"
#include "tests/support/program.h"
#include "tests/support/temp_dir.h"
#include "tests/support/unix_path.h"
#include "vela/media/mp3_tag.h"
#include "vela/storage/user_path.h"

#include <id3tag.h>

#ifdef __WINE__
#include <spawn.h>
#include <sys/wait.h>
#endif

#include <string>
#include <vector>

using mp3::Encoding;
using mp3::SyncedEntry;
using mp3::SyncedLyricsFrame;

namespace {

struct Read {
    std::string lyrics;
    bool untimed;
};

Read ReadFile(const TempDir& dir, const std::string& bytes)
{
    const WString path = dir / TEXT("synced.mp3");
    vela::Mp3Tag tag;
    if (!WriteBytes(path, bytes) || !tag.Open(path, ID3_FILE_MODE_READONLY))
        return {"<open failed>", false};
    const vela::Mp3Tag::TrackLyrics lyrics = tag.ReadLyrics();
    return {Utf8(lyrics.text), lyrics.untimed};
}

std::string Track(int version, std::vector<mp3::Frame> frames, int audioFrames = 3)
{
    mp3::Tag tag;
    tag.version = version;
    tag.frames = std::move(frames);
    return tag.Bytes() + mp3::AudioFrames(audioFrames);
}

// As kid3-cli stores them: every text after a line feed.
const std::vector<SyncedEntry> kSong = {{"\nIn the morning", 1234}, {"\nCaf\xC3\xA9 \xE4\xB8\x96\xE7\x95\x8C", 65432}};
const char kSongLrc[] = "[00:01.23]In the morning\r\n[01:05.43]Caf\xC3\xA9 \xE4\xB8\x96\xE7\x95\x8C";
const char kSongLatin1[] = "[00:01.23]In the morning\r\n[01:05.43]Caf\xC3\xA9 ??";

} // namespace

TEST(SyncedLyrics, ReadAsLrc)
{
    mp3::Frame cut = SyncedLyricsFrame(4, {{"kept", 10}, {"cut", 20}}, Encoding::Utf8);
    cut.body.resize(cut.body.size() - 2);  // the last time stamp cut short
    mp3::Frame open = SyncedLyricsFrame(3, {{"kept", 10}});
    open.body += "no terminator";
    mp3::Frame noBomAfter = SyncedLyricsFrame(3, {{"one", 10}}, Encoding::Utf16);
    noBomAfter.body += std::string("t\0w\0o\0\0\0", 8) + mp3::BigEndian(20, 4);
    mp3::Frame packed = SyncedLyricsFrame(3, kSong, Encoding::Utf16);
    packed.compress = true;
    mp3::Frame unsynchronised = SyncedLyricsFrame(4, {{"\xC3\xBF", 0xFFFF}});
    unsynchronised.unsynchronise = true;
    std::vector<SyncedEntry> many(300000, {"la", 0});
    mp3::Frame huge = SyncedLyricsFrame(4, {{std::string(16 << 20, 'x'), 0}}, Encoding::Utf8);
    struct Case {
        const char* what;
        std::string bytes;
        std::string lyrics;
        bool untimed;
    };
    const std::vector<Case> cases = {
        {"Latin-1", Track(3, {SyncedLyricsFrame(3, kSong)}), kSongLatin1, false},
        {"UTF-16 with BOM", Track(3, {SyncedLyricsFrame(3, kSong, Encoding::Utf16)}), kSongLrc, false},
        {"UTF-16, big-endian BOM", Track(2, {SyncedLyricsFrame(2, kSong, Encoding::Utf16BomBE)}),
         kSongLrc, false},
        {"UTF-16 without BOM after one", Track(3, {noBomAfter}), "[00:00.01]one\r\n[00:00.02]two", false},
        {"UTF-16BE", Track(4, {SyncedLyricsFrame(4, kSong, Encoding::Utf16BE)}), kSongLrc, false},
        {"UTF-8", Track(4, {SyncedLyricsFrame(4, kSong, Encoding::Utf8)}), kSongLrc, false},
        {"UTF-8 under the Latin-1 flag", Track(4, {[] {
             mp3::Frame f = SyncedLyricsFrame(4, {{"", 0}});
             f.body = f.body.substr(0, 7) + "caf\xC3\xA9" + std::string(1, '\0') + mp3::BigEndian(0, 4);
             return f;
         }()}), "[00:00.00]caf\xC3\xA9", false},
        {"line breaks inside", Track(3, {SyncedLyricsFrame(3, {{"\r\none\r\ntwo\n\nthree\n", 0}, {"", 4000}})}),
         "[00:00.00]one two three\r\n[00:04.00]", false},
        // 1152 samples at 44.1 kHz: 100 frames last 2.612 s.
        {"MPEG frames", Track(3, {SyncedLyricsFrame(3, {{"a", 100}, {"b", 2298}}, Encoding::Latin1, 1)}),
         "[00:02.61]a\r\n[01:00.02]b", false},
        {"MPEG frames, no audio", Track(3, {SyncedLyricsFrame(3, {{"a", 100}, {"", 1}, {"b", 2}}, Encoding::Latin1, 1)}, 0),
         "a\r\nb", true},
        {"unknown unit", Track(3, {SyncedLyricsFrame(3, {{"a", 1}}, Encoding::Latin1, 3)}), "a", true},
        {"lyrics before other content", Track(3, {SyncedLyricsFrame(3, {{"chord", 1}}, Encoding::Latin1, 2, 5),
                                                  SyncedLyricsFrame(3, {{"sung", 2}})}), "[00:00.00]sung", false},
        {"text before none", Track(3, {SyncedLyricsFrame(3, {{"\n", 1}}), SyncedLyricsFrame(3, {{"chord", 2}}, Encoding::Latin1, 2, 5)}),
         "[00:00.00]chord", false},
        {"USLT first", Track(3, {SyncedLyricsFrame(3, kSong), mp3::LyricsFrame(3, "plain\r\n")}), "plain\r\n", false},
        {"TXXX first", Track(4, {SyncedLyricsFrame(4, kSong), mp3::UserTextFrame(4, "LYRICS", "a\nb")}), "a\nb", false},
        {"an empty USLT first", Track(3, {mp3::LyricsFrame(3, ""), SyncedLyricsFrame(3, kSong)}), kSongLatin1, false},
        {"an empty TXXX first", Track(4, {mp3::UserTextFrame(4, "lyrics-eng", ""), SyncedLyricsFrame(4, kSong, Encoding::Utf8)}),
         kSongLrc, false},
        {"compressed", Track(3, {packed}), kSongLrc, false},
        {"unsynchronised, ends in FF", Track(4, {unsynchronised}), "[01:05.53]\xC3\xBF", false},
        {"time stamp cut short", Track(4, {cut}), "[00:00.01]kept", false},
        {"no terminator", Track(3, {open}), "[00:00.01]kept", false},
        {"no entries", Track(3, {SyncedLyricsFrame(3, {})}), "", false},
        {"unknown encoding", Track(3, {[] {
             mp3::Frame f = SyncedLyricsFrame(3, {{"x", 1}});
             f.body[0] = 7;
             return f;
         }()}), "", false},
    };
    TempDir dir;
    for (const Case& c : cases) {
        const Read read = ReadFile(dir, c.bytes);
        EXPECT_EQ(read.lyrics, c.lyrics) << c.what;
        EXPECT_EQ(read.untimed, c.untimed) << c.what;
    }
    // Sizes rather than texts: 300,000 lines, and one text of 16 MiB.
    const Read lines = ReadFile(dir, Track(4, {SyncedLyricsFrame(4, many)}));
    EXPECT_EQ(lines.lyrics.size(), 300000 * 14 - 2);
    EXPECT_EQ(lines.lyrics.substr(lines.lyrics.size() - 14), "\r\n[00:00.00]la");
    EXPECT_EQ(ReadFile(dir, Track(4, {huge})).lyrics.size(), (16u << 20) + 10);
}

// The report names an output whose synchronised lyrics lost their times.
TEST(SyncedLyrics, ReportNamesOutputsWithoutTimes)
{
    TempDir dir;
    ASSERT_TRUE(WriteBytes(dir / TEXT("a.mp3"),
                           Track(3, {SyncedLyricsFrame(3, {{"a", 1}}, Encoding::Latin1, 1)}, 0)));
    const ExportOptions options = {false, false, {true, WString(), true, WString(), TEXT("txt")}};
    const ExportReport report = ExportTracks({dir / TEXT("a.mp3")}, options);
    EXPECT_EQ(Utf8(FormatReport(report)),
              "tagscribe: " + Utf8(vela::UserPath(dir / TEXT("a.txt"))) +
                  ": written without time stamps (the track's synchronised lyrics give none "
                  "that can be read)\ntagscribe: 1 exported, 0 without lyrics, 0 failed\n");
}

#ifdef __WINE__
namespace {

// kid3-cli, a Unix program, run from this Winelib process on kid3.mp3 and
// song.lrc in `folder`, its output to kid3.log there. It reads the folder it
// starts in first: in the build folder the Wine prefix's drive links took it
// elsewhere and it saved nothing.
bool Kid3Writes(const WString& folder)
{
    const std::string unixFolder = UnixPath(folder);
    const std::string script = "cd '" + (unixFolder.empty() ? "/nowhere" : unixFolder) +
                               "' && kid3-cli -c 'select kid3.mp3' -c 'tag 2' -c \"set "
                               "SYLT:'song.lrc' 1\" -c save >kid3.log 2>&1";
    const char* argv[] = {"sh", "-c", script.c_str(), nullptr};
    pid_t child = 0;
    int status = -1;
    return posix_spawnp(&child, "sh", nullptr, nullptr, const_cast<char**>(argv), environ) == 0 &&
           waitpid(child, &status, 0) == child && WIFEXITED(status) && WEXITSTATUS(status) == 0;
}

} // namespace

// A batch run of the program and of its UTF-8 variant on a track that
// kid3-cli wrote (Latin-1, milliseconds) and on UTF-16 and UTF-8 ones of the
// project's writer: the LRC bytes in the code page, byte for byte.
TEST(SyncedLyricsProgram, ExportsLrcInTheCodePage)
{
    TempDir dir;
    const std::string shiftJis = "\x90\xA2\x8A\x45";  // 世界
    ASSERT_TRUE(WriteBytes(dir / TEXT("song.lrc"), "[00:01.23]In the morning\n[01:05.43]Caf\xC3\xA9\n"));
    ASSERT_TRUE(WriteBytes(dir / TEXT("kid3.mp3"), mp3::FileWithoutTag()));
    ASSERT_TRUE(Kid3Writes(dir.Path()) && ReadBytes(dir / TEXT("kid3.mp3")).substr(0, 3) == "ID3")
        << "kid3-cli: " << ReadBytes(dir / TEXT("kid3.log"));
    ASSERT_TRUE(WriteBytes(dir / TEXT("utf16.mp3"), Track(3, {SyncedLyricsFrame(3, kSong, Encoding::Utf16)})));
    ASSERT_TRUE(WriteBytes(dir / TEXT("utf8.mp3"), Track(4, {SyncedLyricsFrame(4, kSong, Encoding::Utf8)})));
    // The expected bytes under UTF-8, 1252 and 932 (where é has the look-alike e).
    const std::string lines = "[00:01.23]In the morning\r\n[01:05.43]Caf";
    const bool japanese = GetACP() == 932;
    ASSERT_TRUE(japanese || GetACP() == 1252) << GetACP();
    for (const WCHAR* variant : {TEXT("tagscribe.exe.so"), TEXT("tagscribe-utf8.exe.so")}) {
        ProgramCopy program(variant);
        ASSERT_FALSE(program.Path().empty());
        ASSERT_EQ(RunProgram(program.Path(), Quoted(dir.Path())).exitCode, 0u) << Utf8(variant);
        const bool utf8 = WString(variant) != TEXT("tagscribe.exe.so");
        const std::string kid3Lrc = lines + (utf8 ? "\xC3\xA9" : japanese ? "e" : "\xE9");
        const std::string song = utf8       ? std::string(kSongLrc)
                                 : japanese ? lines + "e " + shiftJis
                                            : lines + "\xE9 ??";
        EXPECT_EQ(ReadBytes(dir / TEXT("kid3.txt")), kid3Lrc) << Utf8(variant);
        EXPECT_EQ(ReadBytes(dir / TEXT("utf16.txt")), song) << Utf8(variant);
        EXPECT_EQ(ReadBytes(dir / TEXT("utf8.txt")), song) << Utf8(variant);
    }
}

TEST(LegacyCodePages, SyncedLyricsProgramPassesUnderEachCodePage)
{
    if (ChildCodePage() != 0)
        GTEST_SKIP() << "already a child run";
    ExpectPassUnderOtherCodePages(TEXT("SyncedLyricsProgram.*"), 1);
}
#endif
