#pragma once
// Where the lyrics of one input file go, and the options of a whole export.
#include "vela/text.h"

struct OutputOptions {
    bool sameFolder;   // beside the input, else in `folder`
    WString folder;    // as typed; empty means the current folder
    bool sameName;     // named after the input, else `name`
    WString name;      // as typed; its last extension is replaced
    WString extension; // without the dot; a dot is always put in front
};

// Everything an export run follows, read from the dialog once before it starts.
struct ExportOptions {
    bool subFolders;  // folders are searched with their sub-folders
    bool emptyFile;   // every file counts, not only .mp3, and a track without
                      // lyrics gets an empty output
    OutputOptions output;
    bool dryRun = false;  // everything decided and told, nothing written
};

// The output folder, a backslash when it lacks one, then the base name with
// its extension replaced by "." + extension.
WString ComposeOutputPath(const WString& input, const OutputOptions& options);
