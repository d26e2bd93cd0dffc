#include "app/input_paths.h"

#include <shlwapi.h>

#include <set>

namespace {

// The same path is told once, however often its folder was named.
bool FirstTime(std::set<WString>& told, const WString& path)
{
    return told.insert(path).second;
}

} // namespace

WStringList ExpandInputPaths(const WStringList& pending, bool recurse, PassedOver* passed)
{
    WStringList result;
    std::set<WString> toldLoops, toldFolders;
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
        if (passed == nullptr)
            continue;
        for (vela::LoopEntry& loop : list.loops) {
            if (FirstTime(toldLoops, loop.path))
                passed->loops.push_back(std::move(loop));
        }
        if (!recurse && !list.folders.empty() && FirstTime(toldFolders, path))
            passed->unsearched.push_back({path, list.folders.size()});
    }
    return result;
}
