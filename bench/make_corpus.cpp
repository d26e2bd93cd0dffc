// Writes the benchmark corpus: MP3 files with lyrics in every text encoding,
// in album folders and once more in one flat folder, plus a manifest that
// tells the run script what each file holds. Fixed seed: the same corpus on
// every machine.
//
// Usage: make_corpus [--count N] [--albums N] [--seed N] FOLDER
#include "bench/corpus_text.h"
#include "tests/support/mp3_writer.h"

#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <string>
#include <sys/stat.h>

namespace {

const char* EncodingName(mp3::Encoding encoding)
{
    switch (encoding) {
    case mp3::Encoding::Latin1: return "latin1";
    case mp3::Encoding::Utf16: return "utf16le-bom";
    case mp3::Encoding::Utf16BomBE: return "utf16be-bom";
    case mp3::Encoding::Utf16BE: return "utf16be";
    case mp3::Encoding::Utf8: return "utf8";
    }
    return "?";
}

struct Track {
    std::string name;  // file name, unique across the corpus
    int index = 0;
    int album = 0;
    int version = 3;  // ID3v2.3 or 2.4
    mp3::Encoding encoding = mp3::Encoding::Latin1;
    corpus::Language language = corpus::Language::English;
    bool has_lyrics = true;
    bool second_lyrics = false;  // a translation after the first USLT frame
    int cover_bytes = 0;
    std::string title, lyrics, translation;
};

Track PlanTrack(corpus::Random& random, int index, int count, int albums)
{
    Track track;
    track.index = index;
    track.album = static_cast<int>(static_cast<long long>(index) * albums / count);
    char name[64];
    // A few upper-case extensions: the program takes them as MP3 files too.
    std::snprintf(name, sizeof name, "a%03d-t%05d.%s", track.album, index,
                  random.Percent(2) ? "MP3" : "mp3");
    track.name = name;
    track.version = random.Percent(50) ? 3 : 4;
    track.has_lyrics = !random.Percent(10);
    track.cover_bytes = random.Percent(20) ? random.Between(50 * 1024, 300 * 1024) : 0;

    const int kind = random.Between(0, 99);
    track.language = kind < 45   ? corpus::Language::English
                     : kind < 85 ? corpus::Language::Western
                                 : corpus::Language::Japanese;
    // ID3v2.3 knows Latin-1 and UTF-16 with a byte-order mark; 2.4 adds
    // UTF-16BE and UTF-8. Latin-1 cannot carry Japanese.
    const bool japanese = track.language == corpus::Language::Japanese;
    const int first = japanese ? 1 : 0, last = track.version == 3 ? 2 : 4;
    track.encoding = static_cast<mp3::Encoding>(random.Between(first, last));

    const char* line_break = random.Percent(30) ? "\r\n" : "\n";
    track.title = corpus::Title(random, track.language);
    if (track.has_lyrics) {
        track.lyrics = corpus::Lyrics(random, track.language, random.Between(20, 60), line_break);
        if (random.Percent(3)) {
            track.second_lyrics = true;
            track.translation =
                corpus::Lyrics(random, corpus::Language::English, random.Between(20, 60), line_break);
        }
    }
    return track;
}

std::string RandomBytes(corpus::Random& random, int count)
{
    std::string bytes(static_cast<std::size_t>(count), '\0');
    for (auto& byte : bytes)
        byte = static_cast<char>(random.Next() >> 56);
    return bytes;
}

// An APIC frame: Latin-1 MIME type, front cover, no description, the bytes.
mp3::Frame CoverFrame(corpus::Random& random, int bytes)
{
    mp3::Frame frame;
    frame.id = "APIC";
    frame.body = std::string("\0image/jpeg\0\x03\0", 14) + RandomBytes(random, bytes);
    return frame;
}

std::string TrackBytes(corpus::Random& random, const Track& track)
{
    mp3::Tag tag;
    tag.version = track.version;
    tag.frames.push_back(mp3::TextFrame("TIT2", track.title, track.encoding));
    tag.frames.push_back(mp3::TextFrame("TPE1", "Bench Artist", mp3::Encoding::Latin1));
    tag.frames.push_back(mp3::TextFrame("TALB", "Album " + std::to_string(track.album),
                                        mp3::Encoding::Latin1));
    tag.frames.push_back(mp3::TextFrame("TRCK", std::to_string(track.index % 100 + 1),
                                        mp3::Encoding::Latin1));
    if (track.cover_bytes > 0)
        tag.frames.push_back(CoverFrame(random, track.cover_bytes));
    if (track.has_lyrics) {
        const char* language = track.language == corpus::Language::Japanese ? "jpn" : "eng";
        mp3::Frame lyrics = mp3::LyricsFrame(track.version, track.lyrics, track.encoding, language);
        lyrics.compress = random.Percent(3);
        tag.frames.push_back(lyrics);
        if (track.second_lyrics)
            tag.frames.push_back(mp3::LyricsFrame(track.version, track.translation,
                                                  mp3::Encoding::Latin1, "eng", "translation"));
    }
    tag.unsynchronise = random.Percent(5);
    tag.padding = static_cast<std::size_t>(random.Between(0, 4096));
    std::string bytes = tag.Bytes() + mp3::AudioFrames(random.Between(5, 30));
    if (random.Percent(30))
        bytes += mp3::Id3v1Tag({track.name, "Bench Artist", "Album", "2024", "", 1, 12});
    return bytes;
}

bool MakeFolder(const std::string& path)
{
    if (mkdir(path.c_str(), 0777) == 0 || errno == EEXIST)
        return true;
    std::perror(path.c_str());
    return false;
}

bool WriteFile(const std::string& path, const std::string& bytes)
{
    std::FILE* file = std::fopen(path.c_str(), "wb");
    if (file == nullptr) {
        std::perror(path.c_str());
        return false;
    }
    const bool written = std::fwrite(bytes.data(), 1, bytes.size(), file) == bytes.size();
    const bool closed = std::fclose(file) == 0;
    if (!written || !closed)
        std::perror(path.c_str());
    return written && closed;
}

// Lyrics that Latin-1 holds come out of the floor and of the program under
// code page 1252 byte for byte alike; the run script checks just those.
const char* LyricsKind(const Track& track)
{
    if (!track.has_lyrics)
        return "none";
    return track.language == corpus::Language::Japanese ? "other" : "latin1";
}

bool ParseCount(const char* text, long long low, long long high, int& value)
{
    char* end = nullptr;
    errno = 0;
    const long long parsed = std::strtoll(text, &end, 10);
    if (errno != 0 || end == text || *end != '\0' || parsed < low || parsed > high)
        return false;
    value = static_cast<int>(parsed);
    return true;
}

int Usage()
{
    std::fprintf(stderr, "usage: make_corpus [--count N] [--albums N] [--seed N] FOLDER\n");
    return 2;
}

}  // namespace

int main(int argc, char** argv)
{
    int count = 10000, albums = 100, seed = 20240611;
    std::string root;
    for (int i = 1; i < argc; ++i) {
        const std::string arg = argv[i];
        const bool has_value = i + 1 < argc;
        if (arg == "--count" && has_value) {
            if (!ParseCount(argv[++i], 1, 10000000, count))
                return Usage();
        } else if (arg == "--albums" && has_value) {
            if (!ParseCount(argv[++i], 1, 100000, albums))
                return Usage();
        } else if (arg == "--seed" && has_value) {
            if (!ParseCount(argv[++i], 0, 2147483647, seed))
                return Usage();
        } else if (root.empty() && !arg.empty() && arg[0] != '-') {
            root = arg;
        } else {
            return Usage();
        }
    }
    if (root.empty())
        return Usage();
    if (albums > count)
        albums = count;

    const std::string album_root = root + "/albums", flat = root + "/flat";
    if (!MakeFolder(root) || !MakeFolder(album_root) || !MakeFolder(flat))
        return 1;
    std::ofstream manifest(root + "/manifest.tsv", std::ios::binary | std::ios::trunc);
    manifest << "path\tversion\tencoding\tlyrics\tcover_bytes\n";

    corpus::Random random(static_cast<std::uint64_t>(seed));
    int made_album = -1;
    for (int i = 0; i < count; ++i) {
        const Track track = PlanTrack(random, i, count, albums);
        char album[32];
        std::snprintf(album, sizeof album, "album-%03d", track.album);
        const std::string album_dir = album_root + "/" + album;
        if (track.album != made_album) {
            if (!MakeFolder(album_dir))
                return 1;
            made_album = track.album;
        }
        const std::string bytes = TrackBytes(random, track);
        if (!WriteFile(album_dir + "/" + track.name, bytes) || !WriteFile(flat + "/" + track.name, bytes))
            return 1;
        manifest << album << '/' << track.name << "\t2." << track.version << '\t'
                 << EncodingName(track.encoding) << '\t' << LyricsKind(track) << '\t'
                 << track.cover_bytes << '\n';
    }
    manifest.close();
    if (!manifest) {
        std::fprintf(stderr, "make_corpus: cannot write %s/manifest.tsv\n", root.c_str());
        return 1;
    }
    return 0;
}
