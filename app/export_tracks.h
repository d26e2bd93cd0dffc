#pragma once
// The export job: every track among the paths, folders expanded, becomes one
// text file holding its lyrics in the ANSI code page.
#include "app/export_report.h"
#include "app/output_path.h"

// Told how far a run has got, once before each file.
class ExportProgress {
public:
    virtual ~ExportProgress() = default;
    virtual void Step(size_t done, size_t total) = 0;
};

// Replaces the folders among paths by their files, then writes each MP3
// file's lyrics where options.output puts them, and reports what it did.
// Tracks without lyrics get no output unless options.emptyFile asks for an
// empty one. An output never replaces the input itself, an existing MP3
// file, or (with the empty-file option) any other file of the list; each is
// complete or absent whenever the process stops, and one that holds the
// lyrics already is left alone.
// With options.dryRun nothing is written: each output is judged as its
// write would judge it and the report tells what a real run would do. The list
// is taken by value so that a caller done with it can hand it over: only the
// expanded list then stays alive while the files are read.
ExportReport ExportTracks(WStringList paths, const ExportOptions& options,
                          ExportProgress* progress = nullptr);
