#include "tests/support/gtest.h"

#include <random>
#include <string>
#include <vector>

#include "tests/support/mp3_writer.h"
#include "tests/support/temp_dir.h"
#include "tests/support/unix_path.h"
#include "vela/media/file_tag.h"

#include <id3tag.h>

#ifdef __WINE__
#include <fcntl.h>
#include <unistd.h>

namespace {

// A tag as id3_tag_render gives it with its own options: the frames, their
// order and contents, the ID3v1 option and the padded length all show.
std::string Rendered(id3_tag* tag)
{
    std::string bytes(id3_tag_render(tag, nullptr), '\0');
    if (!bytes.empty())
        bytes.resize(id3_tag_render(tag, reinterpret_cast<id3_byte_t*>(&bytes[0])));
    return bytes + "|" + std::to_string(tag->nframes) + "|" +
           std::to_string(id3_tag_options(tag, 0, 0));
}

// The tag view of libid3tag's own file route, through its C stream.
std::string LibraryView(const WString& path)
{
    const int fd = open(UnixPath(path).c_str(), O_RDONLY);
    id3_file* file = fd < 0 ? nullptr : id3_file_fdopen(fd, ID3_FILE_MODE_READONLY);
    if (file == nullptr)
        return "<no file>";
    const std::string view = Rendered(id3_file_tag(file));
    id3_file_close(file);
    return view;
}

std::string ProgramView(const WString& path)
{
    auto track = vela::CurrentDisk().OpenTrack(path);
    if (!track)
        return "<no file>";
    vela::TrackBytes bytes(*track);
    vela::OwnedTag tag = vela::ReadFileTag(bytes);
    return tag ? Rendered(tag.get()) : "<no tag>";
}

mp3::Tag Lyrics(int version, const std::string& text, bool footer = false)
{
    mp3::Tag tag;
    tag.version = version;
    tag.frames = {mp3::TextFrame("TIT2", "title"), mp3::LyricsFrame(version, text)};
    tag.footer = footer;
    return tag;
}

} // namespace

// Every place the library's file route looks (the ID3v1 tag at the end, the
// tag at the start, SEEK frames, a footer before the ID3v1 tag) and what it
// makes of sizes past the end, overlaps and damage: the tag read from the
// track's bytes renders exactly as the library's own.
TEST(FileTag, GathersWhatTheLibrarysFileRouteGathers)
{
    TempDir dir;
    const std::string audio = mp3::AudioFrames(3);
    const std::string v1 = mp3::Id3v1Tag({"one", "", "", "", ""});
    mp3::Tag picture = Lyrics(3, "with a picture");
    picture.frames.push_back({"APIC", std::string(1, '\0') + "image/png" + std::string(3, '\0') +
                                          std::string(100000, 'p')});
    mp3::Tag seeking = Lyrics(4, "first");
    seeking.frames.push_back({"SEEK", mp3::BigEndian(static_cast<uint32_t>(audio.size()), 4)});
    std::string past = Lyrics(3, "cut").Bytes();
    past[9] = 0x7F;
    const struct {
        const char* name;
        std::string bytes;
    } files[] = {
        {"empty", ""},
        {"five bytes", "ID3\x03\x00"},
        {"no tag", audio},
        {"ID3v1 only", audio + v1},
        {"ID3v1 alone, 128 bytes", v1},
        {"ID3v2.3 and ID3v1", Lyrics(3, "lead").Bytes() + audio + v1},
        {"ID3v2.2", Lyrics(2, "old").Bytes() + audio},
        {"appended with a footer", audio + Lyrics(4, "end", true).Bytes()},
        {"appended before ID3v1", audio + Lyrics(4, "end", true).Bytes() + v1},
        {"leading and appended", Lyrics(3, "lead").Bytes() + audio + Lyrics(4, "end", true).Bytes()},
        {"only a footed tag", Lyrics(4, "all", true).Bytes()},
        {"a picture past the first read", picture.Bytes() + audio + v1},
        {"a SEEK frame to a second tag", seeking.Bytes() + audio + Lyrics(3, "second").Bytes()},
        {"a size past the end", past + audio},
    };
    std::mt19937 generator(29);
    for (const auto& file : files) {
        const WString path = dir / TEXT("track.mp3");
        ASSERT_TRUE(WriteBytes(path, file.bytes)) << file.name;
        EXPECT_EQ(ProgramView(path), LibraryView(path)) << file.name;
        // Damage that moves sizes, markers and ends about.
        for (int i = 0; i < 40 && !file.bytes.empty(); ++i) {
            std::string damaged = file.bytes;
            const size_t at = generator() % damaged.size();
            if (i % 4 == 3)
                damaged.resize(at);
            else
                damaged[at] = static_cast<char>(generator());
            ASSERT_TRUE(WriteBytes(path, damaged)) << file.name;
            EXPECT_EQ(ProgramView(path), LibraryView(path)) << file.name << ", damaged at " << at;
        }
    }
}

#endif
