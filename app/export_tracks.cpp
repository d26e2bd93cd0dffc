#include "app/export_tracks.h"

#include "app/input_paths.h"
#include "app/job_inputs.h"
#include "app/output_plan.h"
#include "app/paths.h"
#include "vela/media/mp3_tag.h"
#include "vela/storage/output_file.h"
#include "vela/storage/read_ahead.h"

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

// Why the file behind the last error could not be had; 0 never stands for a
// failure in the report.
DWORD LastErrorOr(DWORD fallback)
{
    const DWORD error = GetLastError();
    return error != ERROR_SUCCESS ? error : fallback;
}

} // namespace

ExportReport ExportTracks(WStringList paths, const ExportOptions& options,
                          ExportProgress* progress)
{
    ExportReport report;
    report.dryRun = options.dryRun;
    OutputPlan plan;
    paths = ExpandInputPaths(paths, options.subFolders, &report.passedOver);
    const bool emptyFile = options.emptyFile;
    // Without the empty-file option only MP3 files are read, and those an
    // output never replaces anyway (Existing::Keep below).
    const JobInputs inputs(emptyFile ? paths : WStringList());
    vela::Mp3Tag tag;
    bool anyRead = false;
    vela::ReadAhead ahead(vela::CurrentDisk(), paths, [emptyFile](const WString& path) {
        return emptyFile || HasMp3Extension(path);
    });
    for (size_t i = 0; i < paths.size(); ++i) {
        if (progress)
            progress->Step(i, paths.size());
        const WString& path = paths[i];
        if (!emptyFile && !HasMp3Extension(path))
            continue;
        anyRead = true;
        SetLastError(ERROR_SUCCESS);
        const bool read = tag.Open(ahead.Take(i));
        if (!read) {
            // With the empty-file option the track still gets its empty
            // output, but a track that was never read is not one without
            // lyrics.
            report.failures.push_back(
                {ExportFailure::OpenInput, path,
                 LastErrorOr(path.empty() ? ERROR_PATH_NOT_FOUND : ERROR_READ_FAULT)});
            if (!emptyFile)
                continue;
        }
        const vela::Mp3Tag::TrackLyrics taken = tag.ReadLyrics();
        const WString& lyrics = taken.text;
        const std::string bytes = ToAnsi(lyrics);
        if (bytes.empty()) {
            if (read)
                ++report.withoutLyrics;
            if (!emptyFile)
                continue;
        }
        const std::unique_ptr<vela::Output> output =
            vela::FindOutput(ComposeOutputPath(path, options.output));
        // Through a symbolic link, the file it names is the output.
        const WString& target = output->FinalPath();
        if (emptyFile && inputs.Contains(target)) {
            report.failures.push_back({ExportFailure::ReplacesInput, target, 0});
            continue;
        }
        // The output is never the input itself, under any name (the tag
        // reader's open does not keep others out), and never takes the
        // place of an existing MP3 file.
        const bool track = HasMp3Extension(target);
        const vela::Existing existing = track ? vela::Existing::Keep : vela::Existing::Replace;
        vela::OutputResult written;
        if (options.dryRun) {
            PlannedOutput::Kind kind;
            written = plan.Check(*output, tag.Source(), existing, bytes, kind);
            if (written != vela::OutputResult::Failed)
                report.planned.push_back({target, kind});
        } else {
            written = vela::WriteOutput(*output, tag.Source(), existing, bytes);
        }
        if (written == vela::OutputResult::Failed) {
            const DWORD error = LastErrorOr(ERROR_WRITE_FAULT);
            if (track && error == ERROR_FILE_EXISTS)
                report.failures.push_back({ExportFailure::ReplacesTrack, target, 0});
            else
                report.failures.push_back({ExportFailure::WriteOutput, target, error});
            continue;
        }
        if (bytes.empty())
            continue;
        ++report.exported;
        if (written == vela::OutputResult::Unchanged)
            ++report.unchanged;
        const CodePageLoss loss = MeasureLoss(lyrics, bytes);
        if (loss.lost > 0)
            report.lossy.push_back({target, loss});
        if (taken.untimed)
            report.untimed.push_back(target);
    }
    if (!anyRead)
        report.nothingToRead = emptyFile ? ExportReport::NoFile : ExportReport::NoMp3File;
    return report;
}
