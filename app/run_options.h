#pragma once
// The options that one batch takes from its command line: each stands for a
// dialog option (by its settings key) for that run only and is never saved.
#include "app/output_path.h"

#include <optional>

struct RunOptions {
    std::optional<bool> subFolders;  // SubDirectory
    std::optional<WString> folder;   // Directory, with SameDirectory off
    std::optional<WString> name;     // FileName, with SameFileName off
    std::optional<WString> extension;
    bool emptyFile = false;          // EmptyFile set
    bool dryRun = false;             // decide everything, change nothing

    bool Any() const
    {
        return subFolders || folder || name || extension || emptyFile || dryRun;
    }
    // The saved options with these put over them.
    ExportOptions Over(ExportOptions saved) const;
};

// What the launcher put in the environment: TAGSCRIBE_RUN_ and the settings
// key ("SubDirectory" 0 or 1, "Directory", "FileName", "Extension",
// "EmptyFile" 1), and TAGSCRIBE_RUN_DryRun 1.
RunOptions RunOptionsFromEnvironment();
