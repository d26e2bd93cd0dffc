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

struct DirectoryList {
    std::vector<DirectoryEntry> files;
    // Every sub-folder met, entered or not; a parent comes before its children.
    std::vector<DirectoryEntry> folders;

    // Appends the files of `folder` that match `pattern`, then records every
    // sub-folder (searching it first when `recurse` is set), so `files` comes
    // out depth first in pre-order. Folders whose name begins with '.' are
    // neither recorded nor searched; no other attribute is looked at. A folder
    // that cannot be listed adds nothing. Returns the size of `files`,
    // counting earlier searches on this list. With Details::Names the
    // entries' times and sizes may be left 0, which can spare a call a name.
    size_t Search(const WString& folder, const WString& pattern, bool recurse,
                  Details details = Details::All);
};

} // namespace vela
