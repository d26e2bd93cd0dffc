// A peer for the cold benchmark: the export job as a loop over TagLib, as a
// program built on that library would write it. For every *.mp3 in the
// given folders, the first USLT frame's text goes to <name>.txt beside it,
// as Latin-1; a file without lyrics gets no output.
// Usage: taglib_loop FOLDER...   Exit status 0, or 1 when an output failed.
#include <taglib/id3v2tag.h>
#include <taglib/mpegfile.h>
#include <taglib/unsynchronizedlyricsframe.h>

#include <dirent.h>
#include <strings.h>

#include <cstdio>
#include <cstring>
#include <string>

namespace {

std::string Lyrics(const std::string& path)
{
    // No audio properties: the floor reads none either.
    TagLib::MPEG::File file(path.c_str(), false);
    TagLib::ID3v2::Tag* tag = file.isValid() ? file.ID3v2Tag() : nullptr;
    if (tag == nullptr)
        return std::string();
    const TagLib::ID3v2::FrameList& frames = tag->frameListMap()["USLT"];
    if (frames.isEmpty())
        return std::string();
    auto* lyrics = dynamic_cast<TagLib::ID3v2::UnsynchronizedLyricsFrame*>(frames.front());
    return lyrics ? lyrics->text().to8Bit(false) : std::string();
}

} // namespace

int main(int argc, char** argv)
{
    int failures = 0;
    for (int i = 1; i < argc; ++i) {
        DIR* dir = opendir(argv[i]);
        if (dir == nullptr) {
            std::perror(argv[i]);
            ++failures;
            continue;
        }
        while (const dirent* entry = readdir(dir)) {
            const char* dot = std::strrchr(entry->d_name, '.');
            if (dot == nullptr || strcasecmp(dot, ".mp3") != 0)
                continue;
            const std::string path = std::string(argv[i]) + "/" + entry->d_name;
            const std::string text = Lyrics(path);
            if (text.empty())
                continue;
            const std::string output = path.substr(0, path.size() - 4) + ".txt";
            FILE* out = std::fopen(output.c_str(), "wb");
            if (out == nullptr || std::fwrite(text.data(), 1, text.size(), out) != text.size() ||
                std::fclose(out) != 0) {
                std::perror(output.c_str());
                ++failures;
            }
        }
        closedir(dir);
    }
    return failures == 0 ? 0 : 1;
}
