// Writes the sample MP3 files that ship in samples/, with the project's own
// MP3 writer (the CMake target make_samples):
//   scripts/build.sh build --target make_samples
//   scripts/wine-run.sh build build/make_samples.exe samples
#include "tests/support/mp3_writer.h"

#include <fstream>
#include <iostream>
#include <string>
#include <sys/stat.h>

namespace {

struct Sample {
    const char* path;
    int version;
    mp3::Encoding encoding;
    const char* title;
    const char* language;
    const char* lyrics;  // nullptr: a track without lyrics
};

const Sample samples[] = {
    {"english/morning-light.mp3", 3, mp3::Encoding::Utf16, "Morning Light", "eng",
     "The kettle sings before the sun,\r\n"
     "the windows learn the colour gold,\r\n"
     "and every street we haven't run\r\n"
     "is waiting, patient, unforetold.\r\n"},
    {"english/harbour-song.mp3", 4, mp3::Encoding::Utf8, "Harbour Song", "eng",
     "Ropes on the bollard, salt on the rail,\n"
     "gulls keep the time while the ferries set sail,\n"
     "caf\xC3\xA9 on the corner, na\xC3\xAFve little tune,\n"
     "home by the tide and the light of the moon.\n"},
    {"english/instrumental.mp3", 3, mp3::Encoding::Latin1, "Instrumental", "eng", nullptr},
    {"japanese/sakura-michi.mp3", 4, mp3::Encoding::Utf8, "\xE6\xA1\x9C\xE9\x81\x93", "jpn",
     "\xE6\xA1\x9C\xE3\x81\xAE\xE9\x81\x93\xE3\x82\x92\xE6\xAD\xA9\xE3\x81\x84\xE3\x81\xA6\r\n"
     "\xE6\x98\xA5\xE3\x81\xAE\xE9\xA2\xA8\xE3\x81\x8C\xE5\x90\xB9\xE3\x81\x8F\r\n"
     "\xE3\x81\x82\xE3\x81\xAA\xE3\x81\x9F\xE3\x81\xA8\xE8\xA6\x8B\xE3\x81\x9F\xE7\xA9\xBA\xE3\x82\x92\r\n"
     "\xE3\x81\xBE\xE3\x81\x9F\xE6\x80\x9D\xE3\x81\x84\xE5\x87\xBA\xE3\x81\x99\r\n"},
    {"japanese/yoru-no-densha.mp3", 3, mp3::Encoding::Utf16, "\xE5\xA4\x9C\xE3\x81\xAE\xE9\x9B\xBB\xE8\xBB\x8A", "jpn",
     "\xE6\x9C\x80\xE7\xB5\x82\xE9\x9B\xBB\xE8\xBB\x8A\xE3\x81\xAE\xE7\xAA\x93\xE3\x81\xAB\r\n"
     "\xE8\xA1\x97\xE3\x81\xAE\xE7\x81\xAF\xE3\x82\x8A\xE3\x81\x8C\xE6\xB5\x81\xE3\x82\x8C\xE3\x82\x8B\r\n"
     "\xE3\x81\x8A\xE3\x82\x84\xE3\x81\x99\xE3\x81\xBF\xE3\x80\x81\xE3\x81\xBE\xE3\x81\x9F\xE6\x98\x8E\xE6\x97\xA5\r\n"},
    {"japanese/furui-uta.mp3", 2, mp3::Encoding::Latin1, "Furui Uta", "jpn",
     "Furui uta wo utaou\r\n"
     "kawa no soba de, yuugure ni\r\n"},
};

} // namespace

int main(int argc, char** argv)
{
    const std::string root = argc > 1 ? argv[1] : "samples";
    mkdir(root.c_str(), 0755);
    mkdir((root + "/english").c_str(), 0755);
    mkdir((root + "/japanese").c_str(), 0755);
    for (const Sample& s : samples) {
        mp3::Tag tag;
        tag.version = s.version;
        tag.frames.push_back(mp3::TextFrame(s.version == 2 ? "TT2" : "TIT2", s.title,
                                            s.version == 2 ? mp3::Encoding::Latin1 : s.encoding));
        if (s.lyrics)
            tag.frames.push_back(mp3::LyricsFrame(s.version, s.lyrics, s.encoding, s.language));
        tag.padding = 64;
        std::ofstream out(root + "/" + s.path, std::ios::binary);
        out << mp3::FileWithTag(tag);
        if (!out) {
            std::cerr << "cannot write " << s.path << "\n";
            return 1;
        }
    }
    return 0;
}
