#include "vela/media/directory_list.h"

#include "app/paths.h"
#include "vela/storage/disk.h"

namespace vela {
namespace {

DirectoryEntry MakeEntry(const WString& base, const FoundEntry& found)
{
    DirectoryEntry entry;
    // Exactly sized: a search may hold a hundred thousand of these.
    entry.path.reserve(base.size() + found.name.size());
    entry.path.append(base).append(found.name);
    entry.lastWriteTime = found.lastWriteTime;
    entry.size = found.size;
    return entry;
}

// A folder whose sub-folders are being walked: its path with the backslash,
// and the open listing of its folder pass.
struct Level {
    WString base;
    std::unique_ptr<FoundEntries> folders;
};

} // namespace

// The walk keeps its own stack of levels instead of recursing, so that a deep
// tree (or a linked folder pointing back up, under a long-path prefix) cannot
// exhaust the thread's stack; the order is the same as a recursive pre-order.
size_t DirectoryList::Search(const WString& folder, const WString& pattern, bool recurse)
{
    Disk& disk = CurrentDisk();
    std::vector<Level> levels;
    auto enter = [&](const WString& path) {
        WString base = AddBackslash(path);
        FoundEntry found;
        // The file pass closes its listing before the folder pass opens one.
        {
            auto matches = disk.Find(base, pattern, Disk::Want::Files);
            while (matches->Next(found)) {
                // A partial output is no file of the user's.
                if (!found.folder && !IsPartialOutput(found.name))
                    files.push_back(MakeEntry(base, found));
            }
        }
        auto all = disk.Find(base, TEXT("*.*"), Disk::Want::Folders);
        levels.push_back(Level{std::move(base), std::move(all)});
    };

    enter(folder);
    while (!levels.empty()) {
        FoundEntry found;
        if (!levels.back().folders->Next(found)) {
            levels.pop_back();
            continue;
        }
        if (!found.folder || found.name[0] == TEXT('.'))
            continue;
        folders.push_back(MakeEntry(levels.back().base, found));
        if (recurse)
            enter(folders.back().path);
    }
    return files.size();
}

} // namespace vela
