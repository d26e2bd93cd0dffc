#include "app/export_tracks.h"

#include "app/input_paths.h"
#include "app/job_inputs.h"
#include "app/paths.h"
#include "vela/media/mp3_tag.h"
#include "vela/storage/output_file.h"

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
    // Without the empty-file option only MP3 files are read, and those an
    // output never replaces anyway (Existing::Keep below).
    const JobInputs inputs(emptyFile ? paths : WStringList());
    vela::Mp3Tag tag;
    for (const WString& path : paths) {
        if (!emptyFile && !HasMp3Extension(path))
            continue;
        if (!tag.Open(path, ID3_FILE_MODE_READONLY) && !emptyFile)
            continue;
        const std::string lyrics = ToAnsi(tag.Lyrics());
        if (lyrics.empty() && !emptyFile)
            continue;
        const WString target = ComposeOutputPath(path, options.output);
        if (emptyFile && inputs.Contains(target))
            continue;
        // The output is never the input itself, under any spelling (the
        // tag reader's open does not keep others out), and never takes the
        // place of an existing MP3 file. Nothing else needs others kept out
        // while it is written.
        const vela::Existing existing =
            HasMp3Extension(target) ? vela::Existing::Keep : vela::Existing::Replace;
        vela::WriteOutput(target, path, existing, lyrics);
    }
}
