#pragma once
// The flat list of paths an export run works through.
#include "vela/media/directory_list.h"
#include "vela/text.h"

#include <vector>

// A named folder whose sub-folders the run did not search: the sub-folder
// option was off.
struct UnsearchedFolders {
    WString folder;  // as named
    size_t count;    // its sub-folders, those whose names begin with '.' aside
};

// What expanding the paths passed over, for a batch to tell its user.
struct PassedOver {
    std::vector<vela::LoopEntry> loops;
    std::vector<UnsearchedFolders> unsearched;
};

// Every folder in `pending` is replaced, in place, by its files (and with
// `recurse` by those of its sub-folders too, depth first); every other path,
// missing ones included, passes through unchanged. Nothing is filtered or
// de-duplicated: the export job decides what to do with each path. What the
// walks did not enter goes to `passed`, when given: each named folder's
// sub-folders without `recurse`, once for a folder named more than once, and
// the sub-folders that lead back into their own walk with it.
WStringList ExpandInputPaths(const WStringList& pending, bool recurse,
                             PassedOver* passed = nullptr);
