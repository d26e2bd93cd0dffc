#pragma once
// What a folder holds, and on request what all its sub-folders hold, listed
// through the platform's find-file calls.
#include "vela/storage/disk.h"
#include "vela/text.h"

#include <cstddef>
#include <cstdint>
#include <vector>

namespace vela {

struct DirectoryEntry {
    // The searched folder, a backslash, and the name as the platform reports it.
    WString path;
    // 100-nanosecond units since 1 January 1601 (UTC).
    uint64_t lastWriteTime = 0;
    uint64_t size = 0;
};

// A sub-folder that a search did not enter: it is, under another name, a
// folder on the way to it, which is being searched already.
struct LoopEntry {
    WString path;         // as `folders` holds it
    WString leadsBackTo;  // the folder on the way, as the search spelt it
};

struct DirectoryList {
    std::vector<DirectoryEntry> files;
    // Every sub-folder met, entered or not; a parent comes before its children.
    std::vector<DirectoryEntry> folders;
    // The sub-folders that lead back, each link once; only a search with
    // `recurse` enters folders and so meets them.
    std::vector<LoopEntry> loops;

    // Appends the files of `folder` that match `pattern`, then records every
    // sub-folder (searching it first when `recurse` is set), so `files` comes
    // out depth first in pre-order. Folders whose name begins with '.' are
    // neither recorded nor searched; no other attribute is looked at. A folder
    // that cannot be listed adds nothing. Returns the size of `files`,
    // counting earlier searches on this list. With Details::Names the
    // entries' times and sizes may be left 0, which can spare a call a name.
    //
    // Folders are known by identity, not by name, so links cannot make the
    // work grow beyond the folders, files and links that a tree holds: a
    // sub-folder that is a folder on the way to it is not entered (see
    // `loops`), and within one search each link to a folder is followed
    // once; met again by another way, what it leads to has been searched
    // through it already. A link to a folder elsewhere is searched like a
    // folder named once more, so its files are listed again. A link whose
    // folder cannot be identified is not followed.
    size_t Search(const WString& folder, const WString& pattern, bool recurse,
                  Details details = Details::All);
};

} // namespace vela
