#pragma once
// What WineDisk is built on. It finds the Unix name of a plain Windows path
// the way Wine finds it, without Wine's cost: each folder is converted once,
// a name is tried exactly first, and only when that fails is it matched
// regardless of letter case, in one readdir of the folder kept for the
// purpose. Wine instead reads the whole folder for every name it does not
// find exactly, which makes creating N files in one folder cost N^2.
//
// Plain paths are those whose Unix names this program composes itself: a
// drive letter, a backslash and names that Wine maps one to one. Everything
// else (relative, device and short 8.3 names, trailing dots or spaces, names
// Wine rewrites, paths at the 260-character limit) is left to the Win32
// calls, so that their results stay Wine's own.
#include "vela/storage/disk.h"
#include "vela/storage/wine/handles.h"

#include <memory>
#include <string>
#include <vector>

namespace vela {

class WineFolder;

struct WineName {
    enum State {
        Found,    // path names an existing entry; info holds its stat
        Missing,  // the folder exists and holds no such name in any letter case
        Unknown   // not a plain path, or the Unix calls failed: ask Win32
    };
    State state = Unknown;
    // Found: the entry's Unix path. Missing: where a new file of that name goes.
    std::string path;
    struct stat info = {};
    // The folder's snapshot when the lookup asked it (see NoteWritten).
    std::shared_ptr<WineFolder> folder;
};

// The name as spelt is tried first; without `exactFirst` the folder's
// snapshot is asked at once, which spares a call for a name that is new:
// that is an output's lookup, and the outputs made in one folder check it
// once (see WineFolder in names.cpp). Without
// `followLinks` a symbolic link is Found as itself (lstat).
WineName FindWineName(const WString& path, bool exactFirst = true, bool followLinks = true);

// Wine's conversion of a Windows path to its Unix path, or "" when Wine
// has none.
std::string UnixPathOf(const WCHAR* path);
inline std::string UnixPathOf(const WString& path) { return UnixPathOf(path.c_str()); }

// The Unix path that a plain path names when its letters are exactly those
// on disk, with no call beyond converting the folder once; empty when the
// path is not plain. For a caller that opens the file at once and asks
// FindWineName only when that fails.
std::string ExactWineName(const WString& path);

// A plain folder, open, and its names in the order that Wine's
// FindFirstFileW gives for "*": by Wine's case folding, then by code unit.
struct PlainFolder {
    struct Name {
        WString name;
        const std::string* unixName;
        unsigned char kind;  // readdir's d_type (DT_UNKNOWN where the file system keeps none)
    };
    FolderStream stream;  // for stat calls relative to the folder
    struct stat info = {};  // the folder's own, through every link
    std::vector<Name> names;
};

// Lists a plain folder (no trailing backslash but after a drive) through
// one open of it, which also brings its snapshot up to date: a folder is
// read once, and each name decoded and folded once, for a listing and the
// lookups in it that follow. False when the folder is not plain or cannot
// be read, or when some name is not UTF-8 or would show differently in
// Wine. The Unix names are valid until the next lookup.
bool ListPlainFolder(const WString& folder, PlainFolder& listed);

// Tells the folder's snapshot that this process has just written the file
// of a Found or Missing result, through a partial file renamed onto it, so
// that the next output in the folder need not check it again.
void NoteWritten(const WineName& name);

} // namespace vela
