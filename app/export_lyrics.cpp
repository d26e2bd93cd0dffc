// The export job: every pending path, folders expanded, becomes one text file
// holding the track's lyrics in the ANSI code page.
#include "app/input_paths.h"
#include "app/output_path.h"
#include "app/paths.h"
#include "app/tagscribe.h"
#include "vela/media/mp3_tag.h"
#include "vela/storage/file.h"
#include "vela/ui/check_box.h"
#include "vela/ui/drop_file.h"
#include "vela/ui/edit_box.h"

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

LRESULT Tagscribe::OnDropFiles(WPARAM wParam, LPARAM)
{
    vela::DropFile drop(reinterpret_cast<HDROP>(wParam));
    for (WString name = drop.Next(); !name.empty(); name = drop.Next())
        pending_.push_back(name);
    ExportLyrics();
    return 0;
}

void Tagscribe::ExportLyrics()
{
    if (!ControlsReady()) {
        pending_.clear();
        return;
    }
    pending_ = ExpandInputPaths(pending_, checks_[SubDirectoryCheck]->IsChecked());
    vela::Mp3Tag tag;
    vela::File output;
    const bool emptyFile = checks_[EmptyFileCheck]->IsChecked();
    // Read once: the job pumps no messages, so the controls cannot change
    // while it runs, and under Wine every read goes through the subclass
    // machinery's window properties, server round trips that cost more than
    // the file's own work.
    const OutputOptions options = {
        checks_[SameDirectoryCheck]->IsChecked(), edits_[DirectoryEdit]->GetText(),
        checks_[SameFileNameCheck]->IsChecked(), edits_[FileNameEdit]->GetText(),
        edits_[ExtensionEdit]->GetText()};
    for (const WString& path : pending_) {
        if (!emptyFile && !HasMp3Extension(path))
            continue;
        if (!tag.Open(path, ID3_FILE_MODE_READONLY) && !emptyFile)
            continue;
        const std::string lyrics = ToAnsi(tag.Lyrics());
        if (lyrics.empty() && !emptyFile)
            continue;
        const WString target = ComposeOutputPath(path, options);
        // Opening for writing truncates, and the tag reader's open does not
        // keep others out: an output that is the input itself, under any
        // spelling, would wipe the track, so it is refused. Nothing else
        // needs others kept out of the output while it is written.
        if (output.OpenOutput(target, path)) {
            output.Write(lyrics.data(), static_cast<DWORD>(lyrics.size()));
            output.Close();
        }
    }
    pending_.clear();
}
