#include "app/input_paths.h"

#include "vela/media/directory_list.h"

#include <shlwapi.h>

WStringList ExpandInputPaths(const WStringList& pending, bool recurse)
{
    WStringList result;
    for (const WString& path : pending) {
        if (!PathIsDirectoryW(path.c_str())) {
            result.push_back(path);
            continue;
        }
        vela::DirectoryList list;
        // Only the paths are used: no entry's time or size is asked for.
        list.Search(path, TEXT("*.*"), recurse, vela::Details::Names);
        for (vela::DirectoryEntry& file : list.files)
            result.push_back(std::move(file.path));
    }
    return result;
}
