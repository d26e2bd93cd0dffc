#pragma once
// The export job: every track among the paths, folders expanded, becomes one
// text file holding its lyrics in the ANSI code page.
#include "app/output_path.h"

// Expands the folders among paths, then writes each MP3 file's lyrics where
// options.output puts them. Tracks that cannot be read or have no lyrics, and
// outputs that cannot be created, are skipped without a word; an output that
// would be the input itself is never written.
void ExportTracks(const WStringList& paths, const ExportOptions& options);
