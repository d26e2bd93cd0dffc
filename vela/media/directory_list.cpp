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
// its sub-folders and the next one to enter.
struct Level {
    WString base;
    std::vector<FoundEntry> folders;
    size_t next = 0;
};

bool IsEverything(const WString& pattern)
{
    return pattern == TEXT("*.*") || pattern == TEXT("*");
}

} // namespace

// The walk keeps its own stack of levels instead of recursing, so that a deep
// tree (or a linked folder pointing back up, under a long-path prefix) cannot
// exhaust the thread's stack; the order is the same as a recursive pre-order.
// A folder is listed once when the pattern takes every name.
size_t DirectoryList::Search(const WString& folder, const WString& pattern, bool recurse,
                             Details details)
{
    Disk& disk = CurrentDisk();
    std::vector<Level> levels;
    auto enter = [&](const WString& path) {
        Level level{AddBackslash(path), {}};
        FoundEntry found;
        auto matches = disk.Find(level.base, pattern, details);
        while (matches->Next(found)) {
            // A partial output is no file of the user's.
            if (!found.folder && !IsPartialOutput(found.name))
                files.push_back(MakeEntry(level.base, found));
            else if (found.folder && IsEverything(pattern))
                level.folders.push_back(std::move(found));
        }
        if (!IsEverything(pattern)) {
            auto all = disk.Find(level.base, TEXT("*.*"), Details::Names);
            while (all->Next(found)) {
                if (found.folder)
                    level.folders.push_back(std::move(found));
            }
        }
        levels.push_back(std::move(level));
    };

    enter(folder);
    while (!levels.empty()) {
        Level& level = levels.back();
        if (level.next == level.folders.size()) {
            levels.pop_back();
            continue;
        }
        const FoundEntry& found = level.folders[level.next++];
        if (found.name[0] == TEXT('.'))
            continue;
        folders.push_back(MakeEntry(level.base, found));
        if (recurse)
            enter(folders.back().path);
    }
    return files.size();
}

} // namespace vela
