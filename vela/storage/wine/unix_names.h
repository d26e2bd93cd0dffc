#pragma once
// Finds the Unix name of a plain Windows path (see plain_path.h) the way Wine
// finds it, without Wine's cost: each folder is converted once, a name is
// tried exactly first, and only when that fails is it matched regardless of
// letter case, in a snapshot of the folder's names (folder_snapshot.h). Wine
// instead reads the whole folder for every name it does not find exactly,
// which makes creating N files in one folder cost N^2.
#include "vela/storage/wine/folder_snapshot.h"
#include "vela/text.h"

#include <sys/stat.h>

#include <string>

namespace vela {

struct UnixName {
    enum State {
        Found,    // path names an existing entry; info holds its stat
        Missing,  // the folder exists and holds no such name in any letter case
        Unknown   // not a plain path, or the Unix calls failed: ask Win32
    };
    State state = Unknown;
    // Found: the entry's Unix path. Missing: where a new file of that name goes.
    std::string path;
    struct stat info = {};
};

UnixName FindUnixName(const WString& path);

// The Unix path that a plain path names when its letters are exactly those
// on disk, with no call beyond converting the folder once; empty when the
// path is not plain. For a caller that opens the file at once and asks
// FindUnixName only when that fails.
std::string ExactUnixPath(const WString& path);

// The current snapshot of a plain folder (no trailing backslash but after a
// drive), read now unless it is current, and the folder's Unix path; null
// when the folder is not plain or cannot be read. Valid until the next call.
FolderSnapshot* SnapshotOf(const WString& folder, std::string& unixPath);

// Tells the snapshot that this process has just created `path` (a Missing
// result), so that the next lookup need not read the folder again.
void NoteCreated(const std::string& path);

} // namespace vela
