#include "app/export_tracks.h"

#include "app/input_paths.h"
#include "app/paths.h"
#include "vela/media/mp3_tag.h"
#include "vela/storage/file.h"

#include <id3tag.h>

namespace {

// ".mp3" in any letter case; only the ASCII letters are folded.
bool HasMp3Extension(const WString& path)
{
    WString lower = path;
    for (WCHAR& c : lower) {
        if (c >= 'A' && c <= 'Z')
            c = static_cast<WCHAR>(c - 'A' + 'a');
    }
    return ExtensionOf(lower) == TEXT(".mp3");
}

} // namespace

void ExportTracks(WStringList paths, const ExportOptions& options)
{
    paths = ExpandInputPaths(paths, options.subFolders);
    const bool emptyFile = options.emptyFile;
    vela::Mp3Tag tag;
    vela::File output;
    for (const WString& path : paths) {
        if (!emptyFile && !HasMp3Extension(path))
            continue;
        if (!tag.Open(path, ID3_FILE_MODE_READONLY) && !emptyFile)
            continue;
        const std::string lyrics = ToAnsi(tag.Lyrics());
        if (lyrics.empty() && !emptyFile)
            continue;
        const WString target = ComposeOutputPath(path, options.output);
        // Opening for writing truncates, and the tag reader's open does not
        // keep others out: an output that is the input itself, under any
        // spelling, would wipe the track, so it is refused. Nothing else
        // needs others kept out of the output while it is written.
        if (output.OpenOutput(target, path)) {
            output.Write(lyrics.data(), static_cast<DWORD>(lyrics.size()));
            output.Close();
        }
    }
}
