#include "vela/media/directory_list.h"

#include "app/paths.h"
#include "vela/storage/disk.h"

#include <map>
#include <set>
#include <tuple>

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

// A folder whose sub-folders are being walked: its path as named or found,
// with the backslash, its identity, its sub-folders and the next one to enter.
struct Level {
    WString path;
    WString base;
    FileIdentity identity;
    std::vector<FoundEntry> folders;
    size_t next = 0;
};

using IdentityKey = std::pair<uint64_t, uint64_t>;

IdentityKey KeyOf(const FileIdentity& identity)
{
    return {identity.volume, identity.index};
}

bool IsEverything(const WString& pattern)
{
    return pattern == TEXT("*.*") || pattern == TEXT("*");
}

} // namespace

// The walk keeps its own stack of levels instead of recursing, so that a deep
// tree cannot exhaust the thread's stack; the order is the same as a
// recursive pre-order. A folder is listed once when the pattern takes every
// name. The levels on the stack are the way down from the named folder, and
// `onWay` finds a level by identity.
size_t DirectoryList::Search(const WString& folder, const WString& pattern, bool recurse,
                             Details details)
{
    Disk& disk = CurrentDisk();
    std::vector<Level> levels;
    std::map<IdentityKey, size_t> onWay;
    // Each link by the folder that holds it and its name.
    std::set<std::tuple<uint64_t, uint64_t, WString>> followed;
    auto enter = [&](const WString& path, FileIdentity identity) {
        Level level{path, AddBackslash(path), identity, {}};
        FoundEntry found;
        auto matches = disk.Find(level.base, pattern, details);
        while (matches->Next(found)) {
            // A partial output is no file of the user's.
            if (!found.folder && !IsPartialOutput(found.name))
                files.push_back(MakeEntry(level.base, found));
            else if (found.folder && IsEverything(pattern))
                level.folders.push_back(std::move(found));
        }
        if (recurse && !IsKnown(level.identity))
            level.identity = matches->Identity();
        if (!IsEverything(pattern)) {
            auto all = disk.Find(level.base, TEXT("*.*"), Details::Names);
            while (all->Next(found)) {
                if (found.folder)
                    level.folders.push_back(std::move(found));
            }
        }
        if (IsKnown(level.identity))
            onWay[KeyOf(level.identity)] = levels.size();
        levels.push_back(std::move(level));
    };

    enter(folder, FileIdentity());
    while (!levels.empty()) {
        Level& level = levels.back();
        if (level.next == level.folders.size()) {
            if (IsKnown(level.identity))
                onWay.erase(KeyOf(level.identity));
            levels.pop_back();
            continue;
        }
        const FoundEntry& found = level.folders[level.next++];
        if (found.name[0] == TEXT('.'))
            continue;
        folders.push_back(MakeEntry(level.base, found));
        if (!recurse)
            continue;
        const FileIdentity identity = found.identity;
        if (found.link && (!IsKnown(identity) || !IsKnown(level.identity) ||
                           !followed.emplace(level.identity.volume, level.identity.index,
                                             found.name).second))
            continue;
        const auto back = IsKnown(identity) ? onWay.find(KeyOf(identity)) : onWay.end();
        if (back != onWay.end()) {
            loops.push_back({folders.back().path, levels[back->second].path});
            continue;
        }
        enter(folders.back().path, identity);
    }
    return files.size();
}

} // namespace vela
